#pragma once

#include <QString>

namespace HostNames {
/// `server` as the NTP tool is to be given it, or an empty string when it is
/// neither a host name nor an IP address. Surrounding blanks are dropped, and so
/// are brackets around an IPv6 address (the tool resolves bare addresses only).
/// A valid result never starts with "-", so no tool can read it as an option.
QString normalizedServer(const QString &server);

/// A DNS host name: dot-separated labels of ASCII letters, digits and inner
/// hyphens, 1 to 63 characters each, 253 characters at most, an optional final dot.
bool isHostName(const QString &name);
}
