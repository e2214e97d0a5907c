// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The servers that an NTP synchronization without a named server asks: the
    ones the machine's own time service is configured with.
*/

#pragma once

#include <QString>
#include <QStringList>

namespace NtpServers
{
/// At most this many servers are asked, so that the query ends within the
/// caller's D-Bus time-out even when none of them answers.
constexpr int maxServers = 4;

/// The servers configured below `root` (normally "/"):
/// - chrony, when /usr/sbin/chronyd exists: the sources of its configuration as
///   chronyd reads it (ChronyConfig);
/// - else ntpsec, when /usr/sbin/ntpd exists: the sources of its main file;
/// - else systemd-timesyncd: NTP= of the [Time] section of timesyncd.conf and its
///   drop-ins, or, when that is empty, FallbackNTP=, or, when FallbackNTP= is never
///   assigned, the servers timesyncd was built with (platformDefault()).
/// Names that are neither host names nor addresses are left out; each name once,
/// in order, at most maxServers. Empty when the configuration names none.
QStringList configured(const QString &root);

/// The distribution's pool, which its timesyncd falls back to.
QStringList platformDefault();

/// configured(root), or platformDefault() when that is empty.
QStringList defaultServers(const QString &root);
}
