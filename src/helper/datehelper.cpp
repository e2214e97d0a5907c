// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

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
#include <QDBusServiceWatcher>

const QString DateHelper::serviceName = QStringLiteral("ru.veltronix.orb.date");
const QString DateHelper::setTimeAction = QStringLiteral("ru.veltronix.orb.date.set-time");
const QString DateHelper::ntpSyncAction = QStringLiteral("ru.veltronix.orb.date.ntp-sync");
const QString DateHelper::switchTabAction = QStringLiteral("ru.veltronix.orb.date.switch-tab");
const QString DateHelper::setServersAction = QStringLiteral("ru.veltronix.orb.date.set-servers");

namespace
{
const QString failedError = QDBusError::errorString(QDBusError::Failed);
const QString interfaceName = QStringLiteral("ru.veltronix.orb.date.Manager");
}

DateHelper::DateHelper(const QDBusConnection &bus, int idleTimeoutMs, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_polkit(new PolkitAuthority(bus, this))
    , m_callers(new QDBusServiceWatcher(this))
{
    m_callers->setConnection(bus);
    m_callers->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(m_callers, &QDBusServiceWatcher::serviceUnregistered, this, &DateHelper::m_callerLeft);
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(idleTimeoutMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &DateHelper::idle);
    m_updateIdle();
}

void DateHelper::NTPSync(const QString &server)
{
    Request request;
    request.kind = Kind::NTPSync;
    if (server.trimmed().isEmpty()) {
        request.servers = NtpServers::defaultServers(TestHooks::rootDirectory());
    } else {
        const QString name = ServerName::normalized(server);
        if (name.isEmpty()) {
            // Arguments are checked before polkit is asked: no password for a
            // request that cannot succeed.
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("Not a host name or an address: \"%1\"").arg(server.left(300)));
            return;
        }
        request.servers = QStringList{name};
    }
    m_submit(request, ntpSyncAction);
}

void DateHelper::SetTime(uint time)
{
    if (!SystemClock::inRange(time)) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("The time %1 lies outside the range from 1970 to 2106").arg(time));
        return;
    }
    Request request;
    request.kind = Kind::SetTime;
    request.time = time;
    m_submit(request, setTimeAction);
}

void DateHelper::SwitchTab()
{
    m_submit(Request(), switchTabAction);
}

void DateHelper::SetServers(const QString &service, const QStringList &servers, const QStringList &fallback)
{
    QString error;
    Request request;
    request.kind = Kind::SetServers;
    request.save = ServersSave::checked({service, servers, fallback}, &error);
    if (!error.isEmpty()) {
        sendErrorReply(QDBusError::InvalidArgs, error);
        return;
    }
    m_submit(request, setServersAction);
}

void DateHelper::m_submit(Request request, const QString &actionId)
{
    request.message = message();
    request.arrived.start();
    const QString caller = request.message.service();
    const QDBusReply<uint> user = m_bus.interface()->serviceUid(caller);
    if (!user.isValid()) {
        sendErrorReply(QDBusError::Failed, QStringLiteral("The caller's user is unknown: %1").arg(user.error().message()));
        return;
    }
    request.user = user.value();
    QString refusal;
    if (m_pendingByUser.value(request.user) >= maxPendingPerUser) {
        refusal = QStringLiteral("%1 requests of this user are already waiting; try again when they have been answered").arg(maxPendingPerUser);
    } else if (m_checking.size() >= maxOpenChecks) {
        refusal = QStringLiteral("Too many requests are waiting for authorization; try again in a moment");
    }
    if (!refusal.isEmpty()) {
        qCWarning(ORB_HELPER).noquote() << "Refused" << request.message.member() << "of" << caller << "(uid" << request.user << "):" << refusal;
        sendErrorReply(QDBusError::LimitsExceeded, refusal);
        return;
    }
    setDelayedReply(true);
    ++m_pendingByUser[request.user];
    if (m_pendingByCaller[caller]++ == 0) {
        m_callers->addWatchedService(caller);
    }
    ++m_inProgress;
    m_updateIdle();

    const bool interactive = request.message.isInteractiveAuthorizationAllowed();
    request.check = QString::number(++m_lastCheck);
    m_checking.insert(request.check, request);
    m_polkit->check(request.check, caller, actionId, interactive, [this, id = request.check](PolkitAuthority::Result result, const QString &reason) {
        // A request of a caller that has left is no longer filed.
        const auto it = m_checking.find(id);
        if (it == m_checking.end()) {
            return;
        }
        const Request request = it.value();
        m_checking.erase(it);
        if (result != PolkitAuthority::Result::Allowed) {
            qCInfo(ORB_HELPER).noquote() << "Refused" << request.message.member() << "of" << request.message.service() << ":" << reason;
            m_fail(request, PolkitAuthority::refusalError(result), reason, false);
            return;
        }
        m_queue.append(request);
        m_runNext();
    });
}

void DateHelper::m_callerLeft(const QString &caller)
{
    for (auto it = m_checking.begin(); it != m_checking.end();) {
        if (it->message.service() == caller) {
            qCInfo(ORB_HELPER).noquote() << "Cancelled the check of" << it->message.member() << "of" << caller << ": the caller has left the bus";
            m_polkit->cancel(it.key());
            const Request request = it.value();
            it = m_checking.erase(it);
            m_finish(request);
        } else {
            ++it;
        }
    }
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if (it->message.service() == caller) {
            qCInfo(ORB_HELPER).noquote() << "Dropped" << it->message.member() << "of" << caller << ": the caller has left the bus";
            const Request request = *it;
            it = m_queue.erase(it);
            m_finish(request);
        } else {
            ++it;
        }
    }
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
    case Kind::SetServers:
        m_runSave(request);
        return; // continues when the service runs with the servers, or as before
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

void DateHelper::m_runSave(const Request &request)
{
    m_running = true;
    auto *save = new ServersSave(m_bus, this);
    connect(save, &ServersSave::finished, this, [this, save, request](const QString &errorName, const QString &error) {
        save->deleteLater();
        m_running = false;
        if (errorName.isEmpty()) {
            qCInfo(ORB_HELPER).noquote() << "Servers saved for" << request.message.service();
            m_reply(request);
        } else {
            // The Error signal is the Manager's; the page shows the reply's message.
            m_bus.send(request.message.createErrorReply(errorName, error));
            m_finish(request);
        }
        m_runNext();
    });
    save->start(request.save);
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
    if (--m_pendingByUser[request.user] <= 0) {
        m_pendingByUser.remove(request.user);
    }
    const QString caller = request.message.service();
    if (--m_pendingByCaller[caller] <= 0) {
        m_pendingByCaller.remove(caller);
        m_callers->removeWatchedService(caller);
    }
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
