#!/usr/bin/env bash
# What a screen reader sees of the page: runs the demo under Xvfb with the
# accessibility bus and writes the accessible tree of every tab to
# <build>/a11y-dump.txt (or $ORB_DEMO_A11Y_DUMP). Fails when a control has no
# name or two boxes of a tab share one. LANGUAGE=ru checks the Russian page.
# Usage: tools/a11y-dump.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
export ORB_DEMO_A11Y_DUMP=${ORB_DEMO_A11Y_DUMP:-$build/a11y-dump.txt}
unset DISPLAY
exec "$here/tools/demo.sh" "$build"
