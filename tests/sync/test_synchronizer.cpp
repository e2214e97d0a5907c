// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The synchronizer against the stand-in date helper, polkit agent and timedated,
// with the time-sync layer reading a fixture tree and the systemd stand-in;
// and the server-name check of the module's syncNow.
#include <KPluginMetaData>

#include <QDBusError>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "dbusorbadmindate.h"
#include "kcmoduleqml.h"
#include "logiccontroller.h"
#include "modulehost.h"
#include "settings.h"
#include "standins.h"
#include "synchronizer.h"
#include "timesyncnames.h"
#include "timesynctestsupport.h"

namespace
{
const QStringList &s_recommended = TimeSyncNames::recommendedServers();

QStringList ntpSyncCalls()
{
    QStringList calls;
    const QList<StandInCall> received = StandIns::calls(StandIns::Helper, QStringLiteral("NTPSync"));
    for (const StandInCall &call : received) {
        calls << call.args.value(0).toString();
    }
    return calls;
}
}

class TestSynchronizer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void statusLine_data();
    void statusLine();
    void lastSynchronizationToolTip();
    void helperErrorsTranslated_data();
    void helperErrorsTranslated();
    void syncSendsServer();
    void syncRefused_data();
    void syncRefused();
    void recommendedServersInStableOrder();

    void syncNowRefusesBadNames_data();
    void syncNowRefusesBadNames();
    void syncNowAcceptsNames_data();
    void syncNowAcceptsNames();

    void noServiceUnits();

private:
    std::unique_ptr<Synchronizer> makeSynchronizer();

    StandIns m_standIns;
    std::unique_ptr<FixtureRoot> m_root;
    std::shared_ptr<DBusOrbAdminDate> m_client;
    std::shared_ptr<LogicController> m_logic;
};

void TestSynchronizer::initTestCase()
{
    QVERIFY(qEnvironmentVariableIsSet("ORB_STANDIN_JOURNAL"));
    QVERIFY(m_standIns.startAll());
    QVERIFY(
        m_standIns.start(StandIns::Systemd, {{QStringLiteral("Units"), QVariantMap{{QStringLiteral("systemd-timesyncd.service"), QStringLiteral("active")}}}}));
}

void TestSynchronizer::init()
{
    m_root = std::make_unique<FixtureRoot>();
    QVERIFY(m_root->isValid());
    QVERIFY(m_standIns.clearFailures(StandIns::Helper));
    QVERIFY(m_standIns.setUnit(QStringLiteral("systemd-timesyncd.service"), QStringLiteral("active")));
    QVERIFY(m_standIns.setUnit(QStringLiteral("chrony.service"), QStringLiteral("inactive")));
    QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTPSynchronized"), true));
    QVERIFY(m_standIns.setLastSync(QString(), 0));
    StandIns::clearJournal();
    m_client = std::make_shared<DBusOrbAdminDate>();
    m_logic = std::make_shared<LogicController>(true);
}

void TestSynchronizer::cleanup()
{
    m_logic.reset();
    m_client.reset();
    m_root.reset();
}

std::unique_ptr<Synchronizer> TestSynchronizer::makeSynchronizer()
{
    auto synchronizer = std::make_unique<Synchronizer>(m_logic, m_client);
    synchronizer->getSysAlive();
    return synchronizer;
}

void TestSynchronizer::statusLine_data()
{
    QTest::addColumn<QString>("timesyncd");
    QTest::addColumn<bool>("synchronized");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("status");

    QTest::newRow("stopped") << QStringLiteral("inactive") << true << 1 << QStringLiteral("All services stopped");
    QTest::newRow("not synchronized") << QStringLiteral("active") << false << 2 << QStringLiteral("Current service: systemd-timesyncd (not synced)");
    QTest::newRow("synchronized") << QStringLiteral("active") << true << 3 << QStringLiteral("Current service: systemd-timesyncd (synced)");
}

void TestSynchronizer::statusLine()
{
    QFETCH(QString, timesyncd);
    QFETCH(bool, synchronized);
    QFETCH(int, state);
    QFETCH(QString, status);

    QVERIFY(m_standIns.setUnit(QStringLiteral("systemd-timesyncd.service"), timesyncd));
    QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTPSynchronized"), synchronized));
    auto synchronizer = makeSynchronizer();
    QCOMPARE(synchronizer->currentServiceState(), state);
    QCOMPARE(synchronizer->currentStatusString(), status);
    QCOMPARE(synchronizer->noActiveServices(), state < 2);
    QCOMPARE(synchronizer->currentService(), state < 2 ? QString() : QStringLiteral("systemd-timesyncd"));
    QCOMPARE(synchronizer->getActiveServiceWidget() != nullptr, state >= 2);
}

