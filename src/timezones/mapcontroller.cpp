#include "mapcontroller.h"

#include <QDebug>
#include <QFile>
#include <QLocale>
#include <QMutex>
#include <QThread>
#include <QTimeZone>
#include <QtConcurrent>

#include <algorithm>
#include <array>
#include <cstring>

#include "timezonessorter.h"

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

QMap<int, QString> MapController::m_offsets;
QVector<MapController::MapTimeZone> MapController::m_timeZones;

namespace {
// Guards the two class-wide tables: a background loadImages() publishes new ones
// while controllers on the GUI thread read them.
QBasicMutex s_tablesMutex;

const QString s_imageUrlPrefix = QStringLiteral("image://mapimages");

// Offset of Chatham's band when the zone database lacks Pacific/Chatham: its standard time.
constexpr int s_chathamStandardOffset = 45900;

QMap<int, QString> offsetTable(const QDateTime &at)
{
    const QTimeZone chatham(QByteArrayLiteral("Pacific/Chatham"));
    const int chathamOffset = chatham.isValid() ? chatham.offsetFromUtc(at) : s_chathamStandardOffset;

    const std::pair<int, const char *> bands[] = {
        {-39600, ":/content/-11_00.png"},
        {-36000, ":/content/-10_00.png"},
        {-34200, ":/content/-09_30.png"},
        {-32400, ":/content/-09_00.png"},
        {-28800, ":/content/-08_00.png"},
        {-25200, ":/content/-07_00.png"},
        {-21600, ":/content/-06_00.png"},
        {-18000, ":/content/-05_00.png"},
        {-14400, ":/content/-04_00.png"},
        {-10800, ":/content/-03_00.png"},
        {-7200, ":/content/-02_00.png"},
        {-3600, ":/content/-01_00.png"},
        {0, ":/content/+00_00.png"},
        {3600, ":/content/+01_00.png"},
        {7200, ":/content/+02_00.png"},
        {10800, ":/content/+03_00.png"},
        {12600, ":/content/+03_30.png"},
        {14400, ":/content/+04_00.png"},
        {16200, ":/content/+04_30.png"},
        {18000, ":/content/+05_00.png"},
        {19800, ":/content/+05_30.png"},
        {21600, ":/content/+06_00.png"},
        {23400, ":/content/+06_30.png"},
        {25200, ":/content/+07_00.png"},
        {28800, ":/content/+08_00.png"},
        {32400, ":/content/+09_00.png"},
        {34200, ":/content/+09_30.png"},
        {36000, ":/content/+10_00.png"},
        {37800, ":/content/+10_30.png"},
        {39600, ":/content/+11_00.png"},
        {43200, ":/content/+12_00.png"},
        {chathamOffset, ":/content/+12_45.png"},
    };
    QMap<int, QString> table;
    for (const auto &band : bands) {
        table.insert(band.first, QString::fromLatin1(band.second));
    }
    return table;
}

// Palette of the hit test pictures: index 0 is the transparent colour value 0.
const QVector<QRgb> s_hitColours = {0u, qRgba(0, 0, 0, 255)};

#ifdef Q_OS_LINUX
struct Mapping
{
    void *address;
    size_t length;
};

void unmapHitImage(void *info)
{
    const auto *mapping = static_cast<Mapping *>(info);
    munmap(mapping->address, mapping->length);
    delete mapping;
}
#endif

// A hit test picture, all pixels 0. On Linux each picture gets its own mapping,
// aligned and advised for huge pages: faulting in the 32 fresh pictures (56 MB)
// page by page costs far more than filling them. Mapped pages come zeroed, so only
// the clickable runs need writing.
QImage newHitImage(int width, int height)
{
    const qsizetype bytesPerLine = (qsizetype(width) + 3) & ~qsizetype(3);
#ifdef Q_OS_LINUX
    constexpr size_t hugePage = size_t(2) << 20;
    const size_t span = (size_t(bytesPerLine) * size_t(height) + hugePage - 1) & ~(hugePage - 1);
    void *raw = mmap(nullptr, span + hugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw != MAP_FAILED) {
        const auto start = reinterpret_cast<quintptr>(raw);
        const quintptr aligned = (start + hugePage - 1) & ~quintptr(hugePage - 1);
        if (aligned > start) {
            munmap(raw, aligned - start);
        }
        munmap(reinterpret_cast<void *>(aligned + span), start + hugePage - aligned);
        auto *address = reinterpret_cast<void *>(aligned);
        madvise(address, span, MADV_HUGEPAGE);
        QImage image(static_cast<uchar *>(address), width, height, bytesPerLine, QImage::Format_Indexed8, unmapHitImage, new Mapping{address, span});
        image.setColorTable(s_hitColours);
        return image;
    }
#endif
    QImage image(width, height, QImage::Format_Indexed8);
    if (!image.isNull()) {
        image.fill(0);
        image.setColorTable(s_hitColours);
    }
    return image;
}

quint32 bigEndian32(const uchar *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

quint32 crc32(const uchar *data, qsizetype length)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xffffffffu;
    for (qsizetype i = 0; i < length; ++i) {
        c = table[(c ^ data[i]) & 0xff] ^ (c >> 8);
    }
    return c ^ 0xffffffffu;
}

// The picture's own record of its clickable pixels: the private "hiTM" chunk that
// the map generator puts after IHDR (runs of alternating not clickable and clickable
// pixels per row, as unsigned LEB128 numbers). A null image when the file has no
// such chunk or the chunk does not fit the picture, so that the caller decodes.
QImage hitImageFromChunk(const QByteArray &file)
{
    static const char signature[] = "\x89PNG\r\n\x1a\n";
    const auto *bytes = reinterpret_cast<const uchar *>(file.constData());
    const qsizetype size = file.size();
    if (size < 33 || std::memcmp(bytes, signature, 8) != 0 || std::memcmp(bytes + 12, "IHDR", 4) != 0) {
        return {};
    }
    const quint32 pngWidth = bigEndian32(bytes + 16);
    const quint32 pngHeight = bigEndian32(bytes + 20);

    for (qsizetype pos = 8; pos + 12 <= size;) {
        const quint32 length = bigEndian32(bytes + pos);
        if (length > quint32(size - pos - 12)) {
            return {};
        }
        const uchar *type = bytes + pos + 4;
        const uchar *data = type + 4;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) {
            return {};
        }
        if (std::memcmp(type, "hiTM", 4) != 0) {
            pos += 12 + qsizetype(length);
            continue;
        }
        if (crc32(type, qsizetype(length) + 4) != bigEndian32(data + length) || length < 9 || data[0] != 1) {
            return {};
        }
        const quint32 width = bigEndian32(data + 1);
        const quint32 height = bigEndian32(data + 5);
        if (width != pngWidth || height != pngHeight || width == 0 || height == 0 || width > 0x8000 || height > 0x8000) {
            return {};
        }
        QImage image = newHitImage(int(width), int(height));
        if (image.isNull()) {
            return {};
        }
        uchar *bits = image.bits();
        const qsizetype bytesPerLine = image.bytesPerLine();
        const uchar *in = data + 9;
        const uchar *end = data + length;
        for (quint32 y = 0; y < height; ++y) {
            uchar *line = bits + qsizetype(y) * bytesPerLine;
            quint32 x = 0;
            uchar clickable = 0;
            while (x < width) {
                quint32 run = 0;
                for (int shift = 0;; shift += 7) {
                    if (in == end || shift > 14) {
                        return {};
                    }
                    const uchar b = *in++;
                    run |= quint32(b & 0x7f) << shift;
                    if (!(b & 0x80)) {
                        break;
                    }
                }
                if (run > width - x) {
                    return {};
                }
                if (clickable) {
                    std::memset(line + x, 1, run);
                }
                x += run;
                clickable ^= 1;
            }
        }
        return in == end ? image : QImage();
    }
    return {};
}

