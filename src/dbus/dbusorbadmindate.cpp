/*
    The one client through which the module asks for privileged date changes.
*/

#include "dbusorbadmindate.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDebug>
#include <QGuiApplication>
#include <QVariant>

#include <KLocalizedString>

#include "timedate1interface.h"

namespace {
const QString s_agentService = QStringLiteral("org.kde.polkit-kde-authentication-agent-1");
const QString s_agentPath = QStringLiteral("/org/kde/Polkit1AuthAgent");
const QString s_agentInterface = QStringLiteral("org.kde.Polkit1AuthAgent");
const QString s_agentMethod = QStringLiteral("setWIdForAction");

const QString s_ntpSyncAction = QStringLiteral("ru.veltronix.orb.date.ntp-sync");
const QString s_setTimeAction = QStringLiteral("ru.veltronix.orb.date.set-time");
const QString s_switchTabAction = QStringLiteral("ru.veltronix.orb.date.switch-tab");
const QString s_setLocalRtcAction = QStringLiteral("org.freedesktop.timedate1.set-local-rtc");
const QString s_setNtpAction = QStringLiteral("org.freedesktop.timedate1.set-ntp");

const QString s_timedatedService = QStringLiteral("org.freedesktop.timedate1");
const QString s_timedatedPath = QStringLiteral("/org/freedesktop/timedate1");
}

DBusOrbAdminDate::DBusOrbAdminDate(QObject *parent)
    : QObject(parent)
    , m_interface(nullptr)
    , m_wid(0)
{
    // Connecting is what subscribes the proxy to the helper's bus signal.
    connect(&m_interface, &OrbAdminDateInterface::Error, this, &DBusOrbAdminDate::Error);
}

DBusOrbAdminDate::~DBusOrbAdminDate() = default;

void DBusOrbAdminDate::setWId(qulonglong wid)
{
    m_wid = wid;
}

qulonglong DBusOrbAdminDate::wid() const
{
    return m_wid;
}

void DBusOrbAdminDate::preAuthAction(const QString &actionId)
{
    QDBusConnection session = QDBusConnection::sessionBus();
    QDBusConnectionInterface *bus = session.interface();
    // Without a session bus there is no agent to tell; the request goes out all the same.
    bool registered = false;
    if (bus) {
        const QDBusReply<bool> reply = bus->isServiceRegistered(s_agentService);
        registered = reply.isValid() && reply.value();
    }
    if (!registered) {
        qDebug() << Q_FUNC_INFO << "Orb polkit agent appears too old or not registered on the bus";
        return;
    }

    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        qDebug() << Q_FUNC_INFO << "Not streaming parent as we are on a TTY application";
    }

    QDBusMessage call = QDBusMessage::createMethodCall(s_agentService, s_agentPath, s_agentInterface, s_agentMethod);
    call << actionId << QVariant::fromValue<qulonglong>(m_wid);
    const QDBusMessage reply = session.call(call, QDBus::Block, -1);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        qWarning() << Q_FUNC_INFO << "ERROR while streaming the parent!!" << QDBusError(reply);
    }
}

QDBusPendingCall DBusOrbAdminDate::NTPSync(const QString &server)
{
    preAuthAction(s_ntpSyncAction);
    return m_interface.NTPSync(server.trimmed());
}

QDBusPendingCall DBusOrbAdminDate::SetTime(uint time)
{
    preAuthAction(s_setTimeAction);
    return m_interface.SetTime(time);
}

QDBusPendingCall DBusOrbAdminDate::SwitchTab()
{
    preAuthAction(s_switchTabAction);
    return m_interface.SwitchTab();
}

QDBusPendingCall DBusOrbAdminDate::SetLocalRTC(bool localRtc, bool fixSystem, bool interactive)
{
    preAuthAction(s_setLocalRtcAction);
    // The pending call outlives the proxy; only the call matters to the caller.
    OrgFreedesktopTimedate1Interface timedated(s_timedatedService, s_timedatedPath, QDBusConnection::systemBus(), nullptr);
    return timedated.SetLocalRTC(localRtc, fixSystem, interactive);
}

