// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <string>

// Directory kinds understood by GetOrbDir().
enum OrbDirKind {
    // The window manager's per-user folder, which holds its theme file.
    OrbDirWindowManager = 3,
};

// The path of a per-user desktop folder, UTF-8 encoded, without a trailing slash;
// empty for an unknown kind. The folder need not exist yet.
std::string GetOrbDir(int kind);
