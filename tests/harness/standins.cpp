// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    Test-side control of the stand-in services (tests/harness/standins/standin.py).
*/

#include "standins.h"
#include "childprocess.h"

#include <algorithm>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDebug>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include <cmath>
#include <sys/file.h>

namespace
{
const QString s_controlPath = QStringLiteral("/ru/orb/StandIn");
const QString s_controlInterface = QStringLiteral("ru.orb.test.StandIn");
// Generous: a loaded 2-core machine may take a while to start Python.
constexpr int s_waitMs = 30000;
constexpr int s_controlTimeoutMs = 10000;

QString roleName(StandIns::Service service)
{
    switch (service) {
    case StandIns::Helper:
        return QStringLiteral("helper");
    case StandIns::Timedated:
        return QStringLiteral("timedated");
    case StandIns::Agent:
        return QStringLiteral("agent");
    case StandIns::Systemd:
        return QStringLiteral("systemd");
    case StandIns::Polkit:
        return QStringLiteral("polkit");
    }
    return QString();
}

QString scriptPath()
{
    const QString dir = qEnvironmentVariable("ORB_STANDINS_DIR");
    if (!dir.isEmpty()) {
        return dir + QStringLiteral("/standin.py");
    }
    // __FILE__ is relative to the build folder under ccache's base directory,
    // and tests run in folders of their own.
    const QString source = qEnvironmentVariable("ORB_SOURCE_DIR");
    if (!source.isEmpty()) {
        return source + QStringLiteral("/tests/harness/standins/standin.py");
    }
    return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/standins/standin.py");
}

QString journalPath()
{
    return qEnvironmentVariable("ORB_STANDIN_JOURNAL");
}

// JSON has only doubles; whole numbers come back as integers so that tests compare them exactly.
QVariant fromJson(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double: {
        const double d = value.toDouble();
        if (std::floor(d) == d && std::fabs(d) < 9007199254740992.0) {
            return QVariant::fromValue<qlonglong>(static_cast<qlonglong>(d));
        }
        return d;
    }
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Array: {
        QVariantList list;
        const QJsonArray array = value.toArray();
        for (const QJsonValue &item : array) {
            list << fromJson(item);
        }
        return list;
    }
    case QJsonValue::Object: {
        QVariantMap map;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            map.insert(it.key(), fromJson(it.value()));
        }
        return map;
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        break;
    }
    return QVariant();
}
}

namespace
{
QString argumentText(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::QString:
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    case QMetaType::QVariantList: {
        QStringList items;
        const QVariantList list = value.toList();
        for (const QVariant &item : list) {
            items << argumentText(item);
        }
        return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    default:
        return value.toString();
    }
}
}

QString StandInCall::toString() const
{
    QStringList items;
    for (const QVariant &arg : args) {
        items << argumentText(arg);
    }
    const QString name = interface.startsWith(QLatin1String("org.freedesktop.DBus.")) ? interface + QLatin1Char('.') + member : member;
    return QStringLiteral("%1: %2(%3) [%4]").arg(service, name, items.join(QStringLiteral(", ")), signature);
}

QStringList describe(const QList<StandInCall> &calls)
{
    QStringList result;
    for (const StandInCall &call : calls) {
        result << call.toString();
    }
    return result;
}

QDebug operator<<(QDebug debug, const StandInCall &call)
{
    QDebugStateSaver saver(debug);
    debug.noquote() << call.toString();
    return debug;
}

StandIns::StandIns(QObject *parent)
    : QObject(parent)
{
}

StandIns::~StandIns()
{
    stopAll();
}

QString StandIns::busName(Service service)
{
    switch (service) {
    case Helper:
        return QStringLiteral("ru.veltronix.orb.date");
    case Timedated:
        return QStringLiteral("org.freedesktop.timedate1");
    case Agent:
        return QStringLiteral("org.kde.polkit-kde-authentication-agent-1");
    case Systemd:
        return QStringLiteral("org.freedesktop.systemd1");
    case Polkit:
        return QStringLiteral("org.freedesktop.PolicyKit1");
    }
    return QString();
}

QDBusConnection StandIns::bus(Service service)
{
    return service == Agent ? QDBusConnection::sessionBus() : QDBusConnection::systemBus();
}

