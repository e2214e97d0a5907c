// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The authorized date-service client against the stand-in services.
*/

#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <functional>

#include "dbusorbadmindate.h"
#include "standins.h"

using Request = std::function<QDBusPendingCall(DBusOrbAdminDate &)>;
Q_DECLARE_METATYPE(Request)

namespace
{

const QString s_agent = QStringLiteral("org.kde.polkit-kde-authentication-agent-1");
const QString s_helper = QStringLiteral("ru.veltronix.orb.date");
const QString s_timedated = QStringLiteral("org.freedesktop.timedate1");

QString agentCall(const QString &action, qulonglong wid)
{
    return QStringLiteral("%1: setWIdForAction(\"%2\", %3) [st]").arg(s_agent, action).arg(wid);
}

const QString s_noAgentLine =
    QStringLiteral("void DBusOrbAdminDate::preAuthAction(const QString&) Orb polkit agent appears too old or not registered on the bus");
}

class DBusOrbAdminDateTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void requestAnnouncesWindowFirst_data();
    void requestAnnouncesWindowFirst();
    void requestSentWithoutAgent_data();
    void requestSentWithoutAgent();
    void requestSentWhenAgentFails_data();
    void requestSentWhenAgentFails();
    void ntpSyncTrimsServer_data();
    void ntpSyncTrimsServer();

    void serviceFailureReachesPendingCall_data();
    void serviceFailureReachesPendingCall();
    void droppedTimedatedProxyKeepsCall();

    void localRTC_data();
    void localRTC();
    void localRTCWithoutTimedated();
    void clockFlagsReadOneByOneWhenGetAllFails();

    void helperErrorRelayed_data();
    void helperErrorRelayed();
    void helperErrorRelayedWhenHelperStartsLater();

    void dbusErrorTexts_data();
    void dbusErrorTexts();
    void causeSaidInPlainWords_data();
    void causeSaidInPlainWords();

private:
    StandIns m_standIns;
};

void DBusOrbAdminDateTest::initTestCase()
{
    QVERIFY(qEnvironmentVariableIsSet("ORB_STANDIN_JOURNAL"));
    QVERIFY(m_standIns.startAll());
}

void DBusOrbAdminDateTest::init()
{
    // Tests may stop a stand-in or have it leave the bus; every test starts from all three answering.
    QVERIFY(m_standIns.startAll());
    QVERIFY(m_standIns.clearFailures(StandIns::Agent));
    QVERIFY(m_standIns.clearFailures(StandIns::Helper));
    QVERIFY(m_standIns.clearFailures(StandIns::Timedated));
    StandIns::clearJournal();
}

void DBusOrbAdminDateTest::requestAnnouncesWindowFirst_data()
{
    QTest::addColumn<Request>("request");
    QTest::addColumn<qulonglong>("wid");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("sent");

    const QList<qulonglong> wids{0, 0x4a00007, 0xffffffffffffull};
    for (const qulonglong wid : wids) {
        const QByteArray suffix = " wid " + QByteArray::number(wid, 16);
        QTest::newRow(QByteArray("NTPSync" + suffix).constData()) << Request([](DBusOrbAdminDate &c) {
            return c.NTPSync(QStringLiteral("ntp1.example.org"));
        }) << wid << QStringList{QStringLiteral("ru.veltronix.orb.date.ntp-sync")}
                                                                  << s_helper + QStringLiteral(": NTPSync(\"ntp1.example.org\") [s]");
        QTest::newRow(QByteArray("SetTime" + suffix).constData()) << Request([](DBusOrbAdminDate &c) {
            return c.SetTime(4000000000u);
        }) << wid << QStringList{QStringLiteral("ru.veltronix.orb.date.set-time")}
                                                                  << s_helper + QStringLiteral(": SetTime(4000000000) [u]");
        QTest::newRow(QByteArray("SwitchTab" + suffix).constData()) << Request([](DBusOrbAdminDate &c) {
            return c.SwitchTab();
        }) << wid << QStringList{QStringLiteral("ru.veltronix.orb.date.switch-tab")}
                                                                    << s_helper + QStringLiteral(": SwitchTab() []");
        QTest::newRow(QByteArray("SetLocalRTC" + suffix).constData()) << Request([](DBusOrbAdminDate &c) {
            return c.SetLocalRTC(true, false, true);
        }) << wid << QStringList{QStringLiteral("org.freedesktop.timedate1.set-local-rtc")}
                                                                      << s_timedated + QStringLiteral(": SetLocalRTC(true, false, true) [bbb]");
        QTest::newRow(QByteArray("SetTimezone" + suffix).constData()) << Request([](DBusOrbAdminDate &c) {
            return c.SetTimezone(QStringLiteral("Asia/Vladivostok"), true);
        }) << wid << QStringList{QStringLiteral("ru.veltronix.orb.date.set-time"), QStringLiteral("org.freedesktop.timedate1.set-timezone")}
                                                                      << s_timedated + QStringLiteral(": SetTimezone(\"Asia/Vladivostok\", true) [sb]");
    }
    // The booleans must not be reordered on the way to timedated.
    QTest::newRow("SetLocalRTC other order") << Request([](DBusOrbAdminDate &c) {
        return c.SetLocalRTC(false, true, false);
    }) << qulonglong(7) << QStringList{QStringLiteral("org.freedesktop.timedate1.set-local-rtc")}
                                             << s_timedated + QStringLiteral(": SetLocalRTC(false, true, false) [bbb]");
}

