#include "timesyncbus.h"

#include "timesync_debug.h"

#include "dbusorbadmindate.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
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
const QString s_manager = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString s_unitInterface = QStringLiteral("org.freedesktop.systemd1.Unit");
// Reads must not freeze the page for long when a service hangs.
constexpr int s_readTimeoutMs = 5000;

QDBusMessage callSystemd(const QString &method, const QVariantList &args, int timeout = s_readTimeoutMs)
{
    QDBusMessage message = QDBusMessage::createMethodCall(s_systemd, s_systemdPath, s_manager, method);
    message.setArguments(args);
    return QDBusConnection::systemBus().call(message, QDBus::Block, timeout);
}

QString unitPath(const QString &unit)
{
    QDBusMessage reply = callSystemd(QStringLiteral("GetUnit"), {unit});
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // Installed units that nothing needs are not loaded; loading one only
        // reads its file.
        reply = callSystemd(QStringLiteral("LoadUnit"), {unit});
    }
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return QString();
    }
    return reply.arguments().constFirst().value<QDBusObjectPath>().path();
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
    const QString loadState = property(s_systemd, path, s_unitInterface, QStringLiteral("LoadState")).toString();
    state.activeState = property(s_systemd, path, s_unitInterface, QStringLiteral("ActiveState")).toString();
    state.known = loadState == QLatin1String("loaded");
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
    return property(QStringLiteral("org.freedesktop.timedate1"),
                    QStringLiteral("/org/freedesktop/timedate1"),
                    QStringLiteral("org.freedesktop.timedate1"),
                    QStringLiteral("NTPSynchronized"))
        .toBool();
}

LastSynchroInfo timesyncdLastSynchronization()
{
    const QString service = QStringLiteral("org.freedesktop.timesync1");
    const QString path = QStringLiteral("/org/freedesktop/timesync1");
    const QString interface = QStringLiteral("org.freedesktop.timesync1.Manager");
    const QString server = property(service, path, interface, QStringLiteral("ServerName")).toString();
    if (server.isEmpty()) {
        return {};
    }
    // NTPMessage (uuuuittayttttbtt): the eleventh field is when the answer
    // arrived, in microseconds of the realtime clock.
    const QVariant message = property(service, path, interface, QStringLiteral("NTPMessage"));
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

QVariant property(const QString &service, const QString &path, const QString &interface, const QString &name)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message.setArguments({interface, name});
    const QDBusMessage reply = QDBusConnection::systemBus().call(message, QDBus::Block, s_readTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return QVariant();
    }
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
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
