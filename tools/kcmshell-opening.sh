#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# One opening of a module in KDE's own host, kcmshell5, on $DISPLAY, as a Plasma
# session starts it. Prints key=value lines:
#   shown_ms       launch to the window's first frame
#   last_frame_ms  launch to the last frame of the opening: the last one before the
#                  first pause of half a second (a ticking clock draws once a second)
#   rss_kb         resident memory once the opening is over
# Usage: tools/kcmshell-opening.sh <module id or plug-in file> [QML cache folder]
# Runs on the private buses of tests/harness/run-with-buses.
set -euo pipefail

module=$1
[ -n "${2:-}" ] && export XDG_CACHE_HOME=$2
export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
export QT_QUICK_CONTROLS_STYLE=org.kde.desktop
# Every frame the scene graph draws, with the time since the process started.
export QT_LOGGING_RULES="qt.scenegraph.time.renderer.debug=true"
# Monotonic time: Qt's "process" time starts at its first message, not at launch.
export QT_MESSAGE_PATTERN="%{category}|%{time boot}|%{message}"

log=$(mktemp)
launch=$(mktemp)
trap 'rm -f "$log" "$launch"' EXIT
# The launch on the same clock, taken right before kcmshell5 replaces the process.
python3 -c 'import os, sys, time; open(sys.argv[1], "w").write("%.6f" % time.monotonic()); os.execvp("kcmshell5", ["kcmshell5", sys.argv[2]])' \
    "$launch" "$module" 2>"$log" &
pid=$!
# Wait until the opening is over: frames have been drawn and none for a second.
last_size=-1
quiet=0
for _ in $(seq 1 200); do
    sleep 0.1
    frames=$(grep -c '^qt.scenegraph.time.renderer|.*time in renderer' "$log" || true)
    if [ "$frames" -gt 0 ] && [ "$frames" = "$last_size" ]; then
        quiet=$((quiet + 1))
        [ "$quiet" -ge 10 ] && break
    else
        quiet=0
    fi
    last_size=$frames
done
rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
# Processor time used so far (user and system; the fields after the command's
# name, which has no spaces here): unlike the last frame, hardly moved by other
# load on the machine.
cpu_ms=$(awk -v hz="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / hz) }' "/proc/$pid/stat")
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

grep '^qt.scenegraph.time.renderer|.*time in renderer' "$log" | cut -d'|' -f2 | awk -v rss="$rss_kb" -v cpu="$cpu_ms" -v launch="$(cat "$launch")" '
    { t = ($1 - launch) * 1000; if (NR == 1) first = t; else if (t - prev >= 500 && !ended) ended = 1; if (!ended) last = t; prev = t; n += !ended }
    END { printf "shown_ms=%.0f\nlast_frame_ms=%.0f\nopening_frames=%d\nrss_kb=%d\ncpu_ms=%d\n", first, last, n, rss, cpu }'
