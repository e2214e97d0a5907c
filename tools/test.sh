#!/usr/bin/env bash
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
    flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    sanitize=(-DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags"
              -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
              -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
              -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined")
    supp="$here/tools/sanitizers"
    # Leaks are not checked by default: Qt's QML engine and its plug-ins keep
    # process-lifetime allocations that LeakSanitizer cannot tell from leaks
    # without suppressing every stack that passes through Qt.
    export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=${ORB_SANITIZE_LEAKS:-0}:detect_stack_use_after_return=0:strict_init_order=1:suppressions=$supp/asan.supp"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$supp/ubsan.supp"
    export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON "${launcher[@]}" "${sanitize[@]}"
cmake --build "$build" -j "$(nproc)"

# The tests bring their own buses, display and HOME; keep the caller's desktop out.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus
unset DISPLAY WAYLAND_DISPLAY
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
