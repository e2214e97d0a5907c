// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "zonelocations.h"

#include <QFile>
#include <QRegularExpression>
#include <QtMath>

#include <cmath>

namespace
{
// The map's projection: Miller cylindrical, stretched so that these latitudes are
// the picture's top and bottom edges (tools/mapgen/projection.js).
constexpr double s_topLatitude = 84;
constexpr double s_bottomLatitude = -57;

double miller(double latitude)
{
    return 1.25 * std::log(std::tan(M_PI / 4 + 0.4 * qDegreesToRadians(latitude)));
}
}

QPointF ZoneLocations::project(double longitude, double latitude, const QSize &mapSize)
{
    const double top = miller(s_topLatitude);
    const double bottom = miller(s_bottomLatitude);
    return QPointF((longitude + 180) / 360 * mapSize.width(), (top - miller(latitude)) / (top - bottom) * mapSize.height());
}

QHash<QString, QPointF> ZoneLocations::read(const QSize &mapSize, const QStringList &tables)
{
    // ISO 6709 as the tables write it: +-DDMM[SS]+-DDDMM[SS], latitude first.
    static const QRegularExpression coordinates(QStringLiteral("^([+-])(\\d{2})(\\d{2})(\\d{2})?([+-])(\\d{3})(\\d{2})(\\d{2})?$"));
    QHash<QString, QPointF> locations;
    for (const QString &table : tables) {
        QFile file(table);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            continue;
        }
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            if (line.startsWith('#')) {
                continue;
            }
            const QList<QByteArray> fields = line.trimmed().split('\t');
            if (fields.size() < 3) {
                continue;
            }
            const QString zone = QString::fromUtf8(fields.at(2));
            if (locations.contains(zone)) {
                continue;
            }
            const QRegularExpressionMatch m = coordinates.match(QString::fromLatin1(fields.at(1)));
            if (!m.hasMatch()) {
                continue;
            }
            const auto degrees = [&m](int sign) {
                const double value = m.capturedRef(sign + 1).toDouble() + m.capturedRef(sign + 2).toDouble() / 60 + m.capturedRef(sign + 3).toDouble() / 3600;
                return m.capturedRef(sign) == QLatin1String("-") ? -value : value;
            };
            locations.insert(zone, project(degrees(5), degrees(1), mapSize));
        }
    }
    return locations;
}
