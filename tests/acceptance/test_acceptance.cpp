// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The whole page in a window on the private buses, driven with the mouse and the
    keyboard: every tab edited, one Apply, and what each service and file received.
    Then the same page outside administrator mode, and once more with every service
    refusing.
*/

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <memory>

#include "colorscheme.h"
#include "kcmoduleqml.h"
#include "modulehost.h"
#include "standins.h"
#include "systemdisplayformatcontroller.h"
#include "timesynctestsupport.h"
#include "uidriver.h"

namespace
{
const QString s_activeConf = QStringLiteral("etc/systemd/timesyncd.conf.d/50-office.conf");

// Every title and message that reached the warning dialog, in order.
class MessageRecorder : public QObject
{
    Q_OBJECT
public:
    explicit MessageRecorder(ModuleHost &host)
    {
        m_dialog = host.page()->property("warningDialog").value<QObject *>();
        connect(host.module(), &KCModuleQML::showMessage, this, &MessageRecorder::note);
        // The two tabs that relay their own errors to the dialog.
        for (const char *inner : {"utcCheckBox", "dateMonth"}) {
            for (QQuickItem *item = host.findItem(QLatin1String(inner)); item; item = item->parentItem()) {
                if (item->metaObject()->indexOfSignal("error(QString,QString)") >= 0) {
                    connect(item, SIGNAL(error(QString, QString)), this, SLOT(note(QString, QString)));
                    break;
                }
            }
        }
    }

    QStringList messages;
    QObject *m_dialog = nullptr;

    QString dialogText() const
    {
        return m_dialog->property("title").toString() + QLatin1Char('|') + m_dialog->property("text").toString();
    }
    void closeDialog()
    {
        QMetaObject::invokeMethod(m_dialog, "close");
    }

public Q_SLOTS:
    void note(const QString &title, const QString &message)
    {
        messages << title + QLatin1Char('|') + message;
    }
};

// Shows the tab, then waits for the item of that name on it.
QQuickItem *showTab(ModuleHost &host, KCModuleQML::Tab number, const QString &tabName)
{
    if (!host.showTab(number)) {
        return nullptr;
    }
    QQuickItem *tab = host.findItem(tabName);
    if (tab && host.waitFor([tab] {
            return tab->isVisible() && tab->height() > 0;
        })) {
        return tab;
    }
    return nullptr;
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString appletSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + QStringLiteral("/ru.nimbolinux/kcm_orb_admin_date.conf");
}

// The privileged calls in the journal, without property reads and agent calls.
QStringList privilegedCalls()
{
    QStringList calls;
    const QList<StandInCall> journal = StandIns::journal();
    for (const StandInCall &call : journal) {
        const bool privileged = call.service == StandIns::busName(StandIns::Helper) || call.service == StandIns::busName(StandIns::Timedated);
        if (privileged && !call.interface.startsWith(QLatin1String("org.freedesktop.DBus"))) {
            calls << call.member;
        }
    }
    return calls;
}

// Types into a field that the test focused, replacing what it held.
void replaceText(QQuickWindow *window, QQuickItem *field, const QString &text)
{
    field->forceActiveFocus();
    QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window, Qt::Key_Backspace);
    typeText(window, text);
}

// Picks the first row of the applet tab's zone list for `filter`, as a click would.
bool pickAppletZone(ModuleHost &host, const QString &filter)
{
    QQuickItem *field = host.findItem(QStringLiteral("appletZoneField"));
    if (!field) {
        return false;
    }
    clickItem(host.window(), field);
    typeText(host.window(), filter);
    QQuickItem *list = nullptr;
    QQuickItem *row = nullptr;
    host.waitFor([&] {
        list = findVisibleItem(host.window()->contentItem(), QStringLiteral("appletZoneList"));
        if (list && list->property("count").toInt() > 0) {
            QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row), Q_ARG(int, 0));
        }
        return row != nullptr;
    });
    if (!row) {
        return false;
    }
    clickItem(host.window(), row);
    return true;
}
}

class AcceptanceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void administratorEditsEveryTabAndAppliesOnce();
    void userModeWritesOnlyPerUserFiles();
    void everyRefusalIsReportedAndThePageStaysUsable();
    void screenshots_data();
    void screenshots();

private:
    StandIns m_standIns;
    std::unique_ptr<FixtureRoot> m_root;
    QTemporaryDir m_scratch;
};

void AcceptanceTest::initTestCase()
{
    QVERIFY(m_scratch.isValid());
    QVERIFY(m_standIns.start(StandIns::Helper));
    QVERIFY(m_standIns.start(StandIns::Agent));
    QVERIFY(m_standIns.start(StandIns::Timedated, {{QStringLiteral("Timezone"), QStringLiteral("Europe/Moscow")}, {QStringLiteral("LocalRTC"), false}}));
    const QVariantMap units{{QStringLiteral("systemd-timesyncd.service"), QStringLiteral("active")},
                            {QStringLiteral("chrony.service"), QStringLiteral("inactive")}};
    QVERIFY(m_standIns.start(StandIns::Systemd, {{QStringLiteral("Units"), units}, {QStringLiteral("ServerName"), QStringLiteral("ntp1.vniiftri.ru")}}));
}

void AcceptanceTest::init()
{
    m_root = std::make_unique<FixtureRoot>();
    QVERIFY(m_root->isValid());
    QFile::remove(SystemDisplayFormatController::themeFilePath());
    QFile::remove(appletSettingsPath());
    QVERIFY(m_standIns.setTimedatedTimezone(QStringLiteral("Europe/Moscow")));
    QVERIFY(m_standIns.setTimedatedLocalRTC(false));
    resetAnsweredDialogs();
    StandIns::clearJournal();
}

void AcceptanceTest::cleanup()
{
    qunsetenv("ORB_ADMIN_MODE");
    m_standIns.clearFailures(StandIns::Helper);
    m_standIns.clearFailures(StandIns::Timedated);
    m_standIns.clearFailures(StandIns::Agent);
    m_root.reset();
}

