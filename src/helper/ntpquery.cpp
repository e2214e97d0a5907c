#include "ntpquery.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

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
    return QStandardPaths::findExecutable(
        QStringLiteral("ntpdig"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"), QStringLiteral("/sbin"), QStringLiteral("/bin")});
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

void NtpQuery::start(const QString &program, const QStringList &servers)
{
    m_process.setProgram(program);
    m_process.setArguments(arguments(servers));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    m_process.setProcessEnvironment(environment);
    m_process.setStandardInputFile(QProcess::nullDevice());
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
    QString output = QString(QString::fromUtf8(out).trimmed() + QLatin1Char('\n') + errors).trimmed();

    if (m_process.error() == QProcess::FailedToStart) {
        Q_EMIT finished(false, 0, QString(), QStringLiteral("ntpdig could not be started: %1").arg(m_process.errorString()));
        return;
    }
    if (m_timedOut) {
        output = QStringLiteral("ntpdig did not finish within %1 s").arg(runTimeoutMs / 1000) + (output.isEmpty() ? QString() : QLatin1Char('\n') + output);
        Q_EMIT finished(false, 0, QString(), output);
        return;
    }
    if (m_process.exitStatus() != QProcess::NormalExit || m_process.exitCode() != 0) {
        if (output.isEmpty()) {
            output = QStringLiteral("ntpdig failed with exit code %1").arg(m_process.exitCode());
        }
        Q_EMIT finished(false, 0, QString(), output);
        return;
    }
    double offset = 0;
    QString server;
    if (!parseReport(out, &offset, &server)) {
        Q_EMIT finished(false, 0, QString(), QStringLiteral("ntpdig gave no report that could be read:\n") + output);
        return;
    }
    if (!errors.isEmpty()) {
        qInfo().noquote() << errors;
    }
    Q_EMIT finished(true, offset, server, QString());
}
