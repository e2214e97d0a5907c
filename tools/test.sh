#!/usr/bin/env bash
# Builds the module and runs the whole test suite through CTest.
# Usage: tools/test.sh [build-dir] [extra ctest arguments...]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true

"$here/tools/install-deps.sh"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON "${launcher[@]}"
cmake --build "$build" -j "$(nproc)"

# The tests bring their own buses, display and HOME; keep the caller's desktop out.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus
unset DISPLAY WAYLAND_DISPLAY
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