void AcceptanceTest::administratorEditsEveryTabAndAppliesOnce()
{
    qputenv("ORB_ADMIN_MODE", "1");
    ModuleHost host;
    QVERIFY(host.create(QSize(1000, 720)));
    KCModuleQML *kcm = host.module();
    kcm->load();
    QQuickWindow *window = host.window();
    MessageRecorder recorder(host);
    QVERIFY(!kcm->needsSave());

    // Date and time: the 15th of next month in the calendar, 10:11:12 typed in.
    QQuickItem *dateTab = showTab(host, KCModuleQML::DateTime, QStringLiteral("dateTimeTab"));
    QVERIFY(dateTab);
    const QDate nextMonth = QDate::currentDate().addMonths(1);
    const QDate target(nextMonth.year(), nextMonth.month(), 15);
    clickItem(window, findVisibleItem(dateTab, QStringLiteral("nextButton")));
    QVERIFY(host.waitFor([&] {
        return clickDay(window, dateTab, target);
    }));
    clickItem(window, findVisibleItem(dateTab, QStringLiteral("hourField")));
    typeText(window, QStringLiteral("101112"));
    QTest::keyClick(window, Qt::Key_Return);
    QTest::keyClick(window, Qt::Key_Tab);
    const qint64 entered = QDateTime(target, QTime(10, 11, 12)).toSecsSinceEpoch();
    const qint64 enteredAt = QDateTime::currentSecsSinceEpoch();

    // The hardware clock: UTC is on (LocalRTC false), the click turns it off.
    QQuickItem *utc = findVisibleItem(dateTab, QStringLiteral("utcCheckBox"));
    QVERIFY(utc);
    QVERIFY(utc->property("checked").toBool());
    clickItem(window, utc);
    QVERIFY(!utc->property("checked").toBool());
    QVERIFY(kcm->changedTabs().at(KCModuleQML::DateTime));

    // Time zone: New York on the map, then Tokyo from the list by keyboard.
    QQuickItem *zoneTab = showTab(host, KCModuleQML::TimeZones, QStringLiteral("timeZonesTab"));
    QVERIFY(zoneTab);
    QQuickItem *map = host.findItem(QStringLiteral("timeZonesMap"));
    QVERIFY(host.waitFor([&] {
        return map->property("status").toInt() == 1 && map->property("paintedWidth").toReal() > 0;
    }));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, mapPicturePoint(map, 521, 394));
    QTRY_VERIFY(kcm->selectedTimeZone() != QLatin1String("Europe/Moscow"));
    QVERIFY(kcm->changedTabs().at(KCModuleQML::TimeZones));
    QQuickItem *zoneField = host.findItem(QStringLiteral("timeZonesField"));
    zoneField->forceActiveFocus();
    typeText(window, QStringLiteral("Asia/Tokyo"));
    QTest::qWait(100);
    QTest::keyClick(window, Qt::Key_Return);
    QTRY_COMPARE(kcm->selectedTimeZone(), QStringLiteral("Asia/Tokyo"));

    // Synchronization: a typed server, synchronized at once; then a server added
    // to the active service through its name dialog.
    QQuickItem *syncTab = showTab(host, KCModuleQML::Synchronization, QStringLiteral("synchronizationTab"));
    QVERIFY(syncTab);
    replaceText(window, host.findItem(QStringLiteral("serverComboField")), QStringLiteral("time.example.net"));
    clickItem(window, host.findItem(QStringLiteral("syncButton")));
    QTRY_VERIFY(privilegedCalls().contains(QStringLiteral("NTPSync")));
    QCOMPARE(StandIns::calls(StandIns::Helper).last().args.value(0).toString(), QStringLiteral("time.example.net"));
    answerServerName(QStringLiteral("added.example"));
    clickItem(window, host.findItem(QStringLiteral("addServerButton")));
    QTRY_COMPARE(answeredDialogs(), 1);
    QTRY_VERIFY(kcm->changedTabs().at(KCModuleQML::Synchronization));

    // Other time zones: two more zones for the clock applet.
    QVERIFY(showTab(host, KCModuleQML::AppletSetings, QStringLiteral("appletSettingsTab")));
    QVERIFY(pickAppletZone(host, QStringLiteral("Omsk")));
    QVERIFY(pickAppletZone(host, QStringLiteral("Irkutsk")));
    QTRY_VERIFY(kcm->changedTabs().at(KCModuleQML::AppletSetings));

    // Tray display: the month joins the date.
    QVERIFY(showTab(host, KCModuleQML::TrayDisplayTab, QStringLiteral("dateMonth")));
    QQuickItem *month = host.findItem(QStringLiteral("dateMonth"));
    QVERIFY(month && !month->property("checked").toBool());
    clickItem(window, month);
    QVERIFY(month->property("checked").toBool());
    QVERIFY(kcm->changedTabs().at(KCModuleQML::TrayDisplayTab));
    QVERIFY(kcm->needsSave());
    host.saveScreenshot(QStringLiteral("acceptance-before-apply"));

    StandIns::clearJournal();
    const int messagesBefore = recorder.messages.size();
    kcm->save();
    const qint64 appliedAt = QDateTime::currentSecsSinceEpoch();

    // The services, in the save order: date and time, hardware clock, servers, then zone.
    QCOMPARE(privilegedCalls(),
             (QStringList{QStringLiteral("SetTime"), QStringLiteral("SetLocalRTC"), QStringLiteral("SetServers"), QStringLiteral("SetTimezone")}));
    const QList<StandInCall> helperCalls = StandIns::calls(StandIns::Helper);
    const qint64 written = helperCalls.first().args.value(0).toLongLong();
    QVERIFY2(written >= entered && written <= entered + (appliedAt - enteredAt) + 2, qPrintable(QString::number(written - entered)));
    const QList<StandInCall> timedated = StandIns::calls(StandIns::Timedated);
    QStringList timedatedCalls;
    for (const StandInCall &call : timedated) {
        if (!call.interface.startsWith(QLatin1String("org.freedesktop.DBus"))) {
            timedatedCalls << call.toString();
        }
    }
    QCOMPARE(timedatedCalls.size(), 2);
    QVERIFY2(timedatedCalls.first().startsWith(QStringLiteral("org.freedesktop.timedate1: SetLocalRTC(true, ")), qPrintable(timedatedCalls.first()));
    QCOMPARE(timedatedCalls.last(), QStringLiteral("org.freedesktop.timedate1: SetTimezone(\"Asia/Tokyo\", true) [sb]"));
    QCOMPARE(m_standIns.timedatedTimezone(), QStringLiteral("Asia/Tokyo"));
    QVERIFY(m_standIns.timedatedLocalRTC());
    // Each privileged request was announced to the agent first (the zone twice).
    QCOMPARE(StandIns::calls(StandIns::Agent).size(), 5);

    // The server list went to the date helper as a whole.
    const QList<StandInCall> servers = StandIns::calls(StandIns::Helper, QStringLiteral("SetServers"));
    QCOMPARE(servers.size(), 1);
    QVERIFY(servers.first().args.value(1).toStringList().contains(QStringLiteral("added.example")));

    // The per-user files.
    QVERIFY(readFile(SystemDisplayFormatController::themeFilePath()).contains(QStringLiteral("DateFormat=%b\n")));
    QSettings applet(appletSettingsPath(), QSettings::IniFormat);
    const QStringList chosen = applet.value(QStringLiteral("chosenTimeZones")).toStringList();
    QCOMPARE(chosen.size(), 2);
    QVERIFY2(chosen.filter(QStringLiteral("Omsk")).size() == 1 && chosen.filter(QStringLiteral("Irkutsk")).size() == 1,
             qPrintable(chosen.join(QLatin1Char(','))));
    QCOMPARE(applet.value(QStringLiteral("Server")).toString(), QStringLiteral("time.example.net"));

    // Off-screen the window manager cannot be told: that is the one message.
    const QStringList after = recorder.messages.mid(messagesBefore);
    QCOMPARE(after, QStringList{QStringLiteral("Error|Unable to set date display format.\nUnable to set clock message display format.")});
    recorder.closeDialog();

    // Reloaded with nothing pending.
    QVERIFY(!kcm->needsSave());
    for (bool changed : kcm->changedTabs()) {
        QVERIFY(!changed);
    }
    QVERIFY(month->property("checked").toBool());
    host.saveScreenshot(QStringLiteral("acceptance-after-apply"));
}