void DBusOrbAdminDateTest::requestAnnouncesWindowFirst()
{
    QFETCH(Request, request);
    QFETCH(qulonglong, wid);
    QFETCH(QStringList, actions);
    QFETCH(QString, sent);

    DBusOrbAdminDate client;
    QCOMPARE(client.wid(), qulonglong(0));
    client.setWId(wid);
    QCOMPARE(client.wid(), wid);

    QDBusPendingCall call = request(client);
    call.waitForFinished();
    QVERIFY2(!call.isError(), qPrintable(call.error().message()));
    QStringList expected;
    for (const QString &action : actions) {
        expected << agentCall(action, wid);
    }
    QCOMPARE(describe(StandIns::journal()), expected << sent);
}

void DBusOrbAdminDateTest::requestSentWithoutAgent_data()
{
    QTest::addColumn<Request>("request");
    QTest::addColumn<QString>("sent");

    QTest::newRow("helper") << Request([](DBusOrbAdminDate &c) {
        return c.SetTime(1700000000u);
    }) << s_helper + QStringLiteral(": SetTime(1700000000) [u]");
    QTest::newRow("timedated") << Request([](DBusOrbAdminDate &c) {
        return c.SetTimezone(QStringLiteral("Europe/Samara"), true);
    }) << s_timedated + QStringLiteral(": SetTimezone(\"Europe/Samara\", true) [sb]");
}

void DBusOrbAdminDateTest::requestSentWithoutAgent()
{
    QFETCH(Request, request);
    QFETCH(QString, sent);

    QVERIFY(m_standIns.stop(StandIns::Agent));
    DBusOrbAdminDate client;
    client.setWId(42);

    QTest::ignoreMessage(QtDebugMsg, qPrintable(s_noAgentLine));
    QDBusPendingCall call = request(client);
    call.waitForFinished();
    QVERIFY(!call.isError());
    QCOMPARE(describe(StandIns::journal()), QStringList{sent});
}

void DBusOrbAdminDateTest::requestSentWhenAgentFails_data()
{
    QTest::addColumn<QString>("errorName");
    QTest::addColumn<bool>("drop");

    QTest::newRow("access denied") << QStringLiteral("org.freedesktop.DBus.Error.AccessDenied") << false;
    QTest::newRow("failed") << QStringLiteral("org.freedesktop.DBus.Error.Failed") << false;
    // The agent leaves the bus without answering: the daemon answers NoReply for it.
    QTest::newRow("no reply") << QStringLiteral("org.freedesktop.DBus.Error.NoReply") << true;
}

