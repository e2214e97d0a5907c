// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "tabloader.h"

#include "micdetect.h"

TabLoader::TabLoader(QObject *parent)
    : QObject(parent)
{
}

bool TabLoader::isAdminMode()
{
    // Asked afresh every time: the answer is the platform's, not ours to cache.
    return MICDetect::isCurrentProcessHasMaxMIC();
}
