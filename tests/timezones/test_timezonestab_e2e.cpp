// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The "Time zone" tab inside the whole module, hosted like the settings centre
    hosts it, on the private buses with the stand-in services: the zone the user
    ends up with, by map and by keyboard, is what timedated receives on Apply.
*/

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QTimeZone>

#include "dbusorbadmindate.h"
#include "kcmoduleqml.h"
#include "mapcontroller.h"
#include "modulehost.h"
#include "standins.h"
#include "uidriver.h"

namespace
{
QQuickItem *child(QQuickItem *item, const char *property)
{
    return item->property(property).value<QQuickItem *>();
}
}

class TestTimeZonesTabEndToEnd : public QObject
{
    Q_OBJECT

private:
    StandIns m_standIns;

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(qgetenv("ORB_ADMIN_MODE"), QByteArray("1"));
        QCOMPARE(QTimeZone::systemTimeZoneId(), QByteArray("Europe/Moscow"));
        QVERIFY(m_standIns.startAll());
        QVERIFY(m_standIns.setTimedatedTimezone(QStringLiteral("Europe/Moscow")));
    }

    void mapClickThenKeyboardPickIsApplied()
    {
        ModuleHost host;
        QVERIFY(host.create(QSize(900, 700)));
        KCModuleQML *kcm = host.module();
        kcm->load();
        QVERIFY(kcm->timeZoneSaver());

        QQuickItem *tab = host.showTab(KCModuleQML::TimeZones);
        QVERIFY(tab);
        QCOMPARE(tab->property("needsSave").toBool(), false);
        QCOMPARE(kcm->selectedTimeZone(), QStringLiteral("Europe/Moscow"));
        // The system zone's band, shown once the map's tables are made.
        QTRY_COMPARE(child(tab, "highlightImage")->property("source").toUrl(), QUrl(QStringLiteral("image://mapimages/content/+03_00.png")));

        QQuickItem *map = host.findItem(QStringLiteral("timeZonesMap"));
        QVERIFY(map);
        QVERIFY(host.waitFor([&] {
            return map->property("status").toInt() == 1 && map->property("paintedWidth").toReal() > 0;
        }));

        // New York lies in the -05:00 band.
        QTest::mouseClick(host.window(), Qt::LeftButton, Qt::NoModifier, mapPicturePoint(map, 521, 394));
        auto *controller = tab->property("controller").value<MapController *>();
        QVERIFY(controller);
        const QString clicked = controller->getSelectedTimeZoneName();
        QVERIFY2(QTimeZone(clicked.toUtf8()).isValid(), qPrintable(clicked));
        QVERIFY(clicked != QLatin1String("Europe/Moscow"));
        QTRY_COMPARE(kcm->selectedTimeZone(), clicked);
        QVERIFY(kcm->needsSave());
        QTRY_COMPARE(child(tab, "highlightImage")->property("source").toUrl(), QUrl(QStringLiteral("image://mapimages/content/-05_00.png")));

        // Then a keyboard-only pick in the list: focus the field, type, Return.
        QQuickItem *field = host.findItem(QStringLiteral("timeZonesField"));
        QVERIFY(field);
        field->forceActiveFocus();
        QVERIFY(field->hasActiveFocus());
        const QByteArray typed("Asia/Tokyo");
        for (const char c : typed) {
            QTest::keyClick(host.window(), c);
        }
        QObject *comboBox = tab->property("comboBox").value<QObject *>();
        QVERIFY(comboBox);
        QObject *popupObject = comboBox->property("popup").value<QObject *>();
        QVERIFY(popupObject);
        QTRY_VERIFY(popupObject->property("opened").toBool());
        QTest::keyClick(host.window(), Qt::Key_Return);
        QTRY_VERIFY(!popupObject->property("opened").toBool());
        QVERIFY(!field->hasActiveFocus());
        QCOMPARE(kcm->selectedTimeZone(), QStringLiteral("Asia/Tokyo"));
        QCOMPARE(controller->getSelectedTimeZoneName(), QStringLiteral("Asia/Tokyo"));
        QTRY_COMPARE(child(tab, "highlightImage")->property("source").toUrl(), QUrl(QStringLiteral("image://mapimages/content/+09_00.png")));
        QVERIFY(kcm->needsSave());
        host.saveScreenshot(QStringLiteral("timezonestab-e2e-before-apply"));

        // Apply: only the second zone reaches timedated, after the agent heard of it.
        StandIns::clearJournal();
        kcm->save();
        const QStringList sent = describe(StandIns::journal());
        QCOMPARE(sent.filter(QStringLiteral("SetTimezone")), QStringList{QStringLiteral("org.freedesktop.timedate1: SetTimezone(\"Asia/Tokyo\", true) [sb]")});
        const int agent = sent.indexOf(QStringLiteral("org.kde.polkit-kde-authentication-agent-1: setWIdForAction(\"ru.veltronix.orb.date.set-time\", %1) [st]")
                                           .arg(kcm->daemon()->wid()));
        QVERIFY2(agent >= 0, qPrintable(sent.join(QLatin1Char('\n'))));
        QVERIFY(agent < sent.indexOf(QStringLiteral("org.freedesktop.timedate1: SetTimezone(\"Asia/Tokyo\", true) [sb]")));
        QCOMPARE(m_standIns.timedatedTimezone(), QStringLiteral("Asia/Tokyo"));

        // The reload after Apply shows the system's zone; this process's own zone
        // did not change, so the page is back at Moscow with nothing pending.
        QVERIFY(!kcm->needsSave());
        QCOMPARE(tab->property("needsSave").toBool(), false);
        QCOMPARE(kcm->selectedTimeZone(), QStringLiteral("Europe/Moscow"));
    }

    void refusedApplyReachesTheWarningDialog()
    {
        ModuleHost host;
        QVERIFY(host.create(QSize(900, 700)));
        KCModuleQML *kcm = host.module();
        kcm->load();
        QVERIFY(m_standIns.setTimedatedTimezone(QStringLiteral("Europe/Moscow")));
        QVERIFY(m_standIns.failWith(StandIns::Timedated,
                                    QStringLiteral("SetTimezone"),
                                    QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                    QStringLiteral("Not authorized")));
        QQuickItem *tab = host.findItem(QStringLiteral("timeZonesTab"));
        QVERIFY(tab);
        QObject *comboBox = tab->property("comboBox").value<QObject *>();
        QMetaObject::invokeMethod(comboBox, "select", Q_ARG(QVariant, QStringLiteral("Asia/Omsk")));
        QCOMPARE(kcm->selectedTimeZone(), QStringLiteral("Asia/Omsk"));

        QTest::ignoreMessage(QtWarningMsg, "Error in method org.freedesktop.DBus.Error.AccessDenied : Not authorized");
        kcm->save();
        QObject *dialog = host.page()->property("warningDialog").value<QObject *>();
        QVERIFY(dialog);
        QCOMPARE(dialog->property("title").toString(), QStringLiteral("Error"));
        QCOMPARE(dialog->property("text").toString(),
                 QStringLiteral("Unable to set time zone!\nAuthorization error.\nThe password was not given or was refused."));
        QMetaObject::invokeMethod(dialog, "close");
        // Nothing changed, but the pick stays for another try, with Apply.
        QCOMPARE(m_standIns.timedatedTimezone(), QStringLiteral("Europe/Moscow"));
        QCOMPARE(kcm->selectedTimeZone(), QStringLiteral("Asia/Omsk"));
        QCOMPARE(comboBox->property("fullSelectedZoneName").toString(), QStringLiteral("Asia/Omsk"));
        QVERIFY(host.waitFor([kcm] {
            return kcm->needsSave();
        }));
        QVERIFY(tab->property("needsSave").toBool());
        // A reset shows the system's zone again.
        kcm->load();
        QCOMPARE(kcm->selectedTimeZone(), QStringLiteral("Europe/Moscow"));
        QVERIFY(m_standIns.clearFailures(StandIns::Timedated));
    }
};

QTEST_MAIN(TestTimeZonesTabEndToEnd)
#include "test_timezonestab_e2e.moc"