void DBusOrbAdminDateTest::requestSentWhenAgentFails()
{
    QFETCH(QString, errorName);
    QFETCH(bool, drop);

    if (drop) {
        QVERIFY(m_standIns.dropOn(StandIns::Agent, QStringLiteral("setWIdForAction")));
    } else {
        QVERIFY(m_standIns.failWith(StandIns::Agent, QStringLiteral("setWIdForAction"), errorName, QStringLiteral("the agent said no")));
    }
    DBusOrbAdminDate client;
    client.setWId(0x1c00003);

    const QRegularExpression warning(
        QStringLiteral("^void DBusOrbAdminDate::preAuthAction\\(const QString&\\) ERROR while streaming the parent!! QDBusError\\(\"%1\", ")
            .arg(QRegularExpression::escape(errorName)));
    QTest::ignoreMessage(QtWarningMsg, warning);
    QElapsedTimer elapsed;
    elapsed.start();
    QDBusPendingCall call = client.SetLocalRTC(false, false, true);
    call.waitForFinished();
    QVERIFY(elapsed.elapsed() < 10000);
    QVERIFY(!call.isError());
    QCOMPARE(describe(StandIns::journal()),
             QStringList({agentCall(QStringLiteral("org.freedesktop.timedate1.set-local-rtc"), 0x1c00003),
                          s_timedated + QStringLiteral(": SetLocalRTC(false, false, true) [bbb]")}));
}

void DBusOrbAdminDateTest::ntpSyncTrimsServer_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("sent");

    QTest::newRow("blanks around") << QStringLiteral(" \t ru.pool.ntp.org \n") << QStringLiteral("ru.pool.ntp.org");
    QTest::newRow("inner blank kept") << QStringLiteral("  a b ") << QStringLiteral("a b");
    QTest::newRow("address") << QStringLiteral("192.0.2.1") << QStringLiteral("192.0.2.1");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("all blank") << QStringLiteral(" \t\r\n ") << QString();
}

void DBusOrbAdminDateTest::ntpSyncTrimsServer()
{
    QFETCH(QString, server);
    QFETCH(QString, sent);

    DBusOrbAdminDate client;
    QDBusPendingCall call = client.NTPSync(server);
    call.waitForFinished();
    QVERIFY(!call.isError());
    const QList<StandInCall> calls = StandIns::calls(StandIns::Helper);
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.first().member, QStringLiteral("NTPSync"));
    QCOMPARE(calls.first().args, QVariantList{sent});
}

void DBusOrbAdminDateTest::serviceFailureReachesPendingCall_data()
{
    QTest::addColumn<Request>("request");
    QTest::addColumn<int>("service");
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("errorName");

    const Request setTime([](DBusOrbAdminDate &c) {
        return c.SetTime(1u);
    });
    const Request ntpSync([](DBusOrbAdminDate &c) {
        return c.NTPSync(QStringLiteral("ntp.example.org"));
    });
    const Request setLocalRtc([](DBusOrbAdminDate &c) {
        return c.SetLocalRTC(true, false, true);
    });
    const Request setTimezone([](DBusOrbAdminDate &c) {
        return c.SetTimezone(QStringLiteral("Europe/Kaliningrad"), true);
    });

    QTest::newRow("helper missing") << setTime << int(StandIns::Helper) << QStringLiteral("SetTime") << QStringLiteral("missing")
                                    << int(QDBusError::ServiceUnknown) << QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown");
    QTest::newRow("helper refuses") << setTime << int(StandIns::Helper) << QStringLiteral("SetTime") << QStringLiteral("fail") << int(QDBusError::AccessDenied)
                                    << QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
    QTest::newRow("helper drops") << ntpSync << int(StandIns::Helper) << QStringLiteral("NTPSync") << QStringLiteral("drop") << int(QDBusError::NoReply)
                                  << QStringLiteral("org.freedesktop.DBus.Error.NoReply");
    QTest::newRow("timedated missing") << setLocalRtc << int(StandIns::Timedated) << QStringLiteral("SetLocalRTC") << QStringLiteral("missing")
                                       << int(QDBusError::ServiceUnknown) << QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown");
    QTest::newRow("timedated refuses zone") << setTimezone << int(StandIns::Timedated) << QStringLiteral("SetTimezone") << QStringLiteral("fail")
                                            << int(QDBusError::AccessDenied) << QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
    QTest::newRow("timedated refuses rtc") << setLocalRtc << int(StandIns::Timedated) << QStringLiteral("SetLocalRTC") << QStringLiteral("fail")
                                           << int(QDBusError::InvalidArgs) << QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
}

