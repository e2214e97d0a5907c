// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QSet>

#include "basetimezonesprovider.h"

#include <QVector>

#include <optional>

// The zone list of the "Time zone" tab's combo box. Each zone is a line that starts
// with its id; the Russian zones of one offset share a single merged line.
class MapTimeZonesProvider : public BaseTimeZonesProvider
{
    Q_OBJECT
public:
    explicit MapTimeZonesProvider(QObject *parent = nullptr);

    QStringList zonesFound(const ZoneRow &row, const QString &filter) const override;

public Q_SLOTS:
    void setAllTimeZonesProvided();
    void setRussianTimeZonesProvided();
    bool isAllTimeZonesProvided() const;
    // Seconds east of UTC written as the second word of `timeZone`, e.g. "MSK +0300".
    int getOffset(const QString &timeZone) const;
    QStringList getFilteredTimeZones(const QString &filter) const;
    bool isRussianTimeZone(const QString &zoneName) const;
    // The zone ids of one line of the list that the typed text selects.
    QStringList getFullZoneNamesByFilter(const QString &fullString, const QString &filter) const;
    // The single-zone line of `fullZoneName` with its offset of this moment.
    QString getDisplayString(const QString &fullZoneName) const;

protected:
    QVector<ZoneRow> m_makeRows(const QMultiMap<int, QString> &zones) const override;

private:
    QStringList m_getFormattedZonesIfRussian(const QStringList &pieces) const;

    bool m_allZonesProvided;
    mutable std::optional<QSet<QString>> m_russianTimeZones;
};
