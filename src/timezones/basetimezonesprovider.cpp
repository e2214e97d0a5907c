#include "basetimezonesprovider.h"

#include "timezonessorter.h"

#include <KLocalizedString>

#include <QHash>
#include <QLocale>
#include <QMutex>
#include <QTimeZone>
#include <QtConcurrent>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/tzfmt.h>
#include <unicode/unistr.h>

#include <memory>
#include <string>

BaseTimeZonesProvider::BaseTimeZonesProvider(QObject *parent)
    : QObject(parent)
{
}

BaseTimeZonesProvider::~BaseTimeZonesProvider() = default;

QStringList BaseTimeZonesProvider::allTimeZonesWithOffsets() const
{
    return m_allTimeZonesWithOffsets;
}

QStringList BaseTimeZonesProvider::russianTimeZonesWithOffsets() const
{
    return m_russianTimeZonesWithOffsets;
}

namespace {
// The names already made, per locale: ICU takes about half a millisecond per
// zone, and two catalogues of some 600 zones each are built when the page opens.
struct ZoneNameCache
{
    QMutex mutex;
    QHash<QString, QString> names; // locale, newline, zone id → name
    QHash<QString, QFuture<void>> preloads; // locale → the background run filling it
};

ZoneNameCache &zoneNameCache()
{
    static ZoneNameCache cache;
    return cache;
}

QString zoneNameLocale()
{
    // i18n: the ICU locale in which zone names are shown, such as "ru_RU"
    return ki18nd("kcm_orb_admin_date", "en_US").toString();
}

QString cacheKey(const QString &localeName, const QString &id)
{
    return localeName + QLatin1Char('\n') + id;
}

QString makeZoneName(const QString &localeName, const QString &path)
{
    // Making a zone formatter loads locale data; one per locale serves a whole list.
    struct Formatter
    {
        QString localeName;
        std::unique_ptr<icu::TimeZoneFormat> format;
    };
    thread_local Formatter formatter;
    if (!formatter.format || formatter.localeName != localeName) {
        UErrorCode status = U_ZERO_ERROR;
        formatter.format.reset(icu::TimeZoneFormat::createInstance(icu::Locale(localeName.toUtf8().constData()), status));
        if (U_FAILURE(status)) {
            formatter.format.reset();
        }
        formatter.localeName = localeName;
    }

    const QByteArray id = path.toUtf8();
    const std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(icu::StringPiece(id.constData(), id.size()))));
    if (!zone) {
        return QString();
    }

    // The generic location form ("Moscow Time"), the same as
    // icu::TimeZone::getDisplayName(true, GENERIC_LOCATION, locale, name) gives.
    icu::UnicodeString name;
    if (formatter.format) {
        UTimeZoneFormatTimeType timeType = UTZFMT_TIME_TYPE_UNKNOWN;
        formatter.format->format(UTZFMT_STYLE_GENERIC_LOCATION, *zone, icu::Calendar::getNow(), name, &timeType);
        // A zone without a generic name falls back to a GMT offset text, which is given
        // for daylight time like the display name asks for.
        if (timeType == UTZFMT_TIME_TYPE_STANDARD) {
            UErrorCode status = U_ZERO_ERROR;
            name.remove();
            formatter.format->formatOffsetLocalizedGMT(zone->getRawOffset() + zone->getDSTSavings(), name, status);
        }
    } else {
        zone->getDisplayName(true, icu::TimeZone::GENERIC_LOCATION, icu::Locale(localeName.toUtf8().constData()), name);
    }
    std::string utf8;
    name.toUTF8String(utf8);
    return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
}
}

QString BaseTimeZonesProvider::getZoneName(const QString &path)
{
    const QString localeName = zoneNameLocale();
    const QString key = cacheKey(localeName, path);
    ZoneNameCache &cache = zoneNameCache();
    QFuture<void> preload;
    {
        QMutexLocker lock(&cache.mutex);
        const auto known = cache.names.constFind(key);
        if (known != cache.names.cend()) {
            return *known;
        }
        preload = cache.preloads.value(localeName);
    }
    // A preload of this locale makes this name too: waiting for it (or running it
    // here when it has not started) beats making every name twice.
    if (!preload.isFinished()) {
        preload.waitForFinished();
        QMutexLocker lock(&cache.mutex);
        const auto known = cache.names.constFind(key);
        if (known != cache.names.cend()) {
            return *known;
        }
    }
    const QString name = makeZoneName(localeName, path);
    QMutexLocker lock(&cache.mutex);
    cache.names.insert(key, name);
    return name;
}

