// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The "Tray display" tab inside the whole page: its edits reach the host's Apply,
// and a failed Apply reaches the warning dialog.
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include "kcmoduleqml.h"
#include "modulehost.h"
#include "systemdisplayformatcontroller.h"

class TestTrayDisplayPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void applyReportsWhatTheWindowManagerWasNotTold()
    {
        qputenv("ORB_ADMIN_MODE", "0");
        ModuleHost host;
        QVERIFY(host.create(QSize(640, 620)));
        KCModuleQML *kcm = host.module();
        kcm->load();
        QVERIFY(host.showTab(KCModuleQML::TrayDisplayTab));

        QQuickItem *month = host.findItem(QStringLiteral("dateMonth"));
        QVERIFY(month);
        QVERIFY(host.waitFor([month] {
            return month->isVisible();
        }));
        host.saveScreenshot(QStringLiteral("traydisplay-page"));
        QVERIFY(!kcm->needsSave());

        // Clicked as a user does: the box reports the click, not a changed state.
        QTest::mouseClick(static_cast<QWindow *>(host.window()),
                          Qt::LeftButton,
                          Qt::KeyboardModifiers(),
                          month->mapToScene(QPointF(10, month->height() / 2)).toPoint());
        QVERIFY(month->property("checked").toBool());
        QVERIFY(kcm->changedTabs().at(KCModuleQML::TrayDisplayTab));
        QVERIFY(kcm->needsSave());

        // Off-screen there is no X11 display to send the commands to. The tooltip
        // is rebuilt from its boxes too ("%e" has no box of its own), keeping the
        // theme's full day and month names.
        kcm->save();
        QObject *dialog = host.page()->property("warningDialog").value<QObject *>();
        QCOMPARE(dialog->property("title").toString(), QStringLiteral("Error"));
        QCOMPARE(dialog->property("text").toString(), QStringLiteral("Unable to set date display format.\nUnable to set clock message display format."));
        QMetaObject::invokeMethod(dialog, "close");

        // Stored all the same, and the page is clean again after the reload.
        QVERIFY(!kcm->needsSave());
        QVERIFY(month->property("checked").toBool());
        QFile theme(SystemDisplayFormatController::themeFilePath());
        QVERIFY(theme.open(QIODevice::ReadOnly));
        QCOMPARE(theme.readAll(), QByteArray("DateFormat=%b\nClockMessageFormat=%A, %d %B %Y\n"));
        qunsetenv("ORB_ADMIN_MODE");
    }
};

QTEST_MAIN(TestTrayDisplayPage)
#include "test_traydisplaypage.moc"
