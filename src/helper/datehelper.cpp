#include "datehelper.h"

#include "servername.h"
#include "ntpquery.h"
#include "ntpservers.h"
#include "polkitauthority.h"
#include "systemclock.h"
#include "testhooks.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDebug>

const QString DateHelper::serviceName = QStringLiteral("ru.veltronix.orb.date");
const QString DateHelper::setTimeAction = QStringLiteral("ru.veltronix.orb.date.set-time");
const QString DateHelper::ntpSyncAction = QStringLiteral("ru.veltronix.orb.date.ntp-sync");
const QString DateHelper::switchTabAction = QStringLiteral("ru.veltronix.orb.date.switch-tab");

namespace {
const QString failedError = QStringLiteral("org.freedesktop.DBus.Error.Failed");
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
    setDelayedReply(true);
    m_accept(request, ntpSyncAction);
}

void DateHelper::SetTime(uint time)
{
    Request request(Kind::SetTime, message());
    request.time = time;
    setDelayedReply(true);
    m_accept(request, setTimeAction);
}

void DateHelper::SwitchTab()
{
    setDelayedReply(true);
    m_accept(Request(Kind::SwitchTab, message()), switchTabAction);
}

void DateHelper::m_accept(Request request, const QString &actionId)
{
    ++m_inProgress;
    m_updateIdle();
    m_polkit->check(request.message.service(), actionId, [this, request](bool allowed, const QString &reason) {
        if (!allowed) {
            qInfo().noquote() << "Refused" << request.message.member() << "of" << request.message.service() << ":" << reason;
            m_reply(request.message, QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"), reason);
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
    switch (request.kind) {
    case Kind::SwitchTab:
        m_reply(request.message);
        break;
    case Kind::SetTime: {
        QString error;
        timespec time{};
        time.tv_sec = static_cast<time_t>(request.time);
        if (SystemClock::set(time, &error)) {
            qInfo() << "Clock set to" << request.time << "for" << request.message.service();
            m_reply(request.message);
        } else {
            qWarning().noquote() << error;
            m_reply(request.message, failedError, error);
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
    const QString tool = NtpQuery::tool();
    if (tool.isEmpty()) {
        m_reply(request.message, failedError, QStringLiteral("ntpdig is not installed (package ntpsec-ntpdig)"));
        m_runNext();
        return;
    }
    m_running = true;
    auto *query = new NtpQuery(this);
    connect(query, &NtpQuery::finished, this, [this, query, request](bool ok, double offset, const QString &server, const QString &message) {
        query->deleteLater();
        m_running = false;
        QString error = message;
        if (ok && SystemClock::stepBy(offset, &error)) {
            qInfo() << "Clock synchronized with" << server << "offset" << offset << "s, for" << request.message.service();
            m_reply(request.message);
        } else {
            qWarning().noquote() << "Synchronization with" << request.servers.join(QLatin1Char(' ')) << "failed:" << error;
            m_reply(request.message, failedError, error);
        }
        m_runNext();
    });
    qInfo() << "Asking" << request.servers << "for the time";
    query->start(tool, request.servers);
}

void DateHelper::m_reply(const QDBusMessage &message, const QString &errorName, const QString &errorText)
{
    m_bus.send(errorName.isEmpty() ? message.createReply() : message.createErrorReply(errorName, errorText));
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
