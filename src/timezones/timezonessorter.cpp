// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "timezonessorter.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

namespace
{
bool isListed(const QString &zoneId, const QRegularExpression &expression)
{
    // "UTC" appears in the fixed-offset ids ("UTC+03:00"); only the zone itself is offered.
    if (zoneId.contains(QLatin1String("UTC")) && zoneId != QLatin1String("Etc/UTC")) {
        return false;
    }
    return expression.match(zoneId).hasMatch();
}
}

QStringList TimeZonesSorter::listed(const QList<QByteArray> &zoneIds)
{
    // Area/Location or Area/Region/Location, each part a name: keeps America/New_York,
    // America/Argentina/Salta and Asia/Ust-Nera, drops Etc/GMT+5 and single-part aliases.
    const QRegularExpression expression(QStringLiteral("^[A-Za-z][A-Za-z_-]*(/[A-Za-z][A-Za-z_-]*){1,2}$"));

    QStringList result;
    result.reserve(zoneIds.size());
    for (const QByteArray &id : zoneIds) {
        const QString zoneId = QString::fromLocal8Bit(id);
        if (isListed(zoneId, expression)) {
            result.append(zoneId);
        }
    }
    return result;
}

QMultiMap<int, QString> TimeZonesSorter::sort(const QList<QByteArray> &zoneIds, const QDateTime &at)
{
    QMultiMap<int, QString> result;
    for (const QString &zoneId : listed(zoneIds)) {
        // An id the platform cannot resolve is listed at offset 0; QMultiMap puts the
        // newest insertion first among equal offsets.
        result.insert(QTimeZone(zoneId.toLocal8Bit()).offsetFromUtc(at), zoneId);
    }
    return result;
}