void TestSynchronizer::lastSynchronizationToolTip()
{
    const QDateTime when(QDate(2025, 12, 4), QTime(10, 0, 5), Qt::UTC);
    QVERIFY(m_standIns.setLastSync(QStringLiteral("ntp2.vniiftri.ru"), static_cast<qulonglong>(when.toMSecsSinceEpoch()) * 1000));
    auto synchronizer = makeSynchronizer();
    QCOMPARE(synchronizer->getLastSynchroToolTip(),
             QStringLiteral("Last synchronization\nDate: %1\nTime: 10:00:05\nServer: ntp2.vniiftri.ru")
                 .arg(QLocale().toString(QDate(2025, 12, 4), QLocale::ShortFormat)));

    // Not synchronized: no tooltip, whatever timesyncd last heard.
    QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTPSynchronized"), false));
    m_logic->reloadSystemState();
    QCOMPARE(synchronizer->currentServiceState(), 2);
    QCOMPARE(synchronizer->getLastSynchroToolTip(), QString());

    // Synchronized, but no server known.
    QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTPSynchronized"), true));
    QVERIFY(m_standIns.setLastSync(QString(), 0));
    m_logic->reloadSystemState();
    QCOMPARE(synchronizer->currentServiceState(), 3);
    QCOMPARE(synchronizer->getLastSynchroToolTip(), QString());
}

void TestSynchronizer::helperErrorsTranslated_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("tool named first") << QStringLiteral("ntpdig: no servers can be used, exiting") << QStringLiteral("ntpdig: no eligible servers");
    QTest::newRow("tool named inside") << QStringLiteral("synchronization failed: ntpdig exited with 1") << QStringLiteral("ntpdig: no eligible servers");
    QTest::newRow("capital letters only") << QStringLiteral("NTPDIG: timeout") << QStringLiteral("NTPDIG: timeout");
    QTest::newRow("another failure") << QStringLiteral("no network") << QStringLiteral("no network");
    QTest::newRow("no CAP_SYS_TIME") << QStringLiteral("The system clock could not be set: Operation not permitted")
                                     << QStringLiteral("The date helper lacks the right to set the system clock (the CAP_SYS_TIME capability).");
}

void TestSynchronizer::helperErrorsTranslated()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);

    auto synchronizer = makeSynchronizer();
    QSignalSpy errors(synchronizer.get(), &Synchronizer::error);
    QVERIFY(m_standIns.emitHelperError(QStringLiteral("Synchronization"), message));
    QVERIFY(errors.wait(10000));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("Synchronization"));
    QCOMPARE(errors.at(0).at(1).toString(), shown);
}

void TestSynchronizer::syncSendsServer()
{
    auto synchronizer = makeSynchronizer();
    QSignalSpy errors(synchronizer.get(), &Synchronizer::error);
    synchronizer->setServer(QStringLiteral("ntp3.vniiftri.ru"));
    synchronizer->sync();
    synchronizer->setServer(QString());
    synchronizer->sync();
    QCOMPARE(ntpSyncCalls(), (QStringList{QStringLiteral("ntp3.vniiftri.ru"), QString()}));
    QCOMPARE(errors.count(), 0);
}

void TestSynchronizer::syncRefused_data()
{
    QTest::addColumn<QString>("errorName");
    QTest::addColumn<QString>("shown");

    QTest::newRow("access denied") << QStringLiteral("org.freedesktop.DBus.Error.AccessDenied")
                                   << QStringLiteral("Authorization error.\nThe password was not given or was refused.");
    QTest::newRow("failed") << QStringLiteral("org.freedesktop.DBus.Error.Failed") << QStringLiteral("The call failed.\nrefused by the test");
    QTest::newRow("helper gone") << QString() << QStringLiteral("Timeout reply.\nThe service stopped before it answered.");
}

void TestSynchronizer::syncRefused()
{
    QFETCH(QString, errorName);
    QFETCH(QString, shown);

    if (errorName.isEmpty()) {
        QVERIFY(m_standIns.dropOn(StandIns::Helper, QStringLiteral("NTPSync")));
    } else {
        QVERIFY(m_standIns.failWith(StandIns::Helper, QStringLiteral("NTPSync"), errorName, QStringLiteral("refused by the test")));
    }
    auto synchronizer = makeSynchronizer();
    QSignalSpy errors(synchronizer.get(), &Synchronizer::error);
    synchronizer->setServer(QStringLiteral("ntp1.vniiftri.ru"));
    synchronizer->sync();
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("Error "));
    QCOMPARE(errors.at(0).at(1).toString(), QStringLiteral("Unable to synchronize time!\n") + shown);
    QCOMPARE(synchronizer->currentServer(), QStringLiteral("ntp1.vniiftri.ru"));
    QVERIFY(m_standIns.start(StandIns::Helper));
}

void TestSynchronizer::recommendedServersInStableOrder()
{
    auto synchronizer = makeSynchronizer();
    // The fixture lists two of the seven itself; they come once, in the fixed places.
    const QStringList configured = {QStringLiteral("time.office.example"),
                                    QStringLiteral("0.debian.pool.ntp.org"),
                                    QStringLiteral("1.debian.pool.ntp.org"),
                                    QStringLiteral("2.debian.pool.ntp.org"),
                                    QStringLiteral("3.debian.pool.ntp.org")};
    QCOMPARE(synchronizer->getRecommendedServers(), s_recommended + configured);

    QVERIFY(m_standIns.setUnit(QStringLiteral("systemd-timesyncd.service"), QStringLiteral("inactive")));
    m_logic->reloadSystemState();
    QCOMPARE(synchronizer->getRecommendedServers(), s_recommended);
}

