// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The "Date and time" tab inside the whole module, hosted like the settings
    centre hosts it, on the private buses with the stand-in services: what the
    user enters and picks is what the helper receives on Apply.
*/

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include "colorscheme.h"
#include "kcmoduleqml.h"
#include "modulehost.h"
#include "standins.h"
#include "uidriver.h"

class DateTimeTabModuleTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(qEnvironmentVariable("ORB_ADMIN_MODE"), QStringLiteral("1"));
        QVERIFY(m_standIns.startAll());
    }

    void init()
    {
        QVERIFY(m_standIns.clearFailures(StandIns::Helper));
        StandIns::clearJournal();
    }

    void enteredTimeAndPickedDateAreWritten()
    {
        ModuleHost host;
        QVERIFY(host.create(QSize(1000, 700)));
        KCModuleQML *kcm = host.module();
        kcm->load();
        QQuickWindow *window = host.window();
        QQuickItem *tab = host.findItem(QStringLiteral("dateTimeTab"));
        QVERIFY(tab);
        QVERIFY(host.waitFor([&] {
            return tab->isVisible() && tab->height() > 0;
        }));

        // The 15th of next month, through the calendar's own buttons.
        const QDate target = QDate::currentDate().addMonths(1).addDays(15 - QDate::currentDate().addMonths(1).day());
        clickItem(window, findVisibleItem(tab, QStringLiteral("nextButton")));
        QVERIFY(host.waitFor([&] {
            return clickDay(window, tab, target);
        }));
        QVERIFY(tab->property("needsSave").toBool());
        QVERIFY(kcm->needsSave());
        QCOMPARE(kcm->changedTabs().at(KCModuleQML::DateTime), true);

        // 10:11:12 typed into the digital clock and entered.
        clickItem(window, findVisibleItem(tab, QStringLiteral("hourField")));
        QVERIFY(tab->property("timeIsEdited").toBool());
        for (Qt::Key key : {Qt::Key_1, Qt::Key_0, Qt::Key_1, Qt::Key_1, Qt::Key_1, Qt::Key_2}) {
            QTest::keyClick(window, key);
        }
        QTest::keyClick(window, Qt::Key_Return);
        QElapsedTimer sinceEntered;
        sinceEntered.start();
        // Tab past the seconds leaves the clock for the calendar's return button.
        QTest::keyClick(window, Qt::Key_Tab);
        QVERIFY(!tab->property("timeIsEdited").toBool());

        // The entered time runs on with the page's refresh.
        QObject *digitalClock = findVisibleItem(tab, QStringLiteral("digitalClock"));
        QVERIFY(host.waitFor(
            [&] {
                return digitalClock->property("seconds").toInt() > 12;
            },
            3000));
        QCOMPARE(digitalClock->property("hours").toInt(), 10);
        QCOMPARE(digitalClock->property("minutes").toInt(), 11);
        host.saveScreenshot(QStringLiteral("datetime-tab-edited"));

        kcm->save();
        const qint64 elapsed = (sinceEntered.elapsed() + 999) / 1000;

        const QList<qlonglong> sent = StandIns::sentTimes();
        QCOMPARE(sent.size(), 1);
        const qlonglong entered = QDateTime(target, QTime(10, 11, 12)).toSecsSinceEpoch();
        QVERIFY2(sent.first() > entered && sent.first() <= entered + elapsed + 1,
                 qPrintable(QStringLiteral("sent %1, entered %2, %3 s since").arg(sent.first()).arg(entered).arg(elapsed)));

        // Apply reloads: the tab is back to the live, unedited state.
        QVERIFY(!tab->property("needsSave").toBool());
        QVERIFY(!kcm->needsSave());
    }

    void refusedApplyKeepsTheEditForAnotherTry()
    {
        ModuleHost host;
        QVERIFY(host.create(QSize(1000, 700)));
        KCModuleQML *kcm = host.module();
        kcm->load();
        QQuickItem *tab = host.findItem(QStringLiteral("dateTimeTab"));
        QVERIFY(host.waitFor([&] {
            return tab->isVisible() && tab->height() > 0;
        }));
        const QDate target = QDate::currentDate().addMonths(1).addDays(15 - QDate::currentDate().addMonths(1).day());
        clickItem(host.window(), findVisibleItem(tab, QStringLiteral("nextButton")));
        QVERIFY(host.waitFor([&] {
            return clickDay(host.window(), tab, target);
        }));

        QVERIFY(m_standIns.failWith(StandIns::Helper, QStringLiteral("SetTime"), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied")));
        kcm->save();
        // Still picked, on show, and Apply is there again once the host is done.
        QVERIFY(tab->property("needsSave").toBool());
        QCOMPARE(tab->property("date").toDateTime().date(), target);
        QVERIFY(host.waitFor([kcm] {
            return kcm->needsSave();
        }));

        QVERIFY(m_standIns.clearFailures(StandIns::Helper));
        StandIns::clearJournal();
        kcm->save();
        const QList<qlonglong> sent = StandIns::sentTimes();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(QDateTime::fromSecsSinceEpoch(sent.first()).date(), target);
        QVERIFY(!tab->property("needsSave").toBool());
    }

    void automaticTimeLocksTheClocksAndIsApplied()
    {
        QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTP"), false));
        ModuleHost host;
        QVERIFY(host.create(QSize(1000, 700)));
        KCModuleQML *kcm = host.module();
        kcm->load();
        QQuickWindow *window = host.window();
        QQuickItem *tab = host.findItem(QStringLiteral("dateTimeTab"));
        QVERIFY(host.waitFor([&] {
            return tab->isVisible() && tab->height() > 0;
        }));
        QQuickItem *ntpSwitch = findVisibleItem(tab, QStringLiteral("ntpSwitch"));
        QVERIFY(ntpSwitch && ntpSwitch->isEnabled());
        QVERIFY(!ntpSwitch->property("checked").toBool());

        clickItem(window, ntpSwitch);
        QVERIFY(ntpSwitch->property("checked").toBool());
        QVERIFY(kcm->needsSave());
        QVERIFY(!findVisibleItem(tab, QStringLiteral("calendar"))->isEnabled());
        QVERIFY(!findVisibleItem(tab, QStringLiteral("digitalClock"))->property("editable").toBool());
        host.saveScreenshot(QStringLiteral("datetime-tab-automatic"));

        StandIns::clearJournal();
        kcm->save();
        QCOMPARE(StandIns::calls(StandIns::Timedated, QStringLiteral("SetNTP")).size(), 1);
        QVERIFY(StandIns::sentTimes().isEmpty());
        // After the reload the switch shows what the system now does.
        QVERIFY(ntpSwitch->property("checked").toBool());
        QVERIFY(!kcm->needsSave());
        QVERIFY(m_standIns.setServiceProperty(StandIns::Timedated, QStringLiteral("NTP"), false));
        QVERIFY(host.waitFor(
            [&] {
                return !ntpSwitch->property("checked").toBool();
            },
            5000));
        QVERIFY(!kcm->needsSave());
    }

    // In the shade of the run: the dark picture comes from a run in the desktop
    // style with a dark scheme.
    void screenshot()
    {
        ModuleHost host;
        QVERIFY(host.create(QSize(1000, 700)));
        host.module()->load();
        QVERIFY(host.findItem(QStringLiteral("dateTimeTab")));
        host.saveScreenshot(QStringLiteral("datetime-tab-") + TestColorScheme::shade());
    }

private:
    StandIns m_standIns;
};

QTEST_MAIN(DateTimeTabModuleTest)

#include "test_datetimetab_module.moc"
