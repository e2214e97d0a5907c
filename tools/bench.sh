#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# Timing figures of the page, printed as a table. Builds what it needs first, with
# the optimization of a release build, in a build directory of its own.
# Usage: tools/bench.sh [build-dir] [runs]
# Everything runs off-screen on private buses with the stand-in services, in
# administrator mode, like the tests. Page-ready times are taken twice: with an
# empty QML disk cache (the first opening after an install: the toolkit's own
# QML files are compiled then) and with the cache a previous opening left.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-bench}
runs=${2:-5}

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
fi
cmake --build "$build" --target orbbenchpagehost kcm_orb_bench_empty kcm_orb_admin_date orbadmindateplugin bench_map bench_timezones >/dev/null

export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
export QML2_IMPORT_PATH="$build/qml" QT_PLUGIN_PATH="$build/bin"
export XDG_DATA_DIRS="$build/share:/usr/local/share:/usr/share"
export ORB_ADMIN_MODE=1 TZ=Europe/Moscow LANGUAGE=en_US:C LANG=C.UTF-8
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus
unset DISPLAY WAYLAND_DISPLAY

module=$(find "$build/bin" -name 'kcm_orb_admin_date.so' | head -1)
empty="$build/bench/kcm_orb_bench_empty.so"
host="$build/bin/orbbenchpagehost"
[ -x "$host" ] || host=$(find "$build" -name orbbenchpagehost -type f | head -1)

caches=$(mktemp -d)
trap 'rm -rf "$caches"' EXIT

# One start of the host on fresh buses with the stand-ins; prints its key=value lines.
# With a cache directory the QML disk cache is kept there from one start to the next.
run_host() { # plug-in, idle seconds, [cache directory]
    # timesyncd with a sample of a minute ago, for the Synchronization tab.
    "$here/tests/harness/run-with-buses" "$here/tests/sync/run-with-timesync" \
        --unit systemd-timesyncd.service=active --unit chrony.service=inactive \
        --server ntp1.example --synced-at "$(( ($(date +%s) - 60) * 1000000 ))" -- \
        bash -c 'if [ -n "$3" ]; then export XDG_CACHE_HOME=$3; fi
                 export ORB_BENCH_LAUNCH_NS=$(date +%s%N); exec "$0" "$1" "$2"' "$host" "$1" "$2" "${3:-}" 2>/dev/null
}
value() { sed -n "s/^$1=//p"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ready_times() { # plug-in, [cache directory]
    for _ in $(seq "$runs"); do
        run_host "$1" 0 "${2:-}" | value ready_ms
    done | median
}

module_ready=$(ready_times "$module")
empty_ready=$(ready_times "$empty")
# One start fills each cache; the median is taken over the starts after it.
run_host "$module" 0 "$caches/module" >/dev/null
run_host "$empty" 0 "$caches/empty" >/dev/null
module_warm=$(ready_times "$module" "$caches/module")
empty_warm=$(ready_times "$empty" "$caches/empty")
phases=$(run_host "$module" 0 "$caches/module" | value phases)
idle=$(run_host "$module" 30)
idle_cpu=$(echo "$idle" | value idle_cpu)
idle_fps=$(echo "$idle" | value idle_fps)
peak_kb=$(echo "$idle" | value peak_kb)
map=$(echo "$idle" | value map)
empty_peak_kb=$(run_host "$empty" 0 | value peak_kb)
# The Synchronization tab reads the service every few seconds while on show.
sync_cpu=$(ORB_BENCH_TAB=2 run_host "$module" 30 | value idle_cpu)

# Answers to input, each from the input to the frame that shows it (one frame at
# 60 Hz is 16.7 ms): the Time zone tab shown first (built then) and again, the
# first letter typed into its zone filter (it opens the list) and the next, a map click.
interactions=$(for _ in $(seq "$runs"); do ORB_BENCH_INTERACT=1 run_host "$module" 0 "$caches/module"; done)

load_images=$("$build/bin/bench_map" 2>/dev/null | sed -n 's/^loadImages, median of 5 *\([0-9.]*\) ms/\1/p')
filter=$("$build/bin/bench_timezones" filterAllZones 2>/dev/null | awk '/^RESULT.*filterAllZones.*"name"/ { getline; print $1 }')

ratio=$(awk -v m="$module_ready" -v e="$empty_ready" 'BEGIN { printf "%.2f", m / e }')
ratio_warm=$(awk -v m="$module_warm" -v e="$empty_warm" 'BEGIN { printf "%.2f", m / e }')
cpu_model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)

