// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "serverssave.h"

#include "helper_debug.h"

#include "ntpquery.h"
#include "serverfiles.h"
#include "servername.h"
#include "systemd1managerproxy.h"
#include "systemd1unitproxy.h"
#include "testhooks.h"

#include <QDBusError>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QProcess>

#include <pwd.h>
#include <unistd.h>

#include <utility>

namespace
{
const QString systemd = QStringLiteral("org.freedesktop.systemd1");
const QString systemdPath = QStringLiteral("/org/freedesktop/systemd1");
const QString failedError = QDBusError::errorString(QDBusError::Failed);
const QString invalidArgs = QDBusError::errorString(QDBusError::InvalidArgs);
// A unit that has not started by then is taken as failed.
constexpr int jobTimeoutMs = 120 * 1000;
constexpr int callTimeoutMs = 25 * 1000;
constexpr int chronycTimeoutMs = 30 * 1000;
constexpr int maxServers = 64;
}

ServersSave::ServersSave(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_systemd(new OrgFreedesktopSystemd1ManagerInterface(systemd, systemdPath, bus, this))
{
    m_systemd->setTimeout(callTimeoutMs);
    connect(m_systemd, &OrgFreedesktopSystemd1ManagerInterface::JobRemoved, this, &ServersSave::m_jobRemoved);
    m_jobTimeout.setSingleShot(true);
    m_jobTimeout.setInterval(jobTimeoutMs);
    connect(&m_jobTimeout, &QTimer::timeout, this, [this]() {
        m_jobEnded(QString());
    });
}

ServersSave::~ServersSave() = default;

ServersSave::Arguments ServersSave::checked(const Arguments &arguments, QString *error)
{
    Arguments result{arguments.service, {}, {}};
    const QStringList *lists[2] = {&arguments.servers, &arguments.fallback};
    QStringList *checkedLists[2] = {&result.servers, &result.fallback};
    for (int i = 0; i < 2; ++i) {
        if (lists[i]->size() > maxServers) {
            *error = QStringLiteral("More than %1 servers").arg(maxServers);
            return {};
        }
        for (const QString &name : *lists[i]) {
            const QString server = ServerName::normalized(name);
            if (server.isEmpty()) {
                *error = QStringLiteral("Not a host name or an address: \"%1\"").arg(name.left(300));
                return {};
            }
            if (!checkedLists[i]->contains(server)) {
                *checkedLists[i] << server;
            }
        }
    }
    *error = ServerFiles::plan(TestHooks::rootDirectory(), result.service, result.servers, result.fallback).error;
    return result;
}

void ServersSave::start(const Arguments &arguments)
{
    m_arguments = arguments;
    const QString root = TestHooks::rootDirectory();
    // Planned again: the files may have changed while polkit asked for the password.
    m_plan = ServerFiles::plan(root, arguments.service, arguments.servers, arguments.fallback);
    if (!m_plan.error.isEmpty()) {
        Q_EMIT finished(invalidArgs, m_plan.error);
        return;
    }
    if (m_plan.changes.isEmpty()) {
        Q_EMIT finished(QString(), QString());
        return;
    }
    QString chronyd = TestHooks::chronydOverride();
    if (chronyd.isEmpty()) {
        chronyd = QStringLiteral("/usr/sbin/chronyd");
    }
    QString error;
    if (!ServerFiles::apply(m_plan.changes, &error)) {
        // apply() has put back what it wrote.
        m_applied(false, error);
        return;
    }
    if (!ServerFiles::check(root, arguments.service, m_plan, arguments.servers, arguments.fallback, chronyd, &error)) {
        ServerFiles::restore(m_plan.changes);
        m_applied(false, error);
        return;
    }
    m_restartOrReload(m_plan.needsRestart, [this](bool ok, const QString &error) {
        if (ok) {
            m_applied(true, QString());
            return;
        }
        ServerFiles::restore(m_plan.changes);
        // The service runs again with what it had; a failure here changes nothing for the caller.
        m_restartOrReload(m_plan.needsRestart, [this, error](bool ok, const QString &again) {
            if (!ok) {
                qCWarning(ORB_HELPER).noquote() << "Restarting" << m_arguments.service << "with its previous servers failed:" << again;
            }
            m_applied(false, error);
        });
    });
}

void ServersSave::m_applied(bool ok, const QString &error)
{
    if (ok) {
        qCInfo(ORB_HELPER).noquote() << "Servers of" << m_arguments.service << "set to" << m_arguments.servers.join(QLatin1Char(' ')) << "fallback"
                                     << m_arguments.fallback.join(QLatin1Char(' '));
        Q_EMIT finished(QString(), QString());
        return;
    }
    qCWarning(ORB_HELPER).noquote() << "Setting the servers of" << m_arguments.service << "failed:" << error;
    Q_EMIT finished(failedError, error);
}

void ServersSave::m_restartOrReload(bool restart, const Done &done)
{
    if (restart) {
        m_restart(m_unitFor(m_arguments.service), done);
    } else {
        m_reloadChronySources(done);
    }
}

QString ServersSave::m_unitFor(const QString &service)
{
    if (service != QLatin1String("chrony")) {
        return QStringLiteral("systemd-timesyncd.service");
    }
    // chrony runs under either name; the one that is active is the one to restart.
    const QStringList units = {QStringLiteral("chrony.service"), QStringLiteral("chronyd.service")};
    for (const QString &unit : units) {
        QDBusPendingReply<QDBusObjectPath> path = m_systemd->GetUnit(unit);
        path.waitForFinished();
        if (path.isError()) {
            continue;
        }
        OrgFreedesktopSystemd1UnitInterface state(systemd, path.value().path(), m_bus);
        state.setTimeout(callTimeoutMs);
        if (state.activeState() == QLatin1String("active")) {
            return unit;
        }
    }
    return units.constFirst();
}

void ServersSave::m_restart(const QString &unit, const Done &done)
{
    m_unit = unit;
    auto *watcher = new QDBusPendingCallWatcher(m_systemd->RestartUnit(unit, QStringLiteral("replace")), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, done]() {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            done(false, QStringLiteral("Cannot restart %1: %2").arg(m_unit, reply.error().message()));
            return;
        }
        m_job = reply.value().path();
        m_jobDone = done;
        if (m_jobResults.contains(m_job)) {
            m_jobEnded(m_jobResults.take(m_job));
        } else {
            m_jobTimeout.start();
        }
    });
}