// The same picture the slow way: decode it and take alpha >= 128 as clickable,
// the threshold of the toolkit's own conversion to 8 bits, without its colour search.
QImage hitImageFromPixels(const QString &path)
{
    QImage picture(path);
    if (picture.isNull()) {
        return {};
    }
    if (picture.format() != QImage::Format_ARGB32 && picture.format() != QImage::Format_ARGB32_Premultiplied) {
        picture = picture.convertToFormat(QImage::Format_ARGB32);
    }
    QImage image = newHitImage(picture.width(), picture.height());
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < picture.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        uchar *out = image.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            out[x] = qAlpha(in[x]) >= 128 ? 1 : 0;
        }
    }
    return image;
}
}

MapController::MapController(QObject *parent)
    : QObject(parent)
    , m_pathToMap(QStringLiteral(":/content/all.png"))
    , m_selectedTimeZone(-1)
{
    QMutexLocker lock(&s_tablesMutex);
    // Only the base map's size is used; every controller shares one copy, loaded
    // again only while it could not be (resources not registered yet).
    static QImage map;
    if (map.isNull()) {
        map = m_loadHitImage(m_pathToMap);
    }
    m_map = map;

    if (m_offsets.isEmpty()) {
        m_offsets = offsetTable(QDateTime::currentDateTime());
    }
}

