// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The time synchronization layer against fixture configuration trees, the
// systemd and timesync1 stand-in and the timedated stand-in on the private
// system bus.
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "abstractserviceclass.h"
#include "logiccontroller.h"
#include "modulehost.h"
#include "standins.h"
#include "timesynctestsupport.h"

namespace
{
const QString s_timesyncd = QStringLiteral("systemd-timesyncd.service");
const QString s_chrony = QStringLiteral("chrony.service");
const QString s_chronyd = QStringLiteral("chronyd.service");
const QString s_ntpsec = QStringLiteral("ntpsec.service");

const QString s_dropIn = QStringLiteral("etc/systemd/timesyncd.conf.d/50-office.conf");
const QString s_mainTimesyncd = QStringLiteral("etc/systemd/timesyncd.conf");
const QString s_chronyConf = QStringLiteral("etc/chrony/chrony.conf");

const QStringList s_debianFallback = {
    QStringLiteral("0.debian.pool.ntp.org"),
    QStringLiteral("1.debian.pool.ntp.org"),
    QStringLiteral("2.debian.pool.ntp.org"),
    QStringLiteral("3.debian.pool.ntp.org"),
};

AbstractServiceClass *activeService(LogicController &logic)
{
    return qobject_cast<AbstractServiceClass *>(logic.getActiveServiceWidget());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One edit through the service's dialogs, as the data rows spell it:
// "add:name", "remove:name" or "rename:old>new".
void applyEdit(AbstractServiceClass *service, const QString &edit)
{
    const QString kind = edit.section(QLatin1Char(':'), 0, 0);
    const QString argument = edit.section(QLatin1Char(':'), 1);
    if (kind == QLatin1String("add")) {
        answerServerName(argument);
        service->createServerSettings();
    } else if (kind == QLatin1String("remove")) {
        answerQuestion(true);
        service->deleteServerWithGivenName(argument);
    } else {
        answerServerName(argument.section(QLatin1Char('>'), 1));
        service->openServerSettingsWithGivenName(argument.section(QLatin1Char('>'), 0, 0));
    }
}
}

class TestTimeSyncLayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void stateOfEachService_data();
    void stateOfEachService();
    void timesyncdLastSynchronization();
    void chronyLastSynchronization();

    void timesyncdServersWithDropIns();
    void timesyncdConfigurationRules_data();
    void timesyncdConfigurationRules();
    void chronyServersFromIncludedFiles();
    void fallbackVisibility();

    void savedListIsTheEditedList_data();
    void savedListIsTheEditedList();
    void chronyServerOfAnotherFileIsNotEdited();
    void ntpsecIsOnlyShown();

    void editFlag();
    void serverNameDialogRefusesBadNames();
    void saveRefusedOrFailed();
    void lastServerIsKept();

    void noServiceUnits();
    void systemdUnreachable();

private:
    void setUnits(const QString &timesyncd, const QString &chrony, const QString &ntpsec, const QString &chronyd = QString());
    void writeChronyReport(const QByteArray &report);

    StandIns m_standIns;
    std::unique_ptr<FixtureRoot> m_root;
    QTemporaryDir m_scratch;
};

void TestTimeSyncLayer::initTestCase()
{
    QVERIFY(qEnvironmentVariableIsSet("ORB_TEST_TMPDIR"));
    QVERIFY(m_scratch.isValid());
    QVERIFY(m_standIns.start(StandIns::Timedated, {{QStringLiteral("NTP"), false}}));
    QVERIFY(m_standIns.start(StandIns::Helper));
    QVERIFY(m_standIns.start(StandIns::Systemd));
    qputenv("ORB_TIMESYNC_CHRONYC", QByteArray(ORB_TIMESYNC_TEST_DIR "/fake-chronyc"));
    qputenv("ORB_FAKE_CHRONYC_REPORT", m_scratch.filePath(QStringLiteral("tracking")).toUtf8());
}