void ServersSave::m_jobRemoved(uint, const QDBusObjectPath &job, const QString &, const QString &result)
{
    if (!m_job.isEmpty() && job.path() == m_job) {
        m_jobEnded(result);
        return;
    }
    // The end of a job may be announced before the reply that names it is read;
    // the jobs of others are forgotten soon.
    m_jobResults.insert(job.path(), result);
    while (m_jobResults.size() > 64) {
        m_jobResults.erase(m_jobResults.begin());
    }
}

void ServersSave::m_jobEnded(const QString &result)
{
    m_jobTimeout.stop();
    m_job.clear();
    const Done done = std::exchange(m_jobDone, Done());
    if (!done) {
        return;
    }
    if (result == QLatin1String("done")) {
        done(true, QString());
    } else if (result.isEmpty()) {
        done(false, QStringLiteral("%1 did not restart within %2 s").arg(m_unit).arg(jobTimeoutMs / 1000));
    } else {
        done(false, QStringLiteral("%1 did not start again with the new servers (%2)").arg(m_unit, result));
    }
}

void ServersSave::m_reloadChronySources(const Done &done)
{
    QString chronyc = TestHooks::chronycOverride();
    if (chronyc.isEmpty()) {
        chronyc = QStringLiteral("/usr/bin/chronyc");
    }
    auto *process = new ToolProcess(this);
    // chronyc makes its own socket in /run/chrony, which only chrony's user may
    // write: as that user it needs no capability the helper's unit lacks.
    if (::geteuid() == 0) {
        if (const passwd *user = ::getpwnam("_chrony")) {
            process->setUser(user->pw_uid, user->pw_gid);
        }
    }
    process->setProcessChannelMode(QProcess::MergedChannels);
    auto *timeout = new QTimer(process);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, process, &QProcess::kill);
    const auto ended = [this, process, done](bool ok) {
        if (process->property("ended").toBool()) {
            return;
        }
        process->setProperty("ended", true);
        process->deleteLater();
        if (ok) {
            done(true, QString());
            return;
        }
        // chronyc cannot reach a daemon that is not running or that refuses it:
        // a restart reads the sources as well.
        qCInfo(ORB_HELPER).noquote() << "chronyc reload sources failed:" << QString::fromUtf8(process->readAll()).trimmed() << "; restarting chrony";
        m_restart(m_unitFor(QStringLiteral("chrony")), done);
    };
    connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, [ended](int code, QProcess::ExitStatus status) {
        ended(status == QProcess::NormalExit && code == 0);
    });
    connect(process, &QProcess::errorOccurred, this, [ended](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            ended(false);
        }
    });
    timeout->start(chronycTimeoutMs);
    process->start(chronyc, {QStringLiteral("reload"), QStringLiteral("sources")});
}
