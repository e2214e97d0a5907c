// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>

#include <ctime>

namespace SystemClock
{
/// Sets the system clock (CLOCK_REALTIME) to `time`, then, as timedated does,
/// the hardware clock where the machine has one, in UTC or in local time as
/// /etc/adjtime says. Only the system clock decides success: a hardware clock
/// that cannot be written is logged. On failure `error` gets the reason.
bool set(const timespec &time, QString *error);

/// Whether the clock may be set to `seconds` since the epoch: from a day after
/// 1970-01-01 to a day before 2106-02-07 (the end of SetTime's unsigned 32 bits),
/// so that no zone shows a date outside 1970 to 2106 and a wait for the
/// password cannot carry the time past the end.
bool inRange(qint64 seconds);

/// Moves the system clock by `offsetSeconds` from its current reading, as a
/// synchronization does, and then the hardware clock like set(). A step that
/// would leave inRange() is refused.
bool stepBy(double offsetSeconds, QString *error);

/// set() to `requested` seconds since the epoch plus `elapsedNs`: the time that
/// has passed since the request was made, so that waiting for a password does
/// not leave the clock behind.
bool setAfter(uint requested, qint64 elapsedNs, QString *error);

/// Whether the hardware clock keeps local time: the third line of /etc/adjtime
/// is "LOCAL". Anything else, a missing file included, means UTC.
bool hardwareClockIsLocal();
}
