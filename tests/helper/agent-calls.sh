# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# Callers of the date helper, each with pkttyagent for its process, for the
# scripts that run beside the real polkitd. Sourced; the script defines fail and
# $work (a folder for the callers' pipes and output) and has
# DBUS_SYSTEM_BUS_ADDRESS set.

agent_calls_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# wait_for PATTERN FILE: whether PATTERN shows in FILE within 30 s.
wait_for() {
    for _ in $(seq 300); do
        grep -q -- "$1" "$2" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# start_caller NAME USER COUNT SERVICE SERVER: a caller of SetServers with COUNT
# connections; writing "go" to its descriptor ${NAME}_fd sends the calls, "quit"
# makes the caller leave. Its output goes to $work/NAME.out.
start_caller() {
    mkfifo "$work/$1.in"
    setpriv --reuid="$2" --regid="$2" --clear-groups "$agent_calls_scripts/bus-caller" "$3" ru.veltronix.orb.date.Servers SetServers \
        "[\"$4\", [\"$5\"], []]" '(sasas)' <"$work/$1.in" >"$work/$1.out" 2>&1 &
    eval "exec {${1}_fd}>\"$work/$1.in\""
    wait_for ready "$work/$1.out" || fail "caller $1 did not connect"
}

# start_agent NAME USER: pkttyagent for the caller NAME's process, on a terminal
# of its own; ${NAME}_agent_fd is its keyboard, $work/NAME.agent its screen.
start_agent() {
    local pid
    pid=$(awk '/^ready/ {print $2}' "$work/$1.out")
    mkfifo "$work/$1.keys"
    setpriv --reuid="$2" --regid="$2" --clear-groups script -qfc "pkttyagent --process $pid" /dev/null \
        <"$work/$1.keys" >"$work/$1.agent" 2>&1 &
    eval "exec {${1}_agent_fd}>\"$work/$1.keys\""
    # Registered once polkitd has answered it; nothing is printed then.
    sleep 2
}