void AcceptanceTest::userModeWritesOnlyPerUserFiles()
{
    qputenv("ORB_ADMIN_MODE", "0");
    const QByteArray confBefore = m_root->read(s_activeConf);
    ModuleHost host;
    QVERIFY(host.create(QSize(800, 640)));
    KCModuleQML *kcm = host.module();
    kcm->load();
    MessageRecorder recorder(host);
    auto *bar = host.page()->property("tabBar").value<QQuickItem *>();
    QCOMPARE(bar->property("count").toInt(), 2);

    QVERIFY(showTab(host, KCModuleQML::AppletSetings, QStringLiteral("appletSettingsTab")));
    QVERIFY(pickAppletZone(host, QStringLiteral("Samara")));
    QTRY_VERIFY(kcm->needsSave());
    QVERIFY(showTab(host, KCModuleQML::TrayDisplayTab, QStringLiteral("dateMonth")));
    QQuickItem *year = host.findItem(QStringLiteral("dateYear"));
    QVERIFY(year);
    clickItem(host.window(), year);
    QVERIFY(kcm->changedTabs().at(KCModuleQML::TrayDisplayTab));

    StandIns::clearJournal();
    kcm->save();
    // Not even a property read reaches the helper or timedated.
    QCOMPARE(describe(StandIns::calls(StandIns::Helper)), QStringList());
    QCOMPARE(describe(StandIns::calls(StandIns::Timedated)), QStringList());
    QVERIFY(StandIns::calls(StandIns::Agent).isEmpty());
    QVERIFY(!describe(StandIns::calls(StandIns::Systemd)).join(QLatin1Char('\n')).contains(QLatin1String("Unit(")));
    QCOMPARE(m_root->read(s_activeConf), confBefore);
    QCOMPARE(m_standIns.timedatedTimezone(), QStringLiteral("Europe/Moscow"));

    const QString theme = readFile(SystemDisplayFormatController::themeFilePath());
    QVERIFY2(theme.contains(QStringLiteral("%y")), qPrintable(theme));
    QSettings applet(appletSettingsPath(), QSettings::IniFormat);
    QCOMPARE(applet.value(QStringLiteral("chosenTimeZones")).toStringList().filter(QStringLiteral("Samara")).size(), 1);
    QVERIFY(!kcm->needsSave());
    recorder.closeDialog();
}

