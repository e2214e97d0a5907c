// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The page's clock check against the local SNTP responder, through the same
    NTP tool wrapper the helper's tests use: it measures and changes nothing.
*/

#include <QRegularExpression>
#include <QTest>

#include "clockoffsetcheck.h"
#include "helperrig.h"

class ClockOffsetCheckTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Each round of the rig asks polkit's mock to forget; the check itself never asks it.
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

    void measuresWithoutChangingTheClock()
    {
        QVERIFY(m_rig.startResponder(-2.5));
        ClockOffsetCheck check;
        aimAtResponder(check);
        check.check(QStringLiteral(" 127.0.0.1 "));
        QVERIFY(check.running());
        QCOMPARE(check.result(), QStringLiteral("Checking the clock against 127.0.0.1…"));
        // A second press while the answer is on the way starts nothing.
        check.check(QStringLiteral("127.0.0.1"));
        QTRY_VERIFY_WITH_TIMEOUT(!check.running(), 20000);
        QCOMPARE(check.result(), QStringLiteral("This computer is 2.5 s ahead of 127.0.0.1"));
        QCOMPARE(m_rig.toolRuns().size(), 1);
        // No option that would set the clock.
        QCOMPARE(m_rig.toolRuns().first(),
                 QStringList({QStringLiteral("--json"), QStringLiteral("--timeout"), QStringLiteral("4"), QStringLiteral("--"), QStringLiteral("127.0.0.1")}));
    }

    void saysWhyNothingWasMeasured()
    {
        ClockOffsetCheck check;
        aimAtResponder(check);
        check.check(QStringLiteral("  "));
        QCOMPARE(check.result(), QStringLiteral("Enter a time server to check against."));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Checking the clock against no-such-host.invalid failed")));
        check.check(QStringLiteral("no-such-host.invalid"));
        QTRY_VERIFY_WITH_TIMEOUT(!check.running(), 20000);
        QCOMPARE(check.result(), QStringLiteral("No measurement: the server no-such-host.invalid could not be found."));

        check.setTool(QStringLiteral("/nonexistent/ntpdig"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("failed: The time query could not be started")));
        check.check(QStringLiteral("127.0.0.1"));
        QTRY_VERIFY_WITH_TIMEOUT(!check.running(), 5000);
        QCOMPARE(check.result(), QStringLiteral("The clock cannot be checked: the query program could not be started."));
    }

    void describesBothDirections_data()
    {
        QTest::addColumn<double>("offset");
        QTest::addColumn<QString>("expected");
        QTest::newRow("behind, milliseconds") << 0.0123 << QStringLiteral("This computer is 12 ms behind s");
        QTest::newRow("ahead, seconds") << -61.04 << QStringLiteral("This computer is 61.0 s ahead of s");
        QTest::newRow("agreeing") << 0.0002 << QStringLiteral("This computer's clock agrees with s");
    }

    void describesBothDirections()
    {
        QFETCH(double, offset);
        QFETCH(QString, expected);
        QCOMPARE(ClockOffsetCheck::describe(offset, QStringLiteral("s")), expected);
    }

private:
    void aimAtResponder(ClockOffsetCheck &check)
    {
        const QProcessEnvironment environment = m_rig.helperEnvironment();
        QStringList variables;
        for (const QString &name : {QStringLiteral("ORB_TEST_NTP_PORT"), QStringLiteral("ORB_TEST_NTPDIG_ARGS")}) {
            variables << name + QLatin1Char('=') + environment.value(name);
        }
        check.setToolEnvironment(variables);
        check.setTool(environment.value(QStringLiteral("ORB_HELPER_TEST_NTPDIG")));
    }

    HelperRig m_rig;
};

QTEST_GUILESS_MAIN(ClockOffsetCheckTest)

#include "test_clockoffsetcheck.moc"
