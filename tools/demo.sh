#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# Builds the module and opens it in KDE's own host (kcmshell5) on private buses
# with stand-in services: the date helper, timedated and the polkit agent log what
# they receive and answer success. Administrator mode is forced. Nothing of the
# real system (clock, time zone, /etc, the real buses, your settings) is touched.
#
# It looks and behaves as in a Plasma session: the desktop is "KDE" with the
# Breeze style and colours (ORB_DEMO_SCHEME=BreezeDark for the dark ones), and
# Apply takes effect for the page. The demo runs in a mount namespace of its own
# where a copy of /etc stands in for the real one, so the stand-in timedated
# changes the zone that copy names; the page's clock runs under libfaketime, and
# the stand-in helper's SetTime moves it.
#
# With $DISPLAY the page opens on your display. Without one it runs under Xvfb and
# writes a screenshot to <build>/demo-screenshot.png (or $ORB_DEMO_SCREENSHOT).
#
# Usage: tools/demo.sh [build-dir]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
prefix=$build/prefix

"$here/tools/install-deps.sh"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Qt's own path scheme would put the QML module and the plug-in into the
# system's Qt folders, whatever the prefix: keep everything under it.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_INSTALL_PREFIX="$prefix" -DKDE_INSTALL_USE_QT_SYS_PATHS=OFF "${launcher[@]}"
cmake --build "$build" -j "$(nproc)"
cmake --install "$build" > "$build/demo-install.log"

export ORB_DEMO_PREFIX=$prefix
export ORB_DEMO_SOURCE=$here
export ORB_DEMO_SCREENSHOT=${ORB_DEMO_SCREENSHOT:-$build/demo-screenshot.png}
# Root gets a mount namespace as it is; anyone else through a user namespace.
namespace=(unshare --mount --propagation private)
[ "$(id -u)" -eq 0 ] || namespace=(unshare --user --map-root-user --mount --propagation private)
export ORB_DEMO_PRIVATE_ETC=1
exec "${namespace[@]}" "$here/tests/harness/run-with-buses" "$here/tools/demo-session.sh"