void TestTimeSyncLayer::init()
{
    m_root = std::make_unique<FixtureRoot>();
    QVERIFY(m_root->isValid());
    setUnits(QStringLiteral("active"), QStringLiteral("inactive"), QStringLiteral("inactive"), QStringLiteral("inactive"));
    QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTPSynchronized"), false));
    QVERIFY(m_standIns.clearFailures(StandIns::Systemd));
    qunsetenv("ORB_FAKE_CHRONYC_FAIL");
    QVERIFY(m_standIns.clearFailures(StandIns::Helper));
    StandIns::clearJournal();
    writeChronyReport(QByteArray());
    resetAnsweredDialogs();
}

void TestTimeSyncLayer::cleanup()
{
    m_root.reset();
}

void TestTimeSyncLayer::setUnits(const QString &timesyncd, const QString &chrony, const QString &ntpsec, const QString &chronyd)
{
    QVERIFY(m_standIns.setUnit(s_timesyncd, timesyncd));
    QVERIFY(m_standIns.setUnit(s_chrony, chrony));
    QVERIFY(m_standIns.setUnit(s_ntpsec, ntpsec));
    if (!chronyd.isEmpty()) {
        QVERIFY(m_standIns.setUnit(s_chronyd, chronyd));
    }
}

void TestTimeSyncLayer::writeChronyReport(const QByteArray &report)
{
    QFile file(m_scratch.filePath(QStringLiteral("tracking")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(report);
}

void TestTimeSyncLayer::stateOfEachService_data()
{
    QTest::addColumn<QStringList>("units"); // timesyncd, chrony, ntpsec, chronyd ("" = not installed)
    QTest::addColumn<bool>("timedatedSynchronized");
    QTest::addColumn<QByteArray>("chronyReport");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("name");

    const QByteArray synced =
        "Reference ID    : C0A80001 (192.168.0.1)\nStratum         : 2\nRef time (UTC)  : Thu Dec 04 10:00:00 2025\n"
        "Leap status     : Normal\n";
    const QByteArray unsynced =
        "Reference ID    : 7F7F0101 ()\nStratum         : 0\nRef time (UTC)  : Thu Jan 01 00:00:00 1970\n"
        "Leap status     : Not synchronised\n";
    const QString on = QStringLiteral("active");
    const QString off = QStringLiteral("inactive");

    QTest::newRow("installed, none running") << QStringList{off, off, off} << true << synced << 1 << QString();
    QTest::newRow("timesyncd failed") << QStringList{QStringLiteral("failed"), off, off} << true << synced << 1 << QString();
    QTest::newRow("timesyncd, clock not synchronized") << QStringList{on, off, off} << false << synced << 2 << QStringLiteral("systemd-timesyncd");
    QTest::newRow("timesyncd, clock synchronized") << QStringList{on, off, off} << true << unsynced << 3 << QStringLiteral("systemd-timesyncd");
    // chrony answers for itself; timedated's flag does not count.
    QTest::newRow("chrony synchronized") << QStringList{off, on, off} << false << synced << 3 << QStringLiteral("chrony");
    QTest::newRow("chrony not synchronized") << QStringList{off, on, off} << true << unsynced << 2 << QStringLiteral("chrony");
    QTest::newRow("chrony without an answer") << QStringList{off, on, off} << true << QByteArray() << 2 << QStringLiteral("chrony");
    QTest::newRow("chrony under the chronyd unit") << QStringList{off, off, off, on} << false << synced << 3 << QStringLiteral("chrony");
    QTest::newRow("ntpsec synchronized") << QStringList{off, off, on} << true << synced << 3 << QStringLiteral("ntpsec");
    QTest::newRow("ntpsec not synchronized") << QStringList{off, off, on} << false << synced << 2 << QStringLiteral("ntpsec");
    QTest::newRow("timesyncd wins over chrony") << QStringList{on, on, off} << true << unsynced << 3 << QStringLiteral("systemd-timesyncd");
}

void TestTimeSyncLayer::stateOfEachService()
{
    QFETCH(QStringList, units);
    QFETCH(bool, timedatedSynchronized);
    QFETCH(QByteArray, chronyReport);
    QFETCH(int, state);
    QFETCH(QString, name);

    setUnits(units.at(0), units.at(1), units.at(2), units.value(3, QStringLiteral("inactive")));
    QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTPSynchronized"), timedatedSynchronized));
    if (chronyReport.isEmpty()) {
        qputenv("ORB_FAKE_CHRONYC_FAIL", "1");
    }
    writeChronyReport(chronyReport);

    LogicController logic(true);
    QVERIFY(logic.getSysAlive());
    QCOMPARE(logic.getSavedServiceState(), state);
    QCOMPARE(logic.getActiveServiceName(), name);
    AbstractServiceClass *service = activeService(logic);
    QCOMPARE(service != nullptr, !name.isEmpty());
    if (service) {
        QCOMPARE(service->name(), name);
    }
    if (state != 3) {
        QCOMPARE(logic.getLastSynchroInfo().server, QString());
    }
}

void TestTimeSyncLayer::timesyncdLastSynchronization()
{
    QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTPSynchronized"), true));
    // 2025-12-04 10:00:05 UTC; the test runs with TZ=UTC.
    const QDateTime when(QDate(2025, 12, 4), QTime(10, 0, 5), Qt::UTC);
    QVERIFY(m_standIns.setLastSync(QStringLiteral("ntp2.vniiftri.ru"), static_cast<qulonglong>(when.toMSecsSinceEpoch()) * 1000 + 123));

    LogicController logic(true);
    QCOMPARE(logic.getSavedServiceState(), 3);
    const LastSynchroInfo info = logic.getLastSynchroInfo();
    QCOMPARE(info.server, QStringLiteral("ntp2.vniiftri.ru"));
    QCOMPARE(info.date, QLocale().toString(QDate(2025, 12, 4), QLocale::ShortFormat));
    QCOMPARE(info.time, QStringLiteral("10:00:05"));

    // Synchronized, but timesyncd names no server: nothing to tell.
    QVERIFY(m_standIns.setLastSync(QString(), 0));
    logic.reloadSystemState();
    QCOMPARE(logic.getSavedServiceState(), 3);
    QCOMPARE(logic.getLastSynchroInfo().server, QString());
}

void TestTimeSyncLayer::chronyLastSynchronization()
{
    setUnits(QStringLiteral("inactive"), QStringLiteral("active"), QStringLiteral("inactive"));
    writeChronyReport(
        "Reference ID    : C0A80001 (192.168.0.1)\nStratum         : 2\nRef time (UTC)  : Thu Dec 04 09:08:07 2025\n"
        "System time     : 0.000001 seconds fast of NTP time\nLeap status     : Normal\n");
    LogicController logic(true);
    QCOMPARE(logic.getSavedServiceState(), 3);
    const LastSynchroInfo info = logic.getLastSynchroInfo();
    QCOMPARE(info.server, QStringLiteral("192.168.0.1"));
    QCOMPARE(info.date, QLocale().toString(QDate(2025, 12, 4), QLocale::ShortFormat));
    QCOMPARE(info.time, QStringLiteral("09:08:07"));
}

void TestTimeSyncLayer::timesyncdServersWithDropIns()
{
    LogicController logic(true);
    const QStringList ntp = {QStringLiteral("ntp1.vniiftri.ru"), QStringLiteral("ntp2.vniiftri.ru"), QStringLiteral("time.office.example")};
    AbstractServiceClass *service = activeService(logic);
    QVERIFY(service);
    QCOMPARE(service->configuredServers(), ntp + s_debianFallback);
    QCOMPARE(logic.getListServersToSync(), ntp + s_debianFallback);
    QVERIFY(logic.isServerFallback(QStringLiteral("2.debian.pool.ntp.org")));
    QVERIFY(!logic.isServerFallback(QStringLiteral("time.office.example")));
    QVERIFY(!logic.isServerFallback(QStringLiteral("unknown.example")));
    QCOMPARE(logic.getCurrentConfTarget(), m_root->path(QStringLiteral("etc/systemd/timesyncd.conf.d/zz-orb-date-servers.conf")));
}

void TestTimeSyncLayer::timesyncdConfigurationRules_data()
{
    QTest::addColumn<QStringList>("files"); // path, content, path, content...; empty content removes the file
    QTest::addColumn<QStringList>("ntp");
    QTest::addColumn<QStringList>("fallback");

    const QStringList national = {QStringLiteral("ntp1.vniiftri.ru"), QStringLiteral("ntp2.vniiftri.ru")};
    const QString office = QStringLiteral("time.office.example");

    QTest::newRow("an empty assignment resets") << QStringList{QStringLiteral("etc/systemd/timesyncd.conf.d/60-only.conf"),
                                                               QStringLiteral("[Time]\nNTP=\nNTP=only.example\n")}
                                                << QStringList{QStringLiteral("only.example")} << s_debianFallback;
    QTest::newRow("fallback servers set replace the built-in ones")
        << QStringList{QStringLiteral("etc/systemd/timesyncd.conf.d/60-fb.conf"), QStringLiteral("[Time]\nFallbackNTP=fb1.example fb2.example\n")}
        << (national + QStringList{office}) << QStringList{QStringLiteral("fb1.example"), QStringLiteral("fb2.example")};
    QTest::newRow("an empty fallback list") << QStringList{QStringLiteral("etc/systemd/timesyncd.conf.d/60-fb.conf"), QStringLiteral("[Time]\nFallbackNTP=\n")}
                                            << (national + QStringList{office}) << QStringList();
    QTest::newRow("drop-ins of all folders by name; /etc hides the same name")
        << QStringList{QStringLiteral("usr/lib/systemd/timesyncd.conf.d/10-vendor.conf"),
                       QStringLiteral("[Time]\nNTP=vendor.example\n"),
                       QStringLiteral("usr/lib/systemd/timesyncd.conf.d/50-office.conf"),
                       QStringLiteral("[Time]\nNTP=hidden.example\n"),
                       QStringLiteral("run/systemd/timesyncd.conf.d/70-runtime.conf"),
                       QStringLiteral("[Time]\nNTP = runtime.example  \n")}
        << (national + QStringList{QStringLiteral("vendor.example"), office, QStringLiteral("runtime.example")}) << s_debianFallback;
    QTest::newRow("other sections, comments and other files are not servers")
        << QStringList{QStringLiteral("etc/systemd/timesyncd.conf.d/60-noise.conf"),
                       QStringLiteral("[Network]\nNTP=not.a.server\n[Time]\n# NTP=commented.example\n;NTP=also.commented\n"),
                       QStringLiteral("etc/systemd/timesyncd.conf.d/70-notes.txt"),
                       QStringLiteral("[Time]\nNTP=wrong.suffix\n")}
        << (national + QStringList{office}) << s_debianFallback;
    QTest::newRow("no main file") << QStringList{s_mainTimesyncd, QString()} << QStringList{office} << QStringList();
    QTest::newRow("nothing configured") << QStringList{s_mainTimesyncd, QString(), s_dropIn, QString()} << QStringList() << QStringList();
    QTest::newRow("CRLF line ends") << QStringList{s_dropIn, QStringLiteral("[Time]\r\nNTP=crlf.example\r\n")}
                                    << (national + QStringList{QStringLiteral("crlf.example")}) << s_debianFallback;
}

void TestTimeSyncLayer::timesyncdConfigurationRules()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, ntp);
    QFETCH(QStringList, fallback);

    for (int i = 0; i + 1 < files.size(); i += 2) {
        if (files.at(i + 1).isEmpty()) {
            QVERIFY(m_root->remove(files.at(i)));
        } else {
            QVERIFY(m_root->write(files.at(i), files.at(i + 1).toUtf8()));
        }
    }
    LogicController logic(true);
    AbstractServiceClass *service = activeService(logic);
    QVERIFY(service);
    QCOMPARE(service->configuredServers(), ntp + fallback);
    for (const QString &server : fallback) {
        QVERIFY2(logic.isServerFallback(server), qPrintable(server));
    }
    for (const QString &server : ntp) {
        QVERIFY2(!logic.isServerFallback(server), qPrintable(server));
    }
}

