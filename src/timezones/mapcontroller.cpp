// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "mapcontroller.h"

#include <QDebug>
#include <QFutureWatcher>
#include <QImageReader>
#include <QLocale>
#include <QMutex>
#include <QThread>
#include <QTimeZone>
#include <QTimer>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>
#include <functional>

#include "mapimageprovider.h"
#include "timezonessorter.h"
#include "zonelocations.h"

QMap<int, QString> MapController::m_offsets;
QVector<MapController::MapTimeZone> MapController::m_timeZones;
QHash<QString, QPointF> MapController::m_locations;
int MapController::m_year = QDate::currentDate().year();

namespace
{
// Guards the class-wide tables: a background making publishes new ones while
// controllers on the GUI thread read them.
QBasicMutex s_tablesMutex;

// The making the first controller asks for, and that making once on the pool;
// guarded by s_makingMutex.
QBasicMutex s_makingMutex;
std::function<void()> s_makingAsked;
QFuture<void> s_making;
bool s_makingStarted = false;

// Starts the making asked for, if it has not started yet; returns it. Without a
// making asked for, the returned one is finished: there is nothing to wait for.
QFuture<void> startMaking()
{
    QMutexLocker lock(&s_makingMutex);
    if (s_makingAsked) {
        s_making = QtConcurrent::run(std::move(s_makingAsked));
        s_makingAsked = nullptr;
    }
    return s_making;
}

// Waits for the making, if any, to publish its tables: a reader before that would
// find none. A reader before its start starts it.
void waitForMaking()
{
    startMaking().waitForFinished();
}

// Whether the tables can be read without waiting for the pool.
bool tablesMade()
{
    QMutexLocker lock(&s_makingMutex);
    return !s_makingAsked && s_making.isFinished();
}

// Read access to the tables, once they are made.
struct TablesLock {
    TablesLock()
    {
        waitForMaking();
        s_tablesMutex.lock();
    }
    ~TablesLock()
    {
        s_tablesMutex.unlock();
    }
    Q_DISABLE_COPY(TablesLock)
};

const QString s_imageUrlPrefix = QStringLiteral("image://mapimages");

// Bands are keyed by standard offset: the same keys all year.
QMap<int, QString> offsetTable()
{
    const std::pair<int, const char *> bands[] = {
        {-39600, ":/content/-11_00.png"}, {-36000, ":/content/-10_00.png"}, {-34200, ":/content/-09_30.png"}, {-32400, ":/content/-09_00.png"},
        {-28800, ":/content/-08_00.png"}, {-25200, ":/content/-07_00.png"}, {-21600, ":/content/-06_00.png"}, {-18000, ":/content/-05_00.png"},
        {-14400, ":/content/-04_00.png"}, {-10800, ":/content/-03_00.png"}, {-7200, ":/content/-02_00.png"},  {-3600, ":/content/-01_00.png"},
        {0, ":/content/+00_00.png"},      {3600, ":/content/+01_00.png"},   {7200, ":/content/+02_00.png"},   {10800, ":/content/+03_00.png"},
        {12600, ":/content/+03_30.png"},  {14400, ":/content/+04_00.png"},  {16200, ":/content/+04_30.png"},  {18000, ":/content/+05_00.png"},
        {19800, ":/content/+05_30.png"},  {21600, ":/content/+06_00.png"},  {23400, ":/content/+06_30.png"},  {25200, ":/content/+07_00.png"},
        {28800, ":/content/+08_00.png"},  {32400, ":/content/+09_00.png"},  {34200, ":/content/+09_30.png"},  {36000, ":/content/+10_00.png"},
        {37800, ":/content/+10_30.png"},  {39600, ":/content/+11_00.png"},  {43200, ":/content/+12_00.png"},  {45900, ":/content/+12_45.png"},
    };
    QMap<int, QString> table;
    for (const auto &band : bands) {
        table.insert(band.first, QString::fromLatin1(band.second));
    }
    return table;
}

// Squared distance on the map, which wraps around at the date line.
double distance2(const QPointF &a, const QPointF &b, int mapWidth)
{
    double dx = std::abs(a.x() - b.x());
    dx = std::min(dx, mapWidth - dx);
    const double dy = a.y() - b.y();
    return dx * dx + dy * dy;
}

// The band's zone nearest `point`; its default zone when it has no located one.
QString nearestZone(const MapController::MapTimeZone &band, const QPointF &point, int mapWidth)
{
    const MapController::Place *best = nullptr;
    double bestDistance = 0;
    for (const MapController::Place &place : band.places) {
        const double d = distance2(place.location, point, mapWidth);
        if (!best || d < bestDistance) {
            best = &place;
            bestDistance = d;
        }
    }
    return best ? best->zoneName : band.zoneName;
}
}

