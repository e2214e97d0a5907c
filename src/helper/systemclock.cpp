// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "systemclock.h"

#include "helper_debug.h"

#include "testhooks.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <linux/rtc.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace SystemClock
{
namespace
{
constexpr long nanosecondsPerSecond = 1000000000L;

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The test build writes what it would do to the clock log instead.
bool record(const QString &line, QString *error)
{
    const QString path = TestHooks::clockLogFile();
    QFile log(path);
    if (path.isEmpty() || !log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        *error = QStringLiteral("The test build changes no clock, and its clock log \"%1\" cannot be written").arg(path);
        return false;
    }
    log.write(line.toUtf8() + '\n');
    return true;
}

QString rtcDevice()
{
    for (const QString &name : {QStringLiteral("/dev/rtc"), QStringLiteral("/dev/rtc0")}) {
        const QString path = TestHooks::rooted(name);
        if (QFileInfo::exists(path)) {
            return path;
        }
    }
    return QString();
}

void setHardwareClock(time_t seconds)
{
    const QString device = rtcDevice();
    if (device.isEmpty()) {
        qCDebug(ORB_HELPER) << "No hardware clock; only the system clock was set";
        return;
    }
    const bool local = hardwareClockIsLocal();
    tm broken{};
    if (!(local ? localtime_r(&seconds, &broken) : gmtime_r(&seconds, &broken))) {
        qCWarning(ORB_HELPER) << "The hardware clock was not set: the time cannot be broken down";
        return;
    }
    if (TestHooks::enabled()) {
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &broken);
        QString error;
        if (!record(QStringLiteral("rtc %1 %2").arg(local ? QStringLiteral("local") : QStringLiteral("utc"), QString::fromLatin1(text)), &error)) {
            qCWarning(ORB_HELPER) << "The hardware clock was not set:" << error;
        }
        return;
    }
    rtc_time rtc{};
    rtc.tm_sec = broken.tm_sec;
    rtc.tm_min = broken.tm_min;
    rtc.tm_hour = broken.tm_hour;
    rtc.tm_mday = broken.tm_mday;
    rtc.tm_mon = broken.tm_mon;
    rtc.tm_year = broken.tm_year;
    rtc.tm_wday = broken.tm_wday;
    rtc.tm_yday = broken.tm_yday;
    rtc.tm_isdst = 0;
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        qCWarning(ORB_HELPER) << "The hardware clock was not set: cannot open" << device << errnoText(errno);
        return;
    }
    if (::ioctl(fd, RTC_SET_TIME, &rtc) < 0) {
        qCWarning(ORB_HELPER) << "The hardware clock was not set:" << errnoText(errno);
    }
    ::close(fd);
}
}

bool hardwareClockIsLocal()
{
    QFile adjtime(TestHooks::rooted(QStringLiteral("/etc/adjtime")));
    if (!adjtime.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    const QList<QByteArray> lines = adjtime.readAll().split('\n');
    return lines.size() >= 3 && lines.at(2).trimmed() == "LOCAL";
}

bool set(const timespec &time, QString *error)
{
    if (TestHooks::enabled()) {
        if (!record(QStringLiteral("clock %1.%2").arg(qint64(time.tv_sec)).arg(qint64(time.tv_nsec), 9, 10, QLatin1Char('0')), error)) {
            return false;
        }
    } else if (::clock_settime(CLOCK_REALTIME, &time) != 0) {
        *error = QStringLiteral("The system clock could not be set: %1").arg(errnoText(errno));
        return false;
    }
    setHardwareClock(time.tv_sec);
    return true;
}

bool inRange(qint64 seconds)
{
    constexpr qint64 day = 24 * 60 * 60;
    return seconds >= day && seconds <= qint64(std::numeric_limits<uint>::max()) - day;
}

bool stepBy(double offsetSeconds, QString *error)
{
    // A step may only reach what SetTime could have set. The first test keeps
    // the arithmetic below within time_t.
    constexpr double longestStep = 4294967296.0;
    if (!std::isfinite(offsetSeconds) || std::abs(offsetSeconds) >= longestStep) {
        *error = QStringLiteral("The clock offset %1 s is not plausible").arg(offsetSeconds);
        return false;
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const double whole = std::floor(offsetSeconds);
    timespec target{};
    target.tv_sec = now.tv_sec + static_cast<time_t>(whole);
    target.tv_nsec = now.tv_nsec + std::lround((offsetSeconds - whole) * nanosecondsPerSecond);
    while (target.tv_nsec >= nanosecondsPerSecond) {
        target.tv_nsec -= nanosecondsPerSecond;
        ++target.tv_sec;
    }
    if (!inRange(target.tv_sec)) {
        *error = QStringLiteral("A step of %1 s would set the clock outside the range from 1970 to 2106").arg(offsetSeconds);
        return false;
    }
    return set(target, error);
}

bool setAfter(uint requested, qint64 elapsedNs, QString *error)
{
    const qint64 elapsed = std::max<qint64>(elapsedNs, 0);
    timespec target{};
    target.tv_sec = static_cast<time_t>(requested) + static_cast<time_t>(elapsed / nanosecondsPerSecond);
    target.tv_nsec = static_cast<long>(elapsed % nanosecondsPerSecond);
    return set(target, error);
}
}