void TestTimeSyncLayer::chronyServersFromIncludedFiles()
{
    setUnits(QStringLiteral("inactive"), QStringLiteral("active"), QStringLiteral("inactive"));
    QVERIFY(m_root->write(QStringLiteral("etc/chrony/conf.d/extra.conf"), "server conf.d.example\n! server commented.example\n"));
    QVERIFY(m_root->write(QStringLiteral("etc/chrony/sources.d/ignored.txt"), "server wrong.suffix\n"));
    LogicController logic(true);
    AbstractServiceClass *service = activeService(logic);
    QVERIFY(service);
    QCOMPARE(service->configuredServers(),
             (QStringList{QStringLiteral("2.debian.pool.ntp.org"),
                          QStringLiteral("ntp1.vniiftri.ru"),
                          QStringLiteral("conf.d.example"),
                          QStringLiteral("time.office.example")}));
    QVERIFY(!logic.isServerFallback(QStringLiteral("2.debian.pool.ntp.org")));
    QCOMPARE(logic.getCurrentConfTarget(), m_root->path(QStringLiteral("etc/chrony/sources.d/orb-date-servers.sources")));
}

void TestTimeSyncLayer::fallbackVisibility()
{
    LogicController logic(true);
    AbstractServiceClass *service = activeService(logic);
    QVERIFY(service);
    QVERIFY(logic.isFallbackServersVisible());
    QCOMPARE(logic.getFallbackVisiblityToolTip(), QStringLiteral("Hide fallback servers"));

    logic.updateFallbackVisibility();
    QVERIFY(!logic.isFallbackServersVisible());
    QCOMPARE(logic.getFallbackVisiblityToolTip(), QStringLiteral("Show fallback servers"));
    QCOMPARE(service->configuredServers(),
             (QStringList{QStringLiteral("ntp1.vniiftri.ru"), QStringLiteral("ntp2.vniiftri.ru"), QStringLiteral("time.office.example")}));
    // Hidden is not gone: they still count as fallbacks and may still be used.
    QVERIFY(logic.isServerFallback(QStringLiteral("0.debian.pool.ntp.org")));
    QVERIFY(logic.getListServersToSync().contains(QStringLiteral("0.debian.pool.ntp.org")));

    // A reload keeps the user's choice.
    logic.reloadSystemState();
    QVERIFY(!activeService(logic)->configuredServers().contains(QStringLiteral("0.debian.pool.ntp.org")));
    logic.updateFallbackVisibility();
    QCOMPARE(activeService(logic)->configuredServers().size(), 7);
}