MapController::MapController(QObject *parent)
    : QObject(parent)
    , m_pathToMap(QStringLiteral(":/content/all.png"))
    , m_selectedTimeZone(-1)
{
    // Only the base map's size is used, read from the file's header.
    m_map = QImageReader(m_pathToMap).size();
    if (!m_map.isValid()) {
        m_map = QSize();
    }
    // The first controller of the process, made as the zone tab is first built,
    // asks for the tables, then the base map's decoding. They start on the pool
    // once the tab is built, so that its build has the cores to itself; a reader
    // of the tables before that starts them and waits.
    bool loaded;
    {
        QMutexLocker lock(&s_tablesMutex);
        loaded = !m_timeZones.isEmpty();
    }
    {
        QMutexLocker lock(&s_makingMutex);
        if (!loaded && !s_makingStarted) {
            s_makingStarted = true;
            s_makingAsked = [] {
                m_makeTables(QThread::idealThreadCount() > 2, QDateTime::currentDateTime());
                MapImageProvider::preload();
            };
        }
    }
    // The tab shows before the tables are there: the selected band and place
    // follow when they arrive. Only the map's picture, decoded later, shows them.
    QTimer::singleShot(0, this, [this] {
        const QFuture<void> making = startMaking();
        m_mapSource = getPathToMap();
        Q_EMIT mapSourceChanged();
        if (making.isFinished()) {
            // A reader made them meanwhile, or they were there before.
            m_tablesMade();
            return;
        }
        auto *watcher = new QFutureWatcher<void>(this);
        connect(watcher, &QFutureWatcher<void>::finished, this, &MapController::m_tablesMade);
        watcher->setFuture(making);
    });
}

// The class-wide tables outlive every controller: other controllers and later
// pages of the process go on using them.
MapController::~MapController() = default;

int MapController::m_standardOffset(const QByteArray &zoneId, int year)
{
    const QTimeZone zone(zoneId);
    const QTime noon(12, 0);
    return std::min(zone.offsetFromUtc(QDateTime(QDate(year, 1, 15), noon, Qt::UTC)), zone.offsetFromUtc(QDateTime(QDate(year, 7, 15), noon, Qt::UTC)));
}

void MapController::loadImages()
{
    m_loadImages(QThread::idealThreadCount() > 2);
}

void MapController::m_loadImages(bool fanOut, const QDateTime &at)
{
    waitForMaking();
    m_makeTables(fanOut, at);
}

