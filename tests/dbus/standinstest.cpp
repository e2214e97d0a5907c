// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The stand-in services themselves: what later tests rely on them to do.
*/

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

#include "standins.h"

namespace
{
QDBusMessage callHelper(const QString &member, const QVariantList &args)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("ru.veltronix.orb.date"), QStringLiteral("/"), QStringLiteral("ru.veltronix.orb.date.Manager"), member);
    call.setArguments(args);
    return QDBusConnection::systemBus().call(call);
}

QDBusMessage callAgent(const QString &action, qulonglong wid)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.kde.polkit-kde-authentication-agent-1"),
                                                       QStringLiteral("/org/kde/Polkit1AuthAgent"),
                                                       QStringLiteral("org.kde.Polkit1AuthAgent"),
                                                       QStringLiteral("setWIdForAction"));
    call << action << QVariant::fromValue(wid);
    return QDBusConnection::sessionBus().call(call);
}

bool owned(StandIns::Service service)
{
    return StandIns::bus(service).interface()->isServiceRegistered(StandIns::busName(service)).value();
}
}

class StandInsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startAndStopOwnTheName();
    void journalKeepsOrderAcrossBuses();
    void failureInjection();
    void dropLeavesCallerWithNoReply();
    void timedatedProperties();
};

void StandInsTest::startAndStopOwnTheName()
{
    StandIns standIns;
    QVERIFY(!owned(StandIns::Helper));
    QVERIFY(standIns.startAll());
    QVERIFY(owned(StandIns::Helper));
    QVERIFY(owned(StandIns::Timedated));
    QVERIFY(owned(StandIns::Agent));
    QVERIFY(standIns.stop(StandIns::Agent));
    QVERIFY(!owned(StandIns::Agent));
    QVERIFY(!standIns.isRunning(StandIns::Agent));
    QVERIFY(owned(StandIns::Helper));
    QVERIFY(standIns.start(StandIns::Agent));
    QVERIFY(owned(StandIns::Agent));

    // A second owner is refused rather than silently queued behind the first.
    StandIns other;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("ended before owning its name")));
    QVERIFY(!other.start(StandIns::Helper));
}

