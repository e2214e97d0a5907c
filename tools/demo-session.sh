#!/usr/bin/env bash
# The demo's inner half: runs on the private buses set up by run-with-buses.
set -euo pipefail

prefix=$ORB_DEMO_PREFIX
src=$ORB_DEMO_SOURCE
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || echo x86_64-linux-gnu)

export QT_PLUGIN_PATH="$prefix/lib/$multiarch/plugins${QT_PLUGIN_PATH:+:$QT_PLUGIN_PATH}"
export QML2_IMPORT_PATH="$prefix/lib/$multiarch/qml${QML2_IMPORT_PATH:+:$QML2_IMPORT_PATH}"
export XDG_DATA_DIRS="$prefix/share:/usr/local/share:/usr/share"
export ORB_ADMIN_MODE=1
# Outside a KDE session nobody picks the desktop's look for Qt; ask for it.
export QT_QUICK_CONTROLS_STYLE=${QT_QUICK_CONTROLS_STYLE:-org.kde.desktop}
# A running systemd-timesyncd, synchronized a moment ago, on a copy of the fixture
# configuration; "installing" an edited configuration only copies it inside that copy.
root="$ORB_TEST_TMPDIR/timesync-root"
cp -r "$src/tests/fixtures/timesync-root" "$root"
export ORB_TIMESYNC_ROOT="$root"
export ORB_TIMESYNC_INSTALLER="$src/tests/platform/timesync/fake-pkexec"
/usr/bin/python3 "$src/tests/platform/timesync/timesync-standin.py" --background \
    --journal "$ORB_TEST_TMPDIR/timesync-standin.jsonl" \
    --unit systemd-timesyncd.service=active --unit chrony.service=inactive \
    --server ntp1.vniiftri.ru --synced-at "$(($(date +%s) * 1000000))"

log="$ORB_TEST_TMPDIR/standins.log"
"$src/tests/harness/standins/start-standins" --log "$log" >/dev/null
echo "demo: stand-in services are running; what they receive is printed below and logged to $log" >&2

if [ -n "${DISPLAY:-}" ]; then
    kcmshell5 kcm_orb_admin_date
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
kcmshell5 kcm_orb_admin_date &
host=$!
# The page is ready once the window is mapped and has had a moment to load.
for _ in $(seq 1 150); do
    xdotool search --onlyvisible --class kcmshell5 >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 4
import -window root "$ORB_DEMO_SCREENSHOT"
kill "$host" 2>/dev/null || true
wait "$host" 2>/dev/null || true
echo "demo: screenshot written to $ORB_DEMO_SCREENSHOT"
