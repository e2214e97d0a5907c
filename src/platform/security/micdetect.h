// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// Integrity level of the current process, as the platform's security labels see it.
namespace MICDetect
{
// True when the process may change the system: root, or a member of the sudo,
// wheel or admin group. ORB_ADMIN_MODE=1 or 0 overrides the answer.
bool isCurrentProcessHasMaxMIC();
}
