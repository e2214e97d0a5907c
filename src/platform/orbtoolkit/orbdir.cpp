// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "orbdir.h"

#include "toolkit_debug.h"

#include <QDir>
#include <QString>

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute (as the XDG
// base directory rules ask).
static QString configHome()
{
    const QString fromEnvironment = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!fromEnvironment.isEmpty() && QDir::isAbsolutePath(fromEnvironment)) {
        return QDir::cleanPath(fromEnvironment);
    }
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.config"));
}

std::string GetOrbDir(int kind)
{
    switch (kind) {
    case OrbDirWindowManager:
        return QString(configHome() + QStringLiteral("/orbwm")).toStdString();
    default:
        qCWarning(ORB_TOOLKIT) << "GetOrbDir: unknown directory kind" << kind;
        return std::string();
    }
}
