// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include <QTest>

#include "synchealth.h"

class TestSyncHealth : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void chronyReports()
    {
        const QString tracking = QStringLiteral(
            "7F000001,127.0.0.1,3,1796781525.457561258,2.500046253,-0.000000884,0.000006295,0.408,-0.005,2.451,0.000105767,0.015638644,1.0,Normal\n");
        const QString sources = QStringLiteral(
            "^,*,127.0.0.1,2,0,377,2,-0.000002331,-0.000003215,0.015686704\n"
            "^,?,127.0.0.2,0,0,0,4294967295,0.000000000,0.000000000,0.000000000\n");
        const qint64 now = 1796781527000;
        SyncSample sample;
        QVector<SyncServerState> servers;
        QVERIFY(SyncHealth::fromChronyc(tracking, sources, now, &sample, &servers));
        // "2.5 s slow of NTP time": the clock is behind.
        QCOMPARE(sample.offset, -2.500046253);
        QVERIFY(sample.rootDelay);
        QCOMPARE(sample.delay, 0.000105767);
        QCOMPARE(sample.jitter, 0.000006295);
        QCOMPARE(sample.stratum, 2);
        QCOMPARE(sample.pollInterval, 1.0);
        QCOMPARE(sample.frequencyPpm, -0.408);
        QCOMPARE(sample.when, now - 2000);
        QCOMPARE(sample.serverAddress, QStringLiteral("127.0.0.1"));
        QCOMPARE(servers.size(), 2);
        QVERIFY(servers.at(0).inUse && servers.at(0).answers);
        QCOMPARE(servers.at(0).reach, 0377);
        QVERIFY(!servers.at(1).inUse && !servers.at(1).answers);

        // Before the first clock update: servers, but no sample.
        const QString unsynchronised =
            QStringLiteral("00000000,,0,0.000000000,0.000000000,0.000000000,0.000000000,0.000,0.000,0.000,1.000000000,1.000000000,0.0,Not synchronised\n");
        const QString polled = QStringLiteral("^,?,127.0.0.1,2,0,0,1,-2.500034571,-2.500034571,0.015866620\n");
        QVERIFY(!SyncHealth::fromChronyc(unsynchronised, polled, now, &sample, &servers));
        QCOMPARE(sample.when, 0);
        QCOMPARE(servers.size(), 1);
        QVERIFY(!servers.at(0).answers);

        // Cut short or not a report at all.
        QVERIFY(!SyncHealth::fromChronyc(tracking.left(40), sources, now, &sample, &servers));
        QVERIFY(!SyncHealth::fromChronyc(QStringLiteral("506 Cannot talk to daemon"), QString(), now, &sample, &servers));
        QVERIFY(servers.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSyncHealth)
#include "test_synchealth.moc"