namespace
{
// The pid of the name's owner, 0 when nobody owns it.
qint64 ownerPid(const QDBusConnection &connection, const QString &name)
{
    const QDBusReply<uint> pid = connection.interface()->servicePid(name);
    return pid.isValid() ? qint64(pid.value()) : 0;
}
}

bool StandIns::waitForOwner(Service service, qint64 pid, bool owned, ChildProcess *process)
{
    QDBusConnection connection = bus(service);
    if (!connection.isConnected() || !connection.interface()) {
        qWarning() << "StandIns: no connection to the bus of" << busName(service);
        return false;
    }
    // The watcher exists before the first look, so no change can slip in between.
    QDBusServiceWatcher watcher(busName(service), connection, QDBusServiceWatcher::WatchForOwnerChange);
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&watcher, &QDBusServiceWatcher::serviceOwnerChanged, &loop, &QEventLoop::quit);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (process) {
        connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop, &QEventLoop::quit);
    }
    deadline.start(s_waitMs);
    for (;;) {
        if ((ownerPid(connection, busName(service)) == pid) == owned) {
            return true;
        }
        if (owned && process && process->state() == QProcess::NotRunning) {
            qWarning() << "StandIns: the" << roleName(service) << "stand-in ended before owning its name";
            return false;
        }
        if (!deadline.isActive()) {
            qWarning() << "StandIns: timed out waiting for" << busName(service) << (owned ? "to appear" : "to vanish");
            return false;
        }
        loop.exec();
    }
}

bool StandIns::start(Service service, const QVariantMap &parameters)
{
    if (isRunning(service)) {
        return true;
    }
    // A stand-in that left the bus by itself may not have been reaped yet.
    stop(service);
    auto *process = new ChildProcess(this);
    m_processes[service] = process;

    QStringList arguments{scriptPath(), QStringLiteral("--role"), roleName(service)};
    if (!parameters.isEmpty()) {
        arguments << QStringLiteral("--parameters") << QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(parameters)).toJson(QJsonDocument::Compact));
    }
    if (qEnvironmentVariableIsSet("ORB_STANDIN_VERBOSE")) {
        arguments << QStringLiteral("--verbose");
    }
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardInputFile(QProcess::nullDevice());
    // Debian's interpreter: it is the one with python3-dbus and python3-dbusmock.
    return process->launch(QStringLiteral("/usr/bin/python3"), arguments) && waitForOwner(service, process->processId(), true, process);
}

bool StandIns::startAll()
{
    return start(Agent) && start(Helper) && start(Timedated);
}

bool StandIns::stop(Service service)
{
    ChildProcess *process = m_processes[service];
    if (!process) {
        return true;
    }
    m_processes[service] = nullptr;
    const qint64 pid = process->processId();
    process->stop(s_waitMs);
    delete process;
    // Only our own process's hold on the name matters: another owner is not ours to wait for.
    return pid == 0 || waitForOwner(service, pid, false, nullptr);
}

void StandIns::stopAll()
{
    for (int service = Helper; service <= Polkit; ++service) {
        stop(Service(service));
    }
}

bool StandIns::isRunning(Service service) const
{
    ChildProcess *process = m_processes[service];
    if (!process || process->state() == QProcess::NotRunning) {
        return false;
    }
    // The process may have left the bus before QProcess noticed its end.
    const QDBusConnection connection = bus(service);
    return connection.interface() && ownerPid(connection, busName(service)) == process->processId();
}

bool StandIns::control(Service service, const QString &method, const QVariantList &args, QVariant *result)
{
    QDBusMessage call = QDBusMessage::createMethodCall(busName(service), s_controlPath, s_controlInterface, method);
    call.setArguments(args);
    const QDBusMessage reply = bus(service).call(call, QDBus::Block, s_controlTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning() << "StandIns:" << method << "on the" << roleName(service) << "stand-in failed:" << reply.errorName() << reply.errorMessage();
        return false;
    }
    if (result) {
        const QVariant first = reply.arguments().value(0);
        *result = first.canConvert<QDBusVariant>() ? qvariant_cast<QDBusVariant>(first).variant() : first;
    }
    return true;
}

