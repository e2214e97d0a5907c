#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# The installed date helper against the real services, run by install-test.sh
# inside its namespaces (package installed, private system bus up, and no process
# there may set the clock: CAP_SYS_TIME is out of the bounding set):
# - polkitd, with pkttyagent as the agent of a plain user's caller and an admin
#   rule naming "orbadmin", whose password the agent types;
# - systemd-timedated, activated by the bus from a service file that starts it
#   directly (its own one expects systemd);
# - systemd-timesyncd, run as its own user, and Debian's chronyd (unpacked into
#   CHRONY-DIR by tests/helper/unpack-chrony, run with -x), both started by
#   systemd-standin, which stands in for systemd's RestartUnit;
# - the helper itself, activated by the bus within its unit's limits (unit-limits).
# It checks that a cancelled password writes nothing, that saved servers are the
# ones timesyncd and chronyd then use (chrony's second save reloaded, not
# restarted), and that purging the package takes back what the helper wrote.
#   services-test.sh CHRONY-DIR
set -euo pipefail
chrony=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
pkg=kcm-orb-admin-date
dropin=/etc/systemd/timesyncd.conf.d/zz-orb-date-servers.conf
sources=/etc/chrony/sources.d/orb-date-servers.sources
timesync=(org.freedesktop.timesync1 /org/freedesktop/timesync1 org.freedesktop.timesync1.Manager)
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/run/dbus/system_bus_socket
work=$XDG_RUNTIME_DIR/services
mkdir -p "$work"

fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [ -f "$log" ] || continue
        echo "--- $log" >&2
        cat "$log" >&2
    done
    exit 1
}

# may_set_clock PID: whether CAP_SYS_TIME (bit 25) is in the process's bounding set.
may_set_clock() {
    local bounding
    bounding=$(awk '/^CapBnd:/ {print $2}' "/proc/$1/status")
    (((16#$bounding >> 25) & 1))
}
may_set_clock $$ && fail "run only by install-test.sh: this process may set the clock"

. "$here/tests/helper/agent-calls.sh"

owner_pid() {
    dbus-send --system --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.GetConnectionUnixProcessID "string:$1" | awk '{print $2}'
}

ntp_servers() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups busctl --system get-property "${timesync[@]}" "$1"
}

# save NAME SERVICE SERVER: a plain user's SetServers, with pkttyagent for the
# caller's process. Waits for the password prompt.
save() {
    start_caller "$1" orbuser 1 "$2" "$3"
    start_agent "$1" orbuser
    local caller=${1}_fd
    echo go >&"${!caller}"
    wait_for 'Password:' "$work/$1.agent" || fail "polkit did not ask $1's agent for a password: $(cat "$work/$1.agent")"
}

# --- users and the admin rule -------------------------------------------------
useradd -M -U -l -s /usr/sbin/nologin orbadmin
echo orbadmin:orb-test-password | chpasswd
useradd -M -U -l -s /usr/sbin/nologin orbuser
cat >/etc/polkit-1/rules.d/10-orb-test.rules <<'RULES'
polkit.addAdminRule(function(action, subject) {
    return ["unix-user:orbadmin"];
});
RULES

# --- activation: timedated directly, the helper within its unit's limits ---------
sed -i -e 's|^Exec=.*|Exec=/lib/systemd/systemd-timedated|' -e '/^SystemdService=/d' \
    /usr/share/dbus-1/system-services/org.freedesktop.timedate1.service
activation=/usr/share/dbus-1/system-services/ru.veltronix.orb.date.service
sed -i "s|^Exec=|Exec=$here/tests/package/unit-limits |" "$activation"
dbus-send --system --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.ReloadConfig >/dev/null
# install-test.sh's introspection started the helper without those limits.
kill "$(owner_pid ru.veltronix.orb.date)"
while owner_pid ru.veltronix.orb.date >/dev/null 2>&1; do
    sleep 0.1
done
zone=$(setpriv --reuid=nobody --regid=nogroup --clear-groups \
    busctl --system get-property org.freedesktop.timedate1 /org/freedesktop/timedate1 org.freedesktop.timedate1 Timezone) ||
    fail "timedated did not answer"
[ "$zone" = "s \"$(readlink /etc/localtime | sed 's|.*/zoneinfo/||')\"" ] || fail "timedated reports the zone $zone"
may_set_clock "$(owner_pid org.freedesktop.timedate1)" && fail "timedated may set the clock"
# The page reads timedated's three flags with one GetAll, and one by one when it
# fails. timedated fails GetAll as a whole when any property does: here NTP, which
# asks systemd, which this sandbox does not run. LocalRTC alone must still answer.
nobody_busctl() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups busctl --system "$@"
}
if ! flags=$(nobody_busctl call org.freedesktop.timedate1 /org/freedesktop/timedate1 org.freedesktop.DBus.Properties GetAll s org.freedesktop.timedate1); then
    nobody_busctl get-property org.freedesktop.timedate1 /org/freedesktop/timedate1 org.freedesktop.timedate1 LocalRTC >/dev/null ||
        fail "timedated answered neither GetAll nor LocalRTC"
else
    case "$flags" in
    *'"LocalRTC" b '*) ;;
    *) fail "timedated's GetAll lacks LocalRTC: $flags" ;;
    esac
fi

# authorized NAME SERVICE SERVER: a save that the administrator's password
# authorizes, and that succeeds.
authorized() {
    save "$@"
    local keys=${1}_agent_fd
    echo orb-test-password >&"${!keys}"
    wait_for '^reply' "$work/$1.out" || fail "the authorized save $1 was not answered"
    grep -q '^reply OK' "$work/$1.out" || fail "the authorized save $1 failed: $(cat "$work/$1.out")"
}

