// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "macdetect.h"

#include <QByteArray>

namespace MACDetect
{
bool isCurrentProcessHasEmptyMAC()
{
    return qgetenv("ORB_EMPTY_MAC") != "0";
}
}
