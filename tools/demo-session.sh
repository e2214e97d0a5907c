#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# The demo's inner half: runs on the private buses set up by run-with-buses.
set -euo pipefail

prefix=$ORB_DEMO_PREFIX
src=$ORB_DEMO_SOURCE
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || echo x86_64-linux-gnu)

export QT_PLUGIN_PATH="$prefix/lib/$multiarch/plugins${QT_PLUGIN_PATH:+:$QT_PLUGIN_PATH}"
export QML2_IMPORT_PATH="$prefix/lib/$multiarch/qml${QML2_IMPORT_PATH:+:$QML2_IMPORT_PATH}"
export XDG_DATA_DIRS="$prefix/share:/usr/local/share:/usr/share"
export ORB_ADMIN_MODE=1
tmp=$ORB_TEST_TMPDIR

# What a Plasma session sets: the KDE platform theme then reads kdeglobals for
# the style, colours and icons.
export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
export QT_QUICK_CONTROLS_STYLE=org.kde.desktop
scheme=${ORB_DEMO_SCHEME:-BreezeLight}
{
    cat "/usr/share/color-schemes/$scheme.colors"
    printf '\n[General]\nColorScheme=%s\n\n[Icons]\nTheme=%s\n\n[KDE]\nwidgetStyle=Breeze\n' \
        "$scheme" "$([ "$scheme" = BreezeDark ] && echo breeze-dark || echo breeze)"
} > "$XDG_CONFIG_HOME/kdeglobals"

# The zone: demo.sh gave us a mount namespace; /etc becomes a copy there, which
# the stand-in timedated rewrites on SetTimezone.
zone=Europe/Moscow
if [ -n "${ORB_DEMO_PRIVATE_ETC:-}" ]; then
    cp -a /etc "$tmp/etc"
    mount --bind "$tmp/etc" /etc
    ln -sfn "/usr/share/zoneinfo/$zone" /etc/localtime
    echo "$zone" > /etc/timezone
    zone_options=(--etc /etc)
else
    echo "demo: no private /etc (run tools/demo.sh); applying a time zone changes nothing" >&2
    zone_options=()
fi
# The time: the page's clock runs at the real one plus the offset in this file.
faketime_file="$tmp/faketime"
echo "+0" > "$faketime_file"
faketime_lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n 1 || true)
host=(kcmshell5 kcm_orb_admin_date)
if [ -n "$faketime_lib" ]; then
    # Timers and animations keep the real monotonic clock.
    host=(env LD_PRELOAD="$faketime_lib" FAKETIME_TIMESTAMP_FILE="$faketime_file" FAKETIME_NO_CACHE=1
          FAKETIME_DONT_FAKE_MONOTONIC=1 "${host[@]}")
else
    echo "demo: libfaketime is missing (tools/install-deps.sh); applying a time changes nothing" >&2
fi
# A running systemd-timesyncd, synchronized a moment ago, on a copy of the fixture
# configuration; an edited server list goes to the stand-in date helper, which
# stores it in that copy, where the page reads it back.
root="$ORB_TEST_TMPDIR/timesync-root"
cp -r "$src/tests/fixtures/timesync-root" "$root"
export ORB_TIMESYNC_ROOT="$root"
log="$ORB_TEST_TMPDIR/standins.log"
"$src/tests/harness/standins/start-standins" --log "$log" --timezone "$zone" "${zone_options[@]}" \
    --faketime-file "$faketime_file" --timesync-root "$root" \
    --unit systemd-timesyncd.service=active --unit chrony.service=inactive \
    --server ntp1.vniiftri.ru --synced-at "$(($(date +%s) * 1000000))" >/dev/null
echo "demo: stand-in services are running; what they receive is printed below and logged to $log" >&2

if [ -n "${DISPLAY:-}" ]; then
    "${host[@]}"
    exit 0
fi

# No display: a virtual one, a screenshot, and done.
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
    xdpyinfo -display "$display" >/dev/null 2>&1 && break
    sleep 0.1
done
export DISPLAY=$display
"${host[@]}" &
host_pid=$!
# The page is ready once the window is mapped and has had a moment to load.
for _ in $(seq 1 150); do
    xdotool search --onlyvisible --class kcmshell5 >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 4
import -window root "$ORB_DEMO_SCREENSHOT"
kill "$host_pid" 2>/dev/null || true
wait "$host_pid" 2>/dev/null || true
echo "demo: screenshot written to $ORB_DEMO_SCREENSHOT"