void BaseTimeZonesProvider::preloadZoneNames()
{
    const QString localeName = zoneNameLocale();
    ZoneNameCache &cache = zoneNameCache();
    QMutexLocker lock(&cache.mutex);
    if (cache.preloads.contains(localeName)) {
        return;
    }
    cache.preloads.insert(localeName, QtConcurrent::run([localeName] {
        QList<QByteArray> ids = m_allZoneIds(QTimeZone::availableTimeZoneIds(), QTimeZone::systemTimeZoneId());
        QHash<QString, QString> names;
        names.reserve(ids.size());
        for (const QByteArray &id : qAsConst(ids)) {
            const QString zone = QString::fromUtf8(id);
            names.insert(cacheKey(localeName, zone), makeZoneName(localeName, zone));
        }
        ZoneNameCache &cache = zoneNameCache();
        QMutexLocker lock(&cache.mutex);
        cache.names.insert(names);
    }));
}

void BaseTimeZonesProvider::loadTimeZones()
{
    m_allTimeZonesWithOffsets = m_getAllTimeZonesWithOffsets();
    m_russianTimeZonesWithOffsets = m_getRussianTimeZonesWithOffsets();
}

QStringList BaseTimeZonesProvider::m_getAllTimeZonesWithOffsets() const
{
    return m_getDisplayString(TimeZonesSorter::sort(m_allZoneIds(QTimeZone::availableTimeZoneIds(), QTimeZone::systemTimeZoneId())));
}

QStringList BaseTimeZonesProvider::m_getRussianTimeZonesWithOffsets() const
{
    return m_getDisplayString(TimeZonesSorter::sort(m_russianZoneIds(QTimeZone::availableTimeZoneIds(QLocale::Russia))));
}

QList<QByteArray> BaseTimeZonesProvider::m_allZoneIds(QList<QByteArray> availableIds, const QByteArray &systemId)
{
    // The machine's own zone is offered even when the platform's list lacks it.
    if (!availableIds.contains(systemId)) {
        availableIds.append(systemId);
    }
    return availableIds;
}

QList<QByteArray> BaseTimeZonesProvider::m_russianZoneIds(QList<QByteArray> countryIds)
{
    // The country list may lack Simferopol; it goes right before Volgograd, or last
    // when there is no Volgograd. A list that already holds it keeps one copy.
    const QByteArray simferopol = QByteArrayLiteral("Europe/Simferopol");
    countryIds.removeAll(simferopol);
    const int volgograd = countryIds.indexOf(QByteArrayLiteral("Europe/Volgograd"));
    countryIds.insert(volgograd < 0 ? countryIds.size() : volgograd, simferopol);
    return countryIds;
}

QString BaseTimeZonesProvider::m_getShift(int offset) const
{
    return QLatin1Char('(') + offsetText(offset) + QLatin1Char(')');
}

QString BaseTimeZonesProvider::offsetText(int offset)
{
    const QChar sign = offset < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const qint64 seconds = offset < 0 ? -qint64(offset) : qint64(offset);
    const qint64 hours = (seconds / 3600) % 24;
    const qint64 minutes = (seconds % 3600) / 60;
    return QStringLiteral("UTC%1%2:%3").arg(sign).arg(hours, 2, 10, QLatin1Char('0')).arg(minutes, 2, 10, QLatin1Char('0'));
}

QRegularExpression BaseTimeZonesProvider::m_getStartsWithFilter(const QString &filter) const
{
    // Typed text is matched literally: "(" or "." are characters to find, not syntax.
    return QRegularExpression(QStringLiteral("(^|[ ,;(]|UTC)") + QRegularExpression::escape(filter), QRegularExpression::CaseInsensitiveOption);
}

QStringList BaseTimeZonesProvider::m_getDisplayString(const QMultiMap<int, QString> &zones) const
{
    QStringList result;
    result.reserve(zones.size());
    for (auto it = zones.constBegin(); it != zones.constEnd(); ++it) {
        result.append(QStringLiteral("%1 %2;%3").arg(m_getShift(it.key()), getZoneName(it.value()), it.value()));
    }
    return result;
}
