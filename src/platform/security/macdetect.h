// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// Mandatory access label of the current process.
namespace MACDetect
{
// True unless ORB_EMPTY_MAC is "0": an ordinary Linux has no access labels.
bool isCurrentProcessHasEmptyMAC();
}
