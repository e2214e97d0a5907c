// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

// The window manager's three panel-clock format strings (strftime-style codes,
// expanded by the window manager; "\n" written as two characters breaks the
// tooltip's lines).
struct DisplayFormat {
    QString clockFormat; // "ClockFormat": the time in the panel clock
    QString dateFormat; // "DateFormat": the date in the panel clock
    QString clockMessageFormat; // "ClockMessageFormat": the clock's tooltip

    // Equal when the three strings match once every space is removed from them,
    // so "%a, %e %b" equals "%a,%e%b".
    bool isEqual(const DisplayFormat &other) const;
};
