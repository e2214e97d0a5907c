// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QVector>

#include "hitmask.h"

// The clickable world map of the time zone tab: one band picture per standard UTC
// offset, the selection of a band and of a place in it by click, by keyboard or by
// zone id. The band and offset tables are class-wide: every controller of the
// process shares them, and they stay for the life of the process once loaded.
class MapController : public QObject
{
    Q_OBJECT
    // Picture coordinates of the selected zone's location, (-1, -1) when it has none.
    Q_PROPERTY(QPointF selectedLocation READ selectedLocation NOTIFY selectedLocationChanged)
    // A zone other than the system's is selected: Apply has work.
    Q_PROPERTY(bool hasChanges READ hasChanges NOTIFY selectedZoneChanged)
    // The base map's picture, empty while the tab that made this controller is
    // being built: it is decoded after the tables, which start then.
    Q_PROPERTY(QString mapSource READ mapSource NOTIFY mapSourceChanged)
public:
    struct Place {
        QString zoneName;
        QPointF location; // continuous picture coordinates
    };

    struct MapTimeZone {
        HitMask mask;
        int offset = 0; // standard offset, as the pictures are drawn
        // The zone a click selects when the band has no located zone.
        QString zoneName;
        // The band's zones with a location, north to south.
        QVector<Place> places;
    };

    explicit MapController(QObject *parent = nullptr);
    ~MapController() override;

    // Builds the band table: the hit masks and the zones of each band, the masks
    // fanned out where there are more than two cores. Blocks. The first controller
    // of the process does the same on the pool.
    static void loadImages();
    // The same with the pictures decoded by one task each on the global pool
    // (`fanOut`) or one after the other in the calling thread, and the standard
    // offsets taken for the year of `at`. A making the first controller started on
    // the pool is waited for first, so that these tables are the ones kept.
    static void m_loadImages(bool fanOut, const QDateTime &at = QDateTime::currentDateTime());

    // A zone's standard offset: the smaller of its offsets on 15 January and 15 July
    // of `year`, the rule the band pictures are drawn by (tools/mapgen/zones.js).
    static int m_standardOffset(const QByteArray &zoneId, int year);

    // Where a click at (x, y) falls on the map picture of `mapSize`, painted into the
    // item at (parentX, parentY) of width x height letterboxed with its aspect ratio
    // kept; (-1, -1) in the margins.
    static QPoint m_mapToPicture(int x, int y, int width, int height, int parentX, int parentY, const QSize &mapSize);

    // Snapshots of the class-wide tables.
    static QMap<int, QString> offsets();
    static QVector<MapTimeZone> timeZones();

    QPointF selectedLocation() const;
    QString mapSource() const;

public Q_SLOTS:
    QString getPathToTimeZoneImage(int offset);
    QString getPathToMap();
    void setSelectedTimeZone(int x, int y, int width, int height, int parentX, int parentY);
    void setSelectedTimeZone(QString path);
    int getSelectedTimeZone();
    int getSavedTimeZoneIndex();
    QString getSavedTimeZoneName();
    QString getSelectedTimeZoneName();
    QString getSystemTimeZoneName();
    bool hasChanges() const;
    void load();

    // The zone a click at (x, y) would select, empty where it would select nothing.
    QString zoneAt(int x, int y, int width, int height, int parentX, int parentY);
    // Picture coordinates of a zone's location, (-1, -1) when it has none.
    QPointF zoneLocation(const QString &zoneName);
    // Keyboard moves from `zoneName`: into the neighbouring band (`step` -1 west,
    // +1 east, wrapping at the date line), to its zone nearest `zoneName`'s place;
    // or to the next zone of its own band (`step` +1 south, -1 north).
    QString neighbourBandZone(const QString &zoneName, int step);
    QString nextZoneInBand(const QString &zoneName, int step);

Q_SIGNALS:
    void selectedChanged(QString pathToSelectedTimeZoneImage);
    // The selected zone id changed, within its band or not, or the saved one did.
    void selectedZoneChanged();
    // The selected zone changed, or the tables that place it arrived.
    void selectedLocationChanged();
    void mapSourceChanged();

private:
    struct Pick {
        int index = -1;
        QString zoneName;
    };
    Pick m_pick(int x, int y, int width, int height, int parentX, int parentY) const;
    void m_setSelectedName(const QString &zoneName);
    // Selects the band of the selected zone, or leaves it for when the tables
    // arrive; `noBand` is the picture announced when the zone has none.
    void m_selectBand(const QString &noBand);
    void m_showBand(int index, const QString &noBand);
    // Finds the band left for the tables, waiting for them.
    void m_settleBand();
    void m_tablesMade();
    static int m_indexOfOffset(int offset);
    static int m_bandOfZone(const QString &zoneName);
    static void m_makeTables(bool fanOut, const QDateTime &at);

    static QMap<int, QString> m_offsets;
    static QVector<MapTimeZone> m_timeZones;
    static QHash<QString, QPointF> m_locations;
    static int m_year;

    QSize m_map;
    QString m_pathToMap;
    QString m_mapSource;
    QString m_savedTimeZoneName;
    QString m_selectedTimeZoneName;
    int m_selectedTimeZone;
    // The selected band is still to be found: the tables were not made yet.
    bool m_bandPending = false;
    QString m_pendingNoBand;
};
