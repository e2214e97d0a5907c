// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "ntpquery.h"

#include "ntpquery_debug.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

const char *const NtpQuery::toolUser = "nobody";

void ToolProcess::setUser(uid_t uid, gid_t gid)
{
    m_uid = uid;
    m_gid = gid;
}

void ToolProcess::setupChildProcess()
{
    // Between fork and exec: only async-signal-safe calls. Leaving uid 0 also
    // clears every capability; a child that cannot leave must not run at all.
    if (m_uid != 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(m_gid, m_gid, m_gid) != 0 || ::setresuid(m_uid, m_uid, m_uid) != 0) {
            ::_exit(126);
        }
    }
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
}

NtpQuery::NtpQuery(QObject *parent)
    : QObject(parent)
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(runTimeoutMs);
    connect(&m_deadline, &QTimer::timeout, this, [this]() {
        m_timedOut = true;
        m_process.kill();
    });
    connect(&m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, &NtpQuery::m_done);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            m_done();
        }
    });
}

QString NtpQuery::tool()
{
    // Only the system's directories: the service's PATH is not to be trusted.
    return QStandardPaths::findExecutable(QStringLiteral("ntpdig"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"), QStringLiteral("/sbin"), QStringLiteral("/bin")});
}

QStringList NtpQuery::arguments(const QStringList &servers)
{
    return QStringList{QStringLiteral("--json"), QStringLiteral("--timeout"), QString::number(serverTimeoutSeconds), QStringLiteral("--")} + servers;
}

bool NtpQuery::parseReport(const QByteArray &output, double *offset, QString *server)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    const QJsonDocument report = QJsonDocument::fromJson(lines.constLast().trimmed());
    const QJsonValue value = report.object().value(QLatin1String("offset"));
    if (!value.isDouble()) {
        return false;
    }
    *offset = value.toDouble();
    const QJsonObject object = report.object();
    *server = object.value(QLatin1String("host")).toString();
    const QString address = object.value(QLatin1String("ip")).toString();
    if (!address.isEmpty() && address != *server) {
        *server += QStringLiteral(" (") + address + QLatin1Char(')');
    }
    return true;
}

QProcessEnvironment NtpQuery::environment(const QStringList &extra)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/sbin:/usr/bin:/sbin:/bin"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("HOME"), QStringLiteral("/nonexistent"));
    for (const QString &variable : extra) {
        const int equals = variable.indexOf(QLatin1Char('='));
        environment.insert(variable.left(equals), variable.mid(equals + 1));
    }
    return environment;
}

QString NtpQuery::failureReason(const QString &output, const QStringList &servers)
{
    static const QRegularExpression lookupFailed(QStringLiteral("lookup of (\\S+) failed, errno -?\\d+ = ([^\\n]*)"));
    QStringList unknown;
    QString why;
    for (auto match = lookupFailed.globalMatch(output); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        unknown << found.captured(1);
        why = found.captured(2).trimmed();
    }
    unknown.removeDuplicates();
    // The page replaces any text that names the tool by its "no eligible servers"
    // message, so only that case may keep the tool's words.
    if (!unknown.isEmpty() && unknown.size() >= servers.size()) {
        return QStringLiteral("The name of the time server %1 could not be looked up (%2). Check the name and the network connection.")
            .arg(unknown.join(QStringLiteral(", ")), why);
    }
    return output;
}

NtpQuery::Failure NtpQuery::failure() const
{
    return m_failure;
}

void NtpQuery::setRunTimeout(int ms)
{
    m_deadline.setInterval(ms);
}

void NtpQuery::start(const QString &program, const QStringList &servers, const QStringList &extraEnvironment)
{
    m_servers = servers;
    m_process.setProgram(program);
    m_process.setArguments(arguments(servers));
    m_process.setProcessEnvironment(environment(extraEnvironment));
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setWorkingDirectory(QStringLiteral("/"));
    if (::geteuid() == 0) {
        // Looked up here: the child may not call into NSS between fork and exec.
        const passwd *user = ::getpwnam(toolUser);
        if (!user || user->pw_uid == 0) {
            m_reported = true;
            m_failure = Failure::NotStarted;
            QMetaObject::invokeMethod(
                this,
                [this]() {
                    Q_EMIT finished(false,
                                    0,
                                    QString(),
                                    QStringLiteral("The time query needs the user \"%1\", which this system lacks").arg(QLatin1String(toolUser)));
                },
                Qt::QueuedConnection);
            return;
        }
        m_process.setUser(user->pw_uid, user->pw_gid);
    }
    m_deadline.start();
    m_process.start();
}

void NtpQuery::m_done()
{
    if (m_reported) {
        return;
    }
    m_reported = true;
    m_deadline.stop();
    const QByteArray out = m_process.readAllStandardOutput();
    const QString errors = QString::fromUtf8(m_process.readAllStandardError()).trimmed();
    const QString output = QString(QString::fromUtf8(out).trimmed() + QLatin1Char('\n') + errors).trimmed();
    if (!output.isEmpty()) {
        qCInfo(ORB_NTPQUERY).noquote() << "The NTP query tool said:" << output;
    }

    if (m_process.error() == QProcess::FailedToStart) {
        m_failure = Failure::NotStarted;
        Q_EMIT finished(false, 0, QString(), QStringLiteral("The time query could not be started: %1").arg(m_process.errorString()));
        return;
    }
    if (m_timedOut) {
        m_failure = Failure::Other;
        Q_EMIT finished(false,
                        0,
                        QString(),
                        QStringLiteral("The time query of %1 did not finish within %2 s and was stopped.")
                            .arg(m_servers.join(QStringLiteral(", ")))
                            .arg(m_deadline.interval() / 1000.0));
        return;
    }
    if (m_process.exitStatus() != QProcess::NormalExit || m_process.exitCode() != 0) {
        const QString reason =
            output.isEmpty() ? QStringLiteral("The time query failed with exit code %1").arg(m_process.exitCode()) : failureReason(output, m_servers);
        m_failure = reason == output ? Failure::Other : Failure::UnknownServer;
        Q_EMIT finished(false, 0, QString(), reason);
        return;
    }
    double offset = 0;
    QString server;
    if (!parseReport(out, &offset, &server)) {
        m_failure = Failure::Other;
        Q_EMIT finished(false, 0, QString(), QStringLiteral("The time query gave no report that could be read."));
        return;
    }
    Q_EMIT finished(true, offset, server, QString());
}
