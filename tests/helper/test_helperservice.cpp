// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The test build of the date helper on the private system bus: polkit's mock
    decides, a local SNTP responder serves the time through the real ntpdig, and
    clock changes go to a file instead of the clock.
*/

#include "helperrig.h"

#include <QDBusPendingCall>

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QTest>
#include <algorithm>

namespace
{
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

// The clock log with the fractions of seconds (the wait the helper adds) cut off.
QStringList wholeSeconds(const QStringList &log)
{
    QStringList lines;
    for (const QString &line : log) {
        lines << (line.startsWith(QLatin1String("clock ")) ? line.section(QLatin1Char('.'), 0, 0) : line);
    }
    return lines;
}

// The helper's Error signals that reach this test's connection.
class ErrorSignals : public QObject
{
    Q_OBJECT
public:
    ErrorSignals()
    {
        HelperRig::bus().connect(helperName,
                                 QStringLiteral("/"),
                                 QStringLiteral("ru.veltronix.orb.date.Manager"),
                                 QStringLiteral("Error"),
                                 this,
                                 SLOT(note(QString, QString)));
    }
    QList<QStringList> received;
public Q_SLOTS:
    void note(const QString &title, const QString &message)
    {
        received << QStringList{title, message};
    }
};
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

        const QList<QDBusMessage> replies = {call(QStringLiteral("SetTime"), {someTime}),
                                             call(QStringLiteral("NTPSync"), {QStringLiteral("127.0.0.1")}),
                                             call(QStringLiteral("SwitchTab"))};
        for (const QDBusMessage &reply : replies) {
            QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
            QCOMPARE(reply.errorName(), accessDenied);
        }
        QCOMPARE(m_rig.clockLog(), QStringList());
        QCOMPARE(m_rig.toolRuns().size(), 0);

        // polkit was asked about this caller, by its bus name, with no password
        // dialog: these calls did not allow interaction.
        QDBusMessage interactive = HelperRig::helperCall(QStringLiteral("SwitchTab"));
        interactive.setInteractiveAuthorizationAllowed(true);
        QCOMPARE(HelperRig::bus().call(interactive).errorName(), accessDenied);
        const QList<HelperRig::PolkitCheck> checks = m_rig.polkitChecks();
        QCOMPARE(m_rig.checkedActions(), (QStringList{setTimeAction, ntpSyncAction, switchTabAction, switchTabAction}));
        for (const HelperRig::PolkitCheck &check : checks) {
            QCOMPARE(check.subjectKind, QStringLiteral("system-bus-name"));
            QCOMPARE(check.subjectName, HelperRig::bus().baseService());
        }
        QCOMPARE(checks.at(0).flags, 0u);
        QCOMPARE(checks.at(3).flags, 1u);

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
        QCOMPARE(wholeSeconds(m_rig.clockLog()), QStringList{QStringLiteral("clock 1700000000")});

        // A hardware clock keeping UTC, then one keeping local time (the helper's zone is Moscow, UTC+3).
        QVERIFY(m_rig.writeFile(QStringLiteral("/dev/rtc"), QByteArray()));
        QCOMPARE(call(QStringLiteral("SetTime"), {someTime + 1}).type(), QDBusMessage::ReplyMessage);
        QVERIFY(m_rig.writeFile(QStringLiteral("/etc/adjtime"), "0.000000 1700000000 0.000000\n1700000000\nLOCAL\n"));
        QCOMPARE(call(QStringLiteral("SetTime"), {someTime + 2}).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(wholeSeconds(m_rig.clockLog()),
                 (QStringList{QStringLiteral("clock 1700000000"),
                              QStringLiteral("clock 1700000001"),
                              QStringLiteral("rtc utc 2023-11-14 22:13:21"),
                              QStringLiteral("clock 1700000002"),
                              QStringLiteral("rtc local 2023-11-15 01:13:22")}));
        QCOMPARE(m_rig.checkedActions(), (QStringList{setTimeAction, setTimeAction, setTimeAction}));
    }