chrony_sources() {
    chronyc -c sources | cut -d, -f3 | sort | tr '\n' ' '
}

# --- timesyncd and chronyd, behind the stand-in for systemd ------------------------
mkdir -p /var/lib/systemd/timesync
chown systemd-timesync:systemd-timesync /var/lib/systemd/timesync
# chrony as its package would leave it, without its maintainer scripts.
cp "$chrony/usr/sbin/chronyd" /usr/sbin/
cp "$chrony/usr/bin/chronyc" /usr/bin/
useradd --system -U -M -d /var/lib/chrony -s /usr/sbin/nologin _chrony
mkdir -p /etc/chrony/conf.d /var/lib/chrony /var/log/chrony /run/chrony
chown _chrony:_chrony /var/lib/chrony /var/log/chrony /run/chrony
chmod 0750 /run/chrony
cp "$chrony/usr/share/chrony/chrony.conf" /etc/chrony/chrony.conf
"$here/tests/package/systemd-standin" \
    systemd-timesyncd.service org.freedesktop.timesync1 \
    "setpriv --reuid=systemd-timesync --regid=systemd-timesync --clear-groups --inh-caps=-all /lib/systemd/systemd-timesyncd" \
    chrony.service /run/chrony/chronyd.sock "/usr/sbin/chronyd -d -x -u _chrony -f /etc/chrony/chrony.conf" \
    >"$work/systemd.out" 2>"$work/daemons.log" &
wait_for ready "$work/systemd.out" || fail "timesyncd and chronyd did not start"
may_set_clock "$(owner_pid org.freedesktop.timesync1)" && fail "timesyncd may set the clock"
may_set_clock "$(pidof chronyd)" && fail "chronyd may set the clock"
[ "$(ntp_servers SystemNTPServers)" = "as 0" ] || fail "timesyncd has servers before any save: $(ntp_servers SystemNTPServers)"

# --- a cancelled password writes nothing ------------------------------------------
save cancelled systemd-timesyncd cancelled.example.org
# End of input at the prompt: the agent cancels the authentication.
printf '\004' >&"$cancelled_agent_fd"
wait_for '^reply' "$work/cancelled.out" || fail "the cancelled save was not answered"
grep -q '^reply OK' "$work/cancelled.out" && fail "a cancelled password authorized the save"
[ -e "$dropin" ] && fail "a cancelled save wrote $dropin: $(cat "$dropin")"

# --- an authorized save reaches timesyncd ------------------------------------------
authorized saved systemd-timesyncd saved.example.org
# The unit's CAP_SETUID and CAP_SETGID; its CAP_SYS_TIME is out of the whole sandbox.
[ "$(awk '/^CapBnd:/ {print $2}' "/proc/$(owner_pid ru.veltronix.orb.date)/status")" = 00000000000000c0 ] ||
    fail "the helper does not run within its unit's capabilities"
[ "$(ntp_servers SystemNTPServers)" = 'as 1 "saved.example.org"' ] ||
    fail "timesyncd reports $(ntp_servers SystemNTPServers) after the save"

# --- chrony: the first save disables Debian's pool and restarts, the next reloads ---
chronyd_pid=$(pidof chronyd)
authorized chrony_first chrony 127.0.0.2
[ "$(pidof chronyd)" != "$chronyd_pid" ] || fail "chronyd was not restarted to read its changed main file"
grep -qx '#orb-date-off: pool 2.debian.pool.ntp.org iburst' /etc/chrony/chrony.conf ||
    fail "the save did not disable Debian's pool line: $(cat /etc/chrony/chrony.conf)"
[ "$(chrony_sources)" = "127.0.0.2 " ] || fail "chronyd uses $(chrony_sources) after the first save"
chronyd_pid=$(pidof chronyd)
authorized chrony_second chrony 127.0.0.3
[ "$(chrony_sources)" = "127.0.0.3 " ] || fail "chronyd uses $(chrony_sources) after the second save"
[ "$(pidof chronyd)" = "$chronyd_pid" ] || fail "the second save restarted chronyd instead of reloading its sources"

# --- purge takes back what the helper wrote -----------------------------------------
dpkg --log=/dev/null --purge "$pkg" >/dev/null || fail "dpkg --purge failed"
[ -e "$dropin" ] && fail "purge left $dropin"
[ -e "$sources" ] && fail "purge left $sources"
cmp -s /etc/chrony/chrony.conf "$chrony/usr/share/chrony/chrony.conf" ||
    fail "purge did not give chrony.conf back as it was: $(diff "$chrony/usr/share/chrony/chrony.conf" /etc/chrony/chrony.conf)"
# Without systemd the postrm cannot restart timesyncd: the stand-in does.
dbus-send --system --print-reply --dest=org.freedesktop.systemd1 /org/freedesktop/systemd1 \
    org.freedesktop.systemd1.Manager.RestartUnit string:systemd-timesyncd.service string:replace >/dev/null
for _ in $(seq 100); do
    [ "$(ntp_servers SystemNTPServers 2>/dev/null)" = "as 0" ] && break
    sleep 0.1
done
[ "$(ntp_servers SystemNTPServers)" = "as 0" ] || fail "timesyncd still reports $(ntp_servers SystemNTPServers) after purge"
echo "real services: a cancelled password wrote nothing, saved servers reached timesyncd and chronyd, purge took them back"
