// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    Pre-authorization in a process without a GUI application object.
*/

#include <QDBusPendingCall>
#include <QTest>

#include "dbusorbadmindate.h"
#include "standins.h"

class DBusOrbAdminDateTtyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowStillAnnounced();

private:
    StandIns m_standIns;
};

void DBusOrbAdminDateTtyTest::windowStillAnnounced()
{
    QVERIFY(m_standIns.start(StandIns::Agent));
    QVERIFY(m_standIns.start(StandIns::Helper));
    StandIns::clearJournal();

    DBusOrbAdminDate client;
    client.setWId(5);
    // Logged, but the agent is told all the same and the request follows.
    QTest::ignoreMessage(QtDebugMsg, "void DBusOrbAdminDate::preAuthAction(const QString&) Not streaming parent as we are on a TTY application");
    QDBusPendingCall call = client.SwitchTab();
    call.waitForFinished();
    QVERIFY(!call.isError());
    QCOMPARE(describe(StandIns::journal()),
             QStringList({QStringLiteral("org.kde.polkit-kde-authentication-agent-1: setWIdForAction(\"ru.veltronix.orb.date.switch-tab\", 5) [st]"),
                          QStringLiteral("ru.veltronix.orb.date: SwitchTab() []")}));
}

QTEST_GUILESS_MAIN(DBusOrbAdminDateTtyTest)

#include "dbusorbadmindatettytest.moc"