QDBusPendingCall DBusOrbAdminDate::SetTimezone(const QString &zoneId, bool interactive)
{
    // The helper's set-time action covers the time zone too; there is no action of its own.
    preAuthAction(s_setTimeAction);
    OrgFreedesktopTimedate1Interface timedated(s_timedatedService, s_timedatedPath, QDBusConnection::systemBus(), nullptr);
    return timedated.SetTimezone(zoneId, interactive);
}

QDBusPendingCall DBusOrbAdminDate::SetNTP(bool useNtp, bool interactive)
{
    preAuthAction(s_setNtpAction);
    OrgFreedesktopTimedate1Interface timedated(s_timedatedService, s_timedatedPath, QDBusConnection::systemBus(), nullptr);
    return timedated.SetNTP(useNtp, interactive);
}

bool DBusOrbAdminDate::localRTC() const
{
    return m_timedatedFlag("LocalRTC");
}

bool DBusOrbAdminDate::ntp() const
{
    return m_timedatedFlag("NTP");
}

bool DBusOrbAdminDate::canNTP() const
{
    return m_timedatedFlag("CanNTP");
}

bool DBusOrbAdminDate::m_timedatedFlag(const char *property) const
{
    OrgFreedesktopTimedate1Interface timedated(s_timedatedService, s_timedatedPath, QDBusConnection::systemBus(), nullptr);
    const QVariant value = timedated.property(property);
    if (value.userType() == QMetaType::Bool) {
        return value.toBool();
    }
    // A failed read gives an invalid value, which converts to nothing: report false then.
    if (!value.isValid() || !value.canConvert<bool>()) {
        return false;
    }
    return value.toBool();
}

QString DBusOrbAdminDate::getDBusError(QDBusError::ErrorType type) const
{
    switch (type) {
    case QDBusError::NoError:
    case QDBusError::Other:
        return i18n("Unknown error.");
    case QDBusError::Failed:
        return i18n("The call failed.");
    case QDBusError::NoMemory:
        return i18n("Out of memory.");
    case QDBusError::ServiceUnknown:
        return i18n("The called service is not known.");
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return i18n("Timeout reply.");
    case QDBusError::BadAddress:
        return i18n("The address given is not valid.");
    case QDBusError::NotSupported:
        return i18n("The call/operation is not supported.");
    case QDBusError::LimitsExceeded:
        return i18n("The limits allocated to this process/call/connection exceeded the pre-defined values.");
    case QDBusError::AccessDenied:
        return i18n("Authorization error.");
    case QDBusError::NoServer:
        return i18n("No server found.");
    case QDBusError::NoNetwork:
        return i18n("No network found.");
    case QDBusError::AddressInUse:
        return i18n("QDBusServer tried to bind to an address that is already in use.");
    case QDBusError::Disconnected:
        return i18n("The call/process/message was sent after QDBusConnection disconnected.");
    case QDBusError::InvalidArgs:
        return i18n("The arguments passed to this call/operation are not valid.");
    case QDBusError::UnknownMethod:
        return i18n("The method called was not found in this object/interface with the given parameters.");
    case QDBusError::InvalidSignature:
        return i18n("The type signature is not valid or compatible.");
    case QDBusError::UnknownInterface:
        return i18n("The interface is not known in this object.");
    case QDBusError::UnknownObject:
        return i18n("The object path points to an object that does not exist.");
    case QDBusError::UnknownProperty:
        return i18n("The property does not exist in this interface.");
    case QDBusError::PropertyReadOnly:
        return i18n("The property set failed because the property is read-only.");
    case QDBusError::InternalError:
        return i18n("An internal error occurred.");
    case QDBusError::InvalidService:
        return i18n("The service requested is invalid.");
    case QDBusError::InvalidObjectPath:
        return i18n("The object path provided is invalid.");
    case QDBusError::InvalidInterface:
        return i18n("The interface is invalid.");
    case QDBusError::InvalidMember:
        return i18n("The member is invalid.");
    }
    return i18n("Unknown error.");
}
