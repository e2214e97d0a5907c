#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# The opening in kcmshell5 of builds of the page and of the empty module, all
# started in turn in one run so that the machine's load falls on each alike.
# Prints, per module, the median and range of the opening's last frame and of the
# resident memory, and the ratios to the empty module (from the last build).
# Usage: tools/compare-opening.sh <starts> <build dir>...
# The page is drawn as tools/bench.sh draws it, on Qt's off-screen platform with the
# software scene graph, unless ORB_BENCH_QPA=xcb puts it on the Xvfb screen (at
# 1920x1080, where the host's window is not squeezed as on the 800x600 off-screen
# one) and ORB_BENCH_SCENEGRAPH=opengl draws it with OpenGL (Mesa's software one here).
# Each build directory needs the targets that tools/bench.sh builds; one made of
# links (bin from one build, qml from another) compares a part of a change.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
starts=$1
shift

export QT_QPA_PLATFORM=${ORB_BENCH_QPA:-offscreen}
if [ "${ORB_BENCH_SCENEGRAPH:-software}" = opengl ]; then
    unset QT_QUICK_BACKEND
else
    export QT_QUICK_BACKEND=software
fi
export ORB_ADMIN_MODE=1 TZ=Europe/Moscow LANGUAGE=en_US:C LANG=C.UTF-8
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus
caches=$(mktemp -d)
results=$(mktemp -d)
trap 'rm -rf "$caches" "$results"' EXIT

plugin() { find "$1/bin" -name 'kcm_orb_admin_date.so' | head -1; }

opening() { # name, build dir, plug-in
    QML2_IMPORT_PATH="$2/qml" QT_PLUGIN_PATH="$2/bin" XDG_DATA_DIRS="$2/share:/usr/local/share:/usr/share" \
        xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" "$here/tests/harness/run-with-buses" "$here/tests/sync/run-with-timesync" \
        --unit systemd-timesyncd.service=active --unit chrony.service=inactive -- \
        "$here/tools/kcmshell-opening.sh" "$3" "$caches/$1" 2>/dev/null
}

builds=()
for dir in "$@"; do
    builds+=("$(realpath -s "$dir")")
done
last="${builds[-1]}"
names=(empty)
dirs=("$last")
plugins=("$last/bench/kcm_orb_bench_empty.so")
for dir in "${builds[@]}"; do
    names+=("${#names[@]}:$(basename "$(dirname "$dir")")/$(basename "$dir")")
    dirs+=("$dir")
    plugins+=("$(plugin "$dir")")
done
# One start each fills its QML cache; the figures are of the starts after it.
# Every other round runs in reverse, so that no module always follows the same one.
for run in $(seq 0 "$starts"); do
    order=("${!names[@]}")
    if [ $((run % 2)) = 1 ]; then
        mapfile -t order < <(printf '%s\n' "${order[@]}" | tac)
    fi
    for i in "${order[@]}"; do
        out=$results/$i
        [ "$run" = 0 ] && out=/dev/null
        opening "$i" "${dirs[$i]}" "${plugins[$i]}" >>"$out"
    done
done

stats() { # file, key: median and range
    sed -n "s/^$2=//p" "$1" | sort -n | awk '{ v[NR] = $1 } END { printf "%s %s %s", v[int((NR + 1) / 2)], v[1], v[NR] }'
}
read -r empty_last _ _ <<<"$(stats "$results/0" last_frame_ms)"
read -r empty_rss _ _ <<<"$(stats "$results/0" rss_kb)"
printf '%s platform, %s scene graph; load average %s; medians of %s starts, range in brackets\n' \
    "$QT_QPA_PLATFORM" "${QT_QUICK_BACKEND:-opengl}" "$(cut -d' ' -f1-3 /proc/loadavg)" "$starts"
read -r empty_cpu _ _ <<<"$(stats "$results/0" cpu_ms)"
printf '%-32s %22s %6s %20s %9s %20s %6s\n' module "last frame ms" ratio "resident MB" "vs empty" "processor ms" ratio
for i in "${!names[@]}"; do
    read -r last low high <<<"$(stats "$results/$i" last_frame_ms)"
    read -r rss rlow rhigh <<<"$(stats "$results/$i" rss_kb)"
    read -r cpu clow chigh <<<"$(stats "$results/$i" cpu_ms)"
    printf '%-32s %8s [%5s-%5s] %6s %8s [%4s-%4s] %+9s %8s [%4s-%4s] %6s\n' "${names[$i]}" "$last" "$low" "$high" \
        "$(awk -v m="$last" -v e="$empty_last" 'BEGIN { printf "%.2f", m / e }')" \
        "$((rss / 1024))" "$((rlow / 1024))" "$((rhigh / 1024))" "$(((rss - empty_rss) / 1024))" \
        "$cpu" "$clow" "$chigh" "$(awk -v m="$cpu" -v e="$empty_cpu" 'BEGIN { printf "%.2f", m / e }')"
done
