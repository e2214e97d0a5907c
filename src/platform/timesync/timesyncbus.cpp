// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "timesyncbus.h"

#include "timesync_debug.h"

#include "dbusorbadmindate.h"
#include "systemd1managerproxy.h"
#include "systemd1unitproxy.h"
#include "timedate1interface.h"
#include "timesync1managerproxy.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingReply>
#include <QDateTime>
#include <QLocale>

#include <KLocalizedString>

#include <limits>

namespace TimeSyncBus
{
namespace
{
const QString s_systemd = QStringLiteral("org.freedesktop.systemd1");
const QString s_systemdPath = QStringLiteral("/org/freedesktop/systemd1");
// Reads must not freeze the page for long when a service hangs.
constexpr int s_readTimeoutMs = 5000;

QString unitPath(const QString &unit)
{
    OrgFreedesktopSystemd1ManagerInterface manager(s_systemd, s_systemdPath, QDBusConnection::systemBus());
    manager.setTimeout(s_readTimeoutMs);
    QDBusPendingReply<QDBusObjectPath> path = manager.GetUnit(unit);
    path.waitForFinished();
    if (path.isError()) {
        // Installed units that nothing needs are not loaded; loading one only
        // reads its file.
        path = manager.LoadUnit(unit);
        path.waitForFinished();
    }
    return path.isError() ? QString() : path.value().path();
}
}

bool systemdReachable()
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(s_systemd).value();
}

UnitState unitState(const QString &unit)
{
    UnitState state;
    const QString path = unitPath(unit);
    if (path.isEmpty()) {
        return state;
    }
    OrgFreedesktopSystemd1UnitInterface unitObject(s_systemd, path, QDBusConnection::systemBus());
    unitObject.setTimeout(s_readTimeoutMs);
    state.activeState = unitObject.activeState();
    state.known = unitObject.loadState() == QLatin1String("loaded");
    return state;
}

bool setServers(const QString &service, const QStringList &servers, const QStringList &fallback, unsigned long long wid, QString *reason)
{
    // The client announces the window to the polkit agent and waits, drawn but
    // taking no input, for as long as the password dialog and the restart take.
    DBusOrbAdminDate client;
    client.setWId(wid);
    const QDBusMessage reply = client.SetServers(service, servers, fallback).reply();
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return true;
    }
    qCWarning(ORB_TIMESYNC) << "Setting the servers of" << service << "failed:" << reply.errorName() << reply.errorMessage();
    *reason = client.getDBusError(QDBusError(reply));
    return false;
}

bool timedatedSynchronized()
{
    OrgFreedesktopTimedate1Interface timedated(QStringLiteral("org.freedesktop.timedate1"),
                                               QStringLiteral("/org/freedesktop/timedate1"),
                                               QDBusConnection::systemBus());
    timedated.setTimeout(s_readTimeoutMs);
    return timedated.nTPSynchronized();
}

LastSynchroInfo timesyncdLastSynchronization()
{
    OrgFreedesktopTimesync1ManagerInterface timesyncd(QStringLiteral("org.freedesktop.timesync1"),
                                                      QStringLiteral("/org/freedesktop/timesync1"),
                                                      QDBusConnection::systemBus());
    timesyncd.setTimeout(s_readTimeoutMs);
    const QString server = timesyncd.serverName();
    if (server.isEmpty()) {
        return {};
    }
    // NTPMessage (uuuuittayttttbtt): the eleventh field is when the answer
    // arrived, in microseconds of the realtime clock.
    const QVariant message = timesyncd.nTPMessage();
    if (!message.canConvert<QDBusArgument>()) {
        return {QString(), QString(), server};
    }
    const QDBusArgument argument = message.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(uuuuittayttttbtt)")) {
        qCWarning(ORB_TIMESYNC) << "Unexpected NTPMessage of systemd-timesyncd:" << argument.currentSignature();
        return {QString(), QString(), server};
    }
    uint leap, version, mode, stratum;
    int precision;
    qulonglong rootDelay, rootDispersion, origin, receive, transmit, destination, packetCount, jitter;
    QByteArray reference;
    bool spike;
    argument.beginStructure();
    argument >> leap >> version >> mode >> stratum >> precision >> rootDelay >> rootDispersion >> reference >> origin >> receive >> transmit >> destination
        >> spike >> packetCount >> jitter;
    argument.endStructure();
    if (destination == 0) {
        return {QString(), QString(), server};
    }
    return displayInfo(static_cast<qint64>(destination / 1000), server);
}

LastSynchroInfo displayInfo(qint64 utcMSecs, const QString &server)
{
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(utcMSecs).toLocalTime();
    const QLocale locale;
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    // Seconds matter here; the zone name does not.
    timeFormat.remove(QLatin1Char('t'));
    return {locale.toString(when.date(), QLocale::ShortFormat), locale.toString(when.time(), timeFormat.trimmed()), server, utcMSecs};
}
}
