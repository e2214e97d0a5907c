#pragma once

#include <QString>

#include <ctime>

namespace SystemClock {
/// Sets the system clock (CLOCK_REALTIME) to `time`, then, as timedated does,
/// the hardware clock where the machine has one, in UTC or in local time as
/// /etc/adjtime says. Only the system clock decides success: a hardware clock
/// that cannot be written is logged. On failure `error` gets the reason.
bool set(const timespec &time, QString *error);

/// Moves the system clock by `offsetSeconds` from its current reading, as a
/// synchronization does, and then the hardware clock like set().
bool stepBy(double offsetSeconds, QString *error);

/// Whether the hardware clock keeps local time: the third line of /etc/adjtime
/// is "LOCAL". Anything else, a missing file included, means UTC.
bool hardwareClockIsLocal();
}
