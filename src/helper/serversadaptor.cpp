#include "serversadaptor.h"

#include "helper_debug.h"

#include "datehelper.h"
#include "polkitauthority.h"
#include "serverfiles.h"
#include "servername.h"
#include "testhooks.h"

#include <QDBusError>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

const QString ServersAdaptor::setServersAction = QStringLiteral("ru.veltronix.orb.date.set-servers");

namespace
{
const QString systemd = QStringLiteral("org.freedesktop.systemd1");
const QString systemdPath = QStringLiteral("/org/freedesktop/systemd1");
const QString manager = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString failedError = QDBusError::errorString(QDBusError::Failed);
const QString invalidArgs = QDBusError::errorString(QDBusError::InvalidArgs);
// A unit that has not started by then is taken as failed.
constexpr int jobTimeoutMs = 120 * 1000;
constexpr int callTimeoutMs = 25 * 1000;
constexpr int maxServers = 64;
}

ServersAdaptor::ServersAdaptor(DateHelper *helper, const QDBusConnection &bus)
    : QDBusAbstractAdaptor(helper)
    , m_helper(helper)
    , m_bus(bus)
    , m_polkit(new PolkitAuthority(bus, this))
{
    m_bus.connect(systemd, systemdPath, manager, QStringLiteral("JobRemoved"), this, SLOT(m_jobRemoved(uint, QDBusObjectPath, QString, QString)));
}

void ServersAdaptor::SetServers(const QString &service, const QStringList &servers, const QStringList &fallback, const QDBusMessage &message)
{
    message.setDelayedReply(true);
    const auto sendErrorReply = [this, &message](const QString &name, const QString &text) {
        m_bus.send(message.createErrorReply(name, text));
    };
    // Names are checked before polkit is asked: no password for a request that cannot succeed.
    QStringList checked[2];
    const QStringList *lists[2] = {&servers, &fallback};
    for (int i = 0; i < 2; ++i) {
        if (lists[i]->size() > maxServers) {
            sendErrorReply(invalidArgs, QStringLiteral("More than %1 servers").arg(maxServers));
            return;
        }
        for (const QString &name : *lists[i]) {
            const QString server = ServerName::normalized(name);
            if (server.isEmpty()) {
                sendErrorReply(invalidArgs, QStringLiteral("Not a host name or an address: \"%1\"").arg(name.left(300)));
                return;
            }
            if (!checked[i].contains(server)) {
                checked[i] << server;
            }
        }
    }
    const ServerFiles::Plan plan = ServerFiles::plan(TestHooks::rootDirectory(), service, checked[0], checked[1]);
    if (!plan.error.isEmpty()) {
        sendErrorReply(invalidArgs, plan.error);
        return;
    }
    if (m_busy) {
        sendErrorReply(failedError, QStringLiteral("Another change of the time servers is in progress"));
        return;
    }
    m_busy = true;
    m_helper->holdIdle();
    const QDBusMessage request = message;
    m_polkit->check(request.service(),
                    setServersAction,
                    request.isInteractiveAuthorizationAllowed(),
                    [=](PolkitAuthority::Result result, const QString &reason) {
                        if (result == PolkitAuthority::Result::Allowed) {
                            m_save(request, service, checked[0], checked[1]);
                        } else {
                            qCInfo(ORB_HELPER).noquote() << "Refused SetServers of" << request.service() << ":" << reason;
                            m_bus.send(request.createErrorReply(PolkitAuthority::refusalError(result), reason));
                        }
                        m_busy = false;
                        m_helper->releaseIdle();
                    });
}

