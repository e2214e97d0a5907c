#!/bin/bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# The date helper's Servers interface against the real polkitd, run inside
# tests/helper/with-real-polkit: pkttyagent, for one caller's process, holds that
# caller's check at the password prompt as long as the test wishes.
#   real-polkit-test.sh HELPER CHRONY-DIR
# - A caller that leaves while polkit asks for the password has its check
#   cancelled: the password typed afterwards authorizes nothing, and nothing is
#   written.
# - One plain user with 40 connections, one check held at the prompt, delays
#   no administrator's save.
set -euo pipefail
helper=$1
scripts=$(cd "$(dirname "$0")" && pwd)
chronyd=$("$scripts/unpack-chrony" "$2")
work=$ORB_REAL_POLKIT_SCRATCH/test
mkdir -p "$work"
sources=$work/root/etc/chrony/sources.d/orb-date-servers.sources
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

. "$scripts/agent-calls.sh"

# An administrator's file without sources: a save writes only our sources file,
# which chronyc's reload (here the stand-in program) picks up.
mkdir -p "$work/root/etc/chrony/sources.d"
echo "sourcedir /etc/chrony/sources.d" >"$work/root/etc/chrony/chrony.conf"
ORB_HELPER_TEST_ROOT=$work/root ORB_HELPER_TEST_CHRONYD=$chronyd ORB_HELPER_TEST_CHRONYC=$scripts/fake-chronyc \
    "$helper" --idle-timeout 0 >"$work/helper.log" 2>&1 &
helper_pid=$!
for _ in $(seq 100); do
    busctl --system status ru.veltronix.orb.date >/dev/null 2>&1 && break
    sleep 0.1
done

# --- a caller that leaves while polkit asks for the password ---
start_caller leaver orbuser 1 chrony left.example.org
start_agent leaver orbuser
echo go >&"$leaver_fd"
wait_for 'Password:' "$work/leaver.agent" || fail "polkit did not ask the leaver's agent for a password: $(cat "$work/leaver.agent")"
echo quit >&"$leaver_fd"
wait_for 'Cancelled the check' "$work/helper.log" || fail "the helper did not see the caller leave"
echo orb-test-password >&"$leaver_agent_fd"
wait_for '==== AUTHENTICATION' "$work/leaver.agent" || true
grep -q 'AUTHENTICATION COMPLETE' "$work/leaver.agent" && fail "the password still authorized the check of a caller that had left"
[ -e "$sources" ] && fail "a save of a caller that had left was written: $(cat "$sources")"

# --- one plain user floods with 40 connections while an administrator saves ---
start_caller flood orbuser 40 chrony flood.example.org
start_agent flood orbuser
echo go >&"$flood_fd"
wait_for 'Password:' "$work/flood.agent" || fail "polkit did not ask the flooding user's agent for a password"
start_caller admin orbadmin 1 chrony admin.example.org
echo go >&"$admin_fd"
wait_for '^reply' "$work/admin.out" || true
grep -q '^reply OK' "$work/admin.out" || fail "the administrator's save was not answered with success: $(cat "$work/admin.out")"
grep -q '^server admin.example.org' "$sources" 2>/dev/null || fail "the administrator's servers were not written"
[ "$(grep -c 'LimitsExceeded' "$work/flood.out")" -ge 36 ] || fail "one user's 40 connections were not bounded together: $(sort "$work/flood.out" | uniq -c)"
grep -q '^reply OK' "$work/flood.out" && fail "a check held at the password prompt was answered with success"
echo quit >&"$flood_fd"
echo quit >&"$admin_fd"

kill "$helper_pid"
if [ "$failures" -ne 0 ]; then
    echo "--- helper log" >&2
    cat "$work/helper.log" >&2
    exit 1
fi
echo "real polkit: abandoned check cancelled, flooding user bounded, administrator served"
