#include "datehelper.h"

#include "helper_debug.h"

#include "ntpquery.h"
#include "ntpservers.h"
#include "polkitauthority.h"
#include "servername.h"
#include "systemclock.h"
#include "testhooks.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusReply>

const QString DateHelper::serviceName = QStringLiteral("ru.veltronix.orb.date");
const QString DateHelper::setTimeAction = QStringLiteral("ru.veltronix.orb.date.set-time");
const QString DateHelper::ntpSyncAction = QStringLiteral("ru.veltronix.orb.date.ntp-sync");
const QString DateHelper::switchTabAction = QStringLiteral("ru.veltronix.orb.date.switch-tab");

namespace
{
const QString failedError = QDBusError::errorString(QDBusError::Failed);
const QString interfaceName = QStringLiteral("ru.veltronix.orb.date.Manager");
}

DateHelper::DateHelper(const QDBusConnection &bus, int idleTimeoutMs, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_polkit(new PolkitAuthority(bus, this))
{
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(idleTimeoutMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &DateHelper::idle);
    m_updateIdle();
}

void DateHelper::NTPSync(const QString &server)
{
    Request request(Kind::NTPSync, message());
    if (server.trimmed().isEmpty()) {
        request.servers = NtpServers::defaultServers(TestHooks::rootDirectory());
    } else {
        const QString name = ServerName::normalized(server);
        if (name.isEmpty()) {
            // Refused before polkit is asked: no password for a request that cannot succeed.
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("Not a host name or an address: \"%1\"").arg(server.left(300)));
            return;
        }
        request.servers = QStringList{name};
    }
    if (m_admit()) {
        m_accept(request, ntpSyncAction);
    }
}

void DateHelper::SetTime(uint time)
{
    Request request(Kind::SetTime, message());
    request.time = time;
    if (m_admit()) {
        m_accept(request, setTimeAction);
    }
}

void DateHelper::SwitchTab()
{
    Request request(Kind::SwitchTab, message());
    if (m_admit()) {
        m_accept(request, switchTabAction);
    }
}

bool DateHelper::m_admit()
{
    const QString caller = message().service();
    if (m_pendingByCaller.value(caller) >= maxPendingPerCaller) {
        qCWarning(ORB_HELPER).noquote() << "Refused" << message().member() << "of" << caller << ": too many requests waiting";
        sendErrorReply(QDBusError::LimitsExceeded,
                       QStringLiteral("%1 requests of this caller are already waiting; try again when they have been answered").arg(maxPendingPerCaller));
        return false;
    }
    ++m_pendingByCaller[caller];
    setDelayedReply(true);
    return true;
}

void DateHelper::m_accept(Request request, const QString &actionId)
{
    ++m_inProgress;
    m_updateIdle();
    const bool interactive = request.message.isInteractiveAuthorizationAllowed();
    m_polkit->check(request.message.service(), actionId, interactive, [this, request](PolkitAuthority::Result result, const QString &reason) {
        if (result != PolkitAuthority::Result::Allowed) {
            qCInfo(ORB_HELPER).noquote() << "Refused" << request.message.member() << "of" << request.message.service() << ":" << reason;
            m_fail(request, PolkitAuthority::refusalError(result), reason, false);
            return;
        }
        m_queue.append(request);
        m_runNext();
    });
}

void DateHelper::m_runNext()
{
    if (m_running || m_queue.isEmpty()) {
        return;
    }
    const Request request = m_queue.takeFirst();
    if (!m_callerPresent(request)) {
        m_runNext();
        return;
    }
    switch (request.kind) {
    case Kind::SwitchTab:
        m_reply(request);
        break;
    case Kind::SetTime: {
        QString error;
        const qint64 waited = request.arrived.nsecsElapsed();
        if (SystemClock::setAfter(request.time, waited, &error)) {
            qCInfo(ORB_HELPER) << "Clock set to" << request.time << "+" << waited / 1e9 << "s waited, for" << request.message.service();
            m_reply(request);
        } else {
            qCWarning(ORB_HELPER).noquote() << error;
            m_fail(request, failedError, error, true);
        }
        break;
    }
    case Kind::NTPSync:
        m_runNtp(request);
        return; // continues when the tool has finished
    }
    m_runNext();
}

void DateHelper::m_runNtp(const Request &request)
{
    const QString override = TestHooks::ntpToolOverride();
    const QString tool = override.isEmpty() ? NtpQuery::tool() : override;
    if (tool.isEmpty()) {
        // The page rewrites texts naming the tool; the word joiner keeps this one
        // readable as the package name it is.
        m_fail(request, failedError, QStringLiteral("The NTP query tool is not installed. Install the package ntpsec-ntp\u2060dig."), true);
        m_runNext();
        return;
    }
    m_running = true;
    auto *query = new NtpQuery(this);
    query->setRunTimeout(TestHooks::ntpRunTimeoutMs(NtpQuery::runTimeoutMs));
    connect(query, &NtpQuery::finished, this, [this, query, request](bool ok, double offset, const QString &server, const QString &message) {
        query->deleteLater();
        m_running = false;
        QString error = message;
        if (!m_callerPresent(request)) {
            // Nothing to do: the caller is gone.
        } else if (ok && SystemClock::stepBy(offset, &error)) {
            qCInfo(ORB_HELPER) << "Clock synchronized with" << server << "offset" << offset << "s, for" << request.message.service();
            m_reply(request);
        } else {
            qCWarning(ORB_HELPER).noquote() << "Synchronization with" << request.servers.join(QLatin1Char(' ')) << "failed:" << error;
            m_fail(request, failedError, error, true);
        }
        m_runNext();
    });
    qCInfo(ORB_HELPER) << "Asking" << request.servers << "for the time";
    query->start(tool, request.servers, TestHooks::toolTestVariables());
}

bool DateHelper::m_callerPresent(const Request &request)
{
    const QString caller = request.message.service();
    const QDBusReply<bool> present = m_bus.interface()->isServiceRegistered(caller);
    if (present.isValid() && present.value()) {
        return true;
    }
    qCInfo(ORB_HELPER).noquote() << "Dropped" << request.message.member() << "of" << caller << ": the caller has left the bus";
    m_finish(request);
    return false;
}

void DateHelper::m_reply(const Request &request)
{
    m_bus.send(request.message.createReply());
    m_finish(request);
}

void DateHelper::m_fail(const Request &request, const QString &errorName, const QString &reason, bool authorized)
{
    m_bus.send(request.message.createErrorReply(errorName, reason));
    if (authorized) {
        // After the reply: the page shows the reply's message first, so this
        // reason is what stays on screen.
        QDBusMessage signal = QDBusMessage::createTargetedSignal(request.message.service(), QStringLiteral("/"), interfaceName, QStringLiteral("Error"));
        const QString title = request.kind == Kind::NTPSync ? QStringLiteral("Unable to synchronize the time") : QStringLiteral("Unable to set the time");
        signal << title << reason;
        m_bus.send(signal);
    }
    m_finish(request);
}

void DateHelper::m_finish(const Request &request)
{
    const QString caller = request.message.service();
    if (--m_pendingByCaller[caller] <= 0) {
        m_pendingByCaller.remove(caller);
    }
    --m_inProgress;
    m_updateIdle();
}

void DateHelper::holdIdle()
{
    ++m_inProgress;
    m_updateIdle();
}

void DateHelper::releaseIdle()
{
    --m_inProgress;
    m_updateIdle();
}

void DateHelper::m_updateIdle()
{
    if (m_inProgress == 0 && m_idleTimer.interval() > 0) {
        m_idleTimer.start();
    } else {
        m_idleTimer.stop();
    }
}
