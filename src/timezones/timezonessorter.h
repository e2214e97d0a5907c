// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMultiMap>
#include <QString>
#include <QStringList>

// Orders zone ids by their current UTC offset, dropping ids that are aliases,
// fixed-offset pseudo zones or otherwise unfit to offer for choice.
class TimeZonesSorter
{
public:
    // The ids of `zoneIds` fit to offer, in their order; no offsets are looked up.
    static QStringList listed(const QList<QByteArray> &zoneIds);
    // Offset in seconds east of UTC at `at` -> zone id. Among equal offsets the id that
    // came later in `zoneIds` comes first. Keeps no state: safe on a worker thread.
    static QMultiMap<int, QString> sort(const QList<QByteArray> &zoneIds, const QDateTime &at = QDateTime::currentDateTime());
};