void ServersAdaptor::m_save(const QDBusMessage &message, const QString &service, const QStringList &servers, const QStringList &fallback)
{
    const QString root = TestHooks::rootDirectory();
    // Planned again: the files may have changed while polkit asked for the password.
    const ServerFiles::Plan plan = ServerFiles::plan(root, service, servers, fallback);
    QString error = plan.error;
    bool ok = error.isEmpty();
    if (!ok) {
        m_bus.send(message.createErrorReply(invalidArgs, error));
        return;
    }
    if (plan.changes.isEmpty()) {
        m_bus.send(message.createReply());
        return;
    }
    QString chronyd = TestHooks::chronydOverride();
    if (chronyd.isEmpty()) {
        chronyd = QStringLiteral("/usr/sbin/chronyd");
    }
    bool applied = false;
    ok = ServerFiles::apply(plan.changes, &error);
    applied = ok;
    ok = ok && ServerFiles::check(root, service, plan, servers, fallback, chronyd, &error);
    bool restarted = false;
    if (ok) {
        restarted = true;
        ok = plan.needsRestart ? m_restart(service, &error) : m_reloadChronySources(&error);
    }
    if (ok) {
        qCInfo(ORB_HELPER).noquote() << "Servers of" << service << "set to" << servers.join(QLatin1Char(' ')) << "fallback" << fallback.join(QLatin1Char(' '))
                                     << "for" << message.service();
        m_bus.send(message.createReply());
        return;
    }
    qCWarning(ORB_HELPER).noquote() << "Setting the servers of" << service << "failed:" << error;
    if (applied) {
        ServerFiles::restore(plan.changes);
        // The service runs again with what it had; a failure here changes nothing for the caller.
        QString ignored;
        if (restarted && !(plan.needsRestart ? m_restart(service, &ignored) : m_reloadChronySources(&ignored))) {
            qCWarning(ORB_HELPER).noquote() << "Restarting" << service << "with its previous servers failed:" << ignored;
        }
    }
    m_bus.send(message.createErrorReply(failedError, error));
}

QString ServersAdaptor::m_unitFor(const QString &service)
{
    if (service != QLatin1String("chrony")) {
        return QStringLiteral("systemd-timesyncd.service");
    }
    // chrony runs under either name; the one that is active is the one to restart.
    const QStringList units = {QStringLiteral("chrony.service"), QStringLiteral("chronyd.service")};
    for (const QString &unit : units) {
        QDBusMessage call = QDBusMessage::createMethodCall(systemd, systemdPath, manager, QStringLiteral("GetUnit"));
        call << unit;
        const QDBusMessage reply = m_bus.call(call, QDBus::Block, callTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            continue;
        }
        QDBusMessage get = QDBusMessage::createMethodCall(systemd,
                                                          reply.arguments().constFirst().value<QDBusObjectPath>().path(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << QStringLiteral("org.freedesktop.systemd1.Unit") << QStringLiteral("ActiveState");
        const QDBusMessage state = m_bus.call(get, QDBus::Block, callTimeoutMs);
        if (state.type() == QDBusMessage::ReplyMessage && !state.arguments().isEmpty()
            && state.arguments().constFirst().value<QDBusVariant>().variant().toString() == QLatin1String("active")) {
            return unit;
        }
    }
    return units.constFirst();
}

bool ServersAdaptor::m_restart(const QString &service, QString *error)
{
    const QString unit = m_unitFor(service);
    QDBusMessage call = QDBusMessage::createMethodCall(systemd, systemdPath, manager, QStringLiteral("RestartUnit"));
    call << unit << QStringLiteral("replace");
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        *error = QStringLiteral("Cannot restart %1: %2").arg(unit, reply.errorMessage());
        return false;
    }
    const QString job = reply.arguments().constFirst().value<QDBusObjectPath>().path();
    // The job's end may have been announced before the reply was read.
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(jobTimeoutMs);
    QElapsedTimer waited;
    waited.start();
    while (!m_jobResults.contains(job) && timeout.isActive()) {
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    const QString result = m_jobResults.take(job);
    if (result == QLatin1String("done")) {
        return true;
    }
    *error = result.isEmpty() ? QStringLiteral("%1 did not restart within %2 s").arg(unit).arg(waited.elapsed() / 1000)
                              : QStringLiteral("%1 did not start again with the new servers (%2)").arg(unit, result);
    return false;
}

void ServersAdaptor::m_jobRemoved(uint, const QDBusObjectPath &job, const QString &, const QString &result)
{
    m_jobResults.insert(job.path(), result);
    // Only the jobs this helper waits for matter; the others are forgotten soon.
    while (m_jobResults.size() > 64) {
        m_jobResults.erase(m_jobResults.begin());
    }
}

bool ServersAdaptor::m_reloadChronySources(QString *error)
{
    QString chronyc = TestHooks::chronycOverride();
    if (chronyc.isEmpty()) {
        chronyc = QStringLiteral("/usr/bin/chronyc");
    }
    QString output;
    if (ServerFiles::reloadChronySources(chronyc, &output)) {
        return true;
    }
    // chronyc cannot reach a daemon that is not running or that refuses it:
    // a restart reads the sources as well.
    qCInfo(ORB_HELPER).noquote() << "chronyc reload sources failed:" << output << "; restarting chrony";
    return m_restart(QStringLiteral("chrony"), error);
}