void DBusOrbAdminDateTest::serviceFailureReachesPendingCall()
{
    QFETCH(Request, request);
    QFETCH(int, service);
    QFETCH(QString, member);
    QFETCH(QString, fault);
    QFETCH(int, type);
    QFETCH(QString, errorName);

    const auto standIn = StandIns::Service(service);
    const QString message = QStringLiteral("Не разрешено: %1").arg(member);
    if (fault == QLatin1String("missing")) {
        QVERIFY(m_standIns.stop(standIn));
    } else if (fault == QLatin1String("fail")) {
        QVERIFY(m_standIns.failWith(standIn, member, errorName, message));
    } else {
        QVERIFY(m_standIns.dropOn(standIn, member));
    }

    DBusOrbAdminDate client;
    QElapsedTimer elapsed;
    elapsed.start();
    QDBusPendingCall call = request(client);
    call.waitForFinished();
    // Far below the 25 s default time-out: a dropped caller is answered by the bus at once.
    QVERIFY(elapsed.elapsed() < 10000);
    QVERIFY(call.isError());
    QCOMPARE(int(call.error().type()), type);
    QCOMPARE(call.error().name(), errorName);
    if (fault == QLatin1String("fail")) {
        QCOMPARE(call.error().message(), message);
    }
    // The agent was told first in every case.
    const QList<StandInCall> journal = StandIns::journal();
    QVERIFY(!journal.isEmpty());
    QCOMPARE(journal.first().member, QStringLiteral("setWIdForAction"));
}

void DBusOrbAdminDateTest::droppedTimedatedProxyKeepsCall()
{
    QVERIFY(m_standIns.setTimedatedTimezone(QStringLiteral("Europe/Moscow")));
    QVERIFY(m_standIns.setTimedatedLocalRTC(false));

    DBusOrbAdminDate client;
    // The proxy behind each call is gone when the call returns; the calls must still complete.
    QDBusPendingCall zone = client.SetTimezone(QStringLiteral("Asia/Yekaterinburg"), true);
    QDBusPendingCall rtc = client.SetLocalRTC(true, false, true);
    zone.waitForFinished();
    rtc.waitForFinished();
    QVERIFY(zone.isFinished() && !zone.isError());
    QVERIFY(rtc.isFinished() && !rtc.isError());
    QCOMPARE(m_standIns.timedatedTimezone(), QStringLiteral("Asia/Yekaterinburg"));
    QCOMPARE(m_standIns.timedatedLocalRTC(), true);
    QVERIFY(client.clockFlags().localRTC);

    // A refusal arriving after the proxy is gone is still readable.
    QVERIFY(m_standIns.failWith(StandIns::Timedated,
                                QStringLiteral("SetTimezone"),
                                QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                QStringLiteral("no")));
    QDBusPendingCall refused = client.SetTimezone(QStringLiteral("Europe/Moscow"), true);
    refused.waitForFinished();
    QVERIFY(refused.isError());
    QCOMPARE(refused.error().type(), QDBusError::AccessDenied);
    QCOMPARE(m_standIns.timedatedTimezone(), QStringLiteral("Asia/Yekaterinburg"));
}

void DBusOrbAdminDateTest::localRTC_data()
{
    QTest::addColumn<bool>("stored");
    QTest::newRow("local time") << true;
    QTest::newRow("UTC") << false;
}

void DBusOrbAdminDateTest::localRTC()
{
    QFETCH(bool, stored);

    QVERIFY(m_standIns.setTimedatedLocalRTC(stored));
    StandIns::clearJournal();
    DBusOrbAdminDate client;
    QCOMPARE(client.clockFlags().localRTC, stored);
    // A plain read: no window announcement, and one call for all the flags.
    QCOMPARE(describe(StandIns::journal()),
             QStringList{s_timedated + QStringLiteral(": org.freedesktop.DBus.Properties.GetAll(\"org.freedesktop.timedate1\") [s]")});
}

void DBusOrbAdminDateTest::clockFlagsReadOneByOneWhenGetAllFails()
{
    // timedated fails GetAll as a whole when one property cannot be read (the hardware clock).
    QVERIFY(m_standIns.setTimedatedLocalRTC(true));
    QVERIFY(m_standIns.failWith(StandIns::Timedated,
                                QStringLiteral("GetAll"),
                                QStringLiteral("org.freedesktop.DBus.Error.IOError"),
                                QStringLiteral("Failed to read RTC")));
    DBusOrbAdminDate client;
    QVERIFY(client.clockFlags().localRTC);
}

