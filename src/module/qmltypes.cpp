// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "qmltypes.h"

#include <QtQml>

#include "clockoffsetcheck.h"
#include "clockpreview.h"
#include "datetimeprovider.h"
#include "fontsettingsopener.h"
#include "kcmoduleqml.h"
#include "mapcontroller.h"
#include "maptimezonesprovider.h"
#include "offsetplot.h"
#include "serverlist.h"
#include "servernamecheck.h"
#include "settingsforappletprovider.h"
#include "synchealth.h"
#include "tabloader.h"
#include "timezonesmodel.h"
#include "traydisplay.h"
#include "zonedetails.h"

void registerOrbAdminDateQmlTypes()
{
    constexpr const char *uri = "ru.nimbolinux.kcm.orbadmindate";
    qmlRegisterType<SettingsForAppletProvider>(uri, 1, 0, "SettingsForAppletProvider");
    qmlRegisterType<FontSettingsOpener>(uri, 1, 0, "FontSettingsOpener");
    qmlRegisterType<TrayDisplay>(uri, 1, 0, "TrayDisplay");
    qmlRegisterType<TabLoader>(uri, 1, 0, "TabLoader");
    qmlRegisterType<DateTimeProvider>(uri, 1, 0, "DateTimeProvider");
    qmlRegisterType<MapController>(uri, 1, 0, "MapController");
    qmlRegisterType<MapTimeZonesProvider>(uri, 1, 0, "MapTimeZonesProvider");
    qmlRegisterType<TimeZonesModel>(uri, 1, 0, "TimeZonesModel");
    qmlRegisterType<TimeZonesFilterModel>(uri, 1, 0, "TimeZonesFilterModel");
    qmlRegisterType<ServerList>(uri, 1, 0, "ServerList");
    qmlRegisterType<ZoneDetails>(uri, 1, 0, "ZoneDetails");
    qmlRegisterType<ClockPreview>(uri, 1, 0, "ClockPreview");
    qmlRegisterType<ClockOffsetCheck>(uri, 1, 0, "ClockOffsetCheck");
    qmlRegisterType<SyncHealth>(uri, 1, 0, "SyncHealth");
    qmlRegisterType<OffsetPlot>(uri, 1, 0, "OffsetPlot");
    qmlRegisterType<ServerNameCheck>(uri, 1, 0, "ServerNameCheck");
    // For its Tab numbers: the page's one instance is the host's "kcm".
    qmlRegisterUncreatableType<KCModuleQML>(uri, 1, 0, "KCModuleQML", QStringLiteral("The module object is made by the host."));
}

void initOrbAdminDateResources()
{
    Q_INIT_RESOURCE(kcm_orb_admin_date);
}
