#include "helperrig.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {
const QString polkitName = QStringLiteral("org.freedesktop.PolicyKit1");
const QString polkitPath = QStringLiteral("/org/freedesktop/PolicyKit1/Authority");
const QString scripts = QStringLiteral(ORB_HELPER_TEST_SCRIPTS);

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QTest::qWait(20);
    }
    return true;
}
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
    m_polkit.terminate();
    m_polkit.waitForFinished(5000);
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
    // Its own log of calls goes to stdout, which nobody needs to see.
    m_polkit.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_polkit.start(QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"), QStringLiteral("polkitd"), QStringLiteral("--system")});
    return waitFor([] { return isOnBus(polkitName); }, 15000);
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
    bool records = QDir().mkpath(m_root) && QFile::setPermissions(m_dir.path(), open) && QFile::setPermissions(round, open);
    for (const QString &path : QStringList{m_toolRuns, m_toolRuns + QStringLiteral(".who")}) {
        QFile file(path);
        records = records && file.open(QIODevice::WriteOnly) && file.setPermissions(writable);
    }
    return m_dir.isValid() && records && allow({})
        && polkitMock(QStringLiteral("SimulateHangActions"), {QStringList()}).type() == QDBusMessage::ReplyMessage
        && polkitMock(QStringLiteral("SimulateHang"), {false}).type() == QDBusMessage::ReplyMessage
        && polkitMock(QStringLiteral("SetDelay"), {0.0}).type() == QDBusMessage::ReplyMessage
        && polkitMock(QStringLiteral("ClearCalls")).type() == QDBusMessage::ReplyMessage;
}

void HelperRig::endRound()
{
    stopHelper();
    if (m_responder) {
        m_responder->closeWriteChannel();
        m_responder->waitForFinished(5000);
        delete m_responder;
        m_responder = nullptr;
    }
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
    m_helper = new QProcess(this);
    m_helper->setProcessChannelMode(QProcess::ForwardedChannels);
    m_helper->setProcessEnvironment(helperEnvironment());
    m_helper->start(QStringLiteral(ORB_DATE_HELPER_TEST_EXE), {QStringLiteral("--idle-timeout"), QStringLiteral("0")});
    return waitFor([this] { return isOnBus(helperName) || m_helper->state() == QProcess::NotRunning; }, 10000) && m_helper->state() != QProcess::NotRunning;
}

void HelperRig::stopHelper()
{
    if (!m_helper) {
        return;
    }
    m_helper->terminate();
    m_helper->waitForFinished(5000);
    delete m_helper;
    m_helper = nullptr;
    waitFor([] { return !isOnBus(helperName); }, 5000);
}

bool HelperRig::startResponder(double offset, int leap)
{
    m_responder = new QProcess(this);
    m_responder->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_responder->start(QStringLiteral("/usr/bin/python3"),
        {scripts + QStringLiteral("/sntp-responder"), QStringLiteral("--offset"), QString::number(offset), QStringLiteral("--leap"), QString::number(leap),
            QStringLiteral("--lifetime"), QStringLiteral("60")});
    if (!m_responder->waitForReadyRead(10000)) {
        return false;
    }
    m_ntpPort = m_responder->readLine().trimmed().toInt();
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
    QDBusMessage message = QDBusMessage::createMethodCall(polkitName, polkitPath, QStringLiteral("org.freedesktop.DBus.Mock"), method);
    message.setArguments(arguments);
    return bus().call(message);
}

bool HelperRig::allow(const QStringList &actions)
{
    return polkitMock(QStringLiteral("SetAllowed"), {actions}).type() == QDBusMessage::ReplyMessage;
}

QList<HelperRig::PolkitCheck> HelperRig::polkitChecks()
{
    const QDBusMessage reply = polkitMock(QStringLiteral("GetCalls"));
    QList<PolkitCheck> checks;
    const QDBusArgument calls = reply.arguments().value(0).value<QDBusArgument>();
    calls.beginArray();
    while (!calls.atEnd()) {
        quint64 when = 0;
        QString method;
        QVariantList arguments;
        calls.beginStructure();
        calls >> when >> method >> arguments;
        calls.endStructure();
        if (method != QLatin1String("CheckAuthorization") || arguments.size() != 5) {
            continue;
        }
        PolkitCheck check;
        const QDBusArgument subject = arguments.at(0).value<QDBusArgument>();
        QVariantMap details;
        subject.beginStructure();
        subject >> check.subjectKind >> details;
        subject.endStructure();
        check.subjectName = details.value(QStringLiteral("name")).toString();
        check.actionId = arguments.at(1).toString();
        check.flags = arguments.at(3).toUInt();
        checks << check;
    }
    calls.endArray();
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
