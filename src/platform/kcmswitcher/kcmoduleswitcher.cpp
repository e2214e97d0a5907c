// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "kcmoduleswitcher.h"

#include "kcmswitcher_debug.h"

#include <KPluginMetaData>

#include <QProcess>
#include <QStandardPaths>

namespace KCMNS
{
bool KCModulesSwitcher::gotoKCModule(const QString &moduleId)
{
    const QString host = qEnvironmentVariableIsSet("ORB_KCMSHELL") ? qEnvironmentVariable("ORB_KCMSHELL") : QStringLiteral("kcmshell5");
    if (!QProcess::startDetached(host, {moduleId})) {
        qCWarning(ORB_KCMSWITCHER) << "Unable to start" << host << "to show the module" << moduleId;
        return false;
    }
    return true;
}

bool KCModulesSwitcher::isModuleInstalled(const QString &moduleId)
{
    static const char *const namespaces[] = {"plasma/kcms/systemsettings", "plasma/kcms/systemsettings_qwidgets", "plasma/kcms", "kcms"};
    for (const char *pluginNamespace : namespaces) {
        if (KPluginMetaData::findPluginById(QLatin1String(pluginNamespace), moduleId).isValid()) {
            return true;
        }
    }
    // Older modules are still described by a service file.
    return !QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("kservices5/%1.desktop").arg(moduleId)).isEmpty();
}
}
