// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "kcmoduleqml.h"

#include <KLocalizedString>

#include <QDebug>
#include <QGuiApplication>
#include <QMetaEnum>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickRenderControl>
#include <QQuickWindow>
#include <QTimeZone>
#include <QTimer>
#include <QWindow>

#include "datetimeprovider.h"
#include "dbusorbadmindate.h"
#include "fallbackicons.h"
#include "kcmoduleswitcher.h"
#include "logiccontroller.h"
#include "macdetect.h"
#include "mapimageprovider.h"
#include "qmltypes.h"
#include "serverlist.h"
#include "settingsforappletprovider.h"
#include "synchronizer.h"
#include "tabloader.h"
#include "timezonesaver.h"
#include "traydisplay.h"

namespace
{
// The native id of the top-level window the page is shown in, 0 while there is
// none. In a QQuickWidget the page's own window is offscreen and never shown; the
// window the window manager knows is the widget's.
qulonglong topLevelWindowId(QQuickItem *page)
{
    QQuickWindow *quickWindow = page ? page->window() : nullptr;
    QWindow *window = QQuickRenderControl::renderWindowFor(quickWindow);
    if (!window) {
        window = quickWindow;
    }
    while (window && window->parent()) {
        window = window->parent();
    }
    // winId() would create a native window for one that has none.
    return window && window->handle() ? static_cast<qulonglong>(window->winId()) : 0;
}
}

KCModuleQML::KCModuleQML(QObject *parent, const KPluginMetaData &metaData, const QVariantList &args)
    : KQuickAddons::ConfigModule(parent, metaData, args)
    , m_settings()
    , m_daemon(std::make_shared<DBusOrbAdminDate>(nullptr))
    , m_logic(std::make_shared<LogicController>(MACDetect::isCurrentProcessHasEmptyMAC(), nullptr))
    , m_showAllTimeZonesForMap(true)
    , m_firstLoad(true)
    , m_selectedTimeZone(QString::fromUtf8(QTimeZone::systemTimeZoneId()))
    , m_numberOfTabs(QMetaEnum::fromType<Tab>().keyCount())
    , m_changedTabs(static_cast<size_t>(m_numberOfTabs), false)
{
    // Nothing of the zone tabs is made here: the map's tables and picture and the
    // zone names are made when a tab that shows them is first built, so that the
    // opening, which shows the date tab, does not share the processors with them.
    // The date state is, though: the date tab is built with the page, before the
    // first load, and shows the system's clock mode from its first frame on.
    if (TabLoader::isAdminMode()) {
        DateTimeProvider::setDaemon(m_daemon);
    }
    FallbackIcons::install();
    // No handbook is installed for this page: a Help button would do nothing.
    setButtons(Apply);
    registerOrbAdminDateQmlTypes();
    connect(m_daemon.get(), &DBusOrbAdminDate::busyChanged, this, &KCModuleQML::busyChanged);
}

KCModuleQML::~KCModuleQML() = default;

bool KCModuleQML::busy() const
{
    return m_daemon->busy();
}

void KCModuleQML::initializeWithEngine(QQmlEngine *engine)
{
    if (m_firstLoad) {
        m_init(engine);
        m_firstLoad = false;
    }
}

void KCModuleQML::m_init(QQmlEngine *engine)
{
    if (TabLoader::isAdminMode()) {
        engine->addImageProvider(QStringLiteral("mapimages"), new MapImageProvider);

        QWindow *focusWindow = QGuiApplication::focusWindow();
        const qulonglong wid = focusWindow ? static_cast<qulonglong>(focusWindow->winId()) : 0;
        m_daemon->setWId(wid);
        m_logic->setMainWindowId(wid);

        m_timeZoneSaver = new TimeZoneSaver(m_daemon, this);
        connect(m_timeZoneSaver, &TimeZoneSaver::error, this, &KCModuleQML::showMessage);

        m_synchronizer = new Synchronizer(m_logic, m_daemon, this);
        m_synchronizer->setServer(m_settings.value(Settings::Server).toString());
        connect(m_synchronizer, &Synchronizer::error, this, &KCModuleQML::showMessage);

        ServerList::setLogicController(m_logic);
    }

    Q_EMIT loadIcons();
}

void KCModuleQML::load()
{
    if (m_firstLoad) {
        // The host has made the page by now, but may show its window only later:
        // a request then announces the window the page is in at that moment.
        const QPointer<QQuickItem> page = mainUi();
        DBusOrbAdminDate::setWindowLookup([page] {
            return topLevelWindowId(page);
        });
        // engine() exists only once the host has created the page.
        initializeWithEngine(engine());
    }
    m_changedTabs.assign(static_cast<size_t>(m_numberOfTabs), false);
    // A reset should show what the clock applet wrote meanwhile, not a cached copy.
    m_syncSettings();
    SettingsForAppletProvider::loadSettings(m_settings);
    TrayDisplay::loadSettings();
    setNeedsSave(false);
    Q_EMIT reloadQml();
    // The tabs have shown it; a later reload shows the system's zone again.
    m_keptTimeZone.clear();
}

