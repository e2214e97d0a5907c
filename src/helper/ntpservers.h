/*
    The servers that an NTP synchronization without a named server asks: the
    ones the machine's own time service is configured with.
*/

#pragma once

#include <QString>
#include <QStringList>

namespace NtpServers {
/// At most this many servers are asked, so that the query ends within the
/// caller's D-Bus time-out even when none of them answers.
constexpr int maxServers = 4;

/// The servers configured below `root` (normally "/"):
/// - chrony, when /usr/sbin/chronyd exists: the "server" and "pool" lines of
///   /etc/chrony/chrony.conf (or /etc/chrony.conf), of its confdir "*.conf" files
///   and of its sourcedir "*.sources" files;
/// - else ntpsec, when /usr/sbin/ntpd exists: the "server" and "pool" lines of
///   /etc/ntpsec/ntp.conf (or /etc/ntp.conf);
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
