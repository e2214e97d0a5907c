// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The module object and its main view, hosted like the settings centre hosts them.
#include <KPluginMetaData>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QTimer>

#include <QJsonArray>
#include <QJsonObject>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include "dbusorbadmindate.h"
#include "kcmoduleqml.h"
#include "modulehost.h"
#include "settingsforappletprovider.h"
#include "standins.h"
#include "synchronizer.h"
#include "traydisplay.h"

// Answers SetTime a second after it was asked.
class SlowHelper : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "ru.veltronix.orb.date.Manager")
public Q_SLOTS:
    void SetTime(uint)
    {
        setDelayedReply(true);
        const QDBusMessage reply = message().createReply();
        const QDBusConnection bus = connection();
        QTimer::singleShot(1000, this, [reply, bus]() {
            bus.send(reply);
        });
    }
};

class TestKCModuleQML : public QObject
{
    Q_OBJECT
private:
    static QStringList tabTexts(QQuickItem *bar)
    {
        QStringList texts;
        const QVariant count = bar->property("count");
        for (int i = 0; i < count.toInt(); ++i) {
            QQuickItem *item = nullptr;
            QMetaObject::invokeMethod(bar, "itemAt", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, i));
            texts << (item ? item->property("text").toString() : QString());
        }
        return texts;
    }

