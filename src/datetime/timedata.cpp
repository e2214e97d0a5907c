// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "timedata.h"

#include <KLocalizedString>

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QDebug>

#include <limits>

#include "dbusorbadmindate.h"

TimeData::TimeData(std::shared_ptr<DBusOrbAdminDate> daemon, QObject *parent)
    : QObject(parent)
    , m_utc(false)
    , m_daemon(std::move(daemon))
{
    refresh();
    // Another program (or our own SetNTP) may switch synchronization while the page
    // is open; the signal spares the page a blocking property read on every tick.
    QDBusConnection::systemBus().connect(QStringLiteral("org.freedesktop.timedate1"),
                                         QStringLiteral("/org/freedesktop/timedate1"),
                                         QStringLiteral("org.freedesktop.DBus.Properties"),
                                         QStringLiteral("PropertiesChanged"),
                                         this,
                                         SLOT(m_timedatedChanged(QString, QVariantMap, QStringList)));
}

TimeData::~TimeData() = default;

bool TimeData::utc() const
{
    return m_utc;
}

bool TimeData::ntp() const
{
    return m_ntp;
}

bool TimeData::canNtp() const
{
    return m_canNtp;
}

QDateTime TimeData::earliestSettable()
{
    return QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
}

QDateTime TimeData::latestSettable()
{
    return QDateTime::fromSecsSinceEpoch(std::numeric_limits<quint32>::max(), Qt::UTC);
}

void TimeData::refresh()
{
    const DBusOrbAdminDate::ClockFlags flags = m_daemon->clockFlags();
    m_utc = !flags.localRTC;
    m_ntp = flags.ntp;
    m_canNtp = flags.canNTP;
}

void TimeData::refreshUtc()
{
    m_utc = !m_daemon->clockFlags().localRTC;
}

bool TimeData::saveUTC(bool on)
{
    if (on == m_utc) {
        return true;
    }
    QDBusPendingCall call = m_daemon->SetLocalRTC(!on, false, true);
    call.waitForFinished();
    if (call.isError()) {
        const QDBusError error = call.error();
        m_sendError(error.name(), error.message(), i18n("Unable to set utc!\n") + m_daemon->getDBusError(error));
        return false;
    }
    m_utc = on;
    return true;
}

bool TimeData::saveDateTime(QDateTime dateTime)
{
    // The helper takes unsigned 32-bit seconds: anything outside would be narrowed
    // into a different instant and written to the system clock.
    // Milliseconds, not seconds: toSecsSinceEpoch() truncates towards zero, which
    // would let the last second before the epoch through as the epoch itself.
    const qint64 msecs = dateTime.toMSecsSinceEpoch();
    const qint64 limit = (qint64(std::numeric_limits<quint32>::max()) + 1) * 1000;
    if (!dateTime.isValid() || msecs < 0 || msecs >= limit) {
        qWarning().noquote() << "Refusing to set the date and time" << dateTime.toString(Qt::ISODate) << "outside the range the system clock can be set to";
        const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
        const QString reason = dateTime.isValid()
            ? i18n("Only a date and time from %1 to %2 UTC can be set.", earliestSettable().toString(format), latestSettable().toString(format))
            : i18n("The date or the time is not valid.");
        Q_EMIT showMessage(i18n("Error"), i18n("Unable to set date and time!\n") + reason);
        return false;
    }

    QDBusPendingCall call = m_daemon->SetTime(static_cast<uint>(msecs / 1000));
    call.waitForFinished();
    if (call.isError()) {
        const QDBusError error = call.error();
        m_sendError(error.name(), error.message(), i18n("Unable to set date and time!\n") + m_daemon->getDBusError(error));
        return false;
    }
    return true;
}

bool TimeData::saveNTP(bool on)
{
    if (on == m_ntp) {
        return true;
    }
    QDBusPendingCall call = m_daemon->SetNTP(on, true);
    call.waitForFinished();
    if (call.isError()) {
        const QDBusError error = call.error();
        m_sendError(error.name(), error.message(), i18n("Unable to change the automatic date and time setting!\n") + m_daemon->getDBusError(error));
        return false;
    }
    m_ntp = on;
    return true;
}

void TimeData::m_timedatedChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated)
{
    if (interface != QLatin1String("org.freedesktop.timedate1")) {
        return;
    }
    const bool before = m_ntp;
    if (changed.contains(QStringLiteral("NTP"))) {
        m_ntp = changed.value(QStringLiteral("NTP")).toBool();
    } else if (invalidated.contains(QStringLiteral("NTP"))) {
        m_ntp = m_daemon->clockFlags().ntp;
    } else {
        return;
    }
    if (m_ntp != before) {
        Q_EMIT ntpChanged(m_ntp);
    }
}

void TimeData::m_sendError(const QString &name, const QString &message, const QString &text)
{
    qWarning().noquote() << i18n("Error in method  ") + name + QStringLiteral(" : ") + message;
    Q_EMIT showMessage(i18n("Error"), text);
}
