// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "maptimezonesprovider.h"

#include <QDateTime>
#include <QTimeZone>

namespace
{
// Russian zones are merged only within this range of offsets (two to twelve hours east).
constexpr int s_firstRussianOffset = 7200;
constexpr int s_lastRussianOffset = 43200;
}

MapTimeZonesProvider::MapTimeZonesProvider(QObject *parent)
    : BaseTimeZonesProvider(parent)
    , m_allZonesProvided(true)
{
    loadTimeZones();
}

void MapTimeZonesProvider::setAllTimeZonesProvided()
{
    m_allZonesProvided = true;
}

void MapTimeZonesProvider::setRussianTimeZonesProvided()
{
    m_allZonesProvided = false;
}

bool MapTimeZonesProvider::isAllTimeZonesProvided() const
{
    return m_allZonesProvided;
}

int MapTimeZonesProvider::getOffset(const QString &timeZone) const
{
    const QStringList words = timeZone.split(QLatin1Char(' '));
    if (words.size() < 2) {
        return 0;
    }
    const QString &offset = words.at(1);
    // Unreadable digits count as 0, like a missing part.
    const int hours = offset.mid(1, 2).toInt();
    const int minutes = offset.mid(3, 2).toInt();
    const int seconds = hours * 3600 + minutes * 60;
    return offset.startsWith(QLatin1Char('+')) ? seconds : -seconds;
}

QStringList MapTimeZonesProvider::getFilteredTimeZones(const QString &filter) const
{
    return m_findLines(m_allZonesProvided ? allTimeZonesWithOffsets() : russianTimeZonesWithOffsets(), filter);
}

bool MapTimeZonesProvider::isRussianTimeZone(const QString &zoneName) const
{
    // The zones of the Russian list, less UTC, which belongs to no country. Taken
    // from the pool's list when first asked: by then it is mostly made.
    if (!m_russianTimeZones) {
        const QStringList ids = m_russianListZoneIds();
        m_russianTimeZones = QSet<QString>(ids.cbegin(), ids.cend());
        m_russianTimeZones->remove(QStringLiteral("Etc/UTC"));
    }
    return m_russianTimeZones->contains(zoneName);
}

QStringList MapTimeZonesProvider::getFullZoneNamesByFilter(const QString &fullString, const QString &filter) const
{
    // A merged Russian line starts with its offset text; a single-zone line starts with
    // the id and may still hold a "," in the zone name ("Center, North Dakota Time").
    if (!fullString.contains(QLatin1Char(',')) || !fullString.startsWith(QLatin1Char('('))) {
        return {fullString.section(QLatin1Char(';'), 0, 0)};
    }

    const QStringList pieces = fullString.split(QLatin1Char(';'));
    const QRegularExpression expression = m_getStartsWithFilter(filter);
    QStringList matching;
    for (const QString &piece : pieces) {
        if (m_lineMatches(piece, expression)) {
            matching.append(piece);
        }
    }
    // An offset typed as "+03", "5:30" or "UTC" selects the whole row, a name only its own zones.
    static const QRegularExpression wholeRow(QStringLiteral("U|\\+"));
    if (!matching.isEmpty() && (filter.contains(wholeRow) || !m_typedOffsets(filter).isEmpty())) {
        return m_getFormattedZonesIfRussian(pieces);
    }
    return m_getFormattedZonesIfRussian(matching);
}

QString MapTimeZonesProvider::getDisplayString(const QString &fullZoneName) const
{
    const int offset = QTimeZone(fullZoneName.toLocal8Bit()).offsetFromUtc(now());
    return QStringLiteral("%1;%2 %3").arg(fullZoneName, m_getShift(offset), getZoneName(fullZoneName));
}

QVector<BaseTimeZonesProvider::ZoneRow> MapTimeZonesProvider::m_makeRows(const QMultiMap<int, QString> &zones) const
{
    QVector<ZoneRow> rows;
    rows.reserve(zones.size());
    // The merged row being gathered; it holds no zone while there is none.
    ZoneRow pending;
    int pendingOffset = s_firstRussianOffset;

    for (auto it = zones.constBegin(); it != zones.constEnd(); ++it) {
        const int offset = it.key();
        const QString &id = it.value();
        const QString name = getZoneName(id);
        const bool russian = offset >= s_firstRussianOffset && offset <= s_lastRussianOffset && isRussianTimeZone(id);

        if (russian) {
            if (offset == pendingOffset && !pending.zoneIds.isEmpty()) {
                pending.line += QStringLiteral(";%1, ").arg(id) + name;
                pending.zoneIds.append(id);
                pending.names.append(name);
            } else {
                if (!pending.zoneIds.isEmpty()) {
                    rows.append(pending);
                }
                pending = {QStringLiteral("%1 %2, ").arg(m_getShift(offset), id) + name, offset, {id}, {name}, true};
            }
            pendingOffset = offset;
            continue;
        }

        if (offset != pendingOffset && !pending.zoneIds.isEmpty()) {
            rows.append(pending);
            pending = ZoneRow();
        }
        rows.append({QStringLiteral("%1;%2 %3").arg(id, m_getShift(offset), name), offset, {id}, {name}, false});
    }

    if (!pending.zoneIds.isEmpty()) {
        rows.append(pending);
    }
    return rows;
}

QStringList MapTimeZonesProvider::zonesFound(const ZoneRow &row, const QString &filter) const
{
    if (!row.merged || filter.isEmpty()) {
        return BaseTimeZonesProvider::zonesFound(row, filter);
    }
    return getFullZoneNamesByFilter(row.line, filter);
}

QStringList MapTimeZonesProvider::m_getFormattedZonesIfRussian(const QStringList &pieces) const
{
    QStringList ids;
    ids.reserve(pieces.size());
    for (const QString &piece : pieces) {
        const int comma = piece.indexOf(QLatin1String(", "));
        const QString head = comma < 0 ? piece : piece.left(comma);
        // The first piece starts with the offset text; ids never contain a space.
        ids.append(head.section(QLatin1Char(' '), -1));
    }
    return ids;
}
