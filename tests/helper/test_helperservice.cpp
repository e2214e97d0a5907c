/*
    The test build of the date helper on the private system bus: polkit's mock
    decides, a local SNTP responder serves the time through the real ntpdig, and
    clock changes go to a file instead of the clock.
*/

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString helperName = QStringLiteral("ru.veltronix.orb.date");
const QString polkitName = QStringLiteral("org.freedesktop.PolicyKit1");
const QString polkitPath = QStringLiteral("/org/freedesktop/PolicyKit1/Authority");
const QString setTimeAction = QStringLiteral("ru.veltronix.orb.date.set-time");
const QString ntpSyncAction = QStringLiteral("ru.veltronix.orb.date.ntp-sync");
const QString switchTabAction = QStringLiteral("ru.veltronix.orb.date.switch-tab");
const QString accessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
const QString invalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
const QString failed = QStringLiteral("org.freedesktop.DBus.Error.Failed");
const QString scripts = QStringLiteral(ORB_HELPER_TEST_SCRIPTS);
constexpr uint someTime = 1700000000; // 2023-11-14 22:13:20 UTC

struct PolkitCheck
{
    QString subjectKind;
    QString subjectName;
    QString actionId;
    uint flags = 0;
};

QDBusConnection systemBus()
{
    return QDBusConnection::systemBus();
}

bool isOnBus(const QString &name)
{
    return systemBus().interface()->isServiceRegistered(name).value();
}
}

class HelperServiceTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_polkit;
    QProcess *m_helper = nullptr;
    QProcess *m_responder = nullptr;
    int m_round = 0;
    QString m_root;
    QString m_clockLog;
    QString m_toolRuns;
    int m_ntpPort = 0;

    QProcessEnvironment helperEnvironment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ORB_HELPER_TEST_ROOT"), m_root);
        environment.insert(QStringLiteral("ORB_HELPER_TEST_CLOCK_LOG"), m_clockLog);
        environment.insert(QStringLiteral("ORB_HELPER_TEST_NTPDIG"), scripts + QStringLiteral("/ntpdig-on-port"));
        environment.insert(QStringLiteral("ORB_TEST_NTPDIG_ARGS"), m_toolRuns);
        environment.insert(QStringLiteral("ORB_TEST_NTP_PORT"), QString::number(m_ntpPort));
        environment.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Moscow"));
        return environment;
    }

    bool startHelper(const QProcessEnvironment &environment)
    {
        stopHelper();
        m_helper = new QProcess(this);
        m_helper->setProcessChannelMode(QProcess::ForwardedChannels);
        m_helper->setProcessEnvironment(environment);
        m_helper->start(QStringLiteral(ORB_DATE_HELPER_TEST_EXE), {QStringLiteral("--idle-timeout"), QStringLiteral("0")});
        QElapsedTimer timer;
        timer.start();
        while (!isOnBus(helperName)) {
            if (m_helper->state() == QProcess::NotRunning || timer.elapsed() > 10000) {
                return false;
            }
            QTest::qWait(20);
        }
        return true;
    }

    void stopHelper()
    {
        if (!m_helper) {
            return;
        }
        m_helper->terminate();
        m_helper->waitForFinished(5000);
        delete m_helper;
        m_helper = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(!isOnBus(helperName), 5000);
    }

    // A responder for the next helper start; its port reaches the tool wrapper.
    bool startResponder(double offset, int leap = 0)
    {
        m_responder = new QProcess(this);
        m_responder->start(QStringLiteral("/usr/bin/python3"),
            {scripts + QStringLiteral("/sntp-responder"), QStringLiteral("--offset"), QString::number(offset), QStringLiteral("--leap"), QString::number(leap),
                QStringLiteral("--lifetime"), QStringLiteral("60")});
        if (!m_responder->waitForReadyRead(10000)) {
            return false;
        }
        m_ntpPort = m_responder->readLine().trimmed().toInt();
        return m_ntpPort > 0;
    }

    QDBusMessage helperCall(const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(helperName, QStringLiteral("/"), QStringLiteral("ru.veltronix.orb.date.Manager"), method);
        message.setArguments(arguments);
        return message;
    }

    QDBusMessage call(const QString &method, const QVariantList &arguments = {})
    {
        return systemBus().call(helperCall(method, arguments));
    }

    QDBusMessage polkitMock(const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(polkitName, polkitPath, QStringLiteral("org.freedesktop.DBus.Mock"), method);
        message.setArguments(arguments);
        return systemBus().call(message);
    }

    void allow(const QStringList &actions)
    {
        const QDBusMessage reply = polkitMock(QStringLiteral("SetAllowed"), {actions});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

    QList<PolkitCheck> polkitChecks()
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

    QStringList checkedActions()
    {
        QStringList actions;
        for (const PolkitCheck &check : polkitChecks()) {
            actions << check.actionId;
        }
        return actions;
    }

    QStringList clockLog() const
    {
        QFile file(m_clockLog);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // The argument lists the NTP tool was started with, one per run.
    QList<QStringList> toolRuns() const
    {
        QFile file(m_toolRuns);
        QList<QStringList> runs;
        if (!file.open(QIODevice::ReadOnly)) {
            return runs;
        }
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.isEmpty()) {
                QStringList run;
                for (const QJsonValue &argument : QJsonDocument::fromJson(line).array()) {
                    run << argument.toString();
                }
                runs << run;
            }
        }
        return runs;
    }

    static double clockValue(const QString &line)
    {
        return line.startsWith(QLatin1String("clock ")) ? line.mid(6).toDouble() : -1;
    }

    void writeFile(const QString &path, const QByteArray &content)
    {
        const QString full = m_root + path;
        QDir().mkpath(QFileInfo(full).path());
        QFile file(full);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS").contains(QLatin1String("orb-buses")), "run under tests/harness/run-with-buses");
        QVERIFY2(QFile::exists(QStringLiteral("/usr/bin/ntpdig")), "ntpdig is missing: run tools/install-deps.sh");
        QVERIFY(m_dir.isValid());
        m_polkit.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_polkit.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"), QStringLiteral("polkitd"), QStringLiteral("--system")});
        QTRY_VERIFY_WITH_TIMEOUT(isOnBus(polkitName), 15000);
    }

    void cleanupTestCase()
    {
        stopHelper();
        m_polkit.terminate();
        m_polkit.waitForFinished(5000);
    }

    void init()
    {
        const QString round = m_dir.filePath(QString::number(++m_round));
        m_root = round + QStringLiteral("/root");
        QVERIFY(QDir().mkpath(m_root));
        m_clockLog = round + QStringLiteral("/clock.log");
        m_toolRuns = round + QStringLiteral("/tool-runs.jsonl");
        m_ntpPort = 0;
        allow({});
        polkitMock(QStringLiteral("SimulateHangActions"), {QStringList()});
        polkitMock(QStringLiteral("ClearCalls"));
    }

    void cleanup()
    {
        stopHelper();
        if (m_responder) {
            m_responder->closeWriteChannel();
            m_responder->waitForFinished(5000);
            delete m_responder;
            m_responder = nullptr;
        }
    }

    void refusedRequestsChangeNothing()
    {
        QVERIFY(startResponder(1000));
        QVERIFY(startHelper(helperEnvironment()));

        const QList<QDBusMessage> replies
            = {call(QStringLiteral("SetTime"), {someTime}), call(QStringLiteral("NTPSync"), {QStringLiteral("127.0.0.1")}), call(QStringLiteral("SwitchTab"))};
        for (const QDBusMessage &reply : replies) {
            QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
            QCOMPARE(reply.errorName(), accessDenied);
        }
        QCOMPARE(clockLog(), QStringList());
        QCOMPARE(toolRuns().size(), 0);

        // polkit was asked about this caller, by its bus name, allowing a password dialog.
        const QList<PolkitCheck> checks = polkitChecks();
        QCOMPARE(checkedActions(), (QStringList{setTimeAction, ntpSyncAction, switchTabAction}));
        for (const PolkitCheck &check : checks) {
            QCOMPARE(check.subjectKind, QStringLiteral("system-bus-name"));
            QCOMPARE(check.subjectName, systemBus().baseService());
            QCOMPARE(check.flags, 1u);
        }

        // Allowing one action allows only that one.
        allow({switchTabAction});
        QCOMPARE(call(QStringLiteral("SwitchTab")).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(call(QStringLiteral("SetTime"), {someTime}).errorName(), accessDenied);
        QCOMPARE(clockLog(), QStringList());
    }

    void setTimeSetsSystemAndHardwareClock()
    {
        allow({setTimeAction});
        QVERIFY(startHelper(helperEnvironment()));

        // No hardware clock: the system clock alone.
        QCOMPARE(call(QStringLiteral("SetTime"), {someTime}).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(clockLog(), QStringList{QStringLiteral("clock 1700000000.000000000")});

        // A hardware clock keeping UTC, then one keeping local time (the helper's zone is Moscow, UTC+3).
        writeFile(QStringLiteral("/dev/rtc"), QByteArray());
        QCOMPARE(call(QStringLiteral("SetTime"), {someTime + 1}).type(), QDBusMessage::ReplyMessage);
        writeFile(QStringLiteral("/etc/adjtime"), "0.000000 1700000000 0.000000\n1700000000\nLOCAL\n");
        QCOMPARE(call(QStringLiteral("SetTime"), {someTime + 2}).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(clockLog(),
            (QStringList{QStringLiteral("clock 1700000000.000000000"), QStringLiteral("clock 1700000001.000000000"),
                QStringLiteral("rtc utc 2023-11-14 22:13:21"), QStringLiteral("clock 1700000002.000000000"), QStringLiteral("rtc local 2023-11-15 01:13:22")}));
        QCOMPARE(checkedActions(), (QStringList{setTimeAction, setTimeAction, setTimeAction}));
    }

    void clockFailureIsReported()
    {
        allow({setTimeAction});
        m_clockLog = m_root + QStringLiteral("/missing/clock.log");
        QVERIFY(startHelper(helperEnvironment()));
        const QDBusMessage reply = call(QStringLiteral("SetTime"), {someTime});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), failed);
        QVERIFY(!reply.errorMessage().isEmpty());
    }

    void ntpSyncStepsClockByServerOffset()
    {
        allow({ntpSyncAction});
        QVERIFY(startResponder(1000.5));
        QVERIFY(startHelper(helperEnvironment()));

        const double before = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        const QDBusMessage reply = call(QStringLiteral("NTPSync"), {QStringLiteral("127.0.0.1")});
        const double after = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));

        // The tool was given the server after the end of its options.
        QCOMPARE(toolRuns(),
            (QList<QStringList>{
                {QStringLiteral("--json"), QStringLiteral("--timeout"), QStringLiteral("4"), QStringLiteral("--"), QStringLiteral("127.0.0.1")}}));
        const QStringList log = clockLog();
        QCOMPARE(log.size(), 1);
        const double set = clockValue(log.constFirst());
        QVERIFY2(set >= before + 1000.5 - 0.5 && set <= after + 1000.5 + 0.5, qPrintable(log.constFirst()));
    }

    void ntpSyncWithoutServerAsksConfiguredOnes()
    {
        allow({ntpSyncAction});
        writeFile(QStringLiteral("/etc/systemd/timesyncd.conf"), "[Time]\nNTP=127.0.0.1 not_a_host\n");
        QVERIFY(startResponder(-20));
        QVERIFY(startHelper(helperEnvironment()));

        const QDBusMessage reply = call(QStringLiteral("NTPSync"), {QStringLiteral("  ")});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        QCOMPARE(toolRuns().size(), 1);
        QCOMPARE(toolRuns().constFirst().mid(3), (QStringList{QStringLiteral("--"), QStringLiteral("127.0.0.1")}));
        QCOMPARE(clockLog().size(), 1);
        const double now = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        QVERIFY(qAbs(clockValue(clockLog().constFirst()) - (now - 20)) < 2);
    }

    void ntpFailureCarriesToolOutput()
    {
        allow({ntpSyncAction});
        QVERIFY(startResponder(1000, 3)); // "not synchronized": ntpdig drops the answer
        QVERIFY(startHelper(helperEnvironment()));

        const QDBusMessage reply = call(QStringLiteral("NTPSync"), {QStringLiteral("127.0.0.1")});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), failed);
        QVERIFY2(reply.errorMessage().contains(QLatin1String("ntpdig: no eligible servers")), qPrintable(reply.errorMessage()));
        QVERIFY2(reply.errorMessage().contains(QLatin1String("leap not in sync")), qPrintable(reply.errorMessage()));
        QCOMPARE(toolRuns().size(), 1);
        QCOMPARE(clockLog(), QStringList());
    }

    void invalidServersAreRefused_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("option") << QStringLiteral("-S");
        QTest::newRow("long option") << QStringLiteral("--step");
        QTest::newRow("name and option") << QStringLiteral("127.0.0.1 --step");
        QTest::newRow("shell") << QStringLiteral("127.0.0.1;touch /tmp/x");
        QTest::newRow("empty label") << QStringLiteral("a..b");
    }

    void invalidServersAreRefused()
    {
        QFETCH(QString, server);
        allow({ntpSyncAction});
        QVERIFY(startResponder(1000));
        QVERIFY(startHelper(helperEnvironment()));

        const QDBusMessage reply = call(QStringLiteral("NTPSync"), {server});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), invalidArgs);
        QCOMPARE(toolRuns().size(), 0);
        QCOMPARE(clockLog(), QStringList());
        // Refused before polkit would ask for a password.
        QCOMPARE(checkedActions(), QStringList());
    }

    void authorizationDoesNotBlockTheService()
    {
        allow({setTimeAction, switchTabAction});
        polkitMock(QStringLiteral("SimulateHangActions"), {QStringList{setTimeAction}});
        QVERIFY(startHelper(helperEnvironment()));

        QDBusPendingCall setTime = systemBus().asyncCall(helperCall(QStringLiteral("SetTime"), {someTime}));
        QTRY_COMPARE(checkedActions(), QStringList{setTimeAction});

        // While polkit still asks about SetTime, other requests are served.
        QCOMPARE(call(QStringLiteral("SwitchTab")).type(), QDBusMessage::ReplyMessage);
        QVERIFY(!setTime.isFinished());
        QCOMPARE(clockLog(), QStringList());

        polkitMock(QStringLiteral("ReleaseHangingCalls"));
        setTime.waitForFinished();
        QVERIFY2(!setTime.isError(), qPrintable(setTime.error().message()));
        QCOMPARE(clockLog(), QStringList{QStringLiteral("clock 1700000000.000000000")});
    }

    void requestsChangeTheClockOneAfterAnother()
    {
        allow({setTimeAction, ntpSyncAction});
        QVERIFY(startResponder(1000));
        QVERIFY(startHelper(helperEnvironment()));

        // A time set while a synchronization runs comes after the synchronization's
        // step, whose offset was measured against the clock as it was.
        QDBusPendingCall sync = systemBus().asyncCall(helperCall(QStringLiteral("NTPSync"), {QStringLiteral("127.0.0.1")}));
        QDBusPendingCall setTime = systemBus().asyncCall(helperCall(QStringLiteral("SetTime"), {someTime}));
        sync.waitForFinished();
        setTime.waitForFinished();
        QVERIFY2(!sync.isError(), qPrintable(sync.error().message()));
        QVERIFY2(!setTime.isError(), qPrintable(setTime.error().message()));
        const QStringList log = clockLog();
        QCOMPARE(log.size(), 2);
        QVERIFY(clockValue(log.at(0)) > QDateTime::currentSecsSinceEpoch() + 900);
        QCOMPARE(log.at(1), QStringLiteral("clock 1700000000.000000000"));
    }

    void busActivationAndIdleExit()
    {
        allow({setTimeAction});
        // The bus starts the helper from a service file like the installed one.
        QString exec = QStringLiteral("/usr/bin/env");
        const QProcessEnvironment environment = helperEnvironment();
        for (const QString &name : {QStringLiteral("ORB_HELPER_TEST_ROOT"), QStringLiteral("ORB_HELPER_TEST_CLOCK_LOG")}) {
            exec += QLatin1Char(' ') + name + QLatin1Char('=') + environment.value(name);
        }
        exec += QStringLiteral(" " ORB_DATE_HELPER_TEST_EXE " --idle-timeout 1");
        const QString serviceFile = qEnvironmentVariable("ORB_TEST_TMPDIR") + QStringLiteral("/services/ru.veltronix.orb.date.service");
        QFile file(serviceFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[D-BUS Service]\nName=ru.veltronix.orb.date\nExec=%1\nUser=root\n").arg(exec).toUtf8());
        file.close();
        systemBus().call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig")));

        QVERIFY(!isOnBus(helperName));
        const QDBusMessage reply = call(QStringLiteral("SetTime"), {someTime});
        QFile::remove(serviceFile);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        QCOMPARE(clockLog(), QStringList{QStringLiteral("clock 1700000000.000000000")});

        // After a second without requests it leaves the bus.
        QVERIFY(isOnBus(helperName));
        QTRY_VERIFY_WITH_TIMEOUT(!isOnBus(helperName), 10000);
    }
};

QTEST_GUILESS_MAIN(HelperServiceTest)
#include "test_helperservice.moc"