void TestTimeSyncLayer::savedListIsTheEditedList_data()
{
    QTest::addColumn<QString>("unit"); // the active one
    QTest::addColumn<QString>("edit"); // add:NAME, remove:NAME, rename:OLD>NEW
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("servers");
    QTest::addColumn<QStringList>("fallback");

    const QString dropIn = QStringLiteral("etc/systemd/timesyncd.conf.d/zz-orb-date-servers.conf");
    const QStringList national = {QStringLiteral("ntp1.vniiftri.ru"), QStringLiteral("ntp2.vniiftri.ru")};
    QTest::newRow("timesyncd: rename keeps the order")
        << s_timesyncd << QStringLiteral("rename:ntp2.vniiftri.ru>ntp4.vniiftri.ru") << dropIn
        << QStringList{national.at(0), QStringLiteral("ntp4.vniiftri.ru"), QStringLiteral("time.office.example")} << s_debianFallback;
    QTest::newRow("timesyncd: an address, brackets dropped")
        << s_timesyncd << QStringLiteral("add:[2001:db8::1]") << dropIn
        << national + QStringList{QStringLiteral("time.office.example"), QStringLiteral("2001:db8::1")} << s_debianFallback;
    QTest::newRow("timesyncd: remove a built-in fallback server")
        << s_timesyncd << QStringLiteral("remove:1.debian.pool.ntp.org") << dropIn << national + QStringList{QStringLiteral("time.office.example")}
        << QStringList{s_debianFallback.at(0), s_debianFallback.at(2), s_debianFallback.at(3)};
    const QString sources = QStringLiteral("etc/chrony/sources.d/orb-date-servers.sources");
    QTest::newRow("chrony: remove a pool of the main file")
        << s_chrony << QStringLiteral("remove:2.debian.pool.ntp.org") << sources
        << QStringList{QStringLiteral("ntp1.vniiftri.ru"), QStringLiteral("time.office.example")} << QStringList();
}

