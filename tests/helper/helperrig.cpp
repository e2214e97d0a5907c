// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "helperrig.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace
{
const QString polkitPath = QStringLiteral("/org/freedesktop/PolicyKit1/Authority");
const QString scripts = QStringLiteral(ORB_HELPER_TEST_SCRIPTS);
}

const QString HelperRig::helperName = QStringLiteral("ru.veltronix.orb.date");
const QString HelperRig::setTimeAction = QStringLiteral("ru.veltronix.orb.date.set-time");
const QString HelperRig::ntpSyncAction = QStringLiteral("ru.veltronix.orb.date.ntp-sync");
const QString HelperRig::switchTabAction = QStringLiteral("ru.veltronix.orb.date.switch-tab");

HelperRig::HelperRig(QObject *parent)
    : QObject(parent)
{
}

HelperRig::~HelperRig()
{
    endRound();
}

QDBusConnection HelperRig::bus()
{
    return QDBusConnection::systemBus();
}

bool HelperRig::isOnBus(const QString &name)
{
    return bus().interface()->isServiceRegistered(name).value();
}

bool HelperRig::startPolkit()
{
    return m_standIns.start(StandIns::Polkit);
}

StandIns &HelperRig::standIns()
{
    return m_standIns;
}

bool HelperRig::newRound()
{
    const QString round = m_dir.filePath(QString::number(++m_round));
    m_root = round + QStringLiteral("/root");
    m_clockLog = round + QStringLiteral("/clock.log");
    m_toolRuns = round + QStringLiteral("/tool-runs.jsonl");
    m_ntpPort = 0;
    m_extraEnvironment = QProcessEnvironment();
    // The NTP tool runs as an unprivileged user and writes its records here.
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    StandIns::clearJournal();
    bool records = QDir().mkpath(m_root) && QFile::setPermissions(m_dir.path(), open) && QFile::setPermissions(round, open);
    for (const QString &path : QStringList{m_toolRuns, m_toolRuns + QStringLiteral(".who")}) {
        QFile file(path);
        records = records && file.open(QIODevice::WriteOnly) && file.setPermissions(writable);
    }
    return m_dir.isValid() && records && allow({}) && polkitMock(QStringLiteral("SimulateHangActions"), {QStringList()}).type() == QDBusMessage::ReplyMessage
        && polkitMock(QStringLiteral("SimulateHang"), {false}).type() == QDBusMessage::ReplyMessage
        && polkitMock(QStringLiteral("SetDelay"), {0.0}).type() == QDBusMessage::ReplyMessage;
}

void HelperRig::endRound()
{
    stopHelper();
    // The responder ends when its input closes.
    m_responder.closeWriteChannel();
    m_responder.stop(5000);
}

QString HelperRig::root() const
{
    return m_root;
}

QString HelperRig::clockLogPath() const
{
    return m_clockLog;
}

void HelperRig::setClockLogPath(const QString &path)
{
    m_clockLog = path;
}

bool HelperRig::writeFile(const QString &absolutePath, const QByteArray &content)
{
    const QString full = m_root + absolutePath;
    QDir().mkpath(QFileInfo(full).path());
    QFile file(full);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QProcessEnvironment HelperRig::helperEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ORB_HELPER_TEST_ROOT"), m_root);
    environment.insert(QStringLiteral("ORB_HELPER_TEST_CLOCK_LOG"), m_clockLog);
    environment.insert(QStringLiteral("ORB_HELPER_TEST_NTPDIG"), scripts + QStringLiteral("/ntpdig-on-port"));
    environment.insert(QStringLiteral("ORB_TEST_NTPDIG_ARGS"), m_toolRuns);
    environment.insert(QStringLiteral("ORB_TEST_NTP_PORT"), QString::number(m_ntpPort));
    environment.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Moscow"));
    environment.insert(m_extraEnvironment);
    return environment;
}

void HelperRig::setHelperVariable(const QString &name, const QString &value)
{
    m_extraEnvironment.insert(name, value);
}

