// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "servernamecheck.h"

#include "serverinput.h"
#include "synchronizer.h"

QString ServerNameCheck::refusal(const QString &typed, bool typing) const
{
    return ServerInput::refusal(typed, typing);
}

bool ServerNameCheck::isAcceptable(const QString &typed) const
{
    return Synchronizer::isAcceptableServer(typed.trimmed());
}