void TestSynchronizer::syncNowRefusesBadNames_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("option") << QStringLiteral("-o/tmp/x");
    QTest::newRow("long option after blanks") << QStringLiteral("  --help");
    QTest::newRow("two names") << QStringLiteral("ntp1.vniiftri.ru ntp2.vniiftri.ru");
    QTest::newRow("shell characters") << QStringLiteral("ntp1;reboot");
    QTest::newRow("command substitution") << QStringLiteral("$(id)");
    QTest::newRow("line break inside") << QStringLiteral("ntp1\nntp2");
    QTest::newRow("leading dot") << QStringLiteral(".vniiftri.ru");
    QTest::newRow("leading underscore") << QStringLiteral("_ntp.example");
    QTest::newRow("too long") << QString(254, QLatin1Char('a'));
    QTest::newRow("non-ASCII") << QStringLiteral("время.рф");
}

void TestSynchronizer::syncNowRefusesBadNames()
{
    QFETCH(QString, name);

    qputenv("ORB_ADMIN_MODE", "1");
    QQmlEngine engine;
    KCModuleQML module(nullptr, KPluginMetaData(ModuleHost::pluginFile()), {});
    module.initializeWithEngine(&engine);
    QVERIFY(module.synchronizer());
    module.syncNow(QStringLiteral("ntp2.vniiftri.ru"));
    QCOMPARE(ntpSyncCalls(), QStringList{QStringLiteral("ntp2.vniiftri.ru")});

    QSignalSpy messages(&module, &KCModuleQML::showMessage);
    module.syncNow(name);
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.at(0).at(0).toString(), QStringLiteral("Error "));
    QVERIFY(!messages.at(0).at(1).toString().isEmpty());
    // Nothing sent, nothing stored.
    QCOMPARE(ntpSyncCalls(), QStringList{QStringLiteral("ntp2.vniiftri.ru")});
    QCOMPARE(module.synchronizer()->currentServer(), QStringLiteral("ntp2.vniiftri.ru"));
    QCOMPARE(module.settings().value(Settings::Server).toString(), QStringLiteral("ntp2.vniiftri.ru"));
}

void TestSynchronizer::syncNowAcceptsNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sent");

    QTest::newRow("host name") << QStringLiteral("ntp21.vniiftri.ru") << QStringLiteral("ntp21.vniiftri.ru");
    QTest::newRow("blanks around") << QStringLiteral("  192.168.0.1\t") << QStringLiteral("192.168.0.1");
    QTest::newRow("IPv6 in brackets") << QStringLiteral("[2001:db8::1]") << QStringLiteral("[2001:db8::1]");
    QTest::newRow("IPv6") << QStringLiteral("2001:db8::1") << QStringLiteral("2001:db8::1");
    QTest::newRow("only blanks: the empty name") << QStringLiteral("   ") << QString();
    const QString longest =
        QStringList{QString(63, QLatin1Char('a')), QString(63, QLatin1Char('b')), QString(63, QLatin1Char('c')), QString(61, QLatin1Char('d'))}.join(
            QLatin1Char('.'));
    QTest::newRow("longest name") << longest << longest;
}

void TestSynchronizer::syncNowAcceptsNames()
{
    QFETCH(QString, name);
    QFETCH(QString, sent);

    qputenv("ORB_ADMIN_MODE", "1");
    QQmlEngine engine;
    KCModuleQML module(nullptr, KPluginMetaData(ModuleHost::pluginFile()), {});
    module.initializeWithEngine(&engine);
    QVERIFY(module.synchronizer());
    QSignalSpy messages(&module, &KCModuleQML::showMessage);
    module.syncNow(name);
    QCOMPARE(messages.count(), 0);
    QCOMPARE(ntpSyncCalls(), QStringList{sent});
    QCOMPARE(module.synchronizer()->currentServer(), sent);
    QCOMPARE(module.settings().value(Settings::Server).toString(), sent);
}

void TestSynchronizer::noServiceUnits()
{
    // A systemd that knows none of the services.
    QVERIFY(m_standIns.stop(StandIns::Systemd) && m_standIns.start(StandIns::Systemd));
    auto synchronizer = makeSynchronizer();
    QCOMPARE(synchronizer->currentServiceState(), 0);
    QVERIFY(synchronizer->noActiveServices());
    QCOMPARE(synchronizer->currentStatusString(), QStringLiteral("All services stopped"));
    QCOMPARE(synchronizer->getLastSynchroToolTip(), QString());
    QCOMPARE(synchronizer->getRecommendedServers(), s_recommended);
}

QTEST_MAIN(TestSynchronizer)

#include "test_synchronizer.moc"