void TestTimeSyncLayer::savedListIsTheEditedList()
{
    QFETCH(QString, unit);
    QFETCH(QString, edit);
    QFETCH(QString, target);
    QFETCH(QStringList, servers);
    QFETCH(QStringList, fallback);

    setUnits(unit == s_timesyncd ? QStringLiteral("active") : QStringLiteral("inactive"),
             unit == s_chrony ? QStringLiteral("active") : QStringLiteral("inactive"),
             QStringLiteral("inactive"));
    LogicController logic(true);
    AbstractServiceClass *service = activeService(logic);
    QVERIFY(service);
    QCOMPARE(logic.getCurrentConfTarget(), m_root->path(target));
    applyEdit(service, edit);
    QVERIFY(logic.isActiveConfigEdited());

    const QByteArray before = readFile(m_root->path(s_chronyConf)) + readFile(m_root->path(s_mainTimesyncd));
    QVERIFY(logic.moveAndRestartActive(logic.saveCurrentConfig(), logic.getCurrentConfTarget()));
    const QList<StandInCall> calls = StandIns::calls(StandIns::Helper, QStringLiteral("SetServers"));
    QCOMPARE(calls.size(), 1);
    const QVariantList args = calls.constFirst().args;
    QCOMPARE(args.size(), 3);
    QCOMPARE(args.at(0).toString(), service->name());
    QCOMPARE(args.at(1).toStringList(), servers);
    QCOMPARE(args.at(2).toStringList(), fallback);
    // The layer itself writes nothing.
    QCOMPARE(readFile(m_root->path(s_chronyConf)) + readFile(m_root->path(s_mainTimesyncd)), before);
    QVERIFY(!QFile::exists(m_root->path(target)));
}

