#pragma once

#include <QString>

namespace TimeSync {
// The root under which every configuration path is looked up: $ORB_TIMESYNC_ROOT
// or "/". Administrators' scripts move it to prepared trees.
QString rootDirectory();

// `absolutePath` (starting with "/") below rootDirectory().
QString rooted(const QString &absolutePath);
}
