// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The module's date-service client against the real date helper (its test
    build): what the module's callers read from the pending calls.
*/

#include "dbusorbadmindate.h"
#include "helperrig.h"

#include <QDBusPendingCall>
#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

class HelperWithClientTest : public QObject
{
    Q_OBJECT

private:
    HelperRig m_rig;

private Q_SLOTS:
    void initTestCase()
    {
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

    void setTime()
    {
        QVERIFY(m_rig.startHelper());
        DBusOrbAdminDate client;

        QDBusPendingCall refused = client.SetTime(1700000000);
        refused.waitForFinished();
        QVERIFY(refused.isError());
        QCOMPARE(refused.error().type(), QDBusError::AccessDenied);
        QCOMPARE(client.getDBusError(refused.error().type()), QStringLiteral("Authorization error."));
        QCOMPARE(m_rig.clockLog(), QStringList());

        QVERIFY(m_rig.allow({HelperRig::setTimeAction}));
        QDBusPendingCall allowed = client.SetTime(1700000000);
        allowed.waitForFinished();
        QVERIFY2(!allowed.isError(), qPrintable(allowed.error().message()));
        QCOMPARE(m_rig.clockLog().value(0).left(16), QStringLiteral("clock 1700000000"));
        // The page has an agent: polkit may ask for a password.
        QCOMPARE(m_rig.polkitChecks().constLast().flags, 1u);
    }

    void slowPasswordIsNoFailureAndTheClockKeepsTime()
    {
        // Longer than the D-Bus default time-out of 25 s.
        constexpr double typing = 26;
        QVERIFY(m_rig.allow({HelperRig::setTimeAction}));
        QVERIFY(m_rig.polkitMock(QStringLiteral("SetDelay"), {typing}).type() == QDBusMessage::ReplyMessage);
        QVERIFY(m_rig.startHelper());
        DBusOrbAdminDate client;
        QDBusPendingCall call = client.SetTime(1700000000);
        QVERIFY2(!call.isError(), qPrintable(call.error().message()));
        // Set to what was asked plus the time the password took.
        const double set = HelperRig::clockValue(m_rig.clockLog().value(0));
        QVERIFY2(set >= 1700000000 + typing && set < 1700000000 + typing + 1, qPrintable(m_rig.clockLog().value(0)));
    }

    void ntpSync()
    {
        QVERIFY(m_rig.allow({HelperRig::ntpSyncAction}));
        QVERIFY(m_rig.startResponder(300));
        QVERIFY(m_rig.startHelper());
        DBusOrbAdminDate client;

        // The client trims the name; the helper then asks that server.
        QDBusPendingCall sync = client.NTPSync(QStringLiteral("  127.0.0.1 "));
        sync.waitForFinished();
        QVERIFY2(!sync.isError(), qPrintable(sync.error().message()));
        QCOMPARE(m_rig.toolRuns().size(), 1);
        QCOMPARE(m_rig.toolRuns().constFirst().constLast(), QStringLiteral("127.0.0.1"));
        QCOMPARE(m_rig.clockLog().size(), 1);
        QVERIFY(qAbs(HelperRig::clockValue(m_rig.clockLog().constFirst()) - (QDateTime::currentSecsSinceEpoch() + 300)) < 3);

        QDBusPendingCall invalid = client.NTPSync(QStringLiteral("ntp.example.org --step"));
        invalid.waitForFinished();
        QCOMPARE(invalid.error().type(), QDBusError::InvalidArgs);
        QCOMPARE(client.getDBusError(invalid.error().type()), QStringLiteral("The arguments passed to this call/operation are not valid."));
        QCOMPARE(m_rig.toolRuns().size(), 1);
    }

    void ntpFailure()
    {
        QVERIFY(m_rig.allow({HelperRig::ntpSyncAction}));
        QVERIFY(m_rig.startResponder(300, 3));
        QVERIFY(m_rig.startHelper());
        DBusOrbAdminDate client;
        QSignalSpy reasons(&client, &DBusOrbAdminDate::Error);

        QDBusPendingCall sync = client.NTPSync(QStringLiteral("127.0.0.1"));
        sync.waitForFinished();
        QCOMPARE(sync.error().type(), QDBusError::Failed);
        QCOMPARE(client.getDBusError(sync.error().type()), QStringLiteral("The call failed."));
        QVERIFY2(sync.error().message().contains(QLatin1String("ntpdig")), qPrintable(sync.error().message()));
        QCOMPARE(m_rig.clockLog(), QStringList());
        // The helper's reason comes after the call has returned, so that it is the
        // last thing the page shows; it keeps the tool's own words.
        QCOMPARE(reasons.size(), 0);
        QVERIFY(reasons.wait(5000));
        QCOMPARE(reasons.first().at(1).toString(), sync.error().message());
    }
};

QTEST_MAIN(HelperWithClientTest)
#include "test_helperwithclient.moc"
