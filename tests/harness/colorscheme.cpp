// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "colorscheme.h"

namespace TestColorScheme
{
QString shade()
{
    return qEnvironmentVariableIsEmpty("ORB_TEST_COLOR_SCHEME") ? QStringLiteral("light") : QStringLiteral("dark");
}
}
