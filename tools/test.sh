#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# Builds the module and runs the whole test suite through CTest.
# Usage: tools/test.sh [build-dir] [extra ctest arguments...]
# With ORB_SANITIZE=1 the build is instrumented with AddressSanitizer and
# UndefinedBehaviorSanitizer, and the first finding fails the test it occurs in.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true

"$here/tools/install-deps.sh"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
sanitize=()
if [ "${ORB_SANITIZE:-0}" = 1 ]; then
    # ECM's option sets -fsanitize for compiling and linking; the first
    # undefined-behaviour finding must end the test, which ECM leaves open.
    sanitize=(-DECM_ENABLE_SANITIZERS='address;undefined'
              -DCMAKE_CXX_FLAGS="-fno-sanitize-recover=undefined")
    supp="$here/tools/sanitizers"
    # Leaks are not checked by default: Qt's QML engine and its plug-ins keep
    # process-lifetime allocations that LeakSanitizer cannot tell from leaks
    # without suppressing every stack that passes through Qt.
    export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=${ORB_SANITIZE_LEAKS:-0}:detect_stack_use_after_return=0:strict_init_order=1:suppressions=$supp/asan.supp"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$supp/ubsan.supp"
    export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
fi
# Qt's system folders stay out of reach of any install from this tree.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DKDE_INSTALL_USE_QT_SYS_PATHS=OFF \
    "${launcher[@]}" "${sanitize[@]}"
cmake --build "$build" -j "$(nproc)"

# The tests bring their own buses, display and HOME; keep the caller's desktop out.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus
unset DISPLAY WAYLAND_DISPLAY
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
