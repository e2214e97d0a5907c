// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

namespace ServerInput
{
/// Why `typed` cannot be taken as a time server name, in words for the person
/// typing it; empty when it can (or when nothing is typed). While `typing`, only
/// faults that more typing cannot mend are named, so that "2001:" on its way to
/// an IPv6 address is not refused.
QString refusal(const QString &typed, bool typing = false);
}
