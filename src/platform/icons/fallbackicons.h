// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QIcon>
#include <QString>

namespace FallbackIcons
{
// Lets QIcon::fromTheme find our own drawings of the icon names the page uses,
// but only where the desktop's icon theme has no icon of that name.
void install();
}
