// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The one client through which the module asks for privileged date changes.
*/

#include "dbusorbadmindate.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDebug>
#include <QEventLoop>
#include <QGuiApplication>
#include <QVariant>

#include <KLocalizedString>

#include "orbadmindateserversproxy.h"
#include "timedate1interface.h"
#include "timesyncnames.h"

#include <limits>
#include <utility>

namespace
{
const QString s_agentService = QStringLiteral("org.kde.polkit-kde-authentication-agent-1");
const QString s_agentPath = QStringLiteral("/org/kde/Polkit1AuthAgent");
const QString s_agentInterface = QStringLiteral("org.kde.Polkit1AuthAgent");
const QString s_agentMethod = QStringLiteral("setWIdForAction");

// The helper's own actions, as its policy file names them.
const QString s_ntpSyncAction = TimeSyncNames::ntpSyncAction;
const QString s_setTimeAction = TimeSyncNames::setTimeAction;
const QString s_switchTabAction = TimeSyncNames::switchTabAction;
const QString s_setServersAction = TimeSyncNames::setServersAction;
const QString s_setLocalRtcAction = QStringLiteral("org.freedesktop.timedate1.set-local-rtc");
const QString s_setNtpAction = QStringLiteral("org.freedesktop.timedate1.set-ntp");

const QString s_setTimezoneAction = QStringLiteral("org.freedesktop.timedate1.set-timezone");
const QString s_interactionRequired = QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired");

// No time-out: polkit may wait minutes for a password, and the helper bounds its
// own waits. A service that leaves the bus is answered for by the bus at once.
constexpr int s_noTimeout = std::numeric_limits<int>::max();

const QString s_timedatedService = QStringLiteral("org.freedesktop.timedate1");
const QString s_timedatedPath = QStringLiteral("/org/freedesktop/timedate1");

std::function<qulonglong()> &windowLookup()
{
    static std::function<qulonglong()> lookup;
    return lookup;
}
}

DBusOrbAdminDate::DBusOrbAdminDate(QObject *parent)
    : QObject(parent)
    , m_interface(nullptr)
    , m_wid(0)
{
    // Connecting is what subscribes the proxy to the helper's bus signal.
    connect(&m_interface, &OrbAdminDateInterface::Error, this, &DBusOrbAdminDate::m_relayError);
}

namespace
{
// Drops user input to every window while a request is outstanding: input
// deferred until afterwards would act on a page that has been reloaded.
class InputBlocker : public QObject
{
public:
    InputBlocker()
    {
        QCoreApplication::instance()->installEventFilter(this);
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
            m_cursor = true;
        }
    }
    ~InputBlocker() override
    {
        if (m_cursor) {
            QGuiApplication::restoreOverrideCursor();
        }
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::ContextMenu:
        case QEvent::Close:
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    bool m_cursor = false;
};
}

bool DBusOrbAdminDate::busy() const
{
    return m_waiting > 0;
}

QDBusPendingCall DBusOrbAdminDate::m_send(const QDBusConnection &bus, QDBusMessage call)
{
    // A GUI with an agent: polkit may ask the user.
    call.setInteractiveAuthorizationAllowed(true);
    QDBusPendingCall pending = bus.asyncCall(call, s_noTimeout);
    waitForReply(pending);
    return pending;
}

void DBusOrbAdminDate::waitForReply(const QDBusPendingCall &call)
{
    if (call.isFinished()) {
        return;
    }
    QDBusPendingCallWatcher watcher(call);
    QEventLoop loop;
    connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    const InputBlocker blocker;
    if (!watcher.isFinished()) {
        loop.exec();
    }
}

DBusOrbAdminDate::BusyScope::BusyScope(DBusOrbAdminDate *client)
    : m_client(client)
{
    if (m_client->m_waiting++ == 0) {
        Q_EMIT m_client->busyChanged(true);
    }
}

DBusOrbAdminDate::BusyScope::~BusyScope()
{
    if (--m_client->m_waiting > 0) {
        return;
    }
    Q_EMIT m_client->busyChanged(false);
    // Queued: they come after whatever the caller does with the answer.
    for (const auto &held : std::exchange(m_client->m_heldErrors, {})) {
        QMetaObject::invokeMethod(
            m_client,
            [client = m_client, held]() {
                Q_EMIT client->Error(held.first, held.second);
            },
            Qt::QueuedConnection);
    }
}

