// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The page itself is compiled into the plug-in; this file only brings it in.
import "qrc:/package/contents/ui" as Orb
Orb.OrbAdminDatePage {}