// The class-wide tables outlive every controller: other controllers and later
// pages of the process go on using them.
MapController::~MapController() = default;

void MapController::m_fillOffsets(const QDateTime &at)
{
    QMap<int, QString> table = offsetTable(at);
    QMutexLocker lock(&s_tablesMutex);
    m_offsets.swap(table);
}

QImage MapController::m_loadHitImage(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QImage image = hitImageFromChunk(file.readAll());
        if (!image.isNull()) {
            return image;
        }
    }
    return hitImageFromPixels(path);
}

void MapController::setImages(const QStringList &paths, QVector<MapTimeZone> &timeZones)
{
    for (int k = 0; k < paths.size(); ++k) {
        timeZones[k].image = m_loadHitImage(paths.at(k));
    }
}

void MapController::loadImages()
{
    m_loadImages(QThread::idealThreadCount() > 2);
}

void MapController::m_loadImages(bool fanOut, const QDateTime &at)
{
    // Built aside and published at the end: controllers in use never see a half-built table.
    QMap<int, QString> offsets = offsetTable(at);
    QVector<MapTimeZone> timeZones(offsets.size());
    const QStringList paths = offsets.values();

    // The pictures first, so that their tasks run while this thread sorts the zones.
    QFuture<QImage> images;
    if (fanOut) {
        images = QtConcurrent::mapped(paths, &MapController::m_loadHitImage);
    } else {
        setImages(paths, timeZones);
    }

    QList<QByteArray> allIds = QTimeZone::availableTimeZoneIds();
    allIds.append(QByteArrayLiteral("Etc/UTC"));
    const QMultiMap<int, QString> allZones = TimeZonesSorter::sort(allIds);
    const QMultiMap<int, QString> russianZones = TimeZonesSorter::sort(QTimeZone::availableTimeZoneIds(QLocale::Russia));

    // Russian zones first: a click selects the Russian zone of any offset used in Russia.
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
        timeZones[k].offset = offset;
        timeZones[k].zoneName = zone.value();
        ++it;
    }

    if (fanOut) {
        // mapped() keeps the order of the paths.
        for (int i = 0; i < paths.size(); ++i) {
            timeZones[i].image = images.resultAt(i);
        }
    }
    timeZones.erase(std::remove_if(timeZones.begin(), timeZones.end(), [](const MapTimeZone &record) { return record.zoneName.isEmpty(); }), timeZones.end());

    QMutexLocker lock(&s_tablesMutex);
    m_offsets.swap(offsets);
    m_timeZones.swap(timeZones);
}