bool StandIns::failWith(Service service, const QString &member, const QString &errorName, const QString &message)
{
    return control(service, QStringLiteral("FailWith"), {member, errorName, message});
}

bool StandIns::dropOn(Service service, const QString &member)
{
    return control(service, QStringLiteral("DropOn"), {member});
}

bool StandIns::clearFailures(Service service)
{
    return control(service, QStringLiteral("Clear"), {});
}

bool StandIns::emitHelperError(const QString &error, const QString &message)
{
    return control(Helper, QStringLiteral("EmitError"), {error, message});
}

QVariant StandIns::serviceProperty(Service service, const QString &name)
{
    QVariant value;
    control(service, QStringLiteral("GetProperty"), {name}, &value);
    return value;
}

bool StandIns::setServiceProperty(Service service, const QString &name, const QVariant &value)
{
    return control(service, QStringLiteral("SetProperty"), {name, QVariant::fromValue(QDBusVariant(value))});
}

QString StandIns::timedatedTimezone()
{
    return serviceProperty(Timedated, QStringLiteral("Timezone")).toString();
}

bool StandIns::setTimedatedTimezone(const QString &zoneId)
{
    return setServiceProperty(Timedated, QStringLiteral("Timezone"), zoneId);
}

bool StandIns::timedatedLocalRTC()
{
    return serviceProperty(Timedated, QStringLiteral("LocalRTC")).toBool();
}

bool StandIns::setTimedatedLocalRTC(bool localRtc)
{
    return setServiceProperty(Timedated, QStringLiteral("LocalRTC"), localRtc);
}

bool StandIns::setUnit(const QString &unit, const QString &activeState)
{
    return control(Systemd, QStringLiteral("SetUnit"), {unit, activeState});
}

bool StandIns::setLastSync(const QString &server, qulonglong usec)
{
    return control(Systemd, QStringLiteral("SetLastSync"), {server, QVariant::fromValue(usec)});
}

bool StandIns::setJobResult(const QString &unit, const QString &result)
{
    return control(Systemd, QStringLiteral("SetJobResult"), {unit, result});
}

QList<StandInCall> StandIns::journal()
{
    QList<StandInCall> calls;
    QFile file(journalPath());
    if (journalPath().isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return calls;
    }
    // The stand-ins write each line whole under this lock.
    flock(file.handle(), LOCK_SH);
    const QByteArray content = file.readAll();
    flock(file.handle(), LOCK_UN);
    const QList<QByteArray> lines = content.split('\n');
    for (const QByteArray &line : lines) {
        if (line.trimmed().isEmpty()) {
            continue;
        }
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        StandInCall call;
        call.bus = object.value(QStringLiteral("bus")).toString();
        call.service = object.value(QStringLiteral("service")).toString();
        call.interface = object.value(QStringLiteral("interface")).toString();
        call.member = object.value(QStringLiteral("member")).toString();
        call.signature = object.value(QStringLiteral("signature")).toString();
        call.args = fromJson(object.value(QStringLiteral("args"))).toList();
        calls << call;
    }
    return calls;
}

QList<StandInCall> StandIns::calls(Service service)
{
    QList<StandInCall> result;
    const QList<StandInCall> all = journal();
    for (const StandInCall &call : all) {
        if (call.service == busName(service)) {
            result << call;
        }
    }
    return result;
}

QList<StandInCall> StandIns::calls(Service service, const QString &member)
{
    QList<StandInCall> result = calls(service);
    result.erase(std::remove_if(result.begin(),
                                result.end(),
                                [&member](const StandInCall &call) {
                                    return call.member != member;
                                }),
                 result.end());
    return result;
}

QList<qlonglong> StandIns::sentTimes()
{
    QList<qlonglong> times;
    const QList<StandInCall> setTimes = calls(Helper, QStringLiteral("SetTime"));
    for (const StandInCall &call : setTimes) {
        times << call.args.value(0).toLongLong();
    }
    return times;
}

void StandIns::clearJournal()
{
    if (journalPath().isEmpty()) {
        return;
    }
    QFile file(journalPath());
    if (!file.open(QIODevice::ReadWrite)) {
        return;
    }
    flock(file.handle(), LOCK_EX);
    file.resize(0);
    flock(file.handle(), LOCK_UN);
}