void MapController::m_makeTables(bool fanOut, const QDateTime &at)
{
    const int year = at.toUTC().date().year();
    // Built aside and published at the end: controllers in use never see a half-built table.
    QMap<int, QString> offsets = offsetTable();
    QVector<MapTimeZone> timeZones(offsets.size());
    const QStringList paths = offsets.values();

    // The masks first, so that their tasks run while this thread sorts the zones.
    QFuture<HitMask> masks;
    if (fanOut) {
        masks = QtConcurrent::mapped(paths, &HitMask::load);
    } else {
        for (int k = 0; k < paths.size(); ++k) {
            timeZones[k].mask = HitMask::load(paths.at(k));
        }
    }

    QSize mapSize = QImageReader(QStringLiteral(":/content/all.png")).size();
    QHash<QString, QPointF> locations = ZoneLocations::read(mapSize);

    // The zones the list offers, by standard offset. Among equal offsets the one
    // later in the list comes first, and Russian zones before the others: that one
    // stands for a band where no zone has a location.
    QList<QByteArray> allIds = QTimeZone::availableTimeZoneIds();
    allIds.append(QByteArrayLiteral("Etc/UTC"));
    const QList<QByteArray> russianIds = QTimeZone::availableTimeZoneIds(QLocale::Russia);
    QMultiMap<int, QString> allZones;
    QMultiMap<int, QString> russianZones;
    QHash<int, QVector<Place>> places;
    for (const QString &zone : TimeZonesSorter::listed(allIds)) {
        const QByteArray id = zone.toUtf8();
        const int offset = m_standardOffset(id, year);
        allZones.insert(offset, zone);
        if (russianIds.contains(id)) {
            russianZones.insert(offset, zone);
        }
        const auto location = locations.constFind(zone);
        if (location != locations.cend()) {
            places[offset].append({zone, location.value()});
        }
    }

    int k = 0;
    for (auto it = offsets.begin(); it != offsets.end(); ++k) {
        const int offset = it.key();
        auto zone = russianZones.constFind(offset);
        if (zone == russianZones.cend()) {
            zone = allZones.constFind(offset);
            if (zone == allZones.cend()) {
                qWarning() << "static void MapController::loadImages()"
                           << "No corresponding time zone found"
                           << " offset = " << offset;
                it = offsets.erase(it);
                continue;
            }
        }
        MapTimeZone &record = timeZones[k];
        record.offset = offset;
        record.zoneName = zone.value();
        record.places = places.value(offset);
        std::sort(record.places.begin(), record.places.end(), [](const Place &a, const Place &b) {
            return a.location.y() != b.location.y() ? a.location.y() < b.location.y() : a.location.x() < b.location.x();
        });
        ++it;
    }

    if (fanOut) {
        // mapped() keeps the order of the paths.
        for (int i = 0; i < paths.size(); ++i) {
            timeZones[i].mask = masks.resultAt(i);
        }
    }
    timeZones.erase(std::remove_if(timeZones.begin(),
                                   timeZones.end(),
                                   [](const MapTimeZone &record) {
                                       return record.zoneName.isEmpty();
                                   }),
                    timeZones.end());

    QMutexLocker lock(&s_tablesMutex);
    m_offsets.swap(offsets);
    m_timeZones.swap(timeZones);
    m_locations.swap(locations);
    m_year = year;
}

QMap<int, QString> MapController::offsets()
{
    const TablesLock lock;
    return m_offsets;
}

QVector<MapController::MapTimeZone> MapController::timeZones()
{
    const TablesLock lock;
    return m_timeZones;
}

int MapController::m_indexOfOffset(int offset)
{
    const TablesLock lock;
    for (int i = 0; i < m_timeZones.size(); ++i) {
        if (m_timeZones.at(i).offset == offset) {
            return i;
        }
    }
    return -1;
}

int MapController::m_bandOfZone(const QString &zoneName)
{
    int year;
    {
        const TablesLock lock;
        year = m_year;
    }
    return m_indexOfOffset(m_standardOffset(zoneName.toUtf8(), year));
}

QString MapController::getPathToTimeZoneImage(int offset)
{
    const TablesLock lock;
    // value(), not operator[]: asking for an offset without a band must not add one.
    return s_imageUrlPrefix + m_offsets.value(offset).mid(1);
}

QString MapController::getPathToMap()
{
    return s_imageUrlPrefix + m_pathToMap.mid(1);
}

QString MapController::mapSource() const
{
    return m_mapSource;
}