void TestTimeSyncLayer::chronyServerOfAnotherFileIsNotEdited()
{
    setUnits(QStringLiteral("inactive"), QStringLiteral("active"), QStringLiteral("inactive"));
    LogicController logic(true);
    AbstractServiceClass *service = activeService(logic);
    QVERIFY(service);
    QSignalSpy edited(&logic, &LogicController::oneServiceChanged);

    // The notice names the file; no name dialog follows.
    answerQuestion(true);
    service->openServerSettingsWithGivenName(QStringLiteral("time.office.example"));
    QCOMPARE(answeredDialogs(), 1);
    QVERIFY2(lastDialogText().contains(QStringLiteral("office.sources")), qPrintable(lastDialogText()));

    answerQuestion(true);
    service->deleteServerWithGivenName(QStringLiteral("time.office.example"));
    QCOMPARE(answeredDialogs(), 2);
    QVERIFY(service->configuredServers().contains(QStringLiteral("time.office.example")));
    QCOMPARE(edited.count(), 0);
    QVERIFY(!logic.isActiveConfigEdited());

    // Adding a name chrony already has is refused too.
    answerServerName(QStringLiteral("time.office.example"));
    answerQuestion(true);
    service->createServerSettings();
    QCOMPARE(answeredDialogs(), 4);
    QCOMPARE(edited.count(), 0);
}