void KCModuleQML::save()
{
    DateTimeProvider::saveSettings();
    if (!m_settings.save(SettingsForAppletProvider::getSettings())) {
        Q_EMIT showMessage(i18n("Error"), m_settings.errorString());
    }
    TrayDisplay::apply();
    if (!ServerList::save()) {
        const QString title = i18n("Error");
        const QString reason = ServerList::saveError();
        const QString message = i18n("Failed to save time sync service settings") + (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason);
        qWarning() << title << message;
        Q_EMIT showMessage(title, message);
    }
    m_keptTimeZone.clear();
    if (m_timeZoneSaver && !m_timeZoneSaver->save(m_selectedTimeZone)) {
        m_keptTimeZone = m_selectedTimeZone;
    }
    const bool zoneKept = !m_keptTimeZone.isEmpty();
    load();
    // A failed step leaves its edit on the page for another try. The host clears
    // the needs-save state once save() has returned, so it is raised after that.
    const bool dateKept = DateTimeProvider::needsSave();
    if (dateKept || zoneKept) {
        QTimer::singleShot(0, this, [this, dateKept, zoneKept] {
            if (dateKept) {
                setChanged(DateTime, true);
            }
            if (zoneKept) {
                setChanged(TimeZones, true);
            }
        });
    }
}

QString KCModuleQML::keptTimeZone() const
{
    return m_keptTimeZone;
}

void KCModuleQML::setChanged(KCModuleQML::Tab tab, bool isChanged)
{
    const auto index = static_cast<size_t>(tab);
    if (index >= m_changedTabs.size()) {
        qWarning() << Q_FUNC_INFO << "no such tab" << static_cast<int>(tab);
        return;
    }
    m_changedTabs[index] = isChanged;
    if (isChanged) {
        setNeedsSave(true);
        return;
    }
    setNeedsSave(std::find(m_changedTabs.cbegin(), m_changedTabs.cend(), true) != m_changedTabs.cend());
}

bool KCModuleQML::syncNow(QString serverName)
{
    if (!m_synchronizer) {
        qWarning() << Q_FUNC_INFO << "no synchronizer outside administrator mode";
        return false;
    }
    const QString server = serverName.trimmed();
    // The list also offers names from the service's configuration, which no
    // validator has seen; the helper passes the name to an NTP tool.
    if (!Synchronizer::isAcceptableServer(server)) {
        qWarning() << Q_FUNC_INFO << "refused server name" << server;
        Q_EMIT showMessage(
            i18n("Error "),
            i18n("The server name is not a host name or an IP address. Use only letters, digits, \".\", \"-\", \"_\", \":\" and brackets, starting with a "
                 "letter, a digit or \"[\"."));
        return false;
    }
    if (server.isEmpty() || server != m_synchronizer->currentServer()) {
        m_synchronizer->setServer(server);
        m_settings.setValue(Settings::Server, server);
    }
    return m_synchronizer->sync();
}

void KCModuleQML::setSelectedTimeZone(QString zoneName)
{
    m_selectedTimeZone = zoneName;
}

bool KCModuleQML::loadShowAllTimeZonesForMap()
{
    return m_showAllTimeZonesForMap;
}

void KCModuleQML::saveShowAllTimeZonesForMap(bool isAll)
{
    m_showAllTimeZonesForMap = isAll;
}

QStringList KCModuleQML::getRecommendedServers()
{
    return m_synchronizer ? m_synchronizer->getRecommendedServers() : QStringList();
}

QString KCModuleQML::getCurrentSyncStatus()
{
    return m_synchronizer ? m_synchronizer->currentStatusString() : QString();
}

QString KCModuleQML::currentSyncIconName()
{
    switch (m_synchronizer ? m_synchronizer->currentServiceState() : 0) {
    case 0:
    case 1:
        return QStringLiteral("dialog-off");
    case 2:
        return QStringLiteral("dialog-warning");
    case 3:
        return QStringLiteral("dialog-on");
    default:
        return QString();
    }
}

QString KCModuleQML::getLastSynchroToolTip()
{
    return m_synchronizer ? m_synchronizer->getLastSynchroToolTip() : QString();
}

bool KCModuleQML::noActiveServices()
{
    return m_synchronizer ? m_synchronizer->noActiveServices() : true;
}

void KCModuleQML::openAnotherKCMModule(QString moduleName)
{
    // A button that silently does nothing looks broken: say why.
    if (!KCMNS::KCModulesSwitcher::isModuleInstalled(moduleName)) {
        Q_EMIT showMessage(i18n("Error"), i18n("The settings module \"%1\" is not installed.", moduleName));
        return;
    }
    if (!KCMNS::KCModulesSwitcher::gotoKCModule(moduleName)) {
        Q_EMIT showMessage(i18n("Error"), i18n("Unable to open the settings module \"%1\".", moduleName));
    }
}

void KCModuleQML::updateAppletSettings()
{
    m_syncSettings();
    SettingsForAppletProvider::loadSettings(m_settings);
}

void KCModuleQML::m_syncSettings()
{
    // Writes a server name stored by syncNow(), if any.
    if (!m_settings.sync()) {
        Q_EMIT showMessage(i18n("Error"), m_settings.errorString());
    }
}
