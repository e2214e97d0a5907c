// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The time zone saver against the stand-in timedated and polkit agent.
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

#include <memory>

#include "dbusorbadmindate.h"
#include "standins.h"
#include "timezonesaver.h"

namespace
{
const QString s_agentCall = QStringLiteral("org.kde.polkit-kde-authentication-agent-1: setWIdForAction(\"ru.veltronix.orb.date.set-time\", %1) [st]");
// Then the action timedated itself asks polkit about.
const QString s_zoneAgentCall =
    QStringLiteral("org.kde.polkit-kde-authentication-agent-1: setWIdForAction(\"org.freedesktop.timedate1.set-timezone\", %1) [st]");
const QString s_timedatedCall = QStringLiteral("org.freedesktop.timedate1: SetTimezone(\"%1\", true) [sb]");
const QString s_accessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
const QString s_invalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
}

class TestTimeZoneSaver : public QObject
{
    Q_OBJECT

private:
    StandIns m_standIns;
    std::shared_ptr<DBusOrbAdminDate> m_client;

    // The process's own idea of the system zone; TZ is read afresh on every query.
    static void setSystemZone(const QByteArray &id)
    {
        qputenv("TZ", id);
        QCOMPARE(QTimeZone::systemTimeZoneId(), id);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(qEnvironmentVariableIsSet("ORB_STANDIN_JOURNAL"));
        m_client = std::make_shared<DBusOrbAdminDate>();
        m_client->setWId(0x3c00005);
    }

    void init()
    {
        QVERIFY(m_standIns.startAll());
        QVERIFY(m_standIns.clearFailures(StandIns::Timedated));
        QVERIFY(m_standIns.clearFailures(StandIns::Agent));
        QVERIFY(m_standIns.setTimedatedTimezone(QStringLiteral("Europe/Moscow")));
        setSystemZone("Europe/Moscow");
        StandIns::clearJournal();
    }

    void cleanupTestCase()
    {
        qunsetenv("TZ");
    }

    void currentZoneSendsNothing()
    {
        TimeZoneSaver saver(m_client);
        QSignalSpy errors(&saver, &TimeZoneSaver::error);
        QVERIFY(saver.save(QStringLiteral("Europe/Moscow")));
        QVERIFY(errors.isEmpty());
        // Not even the agent: no authentication dialog for an unchanged zone.
        QCOMPARE(describe(StandIns::journal()), QStringList());
    }

    void otherZoneIsSentAfterTheAgentHeard_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::newRow("another zone") << QStringLiteral("Asia/Vladivostok");
        // Ids are compared exactly; timedated judges what a differently cased id means.
        QTest::newRow("same zone in other case") << QStringLiteral("europe/moscow");
        QTest::newRow("same zone with a blank") << QStringLiteral("Europe/Moscow ");
    }

    void otherZoneIsSentAfterTheAgentHeard()
    {
        QFETCH(QString, zone);
        TimeZoneSaver saver(m_client);
        QSignalSpy errors(&saver, &TimeZoneSaver::error);
        QVERIFY(saver.save(zone));
        QVERIFY(errors.isEmpty());
        QCOMPARE(describe(StandIns::journal()), QStringList({s_agentCall.arg(0x3c00005), s_zoneAgentCall.arg(0x3c00005), s_timedatedCall.arg(zone)}));
        QCOMPARE(m_standIns.timedatedTimezone(), zone);
    }

    void refusalIsReported_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("errorName");
        QTest::addColumn<QString>("expectedMessage");
        QTest::newRow("authorization refused") << QStringLiteral("Asia/Omsk") << s_accessDenied
                                               << QStringLiteral("Unable to set time zone!\nAuthorization error.\nThe password was not given or was refused.");
        // An empty id is not the system zone, so it goes out and timedated's refusal comes back.
        QTest::newRow("empty id refused") << QString() << s_invalidArgs
                                          << QStringLiteral(
                                                 "Unable to set time zone!\nThe arguments passed to this call/operation are not valid.\nrefused by the test");
        QTest::newRow("unknown id refused") << QStringLiteral("Mars/Olympus") << s_invalidArgs
                                            << QStringLiteral(
                                                   "Unable to set time zone!\nThe arguments passed to this call/operation are not valid.\nrefused by the test");
    }

    void refusalIsReported()
    {
        QFETCH(QString, zone);
        QFETCH(QString, errorName);
        QFETCH(QString, expectedMessage);
        QVERIFY(m_standIns.failWith(StandIns::Timedated, QStringLiteral("SetTimezone"), errorName, QStringLiteral("refused by the test")));

        TimeZoneSaver saver(m_client);
        QSignalSpy errors(&saver, &TimeZoneSaver::error);
        // The technical details go to the log only.
        QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("Error in method %1 : refused by the test").arg(errorName)));
        QVERIFY(!saver.save(zone));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("Error"));
        QCOMPARE(errors.at(0).at(1).toString(), expectedMessage);
        QCOMPARE(describe(StandIns::calls(StandIns::Timedated)), QStringList({s_timedatedCall.arg(zone)}));
        QCOMPARE(m_standIns.timedatedTimezone(), QStringLiteral("Europe/Moscow"));
    }

    void missingTimedatedIsReported()
    {
        QVERIFY(m_standIns.stop(StandIns::Timedated));
        TimeZoneSaver saver(m_client);
        QSignalSpy errors(&saver, &TimeZoneSaver::error);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error in method org.freedesktop.DBus.Error.ServiceUnknown : ")));
        QVERIFY(!saver.save(QStringLiteral("Asia/Tokyo")));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(1).toString(),
                 QStringLiteral("Unable to set time zone!\nThe called service is not known.\nThe system's date and time service (systemd-timedated) is not "
                                "installed or not running."));
    }

    void everySaveReadsTheSystemZoneAfresh()
    {
        TimeZoneSaver saver(m_client);
        QVERIFY(saver.save(QStringLiteral("Asia/Tokyo")));
        QCOMPARE(StandIns::calls(StandIns::Timedated).size(), 1);
        // The system zone changed meanwhile: the same id now needs nothing.
        setSystemZone("Asia/Tokyo");
        StandIns::clearJournal();
        QVERIFY(saver.save(QStringLiteral("Asia/Tokyo")));
        QVERIFY(StandIns::journal().isEmpty());
        QVERIFY(saver.save(QStringLiteral("Europe/Moscow")));
        QCOMPARE(describe(StandIns::calls(StandIns::Timedated)), QStringList({s_timedatedCall.arg(QStringLiteral("Europe/Moscow"))}));
    }

    void keepsTheSharedClientAlive()
    {
        auto client = std::make_shared<DBusOrbAdminDate>();
        std::weak_ptr<DBusOrbAdminDate> watch = client;
        auto saver = std::make_unique<TimeZoneSaver>(client);
        client.reset();
        QVERIFY(!watch.expired());
        QVERIFY(saver->save(QStringLiteral("Asia/Yakutsk")));
        saver.reset();
        QVERIFY(watch.expired());
    }
};

QTEST_GUILESS_MAIN(TestTimeZoneSaver)
#include "test_timezonesaver.moc"