printf '%s, %s logical processors, %s of memory; load average %s\n' \
    "$cpu_model" "$(nproc)" "$(free -h | awk '/^Mem:/ { print $2 }')" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-52s %14s %14s\n' "Figure" "Value" "Goal"
printf '%-52s %11s ms %14s\n' "Page ready, date page, empty cache (median of $runs)" "$module_ready" ""
printf '%-52s %11s ms %14s\n' "Page ready, empty page, empty cache (median of $runs)" "$empty_ready" ""
printf '%-52s %14s %14s\n' "Ratio date page / empty page, empty cache" "$ratio" "<= 1.30"
printf '%-52s %11s ms %14s\n' "Page ready, date page, warm cache (median of $runs)" "$module_warm" ""
printf '%-52s %11s ms %14s\n' "Page ready, empty page, warm cache (median of $runs)" "$empty_warm" ""
printf '%-52s %14s %14s\n' "Ratio date page / empty page, warm cache" "$ratio_warm" "<= 1.30"
printf '%-52s %11s ms %14s\n' "loadImages (median of 5)" "${load_images:-?}" ""
printf '%-52s %11s ms %14s\n' "Zone filter keystroke (\"mos\", all zones)" "${filter:-?}" ""
printf '%-52s %12s %% %14s\n' "Idle CPU, page open, 30 s (one core)" "$idle_cpu" "<= 0.5 %"
printf '%-52s %10s fps %14s\n' "Frames drawn while idle" "$idle_fps" ""
printf '%-52s %12s %% %14s\n' "Idle CPU, Synchronization tab on show, 30 s" "$sync_cpu" "<= 0.5 %"
printf '%-52s %11s MB %14s\n' "Peak memory, date page" "$((peak_kb / 1024))" ""
printf '%-52s %11s MB %14s\n' "Peak memory, empty page" "$((empty_peak_kb / 1024))" ""
for figure in "tab_switch_ms:Time zone tab first shown (built)" "second_switch_ms:Time zone tab shown again" \
    "filter_key_ms:Zone filter: first letter (opens list)" "filter_second_key_ms:Zone filter: second letter" \
    "map_click_ms:Map click"; do
    printf '%-52s %11s ms %14s\n' "${figure#*:} (median of $runs)" "$(echo "$interactions" | value "${figure%%:*}" | median)" "<= 16.7"
done
printf 'Map %s. One warm start of the date page, ms since launch at the end of each step:\n  %s\n' "$map" "$phases"

# The opening in KDE's own host, kcmshell5, under Xvfb as a Plasma session starts
# it, with a warm QML cache; medians of the same number of starts.
opening() { # plug-in, cache directory
    xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" "$here/tests/harness/run-with-buses" "$here/tests/sync/run-with-timesync" \
        --unit systemd-timesyncd.service=active --unit chrony.service=inactive -- \
        "$here/tools/kcmshell-opening.sh" "$1" "$2" 2>/dev/null
}
openings() { # plug-in, key
    opening "$1" "$caches/kcmshell-$(basename "$1")" >/dev/null
    for _ in $(seq "$runs"); do
        opening "$1" "$caches/kcmshell-$(basename "$1")" | value "$2"
    done | median
}
k_last=$(openings "$module" last_frame_ms)
k_empty_last=$(openings "$empty" last_frame_ms)
k_rss=$(openings "$module" rss_kb)
k_empty_rss=$(openings "$empty" rss_kb)
printf '%-52s %11s ms %14s\n' "kcmshell5: last frame of the opening, date page" "$k_last" ""
printf '%-52s %11s ms %14s\n' "kcmshell5: last frame of the opening, empty page" "$k_empty_last" ""
printf '%-52s %14s %14s\n' "kcmshell5: ratio date page / empty page" \
    "$(awk -v m="$k_last" -v e="$k_empty_last" 'BEGIN { printf "%.2f", m / e }')" "<= 1.30"
printf '%-52s %11s MB %14s\n' "kcmshell5: resident memory, date page" "$((k_rss / 1024))" ""
printf '%-52s %11s MB %14s\n' "kcmshell5: resident memory, empty page" "$((k_empty_rss / 1024))" "date <= +40 MB"