void TestTimeSyncLayer::ntpsecIsOnlyShown()
{
    setUnits(QStringLiteral("inactive"), QStringLiteral("inactive"), QStringLiteral("active"));
    LogicController logic(true);
    AbstractServiceClass *service = activeService(logic);
    QVERIFY(service);
    QCOMPARE(service->configuredServers(),
             (QStringList{QStringLiteral("0.debian.pool.ntp.org"), QStringLiteral("1.debian.pool.ntp.org"), QStringLiteral("ntp3.vniiftri.ru")}));
    QSignalSpy edited(&logic, &LogicController::oneServiceChanged);
    answerQuestion(true);
    service->createServerSettings();
    QCOMPARE(answeredDialogs(), 1);
    QCOMPARE(edited.count(), 0);
    QCOMPARE(logic.getCurrentConfTarget(), QString());
    QCOMPARE(logic.saveCurrentConfig(), QString());
}

void TestTimeSyncLayer::editFlag()
{
    LogicController logic(true);
    AbstractServiceClass *service = activeService(logic);
    QVERIFY(service);
    QSignalSpy edited(&logic, &LogicController::oneServiceChanged);
    QVERIFY(!logic.isActiveConfigEdited());

    // Cancelled dialogs and unknown names change nothing.
    answerNextDialog([](QWidget *dialog) {
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    });
    service->createServerSettings();
    answerQuestion(false);
    service->deleteServerWithGivenName(QStringLiteral("ntp1.vniiftri.ru"));
    service->deleteServerWithGivenName(QStringLiteral("not.listed.example"));
    QCOMPARE(answeredDialogs(), 2);
    QCOMPARE(edited.count(), 0);
    QVERIFY(!logic.isActiveConfigEdited());

    // The same name again is no edit either.
    answerServerName(QStringLiteral("ntp1.vniiftri.ru"));
    service->openServerSettingsWithGivenName(QStringLiteral("ntp1.vniiftri.ru"));
    QCOMPARE(edited.count(), 0);

    answerQuestion(true);
    service->deleteServerWithGivenName(QStringLiteral("ntp1.vniiftri.ru"));
    QCOMPARE(edited.count(), 1);
    QVERIFY(logic.isActiveConfigEdited());
    QVERIFY(!service->configuredServers().contains(QStringLiteral("ntp1.vniiftri.ru")));

    // Asking again whether the service is synchronized keeps the edit.
    QCOMPARE(logic.getSavedServiceState(), int(LogicController::NotSynchronized));
    QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTPSynchronized"), true));
    logic.refreshSynchronization();
    QCOMPARE(logic.getSavedServiceState(), int(LogicController::Synchronized));
    QVERIFY(logic.isActiveConfigEdited());

    // A reload drops unsaved edits.
    logic.reloadSystemState();
    QVERIFY(!logic.isActiveConfigEdited());
    QVERIFY(activeService(logic)->configuredServers().contains(QStringLiteral("ntp1.vniiftri.ru")));
}

void TestTimeSyncLayer::serverNameDialogRefusesBadNames()
{
    LogicController logic(true);
    AbstractServiceClass *service = activeService(logic);
    QVERIFY(service);
    QSignalSpy edited(&logic, &LogicController::oneServiceChanged);

    QString typed;
    bool okForBlank = true;
    bool okForTyped = false;
    answerNextDialog([&](QWidget *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("serverNameEdit"));
        QPushButton *ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        okForBlank = ok->isEnabled();
        // The text stands as typed; OK waits and the line below says why.
        QTest::keyClicks(edit, QStringLiteral("ntp 5.example"));
        typed = edit->text() + QLatin1Char('|') + dialog->findChild<QLabel *>(QStringLiteral("serverNameHint"))->text();
        okForTyped = !ok->isEnabled();
        dialog->grab().save(screenshotPath(QStringLiteral("timesync-server-name-dialog")));
        // Pasted text bypasses typing; OK must still refuse it.
        edit->setText(QStringLiteral("-o /tmp/x"));
        if (ok->isEnabled()) {
            ok->click();
            return;
        }
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    });
    service->createServerSettings();
    QCOMPARE(answeredDialogs(), 1);
    QVERIFY(!okForBlank);
    QCOMPARE(typed, QStringLiteral("ntp 5.example|Spaces are not allowed."));
    QVERIFY(okForTyped);
    QCOMPARE(edited.count(), 0);
}

