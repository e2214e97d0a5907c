// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The server list's class-wide state over the real time-sync layer, a fixture
// tree and the systemd stand-in.
#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "logiccontroller.h"
#include "serverlist.h"
#include "standins.h"
#include "timesynctestsupport.h"

class TestServerList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // First: nothing bound yet.
    void cleanSaveBeforeBinding();

    void initTestCase();
    void init();
    void cleanup();

    void noActiveService();
    void systemdActiveService_data();
    void systemdActiveService();
    void fallbackForwarding();
    void editFlagSharedAndKeptUntilLoad();
    void saveFailsWithoutTarget();
    void editWithoutActiveServiceSavesNothing();

private:
    void bind(const QString &timesyncd, const QString &chrony = QStringLiteral("inactive"), const QString &ntpsec = QStringLiteral("inactive"));
    QString installerLog() const;

    StandIns m_standIns;
    std::unique_ptr<FixtureRoot> m_root;
    std::shared_ptr<LogicController> m_logic;
    QTemporaryDir m_scratch;
};

void TestServerList::cleanSaveBeforeBinding()
{
    QVERIFY(!ServerList::needsSave());
    QVERIFY(ServerList::save());
    // Without a controller everything answers "nothing".
    QVERIFY(ServerList::getServers().isEmpty());
    QVERIFY(!ServerList::isSystemdActiveService());
    QVERIFY(!ServerList::isServerFallback(QStringLiteral("0.debian.pool.ntp.org")));
    ServerList::addServer();
    ServerList::load();
    QVERIFY(!ServerList::needsSave());
}

void TestServerList::initTestCase()
{
    QVERIFY(m_scratch.isValid());
    QVERIFY(m_standIns.start(StandIns::Timedated));
    QVERIFY(m_standIns.start(StandIns::Systemd));
    QVERIFY(m_standIns.start(StandIns::Helper));
}

void TestServerList::init()
{
    m_root = std::make_unique<FixtureRoot>();
    QVERIFY(m_root->isValid());
    StandIns::clearJournal();
    resetAnsweredDialogs();
}

void TestServerList::cleanup()
{
    ServerList::load();
    m_root.reset();
}

void TestServerList::bind(const QString &timesyncd, const QString &chrony, const QString &ntpsec)
{
    QVERIFY(m_standIns.setUnit(QStringLiteral("systemd-timesyncd.service"), timesyncd));
    QVERIFY(m_standIns.setUnit(QStringLiteral("chrony.service"), chrony));
    QVERIFY(m_standIns.setUnit(QStringLiteral("ntpsec.service"), ntpsec));
    m_logic = std::make_shared<LogicController>(true);
    ServerList::setLogicController(m_logic);
    ServerList::load();
}

QString TestServerList::installerLog() const
{
    return describe(StandIns::calls(StandIns::Helper)).join(QLatin1Char('\n'));
}

void TestServerList::noActiveService()
{
    bind(QStringLiteral("inactive"));
    // No dialog may open: it would wait for an answer that never comes.
    int dialogs = 0;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, [&dialogs] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            ++dialogs;
            dialog->close();
        }
    });
    watcher.start(10);

    QVERIFY(ServerList::getServers().isEmpty());
    ServerList::addServer();
    ServerList::removeServer(QStringLiteral("ntp1.vniiftri.ru"));
    ServerList::openServerSettings(QStringLiteral("ntp1.vniiftri.ru"));
    QTest::qWait(50);
    QCOMPARE(dialogs, 0);
    QVERIFY(!ServerList::isServerFallback(QStringLiteral("0.debian.pool.ntp.org")));
    QVERIFY(!ServerList::isSystemdActiveService());
    QVERIFY(!ServerList::needsSave());
    QVERIFY(ServerList::save());
}