QPoint MapController::m_mapToPicture(int x, int y, int width, int height, int parentX, int parentY, const QSize &mapSize)
{
    const QPoint outside(-1, -1);
    if (mapSize.isEmpty()) {
        return outside;
    }
    // Where the item paints the map: scaled into it with the aspect ratio kept, centred.
    const QSize painted = mapSize.scaled(QSize(width, height), Qt::KeepAspectRatio);
    if (painted.isEmpty()) {
        return outside;
    }
    const qint64 centreX = (2 * qint64(parentX) + width - 1) / 2;
    const qint64 centreY = (2 * qint64(parentY) + height - 1) / 2;
    const qint64 left = centreX - (painted.width() - 1) / 2;
    const qint64 top = centreY - (painted.height() - 1) / 2;
    const qint64 right = left + painted.width() - 1;
    const qint64 bottom = top + painted.height() - 1;
    if (x < left || x > right || y < top || y > bottom) {
        return outside;
    }
    // One ratio for both axes: the painted height was rounded down, the width is exact.
    const double factor = double(mapSize.width()) / painted.width();
    return QPoint(int(double(x - left) * factor + 0.5), int(double(y - top) * factor + 0.5));
}

MapController::Pick MapController::m_pick(int x, int y, int width, int height, int parentX, int parentY) const
{
    const QPoint pixel = m_mapToPicture(x, y, width, height, parentX, parentY, m_map);
    if (pixel.x() < 0) {
        return {};
    }
    const QPointF centre(pixel.x() + 0.5, pixel.y() + 0.5);
    // The lowest offset wins where bands overlap, but the selected band is never hit
    // again: repeated clicks on a shared border alternate between its bands. Inside
    // the selected band alone a click still moves to the place clicked.
    const QVector<MapTimeZone> zones = timeZones();
    for (int i = 0; i < zones.size(); ++i) {
        if (i != m_selectedTimeZone && zones.at(i).mask.contains(pixel)) {
            return {i, nearestZone(zones.at(i), centre, m_map.width())};
        }
    }
    if (m_selectedTimeZone >= 0 && m_selectedTimeZone < zones.size() && zones.at(m_selectedTimeZone).mask.contains(pixel)) {
        return {m_selectedTimeZone, nearestZone(zones.at(m_selectedTimeZone), centre, m_map.width())};
    }
    return {};
}

void MapController::m_setSelectedName(const QString &zoneName)
{
    if (zoneName != m_selectedTimeZoneName) {
        m_selectedTimeZoneName = zoneName;
        Q_EMIT selectedZoneChanged();
        Q_EMIT selectedLocationChanged();
    }
}

void MapController::m_selectBand(const QString &noBand)
{
    m_bandPending = true;
    m_pendingNoBand = noBand;
    if (tablesMade()) {
        m_settleBand();
    }
}

void MapController::m_showBand(int index, const QString &noBand)
{
    if (index == m_selectedTimeZone) {
        return;
    }
    m_selectedTimeZone = index;
    Q_EMIT selectedChanged(index < 0 ? noBand : getPathToTimeZoneImage(timeZones().value(index).offset));
}

void MapController::m_settleBand()
{
    if (m_bandPending) {
        m_bandPending = false;
        m_showBand(m_bandOfZone(m_selectedTimeZoneName), m_pendingNoBand);
    }
}

void MapController::m_tablesMade()
{
    m_settleBand();
    Q_EMIT selectedLocationChanged();
}

void MapController::setSelectedTimeZone(int x, int y, int width, int height, int parentX, int parentY)
{
    m_settleBand();
    const Pick pick = m_pick(x, y, width, height, parentX, parentY);
    if (pick.index < 0) {
        return;
    }
    const bool otherBand = pick.index != m_selectedTimeZone;
    m_selectedTimeZone = pick.index;
    m_setSelectedName(pick.zoneName);
    if (otherBand) {
        Q_EMIT selectedChanged(getPathToTimeZoneImage(timeZones().value(pick.index).offset));
    }
}

