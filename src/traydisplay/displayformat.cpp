// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "displayformat.h"

static QString withoutSpaces(QString text)
{
    return text.remove(QLatin1Char(' '));
}

bool DisplayFormat::isEqual(const DisplayFormat &other) const
{
    return withoutSpaces(clockFormat) == withoutSpaces(other.clockFormat) && withoutSpaces(dateFormat) == withoutSpaces(other.dateFormat)
        && withoutSpaces(clockMessageFormat) == withoutSpaces(other.clockMessageFormat);
}