void TestServerList::systemdActiveService_data()
{
    QTest::addColumn<QStringList>("units"); // timesyncd, chrony, ntpsec
    QTest::addColumn<bool>("synchronized");
    QTest::addColumn<bool>("systemd");

    const QString on = QStringLiteral("active");
    const QString off = QStringLiteral("inactive");
    QTest::newRow("timesyncd synchronized") << QStringList{on, off, off} << true << true;
    QTest::newRow("timesyncd not synchronized") << QStringList{on, off, off} << false << true;
    QTest::newRow("timesyncd starting") << QStringList{QStringLiteral("activating"), off, off} << true << false;
    QTest::newRow("timesyncd failed") << QStringList{QStringLiteral("failed"), off, off} << true << false;
    QTest::newRow("chrony") << QStringList{off, on, off} << true << false;
    QTest::newRow("ntpsec") << QStringList{off, off, on} << true << false;
}

void TestServerList::systemdActiveService()
{
    QFETCH(QStringList, units);
    QFETCH(bool, synchronized);
    QFETCH(bool, systemd);

    QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTPSynchronized"), synchronized));
    bind(units.at(0), units.at(1), units.at(2));
    QCOMPARE(ServerList::isSystemdActiveService(), systemd);
}

void TestServerList::fallbackForwarding()
{
    bind(QStringLiteral("active"));
    ServerList list;
    QVERIFY(list.isFallbackVisible());
    QCOMPARE(list.getFallbackVisiblityToolTip(), QStringLiteral("Hide fallback servers"));
    QCOMPARE(list.getServers().size(), 7);
    QVERIFY(list.isServerFallback(QStringLiteral("0.debian.pool.ntp.org")));
    QVERIFY(!list.isServerFallback(QStringLiteral("ntp1.vniiftri.ru")));

    list.changeFallbackVisibility();
    QVERIFY(!list.isFallbackVisible());
    QCOMPARE(list.getFallbackVisiblityToolTip(), QStringLiteral("Show fallback servers"));
    QCOMPARE(list.getServers(), (QStringList{QStringLiteral("ntp1.vniiftri.ru"), QStringLiteral("ntp2.vniiftri.ru"), QStringLiteral("time.office.example")}));
    list.changeFallbackVisibility();
    QVERIFY(list.isFallbackVisible());
}

void TestServerList::editFlagSharedAndKeptUntilLoad()
{
    bind(QStringLiteral("active"));
    ServerList first;
    ServerList second;
    QVERIFY(!first.needsSave());

    answerServerName(QStringLiteral("added.example"));
    first.addServer();
    QCOMPARE(answeredDialogs(), 1);
    QVERIFY(first.needsSave());
    QVERIFY(second.needsSave());
    QVERIFY(ServerList::needsSave());
    QVERIFY(second.getServers().contains(QStringLiteral("added.example")));

    QVERIFY(ServerList::save());
    QVERIFY2(installerLog().contains(QStringLiteral("SetServers(\"systemd-timesyncd\"")) && installerLog().contains(QStringLiteral("added.example")),
             qPrintable(installerLog()));
    // Still set after saving: the page's reload clears it.
    QVERIFY(ServerList::needsSave());

    second.load();
    QVERIFY(!first.needsSave());
}

void TestServerList::saveFailsWithoutTarget()
{
    // ntpsec is only shown: there is nothing to write its servers into.
    bind(QStringLiteral("inactive"), QStringLiteral("inactive"), QStringLiteral("active"));
    Q_EMIT m_logic->oneServiceChanged();
    QVERIFY(ServerList::needsSave());
    QVERIFY(!ServerList::save());
    QVERIFY(ServerList::needsSave());
    QCOMPARE(installerLog(), QString());
}

void TestServerList::editWithoutActiveServiceSavesNothing()
{
    bind(QStringLiteral("inactive"));
    Q_EMIT m_logic->oneServiceChanged();
    QVERIFY(ServerList::needsSave());
    QVERIFY(ServerList::save());
    QCOMPARE(installerLog(), QString());
    QVERIFY(StandIns::calls(StandIns::Systemd, QStringLiteral("RestartUnit")).isEmpty());
}

QTEST_MAIN(TestServerList)

#include "test_serverlist.moc"
