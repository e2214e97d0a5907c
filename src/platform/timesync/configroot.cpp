// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "configroot.h"

#include <QDir>

namespace TimeSync
{
QString rootDirectory()
{
    const QString root = qEnvironmentVariable("ORB_TIMESYNC_ROOT");
    return root.isEmpty() ? QStringLiteral("/") : root;
}

QString rooted(const QString &absolutePath)
{
    return QDir::cleanPath(rootDirectory() + QLatin1Char('/') + absolutePath);
}
}