    void clockFailureIsReported()
    {
        m_rig.allow({setTimeAction});
        m_rig.setClockLogPath(m_rig.root() + QStringLiteral("/missing/clock.log"));
        QVERIFY(m_rig.startHelper());
        ErrorSignals errors;
        const QDBusMessage reply = call(QStringLiteral("SetTime"), {someTime});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), failed);
        QVERIFY(!reply.errorMessage().isEmpty());
        // The same reason follows as the Error signal, to this caller.
        QTRY_COMPARE(errors.received.size(), 1);
        QCOMPARE(errors.received.first(), (QStringList{QStringLiteral("Unable to set the time"), reply.errorMessage()}));
    }

    void requestsOfACallerThatLeftAreDropped()
    {
        m_rig.allow({setTimeAction, ntpSyncAction});
        m_rig.polkitMock(QStringLiteral("SimulateHang"), {true});
        QVERIFY(m_rig.startResponder(1000));
        QVERIFY(m_rig.startHelper());
        {
            QDBusConnection gone = QDBusConnection::connectToBus(QDBusConnection::SystemBus, QStringLiteral("caller-that-leaves"));
            gone.asyncCall(HelperRig::helperCall(QStringLiteral("SetTime"), {someTime}));
            gone.asyncCall(HelperRig::helperCall(QStringLiteral("NTPSync"), {QStringLiteral("127.0.0.1")}));
            QTRY_COMPARE(m_rig.polkitChecks().size(), 2);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("caller-that-leaves"));
        m_rig.polkitMock(QStringLiteral("SimulateHang"), {false});
        m_rig.polkitMock(QStringLiteral("ReleaseHangingCalls"));
        // The helper still serves; of the caller that left, nothing was carried out.
        QCOMPARE(call(QStringLiteral("SwitchTab")).errorName(), accessDenied);
        QTest::qWait(2000); // time enough for a tool run that should not have started
        QCOMPARE(m_rig.clockLog(), QStringList());
        QCOMPARE(m_rig.toolRuns().size(), 0);
    }

    void pendingRequestsOfOneUserAreBounded()
    {
        m_rig.allow({switchTabAction});
        m_rig.polkitMock(QStringLiteral("SimulateHang"), {true});
        QVERIFY(m_rig.startHelper());
        QList<QDBusPendingCall> waiting;
        for (int i = 0; i < 4; ++i) {
            waiting << HelperRig::bus().asyncCall(HelperRig::helperCall(QStringLiteral("SwitchTab")));
        }
        const QDBusMessage refused = call(QStringLiteral("SwitchTab"));
        QCOMPARE(refused.errorName(), QStringLiteral("org.freedesktop.DBus.Error.LimitsExceeded"));
        m_rig.polkitMock(QStringLiteral("SimulateHang"), {false});
        m_rig.polkitMock(QStringLiteral("ReleaseHangingCalls"));
        for (QDBusPendingCall &pending : waiting) {
            pending.waitForFinished();
            QVERIFY(!pending.isError());
        }
        // Answered requests no longer count.
        QCOMPARE(call(QStringLiteral("SwitchTab")).type(), QDBusMessage::ReplyMessage);
    }

    void hungToolIsEndedAndReported()
    {
        m_rig.allow({ntpSyncAction});
        QVERIFY(m_rig.writeFile(QStringLiteral("/hang"), "#!/bin/sh\nexec sleep 600\n"));
        QVERIFY(QFile::setPermissions(m_rig.root() + QStringLiteral("/hang"), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        m_rig.setHelperVariable(QStringLiteral("ORB_HELPER_TEST_NTPDIG"), m_rig.root() + QStringLiteral("/hang"));
        m_rig.setHelperVariable(QStringLiteral("ORB_HELPER_TEST_NTP_DEADLINE_MS"), QStringLiteral("1000"));
        QVERIFY(m_rig.startHelper());
        ErrorSignals errors;
        const QDBusMessage reply = call(QStringLiteral("NTPSync"), {QStringLiteral("ntp.example.org")});
        QCOMPARE(reply.errorName(), failed);
        QTRY_COMPARE(errors.received.size(), 1);
        const QString reason = errors.received.first().at(1);
        QCOMPARE(reason, QStringLiteral("The time query of ntp.example.org did not finish within 1 s and was stopped."));
        QCOMPARE(m_rig.clockLog(), QStringList());
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

        // The tool parses network replies: no root, no capabilities, a fixed environment.
        const QVariantList who = m_rig.toolIdentities().value(0);
        QCOMPARE(who.value(0).toInt(), 65534);
        QCOMPARE(who.value(1).toString(), QStringLiteral("0000000000000000"));
        QStringList variables = who.value(2).toStringList();
        variables.erase(std::remove_if(variables.begin(),
                                       variables.end(),
                                       [](const QString &name) {
                                           return name.startsWith(QLatin1String("ORB_TEST_"));
                                       }),
                        variables.end());
        QCOMPARE(variables, (QStringList{QStringLiteral("HOME"), QStringLiteral("LC_ALL"), QStringLiteral("PATH")}));
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

    void invalidArgumentsAreRefused_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariant>("argument");
        QTest::newRow("option") << QStringLiteral("NTPSync") << QVariant(QStringLiteral("-S"));
        QTest::newRow("long option") << QStringLiteral("NTPSync") << QVariant(QStringLiteral("--step"));
        QTest::newRow("name and option") << QStringLiteral("NTPSync") << QVariant(QStringLiteral("127.0.0.1 --step"));
        QTest::newRow("shell") << QStringLiteral("NTPSync") << QVariant(QStringLiteral("127.0.0.1;touch /tmp/x"));
        QTest::newRow("empty label") << QStringLiteral("NTPSync") << QVariant(QStringLiteral("a..b"));
        QTest::newRow("the epoch") << QStringLiteral("SetTime") << QVariant(0u);
        QTest::newRow("end of 32 bits") << QStringLiteral("SetTime") << QVariant(4294967295u);
    }

    void invalidArgumentsAreRefused()
    {
        QFETCH(QString, method);
        QFETCH(QVariant, argument);
        m_rig.allow({ntpSyncAction, setTimeAction});
        QVERIFY(m_rig.startResponder(1000));
        QVERIFY(m_rig.startHelper());

        const QDBusMessage reply = call(method, {argument});
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
        QCOMPARE(wholeSeconds(m_rig.clockLog()), QStringList{QStringLiteral("clock 1700000000")});
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
        // Set to the instant asked for plus the time it waited for the synchronization.
        QVERIFY(HelperRig::clockValue(log.at(1)) > someTime && HelperRig::clockValue(log.at(1)) < someTime + 25);
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
        HelperRig::bus().call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                             QStringLiteral("/org/freedesktop/DBus"),
                                                             QStringLiteral("org.freedesktop.DBus"),
                                                             QStringLiteral("ReloadConfig")));

        QVERIFY(!HelperRig::isOnBus(helperName));
        const QDBusMessage reply = call(QStringLiteral("SetTime"), {someTime});
        QFile::remove(serviceFile);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        QCOMPARE(wholeSeconds(m_rig.clockLog()), QStringList{QStringLiteral("clock 1700000000")});

        // After a second without requests it leaves the bus.
        QVERIFY(HelperRig::isOnBus(helperName));
        QTRY_VERIFY_WITH_TIMEOUT(!HelperRig::isOnBus(helperName), 10000);
    }
};

QTEST_GUILESS_MAIN(HelperServiceTest)
#include "test_helperservice.moc"
