#pragma once

#include <QString>

namespace TimeSync {
// A host name or an IP address as NTP tools take it: letters, digits, ".", "-",
// "_", ":" and, for IPv6, brackets; never starting with "-" (which a tool would
// read as an option) and never longer than a DNS name can be.
bool isValidServerName(const QString &name);

// The same for names written into a service's configuration, where brackets
// around IPv6 addresses are not understood.
bool isValidConfigServerName(const QString &name);

// The root under which every configuration path is looked up: $ORB_TIMESYNC_ROOT
// or "/". Administrators' scripts move it to prepared trees.
QString rootDirectory();

// `absolutePath` (starting with "/") below rootDirectory().
QString rooted(const QString &absolutePath);
}
