// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "fallbackicons.h"

#include <QStringList>

namespace
{
const QString s_fallbackDir = QStringLiteral(":/icons/fallback");
}

namespace FallbackIcons
{
void install()
{
    QStringList paths = QIcon::fallbackSearchPaths();
    if (!paths.contains(s_fallbackDir)) {
        paths.append(s_fallbackDir);
        QIcon::setFallbackSearchPaths(paths);
    }
}
}
