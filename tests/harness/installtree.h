// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QProcess>
#include <QString>

// Installs one component of the build tree ($ORB_BUILD_DIR) under `prefix` with
// `cmake --install`. Returns an empty string on success, else what cmake said.
inline QString installBuildTree(const QString &prefix, const QString &component)
{
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(
        QStringLiteral("cmake"),
        {QStringLiteral("--install"), qEnvironmentVariable("ORB_BUILD_DIR"), QStringLiteral("--prefix"), prefix, QStringLiteral("--component"), component});
    if (!install.waitForFinished(120000)) {
        return QStringLiteral("cmake --install did not finish");
    }
    const QString output = QString::fromLocal8Bit(install.readAll());
    return install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0 ? QString() : output + QStringLiteral(" (cmake --install failed)");
}
