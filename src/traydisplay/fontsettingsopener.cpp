// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "fontsettingsopener.h"

#include "kcmoduleswitcher.h"

#include <KLocalizedString>

#include <QDebug>
#include <QFileInfo>
#include <QProcess>

namespace
{
const char overrideVariable[] = "ORB_FONT_SETTINGS_PROGRAM";

const QString &defaultProgramPath()
{
    static const QString path = QStringLiteral("/usr/bin/kcmshell5");
    return path;
}
}

FontSettingsOpener::FontSettingsOpener(QObject *parent)
    : QObject(parent)
{
}

QString FontSettingsOpener::programPath()
{
    const QString overridden = qEnvironmentVariable(overrideVariable);
    return overridden.isEmpty() ? defaultProgramPath() : overridden;
}

QStringList FontSettingsOpener::arguments()
{
    static const QStringList fontsPage{QStringLiteral("kcm_fonts")};
    return fontsPage;
}

QString FontSettingsOpener::packageName()
{
    if (qEnvironmentVariableIsEmpty(overrideVariable)) {
        return QStringLiteral("kde-cli-tools");
    }
    return QFileInfo(programPath()).fileName();
}

void FontSettingsOpener::open()
{
    const QString path = programPath();
    const QFileInfo program(path);
    if (!program.exists() || program.isDir()) {
        Q_EMIT error(i18n("Error"), i18n("File %1 not found. Probably missing %2 package.", path, packageName()));
        return;
    }
    // The settings shell is there without the fonts page on a minimal desktop.
    if (qEnvironmentVariableIsEmpty(overrideVariable) && !KCMNS::KCModulesSwitcher::isModuleInstalled(arguments().constFirst())) {
        Q_EMIT error(i18n("Error"), i18n("The font settings are not installed. Probably missing %1 package.", QStringLiteral("plasma-workspace")));
        return;
    }
    // Started by its full path: the file checked above is the one that runs.
    if (!QProcess::startDetached(path, arguments())) {
        qWarning() << "Cannot start" << path << arguments();
        Q_EMIT error(i18n("Error"), i18n("Unable to start %1.", path));
    }
}
