// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The edited date, time and hardware-clock mode and their writing, against the
    stand-in date helper and timedated on the private buses.
*/

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#include "datetimeprovider.h"
#include "dbusorbadmindate.h"
#include "standins.h"
#include "timedata.h"

namespace
{
const QString s_accessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");

QStringList sentLocalRtc()
{
    QStringList sent;
    const QList<StandInCall> calls = StandIns::calls(StandIns::Timedated, QStringLiteral("SetLocalRTC"));
    for (const StandInCall &call : calls) {
        sent << call.toString();
    }
    return sent;
}
}

class DateTimeProviderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(qEnvironmentVariable("TZ"), QStringLiteral("Asia/Vladivostok"));
        QVERIFY(m_standIns.startAll());
    }

    void init()
    {
        QVERIFY(m_standIns.startAll());
        QVERIFY(m_standIns.clearFailures(StandIns::Helper));
        QVERIFY(m_standIns.clearFailures(StandIns::Timedated));
        // The hardware clock keeps UTC unless a test says otherwise.
        QVERIFY(m_standIns.setTimedatedLocalRTC(false));
        QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTP"), false));
        DateTimeProvider::setDaemon(std::make_shared<DBusOrbAdminDate>(nullptr));
        m_provider = std::make_unique<DateTimeProvider>(nullptr);
        m_provider->load();
        StandIns::clearJournal();
    }

    void cleanup()
    {
        m_provider.reset();
    }

    void withoutWriterNothingIsWrittenAndUtcIsFalse()
    {
        DateTimeProvider::setDaemon(nullptr);
        QTest::ignoreMessage(QtCriticalMsg, "ptr to TimeData is empty");
        QCOMPARE(DateTimeProvider::getUTC(), false);

        // Outside administrator mode the module still saves: with no flag set that touches nothing.
        DateTimeProvider::saveSettings();
        QVERIFY(StandIns::journal().isEmpty());
    }

    void dateFlagFollowsToday()
    {
        DateTimeProvider::setDate(2024, 0, 15);
        QCOMPARE(DateTimeProvider::savedDate(), QDate(2024, 1, 15));
        QVERIFY(DateTimeProvider::changed(DateTimeProvider::Date));
        QVERIFY(DateTimeProvider::needsSave());

        const QDate today = QDate::currentDate();
        DateTimeProvider::setDate(today.year(), today.month() - 1, today.day());
        QVERIFY(!DateTimeProvider::changed(DateTimeProvider::Date));
        QVERIFY(!DateTimeProvider::needsSave());

        // Only the Date flag was cleared: a raised Time flag still asks for a save.
        DateTimeProvider::setChanged(DateTimeProvider::Time, true);
        DateTimeProvider::setDate(2024, 0, 15);
        DateTimeProvider::setDate(today.year(), today.month() - 1, today.day());
        QVERIFY(DateTimeProvider::needsSave());
    }

    void timeAloneRaisesNoFlag()
    {
        DateTimeProvider::setTime(10, 0, 0);
        QCOMPARE(DateTimeProvider::savedTime().toString(QStringLiteral("HH:mm:ss")), QStringLiteral("10:00:00"));
        QVERIFY(!DateTimeProvider::needsSave());
        DateTimeProvider::saveSettings();
        QVERIFY(StandIns::sentTimes().isEmpty());

        DateTimeProvider::setChanged(DateTimeProvider::Time, true);
        QVERIFY(DateTimeProvider::needsSave());
    }

    void writtenSeconds_data()
    {
        QTest::addColumn<bool>("withDate");
        QTest::addColumn<bool>("withTime");
        QTest::newRow("time only") << false << true;
        QTest::newRow("date only") << true << false;
        QTest::newRow("date and time") << true << true;
    }

    void writtenSeconds()
    {
        QFETCH(bool, withDate);
        QFETCH(bool, withTime);
        if (withDate) {
            DateTimeProvider::setDate(2031, 0, 2);
        }
        if (withTime) {
            DateTimeProvider::setTime(3, 4, 5);
            DateTimeProvider::setChanged(DateTimeProvider::Time, true);
        }

        const QDateTime before = QDateTime::currentDateTime();
        DateTimeProvider::saveSettings();
        const QDateTime after = QDateTime::currentDateTime();

        const QList<qlonglong> sent = StandIns::sentTimes();
        QCOMPARE(sent.size(), 1);
        if (withDate && withTime) {
            // 2031-01-02 03:04:05 in Vladivostok (UTC+10).
            QCOMPARE(sent.first(), 1925053445LL);
        } else if (withTime) {
            // Today (at saving) with the edited time of day.
            const qlonglong onBefore = QDateTime(before.date(), QTime(3, 4, 5)).toSecsSinceEpoch();
            const qlonglong onAfter = QDateTime(after.date(), QTime(3, 4, 5)).toSecsSinceEpoch();
            QVERIFY2(sent.first() == onBefore || sent.first() == onAfter, qPrintable(QString::number(sent.first())));
        } else {
            // The edited date with the time of day of saving.
            const qlonglong from = QDateTime(QDate(2031, 1, 2), before.time()).toSecsSinceEpoch();
            const qlonglong to = QDateTime(QDate(2031, 1, 2), after.time()).toSecsSinceEpoch();
            QVERIFY2(sent.first() >= from && sent.first() <= to, qPrintable(QString::number(sent.first())));
        }
        QVERIFY(sentLocalRtc().isEmpty());
    }

    void hardwareClockMode()
    {
        QCOMPARE(DateTimeProvider::getUTC(), true);

        // Choosing the mode the system already has is no change.
        DateTimeProvider::setUTC(true);
        QVERIFY(!DateTimeProvider::needsSave());

        DateTimeProvider::setUTC(false);
        QVERIFY(DateTimeProvider::changed(DateTimeProvider::UTC));
        DateTimeProvider::saveSettings();
        QCOMPARE(sentLocalRtc(), QStringList{QStringLiteral("org.freedesktop.timedate1: SetLocalRTC(true, false, true) [bbb]")});
        QCOMPARE(DateTimeProvider::getUTC(), false);
        QCOMPARE(m_standIns.timedatedLocalRTC(), true);
        QVERIFY(StandIns::sentTimes().isEmpty());

        // Writing the mode the writer already knows sends nothing.
        StandIns::clearJournal();
        DateTimeProvider::timeData()->saveUTC(false);
        QVERIFY(sentLocalRtc().isEmpty());
    }

    void refusedHardwareClockKeepsMode()
    {
        QVERIFY(m_standIns.failWith(StandIns::Timedated, QStringLiteral("SetLocalRTC"), s_accessDenied, QStringLiteral("Not authorized")));
        QSignalSpy messages(m_provider.get(), &DateTimeProvider::showMessage);
        DateTimeProvider::setUTC(false);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error in method  org.freedesktop.DBus.Error.AccessDenied : Not authorized$")));
        DateTimeProvider::saveSettings();

        QCOMPARE(sentLocalRtc().size(), 1);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().at(0).toString(), QStringLiteral("Error"));
        QCOMPARE(messages.first().at(1).toString(), QStringLiteral("Unable to set utc!\nAuthorization error.\nThe password was not given or was refused."));
        QCOMPARE(DateTimeProvider::getUTC(), true);
    }

    void onlyCarriedInstantsAreWritten_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<qlonglong>("expected"); // -1: refused
        // Vladivostok is ten hours ahead of UTC: the calendar's first day is cut.
        QTest::newRow("epoch") << QDate(1970, 1, 1) << QTime(10, 0, 0) << 0LL;
        QTest::newRow("before the epoch") << QDate(1970, 1, 1) << QTime(9, 59, 59) << -1LL;
        QTest::newRow("last carried second") << QDate(2106, 2, 7) << QTime(16, 28, 15) << 4294967295LL;
        QTest::newRow("first second past") << QDate(2106, 2, 7) << QTime(16, 28, 16) << -1LL;
        QTest::newRow("far future") << QDate(3000, 1, 1) << QTime(0, 0, 0) << -1LL;
        QTest::newRow("no such day") << QDate() << QTime(12, 0, 0) << -1LL;
    }

    void onlyCarriedInstantsAreWritten()
    {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(qlonglong, expected);
        QSignalSpy messages(m_provider.get(), &DateTimeProvider::showMessage);
        if (date.isValid()) {
            DateTimeProvider::setDate(date.year(), date.month() - 1, date.day());
        } else {
            DateTimeProvider::setDate(2025, 1, 31); // 31 February
        }
        DateTimeProvider::setTime(time.hour(), time.minute(), time.second());
        DateTimeProvider::setChanged(DateTimeProvider::Time, true);
        if (expected < 0) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Refusing to set the date and time")));
        }
        DateTimeProvider::saveSettings();

        if (expected >= 0) {
            QCOMPARE(StandIns::sentTimes(), QList<qlonglong>{expected});
            QCOMPARE(messages.size(), 0);
            return;
        }
        QVERIFY(StandIns::calls(StandIns::Helper).isEmpty());
        QVERIFY(StandIns::calls(StandIns::Agent).isEmpty());
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().at(0).toString(), QStringLiteral("Error"));
        const QString text = messages.first().at(1).toString();
        QVERIFY2(text.startsWith(QLatin1String("Unable to set date and time!\n")), qPrintable(text));
        if (date.isValid()) {
            QCOMPARE(text.section(QLatin1Char('\n'), 1),
                     QStringLiteral("Only a date and time from 1970-01-01 00:00:00 to 2106-02-07 06:28:15 UTC can be set."));
        } else {
            QCOMPARE(text.section(QLatin1Char('\n'), 1), QStringLiteral("The date or the time is not valid."));
        }
    }

    void oneMessagePerFailureAfterManyLoads()
    {
        DateTimeProvider other(nullptr);
        for (int i = 0; i < 5; ++i) {
            m_provider->load();
            other.load();
        }
        QSignalSpy messages(m_provider.get(), &DateTimeProvider::showMessage);
        QSignalSpy otherMessages(&other, &DateTimeProvider::showMessage);
        QVERIFY(m_standIns.failWith(StandIns::Helper, QStringLiteral("SetTime"), s_accessDenied));
        DateTimeProvider::setDate(2031, 0, 2);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error in method  ")));
        DateTimeProvider::saveSettings();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(otherMessages.size(), 1);

        // A new writer reaches the instances again after their next load, still once.
        DateTimeProvider::setDaemon(std::make_shared<DBusOrbAdminDate>(nullptr));
        m_provider->load();
        m_provider->load();
        DateTimeProvider::setDate(2031, 0, 2);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error in method  ")));
        DateTimeProvider::saveSettings();
        QCOMPARE(messages.size(), 2);
    }

    void automaticTimeIsSwitchedBeforeTheTimeIsWritten()
    {
        QCOMPARE(DateTimeProvider::getNTP(), false);
        DateTimeProvider::setDate(2031, 0, 2);
        DateTimeProvider::setTime(8, 0, 0);
        DateTimeProvider::setChanged(DateTimeProvider::Time, true);
        // Switching on drops the edits: the system's synchronized time is what stays.
        DateTimeProvider::setNTP(true);
        QVERIFY(!DateTimeProvider::changed(DateTimeProvider::Date));
        QVERIFY(!DateTimeProvider::changed(DateTimeProvider::Time));
        DateTimeProvider::saveSettings();
        QVERIFY(StandIns::sentTimes().isEmpty());
        QCOMPARE(m_standIns.serviceProperty(StandIns::Timedated, QStringLiteral("NTP")).toBool(), true);
        QCOMPARE(DateTimeProvider::getNTP(), true);

        // Switching off and setting the time: synchronization is off before the time is written.
        m_provider->load();
        StandIns::clearJournal();
        DateTimeProvider::setNTP(false);
        DateTimeProvider::setTime(8, 0, 0);
        DateTimeProvider::setChanged(DateTimeProvider::Time, true);
        DateTimeProvider::saveSettings();
        QStringList order;
        for (const StandInCall &call : StandIns::journal()) {
            order << call.member + QLatin1Char(' ') + call.args.value(0).toString();
        }
        QCOMPARE(order,
                 QStringList({QStringLiteral("setWIdForAction org.freedesktop.timedate1.set-ntp"),
                              QStringLiteral("SetNTP false"),
                              QStringLiteral("setWIdForAction ru.veltronix.orb.date.set-time"),
                              QStringLiteral("SetTime ") + QString::number(StandIns::sentTimes().value(0))}));
        QCOMPARE(StandIns::calls(StandIns::Timedated, QStringLiteral("SetNTP")).first().toString(),
                 QStringLiteral("org.freedesktop.timedate1: SetNTP(false, true) [bb]"));
    }

    void automaticTimeFailuresAndOutsideChanges()
    {
        QVERIFY(m_standIns.failWith(StandIns::Timedated, QStringLiteral("SetNTP"), s_accessDenied, QStringLiteral("Not authorized")));
        QSignalSpy messages(m_provider.get(), &DateTimeProvider::showMessage);
        DateTimeProvider::setNTP(true);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Error in method  org.freedesktop.DBus.Error.AccessDenied")));
        DateTimeProvider::saveSettings();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().at(1).toString(),
                 QStringLiteral("Unable to change the automatic date and time setting!\nAuthorization error.\nThe password was not given or was refused."));
        QCOMPARE(DateTimeProvider::getNTP(), false);

        // Another program switches it on, as the failed choice wanted: nothing is left to apply.
        QSignalSpy changes(m_provider.get(), &DateTimeProvider::ntpChanged);
        QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTP"), true));
        QVERIFY(changes.wait(5000));
        QCOMPARE(changes.first().at(0).toBool(), true);
        QCOMPARE(DateTimeProvider::getNTP(), true);
        QCOMPARE(m_provider->property("ntp").toBool(), true);
        QCOMPARE(m_provider->property("hasChanges").toBool(), false);

        // And off again with no choice made here: the page follows.
        QSignalSpy state(m_provider.get(), &DateTimeProvider::stateChanged);
        QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTP"), false));
        QVERIFY(state.wait(5000));
        QCOMPARE(m_provider->property("ntp").toBool(), false);
        QCOMPARE(m_provider->property("hasChanges").toBool(), false);
    }

private:
    StandIns m_standIns;
    std::unique_ptr<DateTimeProvider> m_provider;
};

QTEST_GUILESS_MAIN(DateTimeProviderTest)

#include "test_datetimeprovider.moc"