bool HelperRig::startHelper()
{
    stopHelper();
    m_helper.setProcessChannelMode(QProcess::ForwardedChannels);
    m_helper.setProcessEnvironment(helperEnvironment());
    return m_helper.launch(QStringLiteral(ORB_DATE_HELPER_TEST_EXE), {QStringLiteral("--idle-timeout"), QStringLiteral("0")})
        && waitUntil(
               [this] {
                   return isOnBus(helperName) || m_helper.state() == QProcess::NotRunning;
               },
               10000)
        && m_helper.state() != QProcess::NotRunning;
}

void HelperRig::stopHelper()
{
    if (m_helper.state() == QProcess::NotRunning) {
        return;
    }
    m_helper.stop(5000);
    waitUntil(
        [] {
            return !isOnBus(helperName);
        },
        5000);
}

bool HelperRig::startResponder(double offset, int leap)
{
    m_responder.stop(5000);
    m_responder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!m_responder.launch(QStringLiteral("/usr/bin/python3"),
                            {scripts + QStringLiteral("/sntp-responder"),
                             QStringLiteral("--offset"),
                             QString::number(offset),
                             QStringLiteral("--leap"),
                             QString::number(leap),
                             QStringLiteral("--lifetime"),
                             QStringLiteral("60")})) {
        return false;
    }
    // It prints the port it listens on.
    m_ntpPort = m_responder.readLineWithin(10000).toInt();
    return m_ntpPort > 0;
}

QDBusMessage HelperRig::helperCall(const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(helperName, QStringLiteral("/"), QStringLiteral("ru.veltronix.orb.date.Manager"), method);
    message.setArguments(arguments);
    return message;
}

QDBusMessage HelperRig::call(const QString &method, const QVariantList &arguments)
{
    return bus().call(helperCall(method, arguments));
}

QDBusMessage HelperRig::polkitMock(const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(StandIns::busName(StandIns::Polkit), polkitPath, QStringLiteral("org.freedesktop.DBus.Mock"), method);
    message.setArguments(arguments);
    return bus().call(message);
}

bool HelperRig::allow(const QStringList &actions)
{
    return polkitMock(QStringLiteral("SetAllowed"), {actions}).type() == QDBusMessage::ReplyMessage;
}

QList<HelperRig::PolkitCheck> HelperRig::polkitChecks()
{
    QList<PolkitCheck> checks;
    const QList<StandInCall> calls = StandIns::calls(StandIns::Polkit, QStringLiteral("CheckAuthorization"));
    for (const StandInCall &call : calls) {
        // (subject kind, {name: ...}), action, details, flags, cancellation id
        const QVariantList subject = call.args.value(0).toList();
        PolkitCheck check;
        check.subjectKind = subject.value(0).toString();
        check.subjectName = subject.value(1).toMap().value(QStringLiteral("name")).toString();
        check.actionId = call.args.value(1).toString();
        check.flags = call.args.value(3).toUInt();
        checks << check;
    }
    return checks;
}

QStringList HelperRig::checkedActions()
{
    QStringList actions;
    for (const PolkitCheck &check : polkitChecks()) {
        actions << check.actionId;
    }
    return actions;
}

QStringList HelperRig::clockLog() const
{
    QFile file(m_clockLog);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QList<QStringList> HelperRig::toolRuns() const
{
    QFile file(m_toolRuns);
    QList<QStringList> runs;
    if (!file.open(QIODevice::ReadOnly)) {
        return runs;
    }
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        QStringList run;
        for (const QJsonValue &argument : QJsonDocument::fromJson(line).array()) {
            run << argument.toString();
        }
        runs << run;
    }
    return runs;
}

QList<QVariantList> HelperRig::toolIdentities() const
{
    QFile file(m_toolRuns + QStringLiteral(".who"));
    QList<QVariantList> identities;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.isEmpty()) {
                identities << QJsonDocument::fromJson(line).array().toVariantList();
            }
        }
    }
    return identities;
}

double HelperRig::clockValue(const QString &line)
{
    return line.startsWith(QLatin1String("clock ")) ? line.mid(6).toDouble() : -1;
}
