// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    A zone in detail: its state at an instant and the next change of its clocks.
*/

#include <QTest>

#include "zonedetails.h"

class ZoneDetailsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nextChange_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QString>("expected");
        const QDateTime autumn(QDate(2027, 10, 1), QTime(12, 0), Qt::UTC);
        QTest::newRow("back, shown in summer time") << QByteArray("Europe/Berlin") << autumn
                                                    << QStringLiteral("Clocks go back 1 hour on 31 October 2027 at 03:00 (UTC+01:00)");
        QTest::newRow("forward, west of UTC") << QByteArray("America/New_York") << QDateTime(QDate(2027, 1, 10), QTime(12, 0), Qt::UTC)
                                              << QStringLiteral("Clocks go forward 1 hour on 14 March 2027 at 02:00 (UTC-04:00)");
        QTest::newRow("half an hour") << QByteArray("Australia/Lord_Howe") << QDateTime(QDate(2027, 2, 1), QTime(0, 0), Qt::UTC)
                                      << QStringLiteral("Clocks go back 30 minutes on 4 April 2027 at 02:00 (UTC+10:30)");
        QTest::newRow("none") << QByteArray("Europe/Moscow") << autumn << QStringLiteral("No daylight-saving time");
    }

    void nextChange()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, at);
        QFETCH(QString, expected);
        QCOMPARE(ZoneDetails::nextChangeAt(QTimeZone(zone), at), expected);
    }

    void summary()
    {
        const QDateTime summer(QDate(2027, 7, 1), QTime(22, 30), Qt::UTC);
        QCOMPARE(ZoneDetails::describeAt(QTimeZone("Europe/Berlin"), summer).value(QStringLiteral("summary")).toString(),
                 QStringLiteral("Local time: 00:30, 2 July (UTC+02:00), daylight-saving time"));
        QCOMPARE(ZoneDetails::describeAt(QTimeZone("Asia/Kolkata"), summer).value(QStringLiteral("summary")).toString(),
                 QStringLiteral("Local time: 04:00, 2 July (UTC+05:30), standard time"));
        QCOMPARE(ZoneDetails::describe(QStringLiteral("No/Such_Zone")).value(QStringLiteral("summary")).toString(), QString());
    }

    void systemZoneLine()
    {
        // TZ is Europe/Moscow here.
        QCOMPARE(ZoneDetails::systemZoneLine(), QStringLiteral("System time zone: Moscow Time (Europe/Moscow), UTC+03:00"));
    }
};

QTEST_GUILESS_MAIN(ZoneDetailsTest)

#include "test_zonedetails.moc"