void DBusOrbAdminDateTest::localRTCWithoutTimedated()
{
    QVERIFY(m_standIns.setTimedatedLocalRTC(true));
    DBusOrbAdminDate client;
    QVERIFY(client.clockFlags().localRTC);
    QVERIFY(m_standIns.stop(StandIns::Timedated));
    QCOMPARE(client.clockFlags().localRTC, false);
}

void DBusOrbAdminDateTest::helperErrorRelayed_data()
{
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("message");

    QTest::newRow("ntpdig") << QStringLiteral("NTPSync") << QStringLiteral("ntpdig: no eligible servers");
    QTest::newRow("non-latin") << QStringLiteral("Ошибка") << QStringLiteral("Сервер «ntp.example.org» недоступен\nповторите позже");
    QTest::newRow("empty") << QString() << QString();
}

void DBusOrbAdminDateTest::helperErrorRelayed()
{
    QFETCH(QString, error);
    QFETCH(QString, message);

    DBusOrbAdminDate client;
    QSignalSpy spy(&client, &DBusOrbAdminDate::Error);
    // No request is pending: the signal comes on its own.
    QVERIFY(m_standIns.emitHelperError(error, message));
    QVERIFY(spy.wait(10000));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().value(0).toString(), error);
    QCOMPARE(spy.first().value(1).toString(), message);
    QVERIFY(StandIns::journal().isEmpty());
}

void DBusOrbAdminDateTest::helperErrorRelayedWhenHelperStartsLater()
{
    QVERIFY(m_standIns.stop(StandIns::Helper));
    DBusOrbAdminDate client;
    QSignalSpy spy(&client, &DBusOrbAdminDate::Error);
    QVERIFY(m_standIns.start(StandIns::Helper));
    QVERIFY(m_standIns.emitHelperError(QStringLiteral("SetTime"), QStringLiteral("clock is locked")));
    QVERIFY(spy.wait(10000));
    QCOMPARE(spy.first(), QVariantList({QStringLiteral("SetTime"), QStringLiteral("clock is locked")}));
}

void DBusOrbAdminDateTest::dbusErrorTexts_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");

    const QString unknown = QStringLiteral("Unknown error.");
    const QString timeout = QStringLiteral("Timeout reply.");
    QTest::newRow("NoError") << int(QDBusError::NoError) << unknown;
    QTest::newRow("Other") << int(QDBusError::Other) << unknown;
    QTest::newRow("Failed") << int(QDBusError::Failed) << QStringLiteral("The call failed.");
    QTest::newRow("NoMemory") << int(QDBusError::NoMemory) << QStringLiteral("Out of memory.");
    QTest::newRow("ServiceUnknown") << int(QDBusError::ServiceUnknown) << QStringLiteral("The called service is not known.");
    QTest::newRow("NoReply") << int(QDBusError::NoReply) << timeout;
    QTest::newRow("BadAddress") << int(QDBusError::BadAddress) << QStringLiteral("The address given is not valid.");
    QTest::newRow("NotSupported") << int(QDBusError::NotSupported) << QStringLiteral("The call/operation is not supported.");
    QTest::newRow("LimitsExceeded") << int(QDBusError::LimitsExceeded)
                                    << QStringLiteral("The limits allocated to this process/call/connection exceeded the pre-defined values.");
    QTest::newRow("AccessDenied") << int(QDBusError::AccessDenied) << QStringLiteral("Authorization error.");
    QTest::newRow("NoServer") << int(QDBusError::NoServer) << QStringLiteral("No server found.");
    QTest::newRow("Timeout") << int(QDBusError::Timeout) << timeout;
    QTest::newRow("NoNetwork") << int(QDBusError::NoNetwork) << QStringLiteral("No network found.");
    QTest::newRow("AddressInUse") << int(QDBusError::AddressInUse) << QStringLiteral("QDBusServer tried to bind to an address that is already in use.");
    QTest::newRow("Disconnected") << int(QDBusError::Disconnected) << QStringLiteral("The call/process/message was sent after QDBusConnection disconnected.");
    QTest::newRow("InvalidArgs") << int(QDBusError::InvalidArgs) << QStringLiteral("The arguments passed to this call/operation are not valid.");
    QTest::newRow("UnknownMethod") << int(QDBusError::UnknownMethod)
                                   << QStringLiteral("The method called was not found in this object/interface with the given parameters.");
    QTest::newRow("TimedOut") << int(QDBusError::TimedOut) << timeout;
    QTest::newRow("InvalidSignature") << int(QDBusError::InvalidSignature) << QStringLiteral("The type signature is not valid or compatible.");
    QTest::newRow("UnknownInterface") << int(QDBusError::UnknownInterface) << QStringLiteral("The interface is not known in this object.");
    QTest::newRow("UnknownObject") << int(QDBusError::UnknownObject) << QStringLiteral("The object path points to an object that does not exist.");
    QTest::newRow("UnknownProperty") << int(QDBusError::UnknownProperty) << QStringLiteral("The property does not exist in this interface.");
    QTest::newRow("PropertyReadOnly") << int(QDBusError::PropertyReadOnly) << QStringLiteral("The property set failed because the property is read-only.");
    QTest::newRow("InternalError") << int(QDBusError::InternalError) << QStringLiteral("An internal error occurred.");
    QTest::newRow("InvalidService") << int(QDBusError::InvalidService) << QStringLiteral("The service requested is invalid.");
    QTest::newRow("InvalidObjectPath") << int(QDBusError::InvalidObjectPath) << QStringLiteral("The object path provided is invalid.");
    QTest::newRow("InvalidInterface") << int(QDBusError::InvalidInterface) << QStringLiteral("The interface is invalid.");
    QTest::newRow("InvalidMember") << int(QDBusError::InvalidMember) << QStringLiteral("The member is invalid.");
    QTest::newRow("28") << 28 << unknown;
    QTest::newRow("1000") << 1000 << unknown;
    QTest::newRow("-1") << -1 << unknown;
}

