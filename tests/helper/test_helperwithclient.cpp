/*
    The module's date-service client against the real date helper (its test
    build): what the module's callers read from the pending calls.
*/

#include "dbusorbadmindate.h"
#include "helperrig.h"

#include <QDBusPendingCall>
#include <QDateTime>
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
        QCOMPARE(m_rig.clockLog(), QStringList{QStringLiteral("clock 1700000000.000000000")});
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

        QDBusPendingCall sync = client.NTPSync(QStringLiteral("127.0.0.1"));
        sync.waitForFinished();
        QCOMPARE(sync.error().type(), QDBusError::Failed);
        QCOMPARE(client.getDBusError(sync.error().type()), QStringLiteral("The call failed."));
        QVERIFY2(sync.error().message().contains(QLatin1String("ntpdig")), qPrintable(sync.error().message()));
        QCOMPARE(m_rig.clockLog(), QStringList());
    }
};

QTEST_MAIN(HelperWithClientTest)
#include "test_helperwithclient.moc"
