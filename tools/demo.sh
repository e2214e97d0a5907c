#!/usr/bin/env bash
# Builds the module and opens it in KDE's own host (kcmshell5) on private buses
# with stand-in services: the date helper, timedated and the polkit agent log what
# they receive and answer success. Administrator mode is forced. Nothing of the
# real system (clock, time zone, /etc, the real buses, your settings) is touched.
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
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_INSTALL_PREFIX="$prefix" "${launcher[@]}"
cmake --build "$build" -j "$(nproc)"
cmake --install "$build" > "$build/demo-install.log"

export ORB_DEMO_PREFIX=$prefix
export ORB_DEMO_SOURCE=$here
export ORB_DEMO_SCREENSHOT=${ORB_DEMO_SCREENSHOT:-$build/demo-screenshot.png}
exec "$here/tests/harness/run-with-buses" "$here/tools/demo-session.sh"