QString MapController::zoneAt(int x, int y, int width, int height, int parentX, int parentY)
{
    m_settleBand();
    return m_pick(x, y, width, height, parentX, parentY).zoneName;
}

void MapController::setSelectedTimeZone(QString path)
{
    m_setSelectedName(path);
    m_selectBand(QString());
}

int MapController::getSelectedTimeZone()
{
    m_settleBand();
    return m_selectedTimeZone;
}

int MapController::getSavedTimeZoneIndex()
{
    return m_bandOfZone(QString::fromUtf8(QTimeZone::systemTimeZoneId()));
}

QString MapController::getSavedTimeZoneName()
{
    return m_savedTimeZoneName;
}

QString MapController::getSelectedTimeZoneName()
{
    return m_selectedTimeZoneName;
}

bool MapController::hasChanges() const
{
    return m_selectedTimeZoneName != m_savedTimeZoneName;
}

QString MapController::getSystemTimeZoneName()
{
    return QString::fromUtf8(QTimeZone::systemTimeZoneId());
}

void MapController::load()
{
    const bool hadChanges = hasChanges();
    m_savedTimeZoneName = QString::fromUtf8(QTimeZone::systemTimeZone().id());
    if (m_selectedTimeZoneName == m_savedTimeZoneName && hadChanges) {
        Q_EMIT selectedZoneChanged();
    }
    m_setSelectedName(m_savedTimeZoneName);
    // The bare prefix, which loads nothing.
    m_selectBand(s_imageUrlPrefix);
}

QPointF MapController::zoneLocation(const QString &zoneName)
{
    if (zoneName.isEmpty()) {
        return QPointF(-1, -1);
    }
    const TablesLock lock;
    return m_locations.value(zoneName, QPointF(-1, -1));
}

QPointF MapController::selectedLocation() const
{
    // Asked while the tab is built: no waiting, the place follows with the tables.
    if (!tablesMade()) {
        return QPointF(-1, -1);
    }
    const TablesLock lock;
    return m_locations.value(m_selectedTimeZoneName, QPointF(-1, -1));
}

QString MapController::neighbourBandZone(const QString &zoneName, int step)
{
    const QVector<MapTimeZone> zones = timeZones();
    if (zones.isEmpty() || step == 0) {
        return zoneName;
    }
    const int n = zones.size();
    int target = m_bandOfZone(zoneName);
    if (target >= 0) {
        target = ((target + step) % n + n) % n;
    } else {
        // A zone without a band (+05:45) steps to the band on that side of its offset.
        int year;
        {
            const TablesLock lock;
            year = m_year;
        }
        const int offset = m_standardOffset(zoneName.toUtf8(), year);
        const auto after = std::lower_bound(zones.cbegin(), zones.cend(), offset, [](const MapTimeZone &band, int value) {
            return band.offset < value;
        });
        const int next = int(after - zones.cbegin());
        target = step > 0 ? next % n : (next - 1 + n) % n;
    }
    const MapTimeZone &band = zones.at(target);
    const QPointF from = zoneLocation(zoneName);
    if (from.x() < 0) {
        // Without a place to start from: the band's middle one, north to south.
        return band.places.isEmpty() ? band.zoneName : band.places.at(band.places.size() / 2).zoneName;
    }
    return nearestZone(band, from, m_map.width());
}

QString MapController::nextZoneInBand(const QString &zoneName, int step)
{
    const int index = m_bandOfZone(zoneName);
    if (index < 0) {
        return zoneName;
    }
    const QVector<Place> places = timeZones().value(index).places;
    if (places.isEmpty()) {
        return zoneName;
    }
    const auto here = std::find_if(places.cbegin(), places.cend(), [&zoneName](const Place &place) {
        return place.zoneName == zoneName;
    });
    if (here == places.cend()) {
        return step > 0 ? places.first().zoneName : places.last().zoneName;
    }
    const int next = std::clamp(int(here - places.cbegin()) + step, 0, places.size() - 1);
    return places.at(next).zoneName;
}