private Q_SLOTS:
    void metadataIsComplete()
    {
        const KPluginMetaData metaData(ModuleHost::pluginFile());
        QVERIFY(metaData.isValid());
        QCOMPARE(metaData.pluginId(), QStringLiteral("kcm_orb_admin_date"));
        const QJsonObject raw = metaData.rawData();
        const QJsonObject plugin = raw.value(QStringLiteral("KPlugin")).toObject();
        QCOMPARE(plugin.value(QStringLiteral("Name")).toString(), QStringLiteral("Date and time"));
        QCOMPARE(plugin.value(QStringLiteral("Name[ru]")).toString(), QStringLiteral("Дата и время"));
        QCOMPARE(plugin.value(QStringLiteral("Description")).toString(), QStringLiteral("Date and time settings"));
        QCOMPARE(plugin.value(QStringLiteral("Description[ru]")).toString(), QStringLiteral("Настройки даты и времени"));
        QCOMPARE(plugin.value(QStringLiteral("Icon")).toString(), QStringLiteral("preferences-system-date-and-time"));
        QCOMPARE(plugin.value(QStringLiteral("ServiceTypes")).toArray(), QJsonArray({QStringLiteral("KCModule")}));
        QCOMPARE(raw.value(QStringLiteral("X-Nimbo-System-Settings-Parent-Category")).toString(), QStringLiteral("language-and-region"));
        // A string, not a number: the settings centre sorts by its text.
        QVERIFY(raw.value(QStringLiteral("X-Nimbo-Weight")).isString());
        QCOMPARE(raw.value(QStringLiteral("X-Nimbo-Weight")).toString(), QStringLiteral("10"));
        QCOMPARE(raw.value(QStringLiteral("X-KDE-ParentApp")).toString(), QStringLiteral("kcontrol"));

        const QStringList keywords = raw.value(QStringLiteral("X-KDE-Keywords")).toString().split(QLatin1Char(','));
        QCOMPARE(keywords.size(), 20);
        QCOMPARE(keywords.first(), QStringLiteral("date and time setup"));
        QCOMPARE(keywords.last(), QStringLiteral("user environment"));
        QVERIFY(keywords.contains(QStringLiteral("system clock in UTC")));
        const QStringList keywordsRu = raw.value(QStringLiteral("X-KDE-Keywords[ru]")).toString().split(QLatin1Char(','));
        QCOMPARE(keywordsRu.size(), 19);
        QCOMPARE(keywordsRu.first(), QStringLiteral("настройка даты и времени"));
        QCOMPARE(keywordsRu.last(), QStringLiteral("пользовательское окружение"));
        QVERIFY(keywordsRu.contains(QStringLiteral("системные часы на UTC")));

        // The factory's class and interface are what the host looks for.
        QCOMPARE(metaData.rawData().isEmpty(), false);
    }

    void tabBarFollowsAdministratorMode_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<QStringList>("tabs");
        QTest::newRow("administrator") << QByteArray("1")
                                       << QStringList{QStringLiteral("Date and time"),
                                                      QStringLiteral("Time zone"),
                                                      QStringLiteral("Synchronization"),
                                                      QStringLiteral("Other time zones"),
                                                      QStringLiteral("Tray display")};
        QTest::newRow("user") << QByteArray("0") << QStringList{QStringLiteral("Other time zones"), QStringLiteral("Tray display")};
    }

    void tabBarFollowsAdministratorMode()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QStringList, tabs);
        qputenv("ORB_ADMIN_MODE", mode);
        ModuleHost host;
        QVERIFY(host.create());
        QSignalSpy icons(host.module(), &KCModuleQML::loadIcons);
        host.module()->load();

        QCOMPARE(host.pageProperty("isAdminMode").toBool(), mode == "1");
        auto *bar = host.page()->property("tabBar").value<QQuickItem *>();
        QVERIFY(bar);
        QCOMPARE(tabTexts(bar), tabs);
        auto *stack = host.page()->property("stack").value<QQuickItem *>();
        QCOMPARE(stack->childItems().size(), tabs.size());
        QCOMPARE(icons.count(), 1);
        // Administrative objects exist only in administrator mode.
        QCOMPARE(host.module()->synchronizer() != nullptr, mode == "1");
        QCOMPARE(host.module()->timeZoneSaver() != nullptr, mode == "1");
        if (mode == "0") {
            QCOMPARE(host.module()->getLastSynchroToolTip(), QString());
        }
        // The refresh timer starts with the first reload and keeps running.
        QVERIFY(host.page()->property("refreshTimer").value<QObject *>()->property("running").toBool());
        host.saveScreenshot(QStringLiteral("module-%1").arg(mode == "1" ? QStringLiteral("admin") : QStringLiteral("user")));
        qunsetenv("ORB_ADMIN_MODE");
    }

    // Only the tab on show is built, whatever the host draws into; a tab shown once stays.
    void tabsAreBuiltWhenFirstShown()
    {
        qputenv("ORB_ADMIN_MODE", "1");
        ModuleHost host;
        QVERIFY(host.create(QSize(900, 700), false));
        host.module()->load();
        const auto built = [&host] {
            QList<bool> result;
            for (int index = 0; index < 5; ++index) {
                result.append(host.tabPage(index) != nullptr);
            }
            return result;
        };
        QCOMPARE(built(), (QList<bool>{true, false, false, false, false}));
        QTest::qWait(300);
        QCOMPARE(built(), (QList<bool>{true, false, false, false, false}));

        auto *bar = host.page()->property("tabBar").value<QObject *>();
        bar->setProperty("currentIndex", 3);
        QVERIFY2(host.tabPage(3), "built at once, not a frame later");
        bar->setProperty("currentIndex", 0);
        QCOMPARE(built(), (QList<bool>{true, false, false, true, false}));
        qunsetenv("ORB_ADMIN_MODE");
    }

    void firstLoadRunsOnce()
    {
        qputenv("ORB_ADMIN_MODE", "1");
        ModuleHost host;
        QVERIFY(host.create());
        QSignalSpy icons(host.module(), &KCModuleQML::loadIcons);
        QSignalSpy reloads(host.module(), &KCModuleQML::reloadQml);
        QVERIFY(host.module()->isFirstLoadPending());
        host.module()->load();
        Synchronizer *first = host.module()->synchronizer();
        QVERIFY(first);
        host.module()->load();
        host.module()->load();
        QCOMPARE(icons.count(), 1);
        QCOMPARE(reloads.count(), 3);
        QCOMPARE(host.module()->synchronizer(), first);
        QVERIFY(!host.module()->isFirstLoadPending());
        qunsetenv("ORB_ADMIN_MODE");
    }

    void needsSaveCombinesTabs()
    {
        qputenv("ORB_ADMIN_MODE", "0");
        ModuleHost host;
        QVERIFY(host.create());
        KCModuleQML *kcm = host.module();
        kcm->load();
        QVERIFY(!kcm->needsSave());

        kcm->setChanged(KCModuleQML::DateTime, true);
        kcm->setChanged(KCModuleQML::TrayDisplayTab, true);
        QVERIFY(kcm->needsSave());
        kcm->setChanged(KCModuleQML::DateTime, false);
        QVERIFY(kcm->needsSave());
        kcm->setChanged(KCModuleQML::TrayDisplayTab, false);
        QVERIFY(!kcm->needsSave());

        // A tab that reports "no change" twice does not clear another's change.
        kcm->setChanged(KCModuleQML::AppletSetings, true);
        kcm->setChanged(KCModuleQML::TimeZones, false);
        kcm->setChanged(KCModuleQML::TimeZones, false);
        QVERIFY(kcm->needsSave());

        // Every load starts clean.
        kcm->load();
        QVERIFY(!kcm->needsSave());
        QCOMPARE(kcm->changedTabs(), std::vector<bool>(5, false));

        // The page's change relay reaches the module: an edit the tray tab shows.
        QVERIFY(host.showTab(KCModuleQML::TrayDisplayTab));
        TrayDisplay::setBox(TrayDisplay::DisplaySecondsTime, !TrayDisplay::boxes().at(TrayDisplay::DisplaySecondsTime).toBool());
        QVERIFY(kcm->needsSave());
        QCOMPARE(kcm->changedTabs().at(KCModuleQML::TrayDisplayTab), true);
        TrayDisplay::reset();
        QVERIFY(!kcm->needsSave());
        qunsetenv("ORB_ADMIN_MODE");
    }

    void saveReportsAndEndsWithReload()
    {
        qputenv("ORB_ADMIN_MODE", "0");
        ModuleHost host;
        QVERIFY(host.create());
        KCModuleQML *kcm = host.module();
        kcm->load();
        kcm->setChanged(KCModuleQML::TrayDisplayTab, true);
        // Zones the file cannot keep: the save fails, says so, and the reload
        // shows what the file holds.
        SettingsForAppletProvider::setChosenTimeZones({QStringLiteral("bad") + QChar::Null});
        QSignalSpy reloads(kcm, &KCModuleQML::reloadQml);
        QSignalSpy messages(kcm, &KCModuleQML::showMessage);
        kcm->save();
        QCOMPARE(reloads.count(), 1);
        QVERIFY(!kcm->needsSave());
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.at(0).at(0).toString(), QStringLiteral("Error"));
        QVERIFY(messages.at(0).at(1).toString().contains(kcm->settings().fileName()));
        QCOMPARE(SettingsForAppletProvider::getChosenTimeZones(), QStringList());
        qunsetenv("ORB_ADMIN_MODE");
    }

    void messagesReachTheWarningDialog()
    {
        qputenv("ORB_ADMIN_MODE", "0");
        ModuleHost host;
        QVERIFY(host.create());
        host.module()->load();
        QObject *dialog = host.page()->property("warningDialog").value<QObject *>();
        QVERIFY(dialog);
        Q_EMIT host.module()->showMessage(QStringLiteral("Error"), QStringLiteral("First"));
        QVERIFY(host.waitFor([dialog] {
            return dialog->property("opened").toBool();
        }));
        // Made with the first warning.
        auto *text = dialog->property("textItem").value<QQuickItem *>();
        QVERIFY(text);
        QCOMPARE(dialog->property("title").toString(), QStringLiteral("Error"));
        QCOMPARE(text->property("text").toString(), QStringLiteral("First"));
        // Drawn in the page's own window, where it can be seen: centred over the
        // page, the button below the text.
        QVERIFY(text->isVisible() && text->window() == host.window());
        // The grab lets the layouts settle first.
        const QImage shot = host.grab();
        const auto sceneRect = [](QQuickItem *item) {
            return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
        };
        const QRectF area = sceneRect(text);
        QVERIFY(QRectF(QPointF(), host.window()->size()).contains(area));
        const QRectF page = sceneRect(host.page());
        const QRectF box = sceneRect(text->parentItem()->parentItem());
        QVERIFY2(qAbs(box.center().x() - page.center().x()) < 2 && qAbs(box.center().y() - page.center().y()) < 2,
                 qPrintable(QStringLiteral("box centred at %1,%2").arg(box.center().x()).arg(box.center().y())));
        QVERIFY(sceneRect(host.findItem(QStringLiteral("warningDialogClose"))).top() >= area.bottom());
        const QImage first = shot.copy(area.toAlignedRect());

        // A second failure while the dialog is open replaces what it shows.
        Q_EMIT host.module()->showMessage(QStringLiteral("Error "), QStringLiteral("Second, a longer message"));
        QCOMPARE(dialog->property("title").toString(), QStringLiteral("Error "));
        QCOMPARE(text->property("text").toString(), QStringLiteral("Second, a longer message"));
        QVERIFY(host.waitFor([&] {
            return host.grab().copy(area.toAlignedRect()) != first;
        }));
        host.saveScreenshot(QStringLiteral("warning-dialog-replaced"));
        QMetaObject::invokeMethod(dialog, "close");
        qunsetenv("ORB_ADMIN_MODE");
    }

    void pageStaysDrawnAndIgnoresInputWhileARequestWaits()
    {
        qputenv("ORB_ADMIN_MODE", "0");
        ModuleHost host;
        QVERIFY(host.create());
        KCModuleQML *kcm = host.module();
        kcm->load();
        auto *bar = host.page()->property("tabBar").value<QQuickItem *>();
        QCOMPARE(bar->property("currentIndex").toInt(), 0);
        QQuickItem *secondTab = nullptr;
        QMetaObject::invokeMethod(bar, "itemAt", Q_RETURN_ARG(QQuickItem *, secondTab), Q_ARG(int, 1));
        QVERIFY(secondTab);

        // A helper on its own connection that answers after a while.
        SlowHelper helper;
        QDBusConnection connection = QDBusConnection::connectToBus(QDBusConnection::SystemBus, QStringLiteral("slow-helper"));
        QVERIFY(connection.registerObject(QStringLiteral("/"), &helper, QDBusConnection::ExportAllSlots));
        QVERIFY(connection.registerService(QStringLiteral("ru.veltronix.orb.date")));

        bool busy = false;
        bool indicatorRunning = false;
        int frames = 0;
        QSignalSpy busyChanges(kcm, &KCModuleQML::busyChanged);
        connect(host.window(), &QQuickWindow::frameSwapped, this, [&frames] {
            ++frames;
        });
        QTimer::singleShot(300, this, [&] {
            busy = kcm->busy();
            indicatorRunning = host.findItem(QStringLiteral("busyIndicator"))->property("running").toBool();
            frames = 0;
            host.window()->update();
            const QPointF centre = secondTab->mapToScene(QPointF(secondTab->width() / 2, secondTab->height() / 2));
            QTest::mouseClick(host.window(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
        });
        QDBusPendingCall call = kcm->daemon()->SetTime(1700000000);
        QVERIFY(call.isFinished() && !call.isError());
        QVERIFY(busy && indicatorRunning);
        QVERIFY2(frames > 0, "the window was not drawn while waiting");
        QCOMPARE(busyChanges.size(), 2);
        QVERIFY(!kcm->busy());
        // The click given meanwhile was dropped, not kept for later.
        QTest::qWait(100);
        QCOMPARE(bar->property("currentIndex").toInt(), 0);

        connection.unregisterService(QStringLiteral("ru.veltronix.orb.date"));
        QDBusConnection::disconnectFromBus(QStringLiteral("slow-helper"));
        qunsetenv("ORB_ADMIN_MODE");
    }

    void scrollAndMinimumSize_data()
    {
        QTest::addColumn<int>("height");
        QTest::newRow("low window scrolls") << 400;
        QTest::newRow("tall window fills") << 800;
    }

    void scrollAndMinimumSize()
    {
        QFETCH(int, height);
        qputenv("ORB_ADMIN_MODE", "1");
        ModuleHost host;
        QVERIFY(host.create(QSize(900, height)));
        host.module()->load();
        auto *flick = host.page()->property("flickable").value<QQuickItem *>();
        auto *bar = host.page()->property("tabBar").value<QQuickItem *>();
        auto *stack = host.page()->property("stack").value<QQuickItem *>();
        QVERIFY(host.waitFor([&] {
            return flick->height() > 0 && bar->height() > 0;
        }));
        const qreal barHeight = bar->height();
        const qreal actual = flick->height() - barHeight - stack->property("bottomMargin").toReal();
        const qreal least = stack->property("minimumHeight").toReal();
        const qreal stackHeight = actual <= least ? least : actual;
        QCOMPARE(stack->height(), stackHeight);
        const qreal minimum = stackHeight + barHeight;
        QCOMPARE(flick->property("contentHeight").toReal(), flick->height() <= minimum ? minimum : flick->height());
        if (height == 400) {
            QVERIFY(flick->property("contentHeight").toReal() > flick->height());
        } else {
            QCOMPARE(flick->property("contentHeight").toReal(), flick->height());
        }

        // Horizontal scrolling only once the buttons are some way wider than the view.
        const qreal buttons = bar->property("contentWidth").toReal();
        const qreal margin = host.window()->width() - flick->width();
        const int slack = int(flick->property("sidewaysSlack").toReal());
        QVERIFY(slack > 0);
        const int barelyNarrower = int(buttons) - slack + 1;
        host.window()->resize(int(barelyNarrower + margin), height);
        QVERIFY2(host.waitFor([&] {
            return qFuzzyCompare(flick->width(), qreal(barelyNarrower));
        }),
                 qPrintable(QStringLiteral("view %1, buttons %2").arg(flick->width()).arg(buttons)));
        QCOMPARE(flick->property("contentWidth").toReal(), flick->width());
        const int muchNarrower = int(buttons) - slack;
        host.window()->resize(int(muchNarrower + margin), height);
        QVERIFY(host.waitFor([&] {
            return qFuzzyCompare(flick->width(), qreal(muchNarrower));
        }));
        QCOMPARE(flick->property("contentWidth").toReal(), buttons);
        qunsetenv("ORB_ADMIN_MODE");
    }

    // A host that shows the page's title above it (as the settings centre's own
    // window does) leaves less height than the page has: every tab must still end
    // inside the window, down to the date tab's last box.
    void titledPageShowsTheWholeTab()
    {
        qputenv("ORB_ADMIN_MODE", "1");
        ModuleHost host;
        QVERIFY(host.create(QSize(658, 620)));
        QQmlComponent title(qmlEngine(host.page()));
        title.setData("import QtQuick 2.15\nRectangle { height: 46; color: \"gray\" }\n", QUrl());
        QObject *header = title.create();
        QVERIFY2(header, qPrintable(title.errorString()));
        header->setParent(host.page());
        QVERIFY(host.page()->setProperty("header", QVariant::fromValue(header)));
        host.module()->load();

        auto *flick = host.page()->property("flickable").value<QQuickItem *>();
        QQuickItem *utc = host.findItem(QStringLiteral("utcCheckBox"));
        QVERIFY(flick && utc);
        QVERIFY(host.waitFor([&] {
            return utc->isVisible() && utc->height() > 0 && flick->height() > 0;
        }));
        // The page keeps its size; its content takes what the title leaves.
        QCOMPARE(host.page()->height(), 620.0);
        QVERIFY(host.waitFor([&] {
            return flick->height() <= 620 - 46;
        }));
        // Positioners lay out at the next frame: wait for it rather than read them early.
        const auto boxBottom = [&] {
            return utc->mapRectToScene(QRectF(0, 0, utc->width(), utc->height())).bottom();
        };
        QVERIFY2(host.waitFor([&] {
            return boxBottom() <= host.window()->height();
        }),
                 qPrintable(QStringLiteral("box bottom %1, window %2").arg(boxBottom()).arg(host.window()->height())));
        host.saveScreenshot(QStringLiteral("module-under-title"));
        qunsetenv("ORB_ADMIN_MODE");
    }

    void syncNowTrimsAndStores()
    {
        qputenv("ORB_ADMIN_MODE", "1");
        ModuleHost host;
        QVERIFY(host.create());
        KCModuleQML *kcm = host.module();
        kcm->load();
        Synchronizer *synchronizer = kcm->synchronizer();
        QVERIFY(synchronizer);

        kcm->syncNow(QStringLiteral("  ntp.example.org\t"));
        QCOMPARE(synchronizer->currentServer(), QStringLiteral("ntp.example.org"));
        QCOMPARE(kcm->settings().value(Settings::Server).toString(), QStringLiteral("ntp.example.org"));

        // The current server again (with blanks): nothing is stored.
        kcm->settings().setValue(Settings::Server, QStringLiteral("sentinel"));
        kcm->syncNow(QStringLiteral(" ntp.example.org "));
        QCOMPARE(kcm->settings().value(Settings::Server).toString(), QStringLiteral("sentinel"));

        // Blanks only: the empty name is set and stored.
        kcm->syncNow(QStringLiteral("   "));
        QCOMPARE(synchronizer->currentServer(), QString());
        QCOMPARE(kcm->settings().value(Settings::Server).toString(), QString());
        qunsetenv("ORB_ADMIN_MODE");
    }

    void requestAnnouncesThePageWindowWhenNoneWasFocused()
    {
        qputenv("ORB_ADMIN_MODE", "1");
        StandIns standIns;
        QVERIFY(standIns.start(StandIns::Agent) && standIns.start(StandIns::Helper));
        ModuleHost host;
        QVERIFY(host.create());
        KCModuleQML *kcm = host.module();
        kcm->load();
        // As in kcmshell5: nothing had the focus at the first load.
        kcm->daemon()->setWId(0);
        StandIns::clearJournal();
        QVERIFY(!kcm->daemon()->SetTime(1700000000).isError());
        const QList<StandInCall> calls = StandIns::calls(StandIns::Agent, QStringLiteral("setWIdForAction"));
        QCOMPARE(calls.size(), 1);
        QVERIFY(host.window()->winId() != 0);
        QCOMPARE(calls.first().args.at(1).toULongLong(), static_cast<qulonglong>(host.window()->winId()));
        qunsetenv("ORB_ADMIN_MODE");
    }

    void missingModuleIsReported()
    {
        ModuleHost host;
        QVERIFY(host.create());
        QSignalSpy messages(host.module(), &KCModuleQML::showMessage);
        host.module()->openAnotherKCMModule(QStringLiteral("kcm_orb_admin_time"));
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.at(0).at(1).toString(), QStringLiteral("The settings module \"kcm_orb_admin_time\" is not installed."));
        // This module is installed in the build tree, and the host here is a no-op.
        qputenv("ORB_KCMSHELL", "/bin/true");
        host.module()->openAnotherKCMModule(QStringLiteral("kcm_orb_admin_date"));
        QCOMPARE(messages.count(), 1);
        qunsetenv("ORB_KCMSHELL");
    }

    void showAllTimeZonesForMapIsPerModule()
    {
        qputenv("ORB_ADMIN_MODE", "0");
        ModuleHost host;
        QVERIFY(host.create());
        KCModuleQML *kcm = host.module();
        QVERIFY(kcm->loadShowAllTimeZonesForMap());
        kcm->saveShowAllTimeZonesForMap(false);
        QVERIFY(!kcm->loadShowAllTimeZonesForMap());
        ModuleHost other;
        QVERIFY(other.create());
        QVERIFY(other.module()->loadShowAllTimeZonesForMap());
        kcm->saveShowAllTimeZonesForMap(true);
        QVERIFY(kcm->loadShowAllTimeZonesForMap());
        qunsetenv("ORB_ADMIN_MODE");
    }
};

QTEST_MAIN(TestKCModuleQML)
#include "test_kcmoduleqml.moc"