void TestTimeSyncLayer::saveRefusedOrFailed()
{
    LogicController logic(true);
    answerServerName(QStringLiteral("new.example"));
    activeService(logic)->createServerSettings();
    const QString config = logic.saveCurrentConfig();

    // Only the active service's list as it is now, and only to its own file.
    QVERIFY(!logic.moveAndRestartActive(config, m_root->path(QStringLiteral("etc/passwd"))));
    QVERIFY(!logic.moveAndRestartActive(QStringLiteral("server evil.example\n"), logic.getCurrentConfTarget()));
    QVERIFY(StandIns::calls(StandIns::Helper).isEmpty());

    // The helper's reason reaches the user.
    QVERIFY(m_standIns.failWith(StandIns::Helper,
                                QStringLiteral("SetServers"),
                                QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                QStringLiteral("systemd-timesyncd.service did not start again with the new servers (failed)")));
    QVERIFY(!logic.moveAndRestartActive(config, logic.getCurrentConfTarget()));
    QCOMPARE(logic.lastSaveError(), QStringLiteral("The call failed.\nsystemd-timesyncd.service did not start again with the new servers (failed)"));
    QVERIFY(m_standIns.failWith(StandIns::Helper, QStringLiteral("SetServers"), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied")));
    QVERIFY(!logic.moveAndRestartActive(config, logic.getCurrentConfTarget()));
    QCOMPARE(logic.lastSaveError(), QStringLiteral("Authorization error.\nThe password was not given or was refused."));
}

void TestTimeSyncLayer::lastServerIsKept()
{
    QVERIFY(m_root->write(s_dropIn, "[Time]\n"));
    QVERIFY(m_root->write(s_mainTimesyncd, "[Time]\nNTP=only.example\nFallbackNTP=\n"));
    LogicController logic(true);
    AbstractServiceClass *service = activeService(logic);
    QVERIFY(service);
    QCOMPARE(service->allServers(), QStringList{QStringLiteral("only.example")});
    answerQuestion(true);
    service->deleteServerWithGivenName(QStringLiteral("only.example"));
    QCOMPARE(answeredDialogs(), 1);
    QVERIFY2(lastDialogText().contains(QStringLiteral("only server")), qPrintable(lastDialogText()));
    QVERIFY(!logic.isActiveConfigEdited());
}

void TestTimeSyncLayer::noServiceUnits()
{
    // A fresh systemd that has none of the units.
    QVERIFY(m_standIns.stop(StandIns::Systemd) && m_standIns.start(StandIns::Systemd));
    LogicController logic(true);
    QVERIFY(logic.getSysAlive());
    QCOMPARE(logic.getSavedServiceState(), 0);
    QCOMPARE(logic.getActiveServiceName(), QString());
    QVERIFY(!logic.getActiveServiceWidget());
    QVERIFY(logic.getListServersToSync().isEmpty());
    QCOMPARE(logic.saveCurrentConfig(), QString());
    QCOMPARE(logic.getCurrentConfTarget(), QString());
}

void TestTimeSyncLayer::systemdUnreachable()
{
    QVERIFY(m_standIns.stop(StandIns::Systemd));
    LogicController logic(true);
    QVERIFY(!logic.getSysAlive());
    QCOMPARE(logic.getSavedServiceState(), 0);
    QCOMPARE(logic.getActiveServiceName(), QString());
    QVERIFY(m_standIns.start(StandIns::Systemd));
}

QTEST_MAIN(TestTimeSyncLayer)

#include "test_timesynclayer.moc"