void DBusOrbAdminDate::m_relayError(const QString &error, const QString &message)
{
    if (m_waiting > 0) {
        m_heldErrors.append({error, message});
    } else {
        Q_EMIT Error(error, message);
    }
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

void DBusOrbAdminDate::setWindowLookup(std::function<qulonglong()> lookup)
{
    windowLookup() = std::move(lookup);
}

void DBusOrbAdminDate::preAuthAction(const QString &actionId)
{
    const BusyScope busy(this);
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
    const auto &lookup = windowLookup();
    const qulonglong wid = m_wid != 0 || !lookup ? m_wid : lookup();
    call << actionId << QVariant::fromValue<qulonglong>(wid);
    QDBusPendingCall pending = session.asyncCall(call, s_noTimeout);
    waitForReply(pending);
    if (pending.isError()) {
        qWarning() << Q_FUNC_INFO << "ERROR while streaming the parent!!" << pending.error();
    }
}

QDBusPendingCall DBusOrbAdminDate::NTPSync(const QString &server)
{
    const BusyScope busy(this);
    preAuthAction(s_ntpSyncAction);
    return m_send(m_interface.connection(), m_helperCall(QStringLiteral("NTPSync"), {server.trimmed()}));
}

QDBusPendingCall DBusOrbAdminDate::SetTime(uint time)
{
    const BusyScope busy(this);
    preAuthAction(s_setTimeAction);
    return m_send(m_interface.connection(), m_helperCall(QStringLiteral("SetTime"), {QVariant::fromValue(time)}));
}

QDBusPendingCall DBusOrbAdminDate::SwitchTab()
{
    const BusyScope busy(this);
    preAuthAction(s_switchTabAction);
    return m_send(m_interface.connection(), m_helperCall(QStringLiteral("SwitchTab"), {}));
}

QDBusPendingCall DBusOrbAdminDate::SetServers(const QString &service, const QStringList &servers, const QStringList &fallback)
{
    const BusyScope busy(this);
    preAuthAction(s_setServersAction);
    return m_send(
        m_interface.connection(),
        m_helperCall(QStringLiteral("SetServers"), {service, servers, fallback}, QString::fromLatin1(OrbAdminDateServersProxy::staticInterfaceName())));
}

QDBusPendingCall DBusOrbAdminDate::SetLocalRTC(bool localRtc, bool fixSystem, bool interactive)
{
    const BusyScope busy(this);
    preAuthAction(s_setLocalRtcAction);
    return m_send(QDBusConnection::systemBus(), m_timedatedCall(QStringLiteral("SetLocalRTC"), {localRtc, fixSystem, interactive}));
}

QDBusPendingCall DBusOrbAdminDate::SetTimezone(const QString &zoneId, bool interactive)
{
    const BusyScope busy(this);
    // The helper's set-time action first, as the desktop's agent expects; then
    // the one timedated really asks polkit about, so that its dialog is placed too.
    preAuthAction(s_setTimeAction);
    preAuthAction(s_setTimezoneAction);
    return m_send(QDBusConnection::systemBus(), m_timedatedCall(QStringLiteral("SetTimezone"), {zoneId, interactive}));
}

// Built by hand, with the proxies' names: a generated proxy's call cannot carry
// the flag that lets polkit ask for a password (see m_send()).
QDBusMessage DBusOrbAdminDate::m_helperCall(const QString &method, const QVariantList &arguments, const QString &interface) const
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(m_interface.service(), m_interface.path(), interface.isEmpty() ? m_interface.interface() : interface, method);
    call.setArguments(arguments);
    return call;
}

QDBusMessage DBusOrbAdminDate::m_timedatedCall(const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(s_timedatedService,
                                                       s_timedatedPath,
                                                       QString::fromLatin1(OrgFreedesktopTimedate1Interface::staticInterfaceName()),
                                                       method);
    call.setArguments(arguments);
    return call;
}

QDBusPendingCall DBusOrbAdminDate::SetNTP(bool useNtp, bool interactive)
{
    preAuthAction(s_setNtpAction);
    OrgFreedesktopTimedate1Interface timedated(s_timedatedService, s_timedatedPath, QDBusConnection::systemBus(), nullptr);
    return timedated.SetNTP(useNtp, interactive);
}