void AcceptanceTest::everyRefusalIsReportedAndThePageStaysUsable()
{
    qputenv("ORB_ADMIN_MODE", "1");
    const QString denied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
    for (const char *member : {"SetTime", "NTPSync", "SetServers"}) {
        QVERIFY(m_standIns.failWith(StandIns::Helper, QLatin1String(member), denied, QStringLiteral("refused by the test")));
    }
    for (const char *member : {"SetLocalRTC", "SetTimezone"}) {
        QVERIFY(m_standIns.failWith(StandIns::Timedated, QLatin1String(member), denied, QStringLiteral("refused by the test")));
    }
    const QByteArray confBefore = m_root->read(s_activeConf);

    ModuleHost host;
    QVERIFY(host.create(QSize(1000, 720)));
    KCModuleQML *kcm = host.module();
    kcm->load();
    QQuickWindow *window = host.window();
    MessageRecorder recorder(host);

    // Synchronizing now is refused at once.
    QVERIFY(showTab(host, KCModuleQML::Synchronization, QStringLiteral("synchronizationTab")));
    replaceText(window, host.findItem(QStringLiteral("serverComboField")), QStringLiteral("time.example.net"));
    clickItem(window, host.findItem(QStringLiteral("syncButton")));
    QTRY_COMPARE(recorder.messages.size(), 1);
    QCOMPARE(recorder.messages.first(), QStringLiteral("Error |Unable to synchronize time!\nAuthorization error.\nThe password was not given or was refused."));
    QCOMPARE(recorder.dialogText(), recorder.messages.first());
    recorder.closeDialog();
    answerServerName(QStringLiteral("refused.example"));
    clickItem(window, host.findItem(QStringLiteral("addServerButton")));
    QTRY_COMPARE(answeredDialogs(), 1);

    // Edits on every tab through the tabs' own objects.
    QQuickItem *dateTab = showTab(host, KCModuleQML::DateTime, QStringLiteral("dateTimeTab"));
    clickItem(window, findVisibleItem(dateTab, QStringLiteral("utcCheckBox")));
    clickItem(window, findVisibleItem(dateTab, QStringLiteral("hourField")));
    typeText(window, QStringLiteral("030405"));
    QTest::keyClick(window, Qt::Key_Return);
    QTest::keyClick(window, Qt::Key_Tab);
    QQuickItem *zoneTab = showTab(host, KCModuleQML::TimeZones, QStringLiteral("timeZonesTab"));
    QObject *comboBox = zoneTab->property("comboBox").value<QObject *>();
    QMetaObject::invokeMethod(comboBox, "select", Q_ARG(QVariant, QStringLiteral("Asia/Omsk")));
    QCOMPARE(kcm->selectedTimeZone(), QStringLiteral("Asia/Omsk"));
    QVERIFY(kcm->changedTabs().at(KCModuleQML::DateTime));
    QVERIFY(kcm->changedTabs().at(KCModuleQML::Synchronization));

    recorder.messages.clear();
    kcm->save();
    // One message per failing step, in the save order; the dialog shows the last.
    QCOMPARE(recorder.messages,
             (QStringList{QStringLiteral("Error|Unable to set date and time!\nAuthorization error.\nThe password was not given or was refused."),
                          QStringLiteral("Error|Unable to set utc!\nAuthorization error.\nThe password was not given or was refused."),
                          QStringLiteral("Error|Failed to save time sync service settings\nAuthorization error.\nThe password was not given or was refused."),
                          QStringLiteral("Error|Unable to set time zone!\nAuthorization error.\nThe password was not given or was refused.")}));
    QCOMPARE(recorder.dialogText(), recorder.messages.last());
    recorder.closeDialog();

    // Nothing privileged changed.
    QCOMPARE(m_standIns.timedatedTimezone(), QStringLiteral("Europe/Moscow"));
    QVERIFY(!m_standIns.timedatedLocalRTC());
    QCOMPARE(m_root->read(s_activeConf), confBefore);
    QVERIFY(StandIns::calls(StandIns::Systemd, QStringLiteral("RestartUnit")).isEmpty());

    // Every edit stays on show for another try, and the page still takes edits.
    QCOMPARE(kcm->selectedTimeZone(), QStringLiteral("Asia/Omsk"));
    QTRY_VERIFY(kcm->needsSave());
    QQuickItem *utc = findVisibleItem(showTab(host, KCModuleQML::DateTime, QStringLiteral("dateTimeTab")), QStringLiteral("utcCheckBox"));
    QVERIFY(!utc->property("checked").toBool());
    clickItem(window, utc);
    QVERIFY(utc->property("checked").toBool());
    host.saveScreenshot(QStringLiteral("acceptance-after-refusals"));
}

