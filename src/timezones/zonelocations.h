// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QHash>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

// Where each zone's principal location lies on the map picture, from the system's
// tzdata tables, projected as content/manifest.json documents.
namespace ZoneLocations
{
// Continuous picture coordinates of (longitude, latitude) on a map of `mapSize`:
// the point lies in pixel (floor(x), floor(y)).
QPointF project(double longitude, double latitude, const QSize &mapSize);

// Zone id -> picture coordinates, from the first of `tables` that lists the zone.
QHash<QString, QPointF> read(const QSize &mapSize,
                             const QStringList &tables = {QStringLiteral("/usr/share/zoneinfo/zone1970.tab"), QStringLiteral("/usr/share/zoneinfo/zone.tab")});
}
