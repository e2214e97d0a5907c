#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# Installs the Debian package with dpkg into a throw-away view of this machine and
# checks that it works from the installed files alone: a private system bus that
# reads the installed configuration activates the installed date helper for an
# ordinary user, polkit knows the installed actions and KDE finds the plug-in.
#
# Usage (as root): tests/package/install-test.sh [PACKAGE.deb]
# Without an argument it builds the package with tools/package.sh first.
#
# Everything happens in private mount, PID and network namespaces: /usr, /etc and /var are
# overlays whose changes live in a tmpfs, /run is a fresh tmpfs (so the bus sits
# at the standard path and no running systemd or bus is reached). The real system
# is checked afterwards to have neither the package nor its files. CAP_SYS_TIME
# is out of the namespaces' bounding set: nothing started there can set the
# clock. services-test.sh then runs the installed helper against the real
# services and purges the package.
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
pkg=kcm-orb-admin-date
service=ru.veltronix.orb.date

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [ -z "${ORB_PACKAGE_TEST_INSIDE:-}" ]; then
    [ "$(id -u)" -eq 0 ] || fail "needs root (dpkg, mounts and the bus's launch helper)"
    if [ $# -ge 1 ]; then
        deb=$(realpath "$1")
    else
        deb=$("$here/tools/package.sh" | tee >(cat >&2) | tail -n 1)
    fi
    [ -f "$deb" ] || fail "no package at $deb"
    # Downloaded here: the namespace has no network.
    chrony=$here/build-package/chrony
    "$here/tests/helper/unpack-chrony" "$chrony" >/dev/null || fail "cannot unpack chrony into $chrony (apt-get download chrony)"
    dpkg-query -W "$pkg" >/dev/null 2>&1 && fail "dpkg knows $pkg on this system already; purge it first"
    activation=/usr/share/dbus-1/system-services/$service.service
    had_activation=$(test -e "$activation" && echo yes || echo no)

    # The namespace mounts a tmpfs over this folder: only the empty folder is real.
    scratch=$(mktemp -d /tmp/orb-package-test.XXXXXX)
    status=0
    ORB_PACKAGE_TEST_INSIDE=1 setpriv --bounding-set -sys_time unshare --mount --propagation private --pid --fork --mount-proc --net \
        "$0" "$deb" "$scratch" "$chrony" || status=$?
    rmdir "$scratch"

    # The namespace must not have leaked into the real system.
    dpkg-query -W "$pkg" >/dev/null 2>&1 && fail "the package reached the real dpkg database"
    [ "$(test -e "$activation" && echo yes || echo no)" = "$had_activation" ] || fail "the package's files reached the real /usr"
    [ "$status" -eq 0 ] || fail "install test failed (status $status)"
    echo "1 passed, 0 failed"
    exit 0
fi

# --- inside the namespaces ---------------------------------------------------
deb=$1
scratch=$2
chrony=$3
mount -t tmpfs tmpfs "$scratch"
mkdir -p "$scratch/home"
export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch XDG_CACHE_HOME=$scratch/home/.cache XDG_CONFIG_HOME=$scratch/home/.config
for dir in usr etc var; do
    mkdir -p "$scratch/$dir/upper" "$scratch/$dir/work"
    mount -t overlay overlay \
        -o "lowerdir=/$dir,upperdir=$scratch/$dir/upper,workdir=$scratch/$dir/work" "/$dir"
done
mount -t tmpfs -o mode=755 tmpfs /run
mkdir -p /run/dbus /run/lock

# Depends must name what only shows at run time; the libraries come from shlibdeps.
depends=$(dpkg-deb -f "$deb" Depends)
for need in ntpsec-ntpdig polkitd kde-cli-tools qml-module-qtquick2 qml-module-qtquick-controls2 \
    qml-module-qtquick-layouts qml-module-qtquick-window2 qml-module-org-kde-kcm \
    qml-module-org-kde-kirigami2 libqt5dbus5 libkf5i18n5; do
    grep -Eq "(^|[ ,|])$need( |,|$)" <<<"$depends" || fail "Depends lacks $need: $depends"
done

# A plain install: every dependency is present on a machine that ran install-deps.
dpkg --log=/dev/null -i "$deb" || fail "dpkg -i failed"

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
plugins=/usr/lib/$multiarch/qt5/plugins
qml=/usr/lib/$multiarch/qt5/qml
helper=/usr/lib/$multiarch/libexec/orb-date-helper
for f in "$helper" \
    "$plugins/plasma/kcms/systemsettings/kcm_orb_admin_date.so" \
    "$qml/ru/nimbolinux/orbadmindate/qmldir" \
    /usr/share/kpackage/kcms/kcm_orb_admin_date/contents/ui/main.qml \
    /usr/share/locale/ru/LC_MESSAGES/kcm_orb_admin_date.mo \
    "/usr/share/dbus-1/system-services/$service.service" \
    "/usr/share/dbus-1/system.d/$service.conf" \
    "/usr/share/polkit-1/actions/$service.policy" \
    /usr/share/qlogging-categories5/kcm_orb_admin_date.categories \
    /usr/lib/systemd/system/orb-date-helper.service; do
    [ -f "$f" ] || fail "not installed: $f"
    dpkg -S "$f" >/dev/null 2>&1 || fail "not owned by the package: $f"
done

# The unit's hardening, as systemd scores it (0 best, 10 worst).
unit=/usr/lib/systemd/system/orb-date-helper.service
exposure=$(systemd-analyze security --offline=true "$unit" 2>/dev/null | sed -n 's/.*Overall exposure level for .*: \([0-9.]*\) .*/\1/p')
awk -v e="$exposure" 'BEGIN { exit !(e != "" && e <= 2.8) }' || fail "$unit is exposed to ${exposure:-an unknown level}, above 2.8"

# KDE's own host lists the module from the installed plug-in and its metadata.
modules=$(QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus kcmshell5 --list 2>/dev/null)
grep -q '^kcm_orb_admin_date *- ' <<<"$modules" || fail "kcmshell5 --list does not show kcm_orb_admin_date"

# The system bus as Debian starts it, minus systemd activation: the installed
# system.conf, which reads system.d and system-services.
dbus-daemon --system --nofork --nopidfile &
bus=$!
for _ in $(seq 100); do
    [ -S /run/dbus/system_bus_socket ] && break
    sleep 0.1
done
[ -S /run/dbus/system_bus_socket ] || fail "the private system bus did not start"

# An ordinary user may introspect the helper (the installed bus policy), and the
# call activates it through the bus's launch helper as the service file says.
introspection=$(setpriv --reuid=nobody --regid=nogroup --clear-groups \
    dbus-send --system --print-reply --reply-timeout=20000 --dest="$service" / \
    org.freedesktop.DBus.Introspectable.Introspect) || fail "Introspect of $service failed"
grep -q "interface name=\"$service.Manager\"" <<<"$introspection" || fail "no $service.Manager in: $introspection"

pid=$(dbus-send --system --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetConnectionUnixProcessID "string:$service" | awk '{print $2}')
[ "$(readlink "/proc/$pid/exe")" = "$helper" ] || fail "$service is served by $(readlink "/proc/$pid/exe"), not $helper"
[ "$(stat -c %u "/proc/$pid")" = 0 ] || fail "the helper does not run as root"

# polkitd, itself activated on this bus, reads the installed actions.
action=$(pkaction --action-id "$service.set-time" --verbose) || fail "polkit does not know $service.set-time"
grep -q 'implicit active: *auth_admin_keep' <<<"$action" || fail "polkit reads other defaults for $service.set-time: $action"

echo "installed package: helper activated from $helper, polkit actions and plug-in found"
"$here/tests/package/services-test.sh" "$chrony"
kill "$bus"