void AcceptanceTest::screenshots_data()
{
    // The shade of the run: the dark pictures come from a run in the desktop style
    // with a dark scheme, as a session shows the page.
    QTest::addColumn<bool>("admin");
    QTest::newRow(qPrintable(QStringLiteral("admin-") + TestColorScheme::shade())) << true;
    QTest::newRow(qPrintable(QStringLiteral("user-") + TestColorScheme::shade())) << false;
}

void AcceptanceTest::screenshots()
{
    QFETCH(bool, admin);
    qputenv("ORB_ADMIN_MODE", admin ? "1" : "0");
    ModuleHost host;
    QVERIFY(host.create(QSize(1000, 720)));
    host.module()->load();
    const QStringList tabs = admin ? QStringList{QStringLiteral("dateTimeTab"),
                                                 QStringLiteral("timeZonesTab"),
                                                 QStringLiteral("synchronizationTab"),
                                                 QStringLiteral("appletSettingsTab"),
                                                 QStringLiteral("dateMonth")}
                                   : QStringList{QStringLiteral("appletSettingsTab"), QStringLiteral("dateMonth")};
    const QVector<KCModuleQML::Tab> numbers = admin ? QVector<KCModuleQML::Tab>{KCModuleQML::DateTime,
                                                                                KCModuleQML::TimeZones,
                                                                                KCModuleQML::Synchronization,
                                                                                KCModuleQML::AppletSetings,
                                                                                KCModuleQML::TrayDisplayTab}
                                                    : QVector<KCModuleQML::Tab>{KCModuleQML::AppletSetings, KCModuleQML::TrayDisplayTab};
    for (int i = 0; i < tabs.size(); ++i) {
        QVERIFY(showTab(host, numbers.at(i), tabs.at(i)));
        if (tabs.at(i) == QLatin1String("timeZonesTab")) {
            // The picture with the system zone's band on it, as a person sees it a moment later.
            QQuickItem *map = host.findItem(QStringLiteral("timeZonesMap"));
            QQuickItem *band = host.findItem(QStringLiteral("timeZonesHighlight"));
            QVERIFY(host.waitFor([&] {
                return map->property("status").toInt() == 1 && band->property("status").toInt() == 1;
            }));
        }
        // The tray tab is found by one of its boxes; the picture is named after the tab.
        const QString tabName = tabs.at(i) == QLatin1String("dateMonth") ? QStringLiteral("trayDisplayTab") : tabs.at(i);
        const QString name =
            QStringLiteral("acceptance-%1-%2-%3").arg(admin ? QStringLiteral("admin") : QStringLiteral("user"), TestColorScheme::shade(), tabName);
        const QImage image = host.grab();
        QVERIFY(!image.isNull());
        QVERIFY(image.save(screenshotPath(name)));
    }
}

QTEST_MAIN(AcceptanceTest)

#include "test_acceptance.moc"
