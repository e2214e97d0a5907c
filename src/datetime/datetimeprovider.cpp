// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "datetimeprovider.h"

#include <QDateTime>
#include <QDebug>

#include "dbusorbadmindate.h"
#include "timedata.h"

std::unique_ptr<TimeData> DateTimeProvider::m_timeData;
QDate DateTimeProvider::m_savedDate = QDate::currentDate();
QTime DateTimeProvider::m_savedTime = QTime::currentTime();
bool DateTimeProvider::m_savedUTC = false;
bool DateTimeProvider::m_savedNTP = false;
std::vector<bool> DateTimeProvider::m_changed(4, false);
std::vector<bool> DateTimeProvider::m_kept(4, false);

DateTimeProvider::DateTimeProvider(QObject *parent)
    : QObject(parent)
{
}

DateTimeProvider::~DateTimeProvider() = default;

void DateTimeProvider::m_notify()
{
    Instances<DateTimeProvider>::notify(&DateTimeProvider::stateChanged);
}

bool DateTimeProvider::shownUTC()
{
    return changed(UTC) ? m_savedUTC : getUTC();
}

bool DateTimeProvider::shownNTP()
{
    return changed(NTP) ? m_savedNTP : getNTP();
}

bool DateTimeProvider::ntpSwitchable()
{
    return canNTP() || getNTP();
}

void DateTimeProvider::m_followNtp(bool on)
{
    // A choice made here stays, and counts as a change only while it differs.
    setNTP(changed(NTP) ? m_savedNTP : on);
}

void DateTimeProvider::setDaemon(std::shared_ptr<DBusOrbAdminDate> daemon)
{
    m_timeData.reset();
    if (daemon) {
        m_timeData = std::make_unique<TimeData>(std::move(daemon), nullptr);
        // Made before any instance relays the signal: the page then sees the state followed.
        connect(m_timeData.get(), &TimeData::ntpChanged, m_timeData.get(), &DateTimeProvider::m_followNtp);
    }
    m_notify();
}

QDate DateTimeProvider::savedDate()
{
    return m_savedDate;
}

QTime DateTimeProvider::savedTime()
{
    return m_savedTime;
}

bool DateTimeProvider::savedUTC()
{
    return m_savedUTC;
}

bool DateTimeProvider::savedNTP()
{
    return m_savedNTP;
}

TimeData *DateTimeProvider::timeData()
{
    return m_timeData.get();
}

bool DateTimeProvider::getUTC()
{
    if (!m_timeData) {
        qCritical("ptr to TimeData is empty");
        return false;
    }
    return m_timeData->utc();
}

void DateTimeProvider::saveSettings()
{
    // Synchronization goes off first: a time set by hand would be overwritten by it.
    m_kept[NTP] = !saveNTP();
    m_kept[Date] = m_kept[Time] = !saveDateTime();
    m_kept[UTC] = !saveUTC();
    m_notify();
}

void DateTimeProvider::load()
{
    if (m_timeData) {
        // Once per instance and writer: every load reconnecting would repeat each
        // failure as many times as the page has been loaded.
        connect(m_timeData.get(), &TimeData::showMessage, this, &DateTimeProvider::showMessage, Qt::UniqueConnection);
        connect(m_timeData.get(), &TimeData::ntpChanged, this, &DateTimeProvider::ntpChanged, Qt::UniqueConnection);
    }
    if (m_timeData) {
        m_timeData->refresh();
    }
    // After a failed save the edit stays, so that the user can try again; the
    // flags tell what is kept. Only once: a later load shows the system again.
    const auto keep = [](Value value) {
        return m_kept[value] && m_changed[value];
    };
    if (!keep(Date)) {
        m_savedDate = QDate::currentDate();
        m_changed[Date] = false;
    }
    if (!keep(Time)) {
        m_savedTime = QTime::currentTime();
        m_changed[Time] = false;
    }
    if (!keep(UTC)) {
        m_savedUTC = getUTC();
        m_changed[UTC] = false;
    }
    if (!keep(NTP)) {
        m_savedNTP = getNTP();
        m_changed[NTP] = false;
    }
    m_kept.assign(4, false);
    m_notify();
}

void DateTimeProvider::setChanged(DateTimeProvider::Value value, bool changed)
{
    const auto index = static_cast<size_t>(value);
    if (index >= m_changed.size()) {
        qWarning() << Q_FUNC_INFO << "no such value" << static_cast<int>(value);
        return;
    }
    m_changed[index] = changed;
    m_notify();
}

bool DateTimeProvider::changed(DateTimeProvider::Value value)
{
    const auto index = static_cast<size_t>(value);
    return index < m_changed.size() && m_changed[index];
}

bool DateTimeProvider::needsSave()
{
    return std::find(m_changed.cbegin(), m_changed.cend(), true) != m_changed.cend();
}

void DateTimeProvider::setDate(int year, int month, int day)
{
    m_savedDate = QDate(year, month + 1, day);
    m_updateDateChanged();
}

void DateTimeProvider::setTime(int hours, int minutes, int seconds)
{
    m_savedTime = QTime(hours, minutes, seconds, QTime::currentTime().msec());
}

void DateTimeProvider::setUTC(bool utc)
{
    m_savedUTC = utc;
    m_updateUTCChanged();
}

bool DateTimeProvider::getNTP()
{
    return m_timeData && m_timeData->ntp();
}

bool DateTimeProvider::canNTP()
{
    return m_timeData && m_timeData->canNtp();
}

void DateTimeProvider::setNTP(bool on)
{
    m_savedNTP = on;
    m_changed[NTP] = getNTP() != on;
    if (on) {
        m_changed[Date] = false;
        m_changed[Time] = false;
    }
    m_notify();
}

bool DateTimeProvider::saveNTP()
{
    if (!changed(NTP)) {
        return true;
    }
    if (!m_timeData) {
        qCritical("ptr to TimeData is empty");
        return false;
    }
    return m_timeData->saveNTP(m_savedNTP);
}

bool DateTimeProvider::saveDateTime()
{
    if (!changed(Date) && !changed(Time)) {
        return true;
    }
    QDateTime dateTime = QDateTime::currentDateTime();
    if (changed(Date)) {
        dateTime.setDate(m_savedDate);
    }
    if (changed(Time)) {
        dateTime.setTime(m_savedTime);
    }
    // An impossible edit (31 February, 25 o'clock) must not turn into some other
    // instant: an invalid value is refused by the writer.
    if ((changed(Date) && !m_savedDate.isValid()) || (changed(Time) && !m_savedTime.isValid())) {
        dateTime = QDateTime();
    }
    if (!m_timeData) {
        qCritical("ptr to TimeData is empty");
        return false;
    }
    return m_timeData->saveDateTime(dateTime);
}

bool DateTimeProvider::saveUTC()
{
    if (!changed(UTC)) {
        return true;
    }
    if (!m_timeData) {
        qCritical("ptr to TimeData is empty");
        return false;
    }
    return m_timeData->saveUTC(m_savedUTC);
}

void DateTimeProvider::m_updateDateChanged()
{
    m_changed[Date] = QDate::currentDate() != m_savedDate;
    m_notify();
}

void DateTimeProvider::m_updateUTCChanged()
{
    if (m_timeData) {
        m_timeData->refreshUtc();
    }
    m_changed[UTC] = getUTC() != m_savedUTC;
    m_notify();
}
