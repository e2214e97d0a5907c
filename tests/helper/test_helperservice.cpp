/*
    The test build of the date helper on the private system bus: polkit's mock
    decides, a local SNTP responder serves the time through the real ntpdig, and
    clock changes go to a file instead of the clock.
*/

#include "helperrig.h"

#include <QDBusPendingCall>
#include <QDateTime>
#include <QFile>
#include <QTest>

namespace {
const QString accessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
const QString invalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
const QString failed = QStringLiteral("org.freedesktop.DBus.Error.Failed");
const QString &setTimeAction = HelperRig::setTimeAction;
const QString &ntpSyncAction = HelperRig::ntpSyncAction;
const QString &switchTabAction = HelperRig::switchTabAction;
const QString &helperName = HelperRig::helperName;
constexpr uint someTime = 1700000000; // 2023-11-14 22:13:20 UTC

QDBusMessage call(const QString &method, const QVariantList &arguments = {})
{
    return HelperRig::call(method, arguments);
}
}

class HelperServiceTest : public QObject
{
    Q_OBJECT

private:
    HelperRig m_rig;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS").contains(QLatin1String("orb-buses")), "run under tests/harness/run-with-buses");
        QVERIFY2(QFile::exists(QStringLiteral("/usr/bin/ntpdig")), "ntpdig is missing: run tools/install-deps.sh");
        QVERIFY(m_rig.startPolkit());
    }

    void init()
    {
        QVERIFY(m_rig.newRound());
    }

    void cleanup()
    {
        m_rig.endRound();
    }

    void refusedRequestsChangeNothing()
    {
        QVERIFY(m_rig.startResponder(1000));
        QVERIFY(m_rig.startHelper());

        const QList<QDBusMessage> replies
            = {call(QStringLiteral("SetTime"), {someTime}), call(QStringLiteral("NTPSync"), {QStringLiteral("127.0.0.1")}), call(QStringLiteral("SwitchTab"))};
        for (const QDBusMessage &reply : replies) {
            QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
            QCOMPARE(reply.errorName(), accessDenied);
        }
        QCOMPARE(m_rig.clockLog(), QStringList());
        QCOMPARE(m_rig.toolRuns().size(), 0);

        // polkit was asked about this caller, by its bus name, allowing a password dialog.
        const QList<HelperRig::PolkitCheck> checks = m_rig.polkitChecks();
        QCOMPARE(m_rig.checkedActions(), (QStringList{setTimeAction, ntpSyncAction, switchTabAction}));
        for (const HelperRig::PolkitCheck &check : checks) {
            QCOMPARE(check.subjectKind, QStringLiteral("system-bus-name"));
            QCOMPARE(check.subjectName, HelperRig::bus().baseService());
            QCOMPARE(check.flags, 1u);
        }

        // Allowing one action allows only that one.
        m_rig.allow({switchTabAction});
        QCOMPARE(call(QStringLiteral("SwitchTab")).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(call(QStringLiteral("SetTime"), {someTime}).errorName(), accessDenied);
        QCOMPARE(m_rig.clockLog(), QStringList());
    }

    void setTimeSetsSystemAndHardwareClock()
    {
        m_rig.allow({setTimeAction});
        QVERIFY(m_rig.startHelper());

        // No hardware clock: the system clock alone.
        QCOMPARE(call(QStringLiteral("SetTime"), {someTime}).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(m_rig.clockLog(), QStringList{QStringLiteral("clock 1700000000.000000000")});

        // A hardware clock keeping UTC, then one keeping local time (the helper's zone is Moscow, UTC+3).
        QVERIFY(m_rig.writeFile(QStringLiteral("/dev/rtc"), QByteArray()));
        QCOMPARE(call(QStringLiteral("SetTime"), {someTime + 1}).type(), QDBusMessage::ReplyMessage);
        QVERIFY(m_rig.writeFile(QStringLiteral("/etc/adjtime"), "0.000000 1700000000 0.000000\n1700000000\nLOCAL\n"));
        QCOMPARE(call(QStringLiteral("SetTime"), {someTime + 2}).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(m_rig.clockLog(),
            (QStringList{QStringLiteral("clock 1700000000.000000000"), QStringLiteral("clock 1700000001.000000000"),
                QStringLiteral("rtc utc 2023-11-14 22:13:21"), QStringLiteral("clock 1700000002.000000000"), QStringLiteral("rtc local 2023-11-15 01:13:22")}));
        QCOMPARE(m_rig.checkedActions(), (QStringList{setTimeAction, setTimeAction, setTimeAction}));
    }

    void clockFailureIsReported()
    {
        m_rig.allow({setTimeAction});
        m_rig.setClockLogPath(m_rig.root() + QStringLiteral("/missing/clock.log"));
        QVERIFY(m_rig.startHelper());
        const QDBusMessage reply = call(QStringLiteral("SetTime"), {someTime});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), failed);
        QVERIFY(!reply.errorMessage().isEmpty());
    }

    void ntpSyncStepsClockByServerOffset()
    {
        m_rig.allow({ntpSyncAction});
        QVERIFY(m_rig.startResponder(1000.5));
        QVERIFY(m_rig.startHelper());

        const double before = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        const QDBusMessage reply = call(QStringLiteral("NTPSync"), {QStringLiteral("127.0.0.1")});
        const double after = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));

        // The tool was given the server after the end of its options.
        QCOMPARE(m_rig.toolRuns(),
            (QList<QStringList>{
                {QStringLiteral("--json"), QStringLiteral("--timeout"), QStringLiteral("4"), QStringLiteral("--"), QStringLiteral("127.0.0.1")}}));
        const QStringList log = m_rig.clockLog();
        QCOMPARE(log.size(), 1);
        const double set = HelperRig::clockValue(log.constFirst());
        QVERIFY2(set >= before + 1000.5 - 0.5 && set <= after + 1000.5 + 0.5, qPrintable(log.constFirst()));
    }

    void ntpSyncWithoutServerAsksConfiguredOnes()
    {
        m_rig.allow({ntpSyncAction});
        QVERIFY(m_rig.writeFile(QStringLiteral("/etc/systemd/timesyncd.conf"), "[Time]\nNTP=127.0.0.1 not_a_host\n"));
        QVERIFY(m_rig.startResponder(-20));
        QVERIFY(m_rig.startHelper());

        const QDBusMessage reply = call(QStringLiteral("NTPSync"), {QStringLiteral("  ")});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        QCOMPARE(m_rig.toolRuns().size(), 1);
        QCOMPARE(m_rig.toolRuns().constFirst().mid(3), (QStringList{QStringLiteral("--"), QStringLiteral("127.0.0.1")}));
        QCOMPARE(m_rig.clockLog().size(), 1);
        const double now = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        QVERIFY(qAbs(HelperRig::clockValue(m_rig.clockLog().constFirst()) - (now - 20)) < 2);
    }

    void ntpFailureCarriesToolOutput()
    {
        m_rig.allow({ntpSyncAction});
        QVERIFY(m_rig.startResponder(1000, 3)); // "not synchronized": ntpdig drops the answer
        QVERIFY(m_rig.startHelper());

        const QDBusMessage reply = call(QStringLiteral("NTPSync"), {QStringLiteral("127.0.0.1")});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), failed);
        QVERIFY2(reply.errorMessage().contains(QLatin1String("ntpdig: no eligible servers")), qPrintable(reply.errorMessage()));
        QVERIFY2(reply.errorMessage().contains(QLatin1String("leap not in sync")), qPrintable(reply.errorMessage()));
        QCOMPARE(m_rig.toolRuns().size(), 1);
        QCOMPARE(m_rig.clockLog(), QStringList());
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
        m_rig.allow({ntpSyncAction});
        QVERIFY(m_rig.startResponder(1000));
        QVERIFY(m_rig.startHelper());

        const QDBusMessage reply = call(QStringLiteral("NTPSync"), {server});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), invalidArgs);
        QCOMPARE(m_rig.toolRuns().size(), 0);
        QCOMPARE(m_rig.clockLog(), QStringList());
        // Refused before polkit would ask for a password.
        QCOMPARE(m_rig.checkedActions(), QStringList());
    }

    void authorizationDoesNotBlockTheService()
    {
        m_rig.allow({setTimeAction, switchTabAction});
        m_rig.polkitMock(QStringLiteral("SimulateHangActions"), {QStringList{setTimeAction}});
        QVERIFY(m_rig.startHelper());

        QDBusPendingCall setTime = HelperRig::bus().asyncCall(HelperRig::helperCall(QStringLiteral("SetTime"), {someTime}));
        QTRY_COMPARE(m_rig.checkedActions(), QStringList{setTimeAction});

        // While polkit still asks about SetTime, other requests are served.
        QCOMPARE(call(QStringLiteral("SwitchTab")).type(), QDBusMessage::ReplyMessage);
        QVERIFY(!setTime.isFinished());
        QCOMPARE(m_rig.clockLog(), QStringList());

        m_rig.polkitMock(QStringLiteral("ReleaseHangingCalls"));
        setTime.waitForFinished();
        QVERIFY2(!setTime.isError(), qPrintable(setTime.error().message()));
        QCOMPARE(m_rig.clockLog(), QStringList{QStringLiteral("clock 1700000000.000000000")});
    }

    void requestsChangeTheClockOneAfterAnother()
    {
        m_rig.allow({setTimeAction, ntpSyncAction});
        QVERIFY(m_rig.startResponder(1000));
        QVERIFY(m_rig.startHelper());

        // A time set while a synchronization runs comes after the synchronization's
        // step, whose offset was measured against the clock as it was.
        QDBusPendingCall sync = HelperRig::bus().asyncCall(HelperRig::helperCall(QStringLiteral("NTPSync"), {QStringLiteral("127.0.0.1")}));
        QDBusPendingCall setTime = HelperRig::bus().asyncCall(HelperRig::helperCall(QStringLiteral("SetTime"), {someTime}));
        sync.waitForFinished();
        setTime.waitForFinished();
        QVERIFY2(!sync.isError(), qPrintable(sync.error().message()));
        QVERIFY2(!setTime.isError(), qPrintable(setTime.error().message()));
        const QStringList log = m_rig.clockLog();
        QCOMPARE(log.size(), 2);
        QVERIFY(HelperRig::clockValue(log.at(0)) > QDateTime::currentSecsSinceEpoch() + 900);
        QCOMPARE(log.at(1), QStringLiteral("clock 1700000000.000000000"));
    }

    void busActivationAndIdleExit()
    {
        m_rig.allow({setTimeAction});
        // The bus starts the helper from a service file like the installed one.
        QString exec = QStringLiteral("/usr/bin/env");
        const QProcessEnvironment environment = m_rig.helperEnvironment();
        for (const QString &name : {QStringLiteral("ORB_HELPER_TEST_ROOT"), QStringLiteral("ORB_HELPER_TEST_CLOCK_LOG")}) {
            exec += QLatin1Char(' ') + name + QLatin1Char('=') + environment.value(name);
        }
        exec += QStringLiteral(" " ORB_DATE_HELPER_TEST_EXE " --idle-timeout 1");
        const QString serviceFile = qEnvironmentVariable("ORB_TEST_TMPDIR") + QStringLiteral("/services/ru.veltronix.orb.date.service");
        QFile file(serviceFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[D-BUS Service]\nName=ru.veltronix.orb.date\nExec=%1\nUser=root\n").arg(exec).toUtf8());
        file.close();
        HelperRig::bus().call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig")));

        QVERIFY(!HelperRig::isOnBus(helperName));
        const QDBusMessage reply = call(QStringLiteral("SetTime"), {someTime});
        QFile::remove(serviceFile);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        QCOMPARE(m_rig.clockLog(), QStringList{QStringLiteral("clock 1700000000.000000000")});

        // After a second without requests it leaves the bus.
        QVERIFY(HelperRig::isOnBus(helperName));
        QTRY_VERIFY_WITH_TIMEOUT(!HelperRig::isOnBus(helperName), 10000);
    }
};

QTEST_GUILESS_MAIN(HelperServiceTest)
#include "test_helperservice.moc"
