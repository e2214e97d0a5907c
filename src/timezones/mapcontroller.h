#pragma once

#include <QDateTime>
#include <QImage>
#include <QMap>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

// The clickable world map of the time zone tab: one band picture per UTC offset,
// the selection of a band by click or by zone id. The band and offset tables are
// class-wide: every controller of the process shares them, and they stay for the
// life of the process once loaded.
class MapController : public QObject
{
    Q_OBJECT
public:
    struct MapTimeZone
    {
        QImage image; // 8-bit indexed; a pixel with a colour value other than 0 is clickable
        int offset = 0;
        QString zoneName;
    };

    explicit MapController(QObject *parent = nullptr);
    ~MapController() override;

    // Builds the band table: the hit test pictures and the zone a click on each band
    // selects. Blocks; normally run on a thread of the global pool.
    static void loadImages();
    // The same with the pictures decoded by one task each on the global pool
    // (`fanOut`) or one after the other in the calling thread, and the offset
    // table taken for the moment `at`.
    static void m_loadImages(bool fanOut, const QDateTime &at = QDateTime::currentDateTime());

    // Builds the offset table for the moment `at`: Chatham's band follows its
    // daylight saving time.
    static void m_fillOffsets(const QDateTime &at = QDateTime::currentDateTime());

    // The hit test picture of a resource: index 0 where alpha < 128, 1 elsewhere.
    // Read from the picture's run-length chunk when it has a valid one, else decoded.
    static QImage m_loadHitImage(const QString &path);

    // Where a click at (x, y) falls on the map picture of `mapSize`, painted into the
    // item at (parentX, parentY) of width x height letterboxed with its aspect ratio
    // kept; (-1, -1) in the margins.
    static QPoint m_mapToPicture(int x, int y, int width, int height, int parentX, int parentY, const QSize &mapSize);

    // Snapshots of the class-wide tables.
    static QMap<int, QString> offsets();
    static QVector<MapTimeZone> timeZones();

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
    void load();

Q_SIGNALS:
    void selectedChanged(QString pathToSelectedTimeZoneImage);

private:
    static void setImages(const QStringList &paths, QVector<MapTimeZone> &timeZones);
    static int m_indexOfOffset(int offset);

    static QMap<int, QString> m_offsets;
    static QVector<MapTimeZone> m_timeZones;

    QImage m_map;
    QString m_pathToMap;
    QString m_savedTimeZoneName;
    QString m_selectedTimeZoneName;
    int m_selectedTimeZone;
};