DBusOrbAdminDate::ClockFlags DBusOrbAdminDate::clockFlags() const
{
    // One round trip for all three, and without a proxy, which would first ask the
    // bus who owns the name: the page reads these while it opens.
    const QString interface = QString::fromLatin1(OrgFreedesktopTimedate1Interface::staticInterfaceName());
    const auto properties = [](const QString &method) {
        return QDBusMessage::createMethodCall(s_timedatedService, s_timedatedPath, QStringLiteral("org.freedesktop.DBus.Properties"), method);
    };
    const QDBusReply<QVariantMap> all = QDBusConnection::systemBus().call(properties(QStringLiteral("GetAll")) << interface);
    // GetAll fails as a whole when any one property does (timedated's reading of an
    // unreadable hardware clock): the three are then read one by one.
    const auto flag = [&](const QString &name) {
        QVariant value = all.isValid() ? all.value().value(name) : QVariant();
        if (!all.isValid()) {
            const QDBusReply<QDBusVariant> one = QDBusConnection::systemBus().call(properties(QStringLiteral("Get")) << interface << name);
            value = one.isValid() ? one.value().variant() : QVariant();
        }
        // A missing or unreadable value counts as false.
        return value.canConvert<bool>() && value.toBool();
    };
    return {flag(QStringLiteral("LocalRTC")), flag(QStringLiteral("NTP")), flag(QStringLiteral("CanNTP"))};
}

QString DBusOrbAdminDate::getDBusError(const QDBusError &error) const
{
    // Qt has no type of its own for it; to the user it is a refusal like AccessDenied.
    const bool refusal = error.type() == QDBusError::Other && error.name() == s_interactionRequired;
    const QString text = getDBusError(refusal ? QDBusError::AccessDenied : error.type());
    const QString cause = explainError(error);
    return cause.isEmpty() ? text : text + QLatin1Char('\n') + cause;
}

namespace
{
bool systemdRunning()
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    const QDBusReply<bool> reply = bus.interface() ? bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.systemd1")) : QDBusReply<bool>();
    return reply.isValid() && reply.value();
}

QString noSystemd()
{
    return i18n("This needs the service manager systemd, which is not running on this system.");
}
}

QString DBusOrbAdminDate::explainError(const QDBusError &error)
{
    const QString name = error.name();
    const QString text = error.message();
    if (name == s_interactionRequired) {
        return i18n("No password could be asked for: no authentication agent is running in this session.");
    }
    if (name.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn."))) {
        // The bus starts system services through systemd; without it the launch fails.
        return systemdRunning() ? i18n("The service could not be started.")
                                : i18n("The service could not be started: the service manager systemd, which starts it, is not running on this system.");
    }
    switch (error.type()) {
    case QDBusError::AccessDenied:
        // The bus's own policy, not polkit: no password was involved.
        if (text.startsWith(QLatin1String("Rejected send message"))) {
            return i18n("The system does not let this user send the request.");
        }
        return i18n("The password was not given or was refused.");
    case QDBusError::ServiceUnknown:
        if (text.contains(QLatin1String("org.freedesktop.systemd1"))) {
            return noSystemd();
        }
        if (text.contains(s_timedatedService)) {
            return i18n("The system's date and time service (systemd-timedated) is not installed or not running.");
        }
        return i18n("The date helper is not installed or not running.");
    case QDBusError::NoReply:
        if (text.contains(QLatin1String("disconnected"))) {
            return i18n("The service stopped before it answered.");
        }
        return {};
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
        // timedated switches synchronization through systemd and passes its failure on.
        if (text.contains(QLatin1String("systemd1")) || !systemdRunning()) {
            return noSystemd();
        }
        return {};
    case QDBusError::Failed:
    case QDBusError::InvalidArgs:
    case QDBusError::Other:
        // The service's own account: without an Error signal after it, nothing else says why.
        return explainHelperText(text);
    default:
        return {};
    }
}

QString DBusOrbAdminDate::explainHelperText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("The system clock could not be set")) && trimmed.contains(QLatin1String("Operation not permitted"))) {
        return i18n("The date helper lacks the right to set the system clock (the CAP_SYS_TIME capability).");
    }
    return trimmed;
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