void StandInsTest::journalKeepsOrderAcrossBuses()
{
    StandIns standIns;
    QVERIFY(standIns.startAll());
    StandIns::clearJournal();

    QCOMPARE(callAgent(QStringLiteral("a.first"), 0).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(callHelper(QStringLiteral("SetTime"), {4294967295u}).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(callAgent(QStringLiteral("a.second"), 0xffffffffull).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(callHelper(QStringLiteral("NTPSync"), {QStringLiteral("время.рф")}).type(), QDBusMessage::ReplyMessage);

    const QList<StandInCall> journal = StandIns::journal();
    QCOMPARE(describe(journal),
             QStringList({QStringLiteral("org.kde.polkit-kde-authentication-agent-1: setWIdForAction(\"a.first\", 0) [st]"),
                          QStringLiteral("ru.veltronix.orb.date: SetTime(4294967295) [u]"),
                          QStringLiteral("org.kde.polkit-kde-authentication-agent-1: setWIdForAction(\"a.second\", 4294967295) [st]"),
                          QStringLiteral("ru.veltronix.orb.date: NTPSync(\"время.рф\") [s]")}));
    QCOMPARE(journal.at(0).bus, QStringLiteral("session"));
    QCOMPARE(journal.at(1).bus, QStringLiteral("system"));
    QCOMPARE(StandIns::calls(StandIns::Agent).size(), 2);
    // Steering the stand-ins is not something the module sent.
    QVERIFY(standIns.failWith(StandIns::Helper, QStringLiteral("SwitchTab"), QStringLiteral("org.freedesktop.DBus.Error.Failed")));
    QCOMPARE(StandIns::journal().size(), 4);

    StandIns::clearJournal();
    QVERIFY(StandIns::journal().isEmpty());
    QCOMPARE(callHelper(QStringLiteral("SwitchTab"), {}).type(), QDBusMessage::ErrorMessage);
    QCOMPARE(StandIns::journal().size(), 1);
}

void StandInsTest::failureInjection()
{
    StandIns standIns;
    QVERIFY(standIns.start(StandIns::Helper));

    QVERIFY(
        standIns.failWith(StandIns::Helper, QStringLiteral("SetTime"), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"), QStringLiteral("not yours")));
    for (int i = 0; i < 2; ++i) {
        const QDBusMessage reply = callHelper(QStringLiteral("SetTime"), {1u});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
        QCOMPARE(reply.errorMessage(), QStringLiteral("not yours"));
    }
    // Only the chosen method fails.
    QCOMPARE(callHelper(QStringLiteral("NTPSync"), {QStringLiteral("x")}).type(), QDBusMessage::ReplyMessage);
    QVERIFY(standIns.clearFailures(StandIns::Helper));
    QCOMPARE(callHelper(QStringLiteral("SetTime"), {1u}).type(), QDBusMessage::ReplyMessage);

    QVERIFY(standIns.stop(StandIns::Helper));
    QCOMPARE(callHelper(QStringLiteral("SetTime"), {1u}).errorName(), QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"));
}

void StandInsTest::dropLeavesCallerWithNoReply()
{
    StandIns standIns;
    QVERIFY(standIns.start(StandIns::Helper));
    QVERIFY(standIns.dropOn(StandIns::Helper, QStringLiteral("NTPSync")));
    StandIns::clearJournal();

    QElapsedTimer elapsed;
    elapsed.start();
    const QDBusMessage reply = callHelper(QStringLiteral("NTPSync"), {QStringLiteral("ntp.example.org")});
    QVERIFY(elapsed.elapsed() < 10000);
    QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.NoReply"));
    // The call was received, and the stand-in is gone afterwards.
    QCOMPARE(StandIns::calls(StandIns::Helper).size(), 1);
    QTRY_VERIFY(!standIns.isRunning(StandIns::Helper));
    QVERIFY(standIns.stop(StandIns::Helper));
    QVERIFY(standIns.start(StandIns::Helper));
}

void StandInsTest::timedatedProperties()
{
    StandIns standIns;
    QVERIFY(standIns.start(StandIns::Timedated, {{QStringLiteral("Timezone"), QStringLiteral("Asia/Omsk")}, {QStringLiteral("LocalRTC"), true}}));
    QCOMPARE(standIns.timedatedTimezone(), QStringLiteral("Asia/Omsk"));
    QCOMPARE(standIns.timedatedLocalRTC(), true);

    QVERIFY(standIns.setTimedatedLocalRTC(false));
    QVERIFY(standIns.setTimedatedTimezone(QStringLiteral("Europe/Astrakhan")));
    QCOMPARE(standIns.timedatedLocalRTC(), false);
    QCOMPARE(standIns.timedatedTimezone(), QStringLiteral("Europe/Astrakhan"));

    // The template's methods change what the properties then say; a refusal changes nothing.
    QDBusMessage setZone = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.timedate1"),
                                                          QStringLiteral("/org/freedesktop/timedate1"),
                                                          QStringLiteral("org.freedesktop.timedate1"),
                                                          QStringLiteral("SetTimezone"));
    setZone << QStringLiteral("Asia/Chita") << true;
    QCOMPARE(QDBusConnection::systemBus().call(setZone).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(standIns.timedatedTimezone(), QStringLiteral("Asia/Chita"));
    QVERIFY(standIns.failWith(StandIns::Timedated, QStringLiteral("SetTimezone"), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied")));
    setZone.setArguments({QStringLiteral("UTC"), true});
    QCOMPARE(QDBusConnection::systemBus().call(setZone).errorName(), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
    QCOMPARE(standIns.timedatedTimezone(), QStringLiteral("Asia/Chita"));
}

QTEST_GUILESS_MAIN(StandInsTest)

#include "standinstest.moc"
