#!/bin/sh

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# Regenerates content/*.png and content/manifest.json from the locked npm
# packages, then checks the result. Only needed when the map should change:
# the module is built from the committed pictures.
set -eu
cd "$(dirname "$0")"
npm ci --no-audit --no-fund
node generate.js ../../content
node check.js ../../content
