// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

namespace TimeSync
{
// The root under which every configuration path is looked up: $ORB_TIMESYNC_ROOT
// or "/". Administrators' scripts move it to prepared trees.
QString rootDirectory();

// `absolutePath` (starting with "/") below rootDirectory().
QString rooted(const QString &absolutePath);
}