void DBusOrbAdminDateTest::dbusErrorTexts()
{
    QFETCH(int, type);
    QFETCH(QString, text);

    const DBusOrbAdminDate client;
    QCOMPARE(client.getDBusError(QDBusError::ErrorType(type)), text);
}

void DBusOrbAdminDateTest::causeSaidInPlainWords_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    const QString refused = QStringLiteral("Authorization error.\n");
    QTest::newRow("no agent to ask") << QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired") << QStringLiteral("x")
                                     << refused + QStringLiteral("No password could be asked for: no authentication agent is running in this session.");
    QTest::newRow("password refused") << QStringLiteral("org.freedesktop.DBus.Error.AccessDenied") << QStringLiteral("Not authorized")
                                      << refused + QStringLiteral("The password was not given or was refused.");
    QTest::newRow("helper missing") << QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown")
                                    << QStringLiteral("The name ru.veltronix.orb.date was not provided by any .service files")
                                    << QStringLiteral("The called service is not known.\nThe date helper is not installed or not running.");
    // The bus could not start it: no systemd on this bus (no stand-in for it runs here).
    QTest::newRow("not started") << QStringLiteral("org.freedesktop.DBus.Error.Spawn.ChildExited")
                                 << QStringLiteral("Launch helper exited with unknown return code 1")
                                 << QStringLiteral(
                                        "Unknown error.\nThe service could not be started: the service manager systemd, which starts it, is not "
                                        "running on this system.");
    QTest::newRow("timedated without systemd") << QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod") << QStringLiteral("Unknown method")
                                               << QStringLiteral(
                                                      "The method called was not found in this object/interface with the given parameters.\n"
                                                      "This needs the service manager systemd, which is not running on this system.");
    QTest::newRow("no CAP_SYS_TIME") << QStringLiteral("org.freedesktop.DBus.Error.Failed")
                                     << QStringLiteral("The system clock could not be set: Operation not permitted")
                                     << QStringLiteral(
                                            "The call failed.\nThe date helper lacks the right to set the system clock (the CAP_SYS_TIME capability).");
    QTest::newRow("helper's own words") << QStringLiteral("org.example.Error.Strange") << QStringLiteral("clock is locked ")
                                        << QStringLiteral("Unknown error.\nclock is locked");
    QTest::newRow("nothing known") << QStringLiteral("org.freedesktop.DBus.Error.NoMemory") << QStringLiteral("x") << QStringLiteral("Out of memory.");
}

void DBusOrbAdminDateTest::causeSaidInPlainWords()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    const DBusOrbAdminDate client;
    QCOMPARE(client.getDBusError(QDBusError(QDBusMessage::createError(name, message))), shown);
}

QTEST_MAIN(DBusOrbAdminDateTest)

#include "dbusorbadmindatetest.moc"