QMap<int, QString> MapController::offsets()
{
    QMutexLocker lock(&s_tablesMutex);
    return m_offsets;
}

QVector<MapController::MapTimeZone> MapController::timeZones()
{
    QMutexLocker lock(&s_tablesMutex);
    return m_timeZones;
}

int MapController::m_indexOfOffset(int offset)
{
    QMutexLocker lock(&s_tablesMutex);
    for (int i = 0; i < m_timeZones.size(); ++i) {
        if (m_timeZones.at(i).offset == offset) {
            return i;
        }
    }
    return -1;
}

QString MapController::getPathToTimeZoneImage(int offset)
{
    QMutexLocker lock(&s_tablesMutex);
    // value(), not operator[]: asking for an offset without a band must not add one.
    return s_imageUrlPrefix + m_offsets.value(offset).mid(1);
}

QString MapController::getPathToMap()
{
    return s_imageUrlPrefix + m_pathToMap.mid(1);
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

void MapController::setSelectedTimeZone(int x, int y, int width, int height, int parentX, int parentY)
{
    const QPoint pixel = m_mapToPicture(x, y, width, height, parentX, parentY, m_map.size());
    if (pixel.x() < 0) {
        return;
    }
    // The lowest offset wins where bands overlap, but the selected band is never hit
    // again: repeated clicks on a shared border alternate between its bands.
    const QVector<MapTimeZone> zones = timeZones();
    for (int i = 0; i < zones.size(); ++i) {
        if (i == m_selectedTimeZone) {
            continue;
        }
        const QImage &image = zones.at(i).image;
        if (image.valid(pixel) && image.pixel(pixel) != 0) {
            m_selectedTimeZone = i;
            m_selectedTimeZoneName = zones.at(i).zoneName;
            Q_EMIT selectedChanged(getPathToTimeZoneImage(zones.at(i).offset));
            return;
        }
    }
}

void MapController::setSelectedTimeZone(QString path)
{
    m_selectedTimeZoneName = path;
    const int offset = QTimeZone(path.toUtf8()).offsetFromUtc(QDateTime::currentDateTime());
    const int index = m_indexOfOffset(offset);
    if (index < 0) {
        const bool hadBand = m_selectedTimeZone != -1;
        m_selectedTimeZone = -1;
        if (hadBand) {
            Q_EMIT selectedChanged(QString());
        }
        return;
    }
    if (index != m_selectedTimeZone) {
        m_selectedTimeZone = index;
        Q_EMIT selectedChanged(getPathToTimeZoneImage(offset));
    }
}

int MapController::getSelectedTimeZone()
{
    return m_selectedTimeZone;
}

int MapController::getSavedTimeZoneIndex()
{
    return m_indexOfOffset(QTimeZone::systemTimeZone().offsetFromUtc(QDateTime::currentDateTime()));
}

QString MapController::getSavedTimeZoneName()
{
    return m_savedTimeZoneName;
}

QString MapController::getSelectedTimeZoneName()
{
    return m_selectedTimeZoneName;
}

QString MapController::getSystemTimeZoneName()
{
    return QString::fromUtf8(QTimeZone::systemTimeZoneId());
}

void MapController::load()
{
    const int previous = m_selectedTimeZone;
    const QTimeZone system = QTimeZone::systemTimeZone();
    m_savedTimeZoneName = QString::fromUtf8(system.id());
    m_selectedTimeZoneName = m_savedTimeZoneName;
    m_selectedTimeZone = getSavedTimeZoneIndex();
    if (m_selectedTimeZone != previous) {
        Q_EMIT selectedChanged(getPathToTimeZoneImage(system.offsetFromUtc(QDateTime::currentDateTime())));
    }
}
