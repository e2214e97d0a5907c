// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "basetimezonesprovider.h"

#include "timezonessorter.h"

#include <KLocalizedString>

#include <QCollator>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QMutex>
#include <QSet>
#include <QTimeZone>
#include <QTimer>
#include <QtConcurrent>

#include <unicode/calendar.h>
#include <unicode/locdspnm.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/tzfmt.h>
#include <unicode/tznames.h>
#include <unicode/ucal.h>
#include <unicode/uloc.h>
#include <unicode/unistr.h>
#include <unicode/ures.h>

#include <algorithm>
#include <iterator>
#include <limits>
#include <memory>
#include <string>

BaseTimeZonesProvider::BaseTimeZonesProvider(QObject *parent)
    : QObject(parent)
{
}

BaseTimeZonesProvider::~BaseTimeZonesProvider() = default;

QStringList BaseTimeZonesProvider::allTimeZonesWithOffsets() const
{
    m_finishRows();
    return m_allTimeZonesWithOffsets;
}

QStringList BaseTimeZonesProvider::russianTimeZonesWithOffsets() const
{
    m_finishRows();
    return m_russianTimeZonesWithOffsets;
}

namespace
{
const QByteArray s_utcId = QByteArrayLiteral("Etc/UTC");

// The names already made, per locale: ICU takes about half a millisecond per
// zone, and two catalogues of some 600 zones each are built when the page opens.
struct ZoneNameCache {
    QMutex mutex;
    QHash<QString, QString> names; // locale, newline, zone id → name
    QHash<QString, QString> cities; // likewise → exemplar city
    QHash<QString, QString> lineCities; // locale, newline, catalogue line → its zones' cities
    QSet<QString> madeLocales; // the locales whose names are all made
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

// The instant lists are made for; invalid while nobody fixed one.
QDateTime &fixedNow()
{
    static QDateTime moment;
    return moment;
}

QString utcZoneName()
{
    return i18nd("kcm_orb_admin_date", "Coordinated Universal Time");
}

QString toQString(const icu::UnicodeString &text)
{
    std::string utf8;
    text.toUTF8String(utf8);
    return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
}

// Whether a zone is named after its country ("Germany Time") rather than its city: it
// is its country's only zone, or the one ICU's data makes the country's primary zone.
// ICU finds that out by walking every zone of the world once per country, and its
// own list of the zones with a country checks each zone's canonical id in turn: most
// of the cost of a list of names. One pass over ICU's zone tables gives the same.
class CountryZones
{
public:
    static const CountryZones &instance()
    {
        static const CountryZones zones;
        return zones;
    }

    // The country code of a canonical zone id; empty for none (the "world" of the
    // Etc zones) and for an id that is not canonical.
    QByteArray regionOf(const icu::UnicodeString &canonicalId) const
    {
        return m_regionOfZone.value(QString::fromUtf16(canonicalId.getBuffer(), canonicalId.length()));
    }

    // A canonical zone id of a country.
    bool isCanonical(const QString &id) const
    {
        return m_regionOfZone.contains(id);
    }

    bool namedAfterCountry(const QByteArray &region, const icu::UnicodeString &canonicalId) const
    {
        if (m_zoneCount.value(region) == 1) {
            return true;
        }
        const auto primary = m_primaryZone.constFind(region);
        return primary != m_primaryZone.cend() && *primary == canonicalId;
    }

private:
    using Bundle = std::unique_ptr<UResourceBundle, decltype(&ures_close)>;

    static Bundle open(const char *name)
    {
        UErrorCode status = U_ZERO_ERROR;
        Bundle bundle(ures_openDirect(nullptr, name, &status), &ures_close);
        return U_SUCCESS(status) ? std::move(bundle) : Bundle(nullptr, &ures_close);
    }

    static Bundle child(const Bundle &parent, const char *key)
    {
        UErrorCode status = U_ZERO_ERROR;
        Bundle bundle(parent ? ures_getByKey(parent.get(), key, nullptr, &status) : nullptr, &ures_close);
        return U_SUCCESS(status) && bundle ? std::move(bundle) : Bundle(nullptr, &ures_close);
    }

    static bool has(const Bundle &table, const QByteArray &key)
    {
        return bool(child(table, key.constData()));
    }

    CountryZones()
    {
        // The zones of a country are its canonical ids: the ones the CLDR names
        // ("Asia:Kolkata" in the time zone type map), and the tz zones of their own
        // that the CLDR has neither named nor made an alias.
        const Bundle zoneInfo = open("zoneinfo64");
        const Bundle names = child(zoneInfo, "Names");
        const Bundle regions = child(zoneInfo, "Regions");
        const Bundle zones = child(zoneInfo, "Zones");
        const Bundle keyTypes = open("keyTypeData");
        const Bundle typeMap = child(child(keyTypes, "typeMap"), "timezone");
        const Bundle typeAlias = child(child(keyTypes, "typeAlias"), "timezone");
        const int count = names && regions && zones ? ures_getSize(names.get()) : 0;
        for (int i = 0; i < count; ++i) {
            UErrorCode status = U_ZERO_ERROR;
            int32_t length = 0;
            const UChar *name = ures_getStringByIndex(names.get(), i, &length, &status);
            int32_t regionLength = 0;
            const UChar *region = ures_getStringByIndex(regions.get(), i, &regionLength, &status);
            if (U_FAILURE(status)) {
                continue;
            }
            const QString id = QString::fromUtf16(name, length);
            const QByteArray code = QString::fromUtf16(region, regionLength).toLatin1();
            if (code == "001" || id == QLatin1String(UCAL_UNKNOWN_ZONE_ID)) {
                continue;
            }
            const QByteArray key = id.toLatin1().replace('/', ':');
            bool canonical = has(typeMap, key);
            if (!canonical && !has(typeAlias, key)) {
                // A tz link is stored as the index of the zone it stands for.
                UErrorCode zoneStatus = U_ZERO_ERROR;
                const Bundle zone(ures_getByIndex(zones.get(), i, nullptr, &zoneStatus), &ures_close);
                canonical = U_SUCCESS(zoneStatus) && ures_getType(zone.get()) != URES_INT;
            }
            if (canonical) {
                m_regionOfZone.insert(id, code);
                ++m_zoneCount[code];
            }
        }

        const Bundle primaryZones = child(open("metaZones"), "primaryZones");
        UErrorCode status = U_ZERO_ERROR;
        while (primaryZones && U_SUCCESS(status) && ures_hasNext(primaryZones.get())) {
            const char *region = nullptr;
            int32_t length = 0;
            const UChar *zone = ures_getNextString(primaryZones.get(), &length, &region, &status);
            if (U_SUCCESS(status) && region) {
                m_primaryZone.insert(QByteArray(region), icu::UnicodeString(zone, length));
            }
        }
    }

    QHash<QString, QByteArray> m_regionOfZone;
    QHash<QByteArray, int> m_zoneCount;
    QHash<QByteArray, icu::UnicodeString> m_primaryZone;
};

// The language's generic location pattern, such as "{0} Time" or "{0}": the
// "regionFormat" of ICU's zone data, looked up through the locale's parents.
icu::UnicodeString locationPattern(const QString &localeName)
{
    QByteArray locale = localeName.toUtf8();
    while (!locale.isEmpty()) {
        UErrorCode status = U_ZERO_ERROR;
        UResourceBundle *bundle = ures_open(U_ICUDATA_NAME "-zone", locale.constData(), &status);
        UResourceBundle *strings = ures_getByKey(bundle, "zoneStrings", nullptr, &status);
        int32_t length = 0;
        const UChar *pattern = ures_getStringByKey(strings, "regionFormat", &length, &status);
        const bool found = U_SUCCESS(status) && pattern;
        icu::UnicodeString text = found ? icu::UnicodeString(pattern, length) : icu::UnicodeString();
        ures_close(strings);
        ures_close(bundle);
        if (found) {
            return text;
        }
        char parent[ULOC_FULLNAME_CAPACITY] = {};
        status = U_ZERO_ERROR;
        const int32_t parentLength = uloc_getParent(locale.constData(), parent, sizeof(parent) - 1, &status);
        locale = U_SUCCESS(status) ? QByteArray(parent, parentLength) : QByteArray();
    }
    return icu::UnicodeString(u"{0}");
}

// `utcName` is the translated name of UTC, looked up once by the caller for a whole list.
QString makeZoneName(const QString &localeName, const QString &utcName, const QString &path)
{
    // Zone name data is loaded once per locale and serves a whole list.
    struct Formatter {
        QString localeName;
        std::unique_ptr<icu::TimeZoneNames> names;
        std::unique_ptr<icu::LocaleDisplayNames> countries;
        icu::UnicodeString locationPattern;
        // Only the few zones of no country need it, and it is costly to make.
        std::unique_ptr<icu::TimeZoneFormat> format;
        bool formatMade = false;
    };
    static Formatter formatter;
    if (formatter.localeName != localeName || !formatter.names) {
        const icu::Locale locale(localeName.toUtf8().constData());
        UErrorCode status = U_ZERO_ERROR;
        formatter.names.reset(icu::TimeZoneNames::createInstance(locale, status));
        if (U_FAILURE(status)) {
            formatter.names.reset();
        }
        formatter.countries.reset(icu::LocaleDisplayNames::createInstance(locale));
        formatter.locationPattern = locationPattern(localeName);
        formatter.format.reset();
        formatter.formatMade = false;
        formatter.localeName = localeName;
    }
    const auto format = [&localeName]() -> icu::TimeZoneFormat * {
        if (!formatter.formatMade) {
            UErrorCode status = U_ZERO_ERROR;
            formatter.format.reset(icu::TimeZoneFormat::createInstance(icu::Locale(localeName.toUtf8().constData()), status));
            if (U_FAILURE(status)) {
                formatter.format.reset();
            }
            formatter.formatMade = true;
        }
        return formatter.format.get();
    };

    const QByteArray id = path.toUtf8();
    const icu::UnicodeString icuId = icu::UnicodeString::fromUTF8(icu::StringPiece(id.constData(), id.size()));
    // Most ids of the list are canonical ones of a country, known without asking ICU.
    const CountryZones &countryZones = CountryZones::instance();
    icu::UnicodeString canonical;
    UErrorCode canonicalStatus = U_ZERO_ERROR;
    if (countryZones.isCanonical(path)) {
        canonical = icuId;
    } else {
        icu::TimeZone::getCanonicalID(icuId, canonical, canonicalStatus);
    }
    // ICU calls UTC "GMT"; its aliases ("UTC", "Etc/Universal") share the name.
    if (U_SUCCESS(canonicalStatus) && canonical == icu::UnicodeString(u"Etc/UTC")) {
        return utcName;
    }

    // A zone ICU has no canonical id for is one it does not know.
    if (U_FAILURE(canonicalStatus) || canonical == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID, -1, US_INV)) {
        // A zone newer than ICU's data would get "GMT", whatever its offset: name it
        // after its location, the way ICU names the zones it knows.
        icu::UnicodeString city;
        if (formatter.names) {
            formatter.names->getExemplarLocationName(icuId, city);
        }
        if (city.isEmpty()) {
            city = icu::UnicodeString(icuId, icuId.lastIndexOf(u'/') + 1);
            city.findAndReplace(icu::UnicodeString(u"_"), icu::UnicodeString(u" "));
        }
        icu::UnicodeString name = formatter.locationPattern;
        return toQString(name.findAndReplace(icu::UnicodeString(u"{0}"), city));
    }

    // The generic location form ("Moscow Time", "Germany Time"), the same as
    // icu::TimeZone::getDisplayName(true, GENERIC_LOCATION, locale, name) gives.
    icu::UnicodeString name;
    const QByteArray region = countryZones.regionOf(canonical);
    if (!region.isEmpty() && formatter.names && formatter.countries) {
        icu::UnicodeString place;
        if (countryZones.namedAfterCountry(region, canonical)) {
            formatter.countries->regionDisplayName(region.constData(), place);
        } else {
            formatter.names->getExemplarLocationName(canonical, place);
        }
        name = formatter.locationPattern;
        name.findAndReplace(icu::UnicodeString(u"{0}"), place);
        return toQString(name);
    }
    // The zone object is needed only here, for the zones of no country.
    const std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icuId));
    if (!zone) {
        return QString();
    }
    if (icu::TimeZoneFormat *zoneFormat = format()) {
        const UDate date = static_cast<UDate>(BaseTimeZonesProvider::now().toMSecsSinceEpoch());
        UTimeZoneFormatTimeType timeType = UTZFMT_TIME_TYPE_UNKNOWN;
        zoneFormat->format(UTZFMT_STYLE_GENERIC_LOCATION, *zone, date, name, &timeType);
        // A zone without a generic name falls back to a GMT offset text, which is given
        // for daylight time like the display name asks for.
        if (timeType == UTZFMT_TIME_TYPE_STANDARD) {
            UErrorCode status = U_ZERO_ERROR;
            name.remove();
            zoneFormat->formatOffsetLocalizedGMT(zone->getRawOffset() + zone->getDSTSavings(), name, status);
        }
    } else {
        zone->getDisplayName(true, icu::TimeZone::GENERIC_LOCATION, icu::Locale(localeName.toUtf8().constData()), name);
    }
    return toQString(name);
}
}

QString BaseTimeZonesProvider::getZoneName(const QString &path)
{
    const QString localeName = zoneNameLocale();
    const QString key = cacheKey(localeName, path);
    ZoneNameCache &cache = zoneNameCache();
    {
        QMutexLocker lock(&cache.mutex);
        const auto known = cache.names.constFind(key);
        if (known != cache.names.cend()) {
            return *known;
        }
    }
    const QString name = makeZoneName(localeName, utcZoneName(), path);
    QMutexLocker lock(&cache.mutex);
    cache.names.insert(key, name);
    return name;
}

QString BaseTimeZonesProvider::exemplarCity(const QString &zoneId)
{
    return m_exemplarCity(zoneNameLocale(), zoneId);
}

QString BaseTimeZonesProvider::m_exemplarCity(const QString &localeName, const QString &zoneId)
{
    const QString key = cacheKey(localeName, zoneId);
    ZoneNameCache &cache = zoneNameCache();
    {
        QMutexLocker lock(&cache.mutex);
        const auto known = cache.cities.constFind(key);
        if (known != cache.cities.cend()) {
            return *known;
        }
    }
    // One TimeZoneNames per locale serves every zone: creating it loads locale data.
    thread_local QString namesLocale;
    thread_local std::unique_ptr<icu::TimeZoneNames> names;
    if (!names || namesLocale != localeName) {
        UErrorCode status = U_ZERO_ERROR;
        names.reset(icu::TimeZoneNames::createInstance(icu::Locale(localeName.toUtf8().constData()), status));
        if (U_FAILURE(status)) {
            names.reset();
        }
        namesLocale = localeName;
    }
    QString city;
    if (names) {
        const QByteArray id = zoneId.toUtf8();
        icu::UnicodeString text;
        names->getExemplarLocationName(icu::UnicodeString::fromUTF8(icu::StringPiece(id.constData(), id.size())), text);
        city = toQString(text);
    }
    QMutexLocker lock(&cache.mutex);
    cache.cities.insert(key, city);
    return city;
}

void BaseTimeZonesProvider::makeZoneNames()
{
    const QString localeName = zoneNameLocale();
    ZoneNameCache &cache = zoneNameCache();
    {
        QMutexLocker lock(&cache.mutex);
        if (cache.madeLocales.contains(localeName)) {
            return;
        }
    }
    const QString utcName = utcZoneName();
    const QList<QByteArray> ids = m_allZoneIds(QTimeZone::availableTimeZoneIds(), QTimeZone::systemTimeZoneId());
    // Made when a zone tab is first built, one after another on this thread: ICU's
    // zone name objects share one cache, and a city name it hands out may alias
    // memory that a lookup on another thread frees.
    QList<QString> names;
    names.reserve(ids.size());
    for (const QByteArray &id : ids) {
        names.append(makeZoneName(localeName, utcName, QString::fromUtf8(id)));
    }
    QMutexLocker lock(&cache.mutex);
    for (int i = 0; i < ids.size(); ++i) {
        cache.names.insert(cacheKey(localeName, QString::fromUtf8(ids.at(i))), names.at(i));
    }
    cache.madeLocales.insert(localeName);
}

void BaseTimeZonesProvider::setFixedNow(const QDateTime &moment)
{
    fixedNow() = moment;
}

QDateTime BaseTimeZonesProvider::now()
{
    const QDateTime &fixed = fixedNow();
    return fixed.isValid() ? fixed : QDateTime::currentDateTime();
}

namespace
{
QStringList linesOf(const QVector<BaseTimeZonesProvider::ZoneRow> &rows)
{
    QStringList lines;
    lines.reserve(rows.size());
    for (const BaseTimeZonesProvider::ZoneRow &row : rows) {
        lines.append(row.line);
    }
    return lines;
}
}

void BaseTimeZonesProvider::loadTimeZones()
{
    // On the pool, while this thread builds and draws the page; the rows are made
    // later, when a view asks for them. The short list at once: the zone the page
    // shows first is looked up in it. The long one, some 600 zones' files to read,
    // once the page that asked is built, so that its build keeps the cores.
    m_sortedAt = now();
    m_russianSorted = QtConcurrent::run(&BaseTimeZonesProvider::m_sortedZones, false, m_sortedAt);
    QTimer::singleShot(0, this, &BaseTimeZonesProvider::m_sortAllZones);
    m_rowsPending = true;
}

void BaseTimeZonesProvider::m_sortAllZones() const
{
    if (!m_allSortStarted) {
        m_allSortStarted = true;
        m_allSorted = QtConcurrent::run(&BaseTimeZonesProvider::m_sortedZones, true, m_sortedAt);
    }
}

void BaseTimeZonesProvider::m_finishRows() const
{
    if (!m_rowsPending) {
        return;
    }
    m_rowsPending = false;
    m_sortAllZones();
    makeZoneNames();
    m_russianRows = m_makeRows(m_russianSorted.result());
    m_allRows = m_makeRows(m_allSorted.result());
    m_allSorted = {};
    m_allTimeZonesWithOffsets = linesOf(m_allRows);
    m_russianTimeZonesWithOffsets = linesOf(m_russianRows);
    Q_EMIT const_cast<BaseTimeZonesProvider *>(this)->rowsMade();
}

const QVector<BaseTimeZonesProvider::ZoneRow> &BaseTimeZonesProvider::zoneRows(bool allZones) const
{
    m_finishRows();
    return allZones ? m_allRows : m_russianRows;
}

bool BaseTimeZonesProvider::hasRows() const
{
    return !m_rowsPending;
}

QStringList BaseTimeZonesProvider::m_russianListZoneIds() const
{
    return m_russianSorted.result().values();
}

QString BaseTimeZonesProvider::rowTitleOfZone(const QString &zoneId) const
{
    const auto titleIn = [&zoneId](const QVector<ZoneRow> &rows) {
        for (const ZoneRow &row : rows) {
            if (row.zoneIds.contains(zoneId)) {
                return row.title();
            }
        }
        return QString();
    };
    QString title;
    if (m_rowsPending) {
        // A zone shares its row only with zones of the short list of its offset,
        // and such a row is the same in both lists: those few zones make it.
        QMultiMap<int, QString> sameOffset = m_russianSorted.result();
        const int offset = sameOffset.key(zoneId, std::numeric_limits<int>::min());
        for (auto it = sameOffset.begin(); it != sameOffset.end();) {
            it = it.key() == offset ? std::next(it) : sameOffset.erase(it);
        }
        title = titleIn(m_makeRows(sameOffset));
    } else {
        title = titleIn(m_russianRows);
        if (title.isEmpty()) {
            title = titleIn(m_allRows);
        }
    }
    return title.isEmpty() ? zoneTitle(zoneId) : title;
}

QStringList BaseTimeZonesProvider::findLines(const QStringList &lines, const QString &filter) const
{
    return m_findLines(lines, filter);
}

QStringList BaseTimeZonesProvider::zonesFound(const ZoneRow &row, const QString &filter) const
{
    return filter.isEmpty() ? QStringList() : row.zoneIds;
}

QMultiMap<int, QString> BaseTimeZonesProvider::m_sortedZones(bool allZones, const QDateTime &at)
{
    return TimeZonesSorter::sort(allZones ? m_allZoneIds(QTimeZone::availableTimeZoneIds(), QTimeZone::systemTimeZoneId())
                                          : m_russianZoneIds(QTimeZone::availableTimeZoneIds(QLocale::Russia)),
                                 at);
}

QStringList BaseTimeZonesProvider::m_getAllTimeZonesWithOffsets() const
{
    return m_getDisplayString(m_sortedZones(true, now()));
}

QStringList BaseTimeZonesProvider::m_getRussianTimeZonesWithOffsets() const
{
    return m_getDisplayString(m_sortedZones(false, now()));
}

QList<QByteArray> BaseTimeZonesProvider::m_allZoneIds(QList<QByteArray> availableIds, const QByteArray &systemId)
{
    // The platform lists UTC as "UTC", a single-part id that is not offered.
    if (!availableIds.contains(s_utcId)) {
        availableIds.append(s_utcId);
    }
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
    // UTC belongs to no country, yet is a choice in either list.
    if (!countryIds.contains(s_utcId)) {
        countryIds.append(s_utcId);
    }
    return countryIds;
}

QString BaseTimeZonesProvider::m_getShift(int offset)
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

QVector<int> BaseTimeZonesProvider::m_typedOffsets(const QString &filter)
{
    // "UTC" or "GMT" alone is the offset 0.
    static const QRegularExpression offset(QStringLiteral("^\\s*(?:(UTC|GMT)\\s*)?(?:([+-]?)\\s*(\\d{1,2})(?::(\\d\\d))?)?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = offset.match(filter);
    if (!match.hasMatch() || (match.capturedRef(1).isEmpty() && match.capturedRef(3).isEmpty())) {
        return {};
    }
    if (match.capturedRef(3).isEmpty()) {
        return match.capturedRef(2).isEmpty() ? QVector<int>{0} : QVector<int>{};
    }
    const int hours = match.capturedRef(3).toInt();
    const int minutes = match.capturedRef(4).toInt();
    if (hours > 14 || minutes > 59) {
        return {};
    }
    const int seconds = hours * 3600 + minutes * 60;
    const QStringRef sign = match.capturedRef(2);
    if (sign == QLatin1String("+") || seconds == 0) {
        return {seconds};
    }
    if (sign == QLatin1String("-")) {
        return {-seconds};
    }
    return {seconds, -seconds};
}

QString BaseTimeZonesProvider::m_getEntry(int offset, const QString &zoneId)
{
    return QStringLiteral("%1 %2;%3").arg(m_getShift(offset), getZoneName(zoneId), zoneId);
}

QString BaseTimeZonesProvider::catalogueEntry(const QString &zoneId)
{
    return m_getEntry(QTimeZone(zoneId.toUtf8()).offsetFromUtc(now()), zoneId);
}

QString BaseTimeZonesProvider::zoneTitle(const QString &zoneId)
{
    return m_getShift(QTimeZone(zoneId.toUtf8()).offsetFromUtc(now())) + QLatin1Char(' ') + getZoneName(zoneId);
}

QString BaseTimeZonesProvider::ZoneRow::shift() const
{
    return m_getShift(offset);
}

QString BaseTimeZonesProvider::ZoneRow::title() const
{
    return shift() + QLatin1Char(' ') + names.join(QLatin1String(", "));
}

QRegularExpression BaseTimeZonesProvider::m_getStartsWithFilter(const QString &filter) const
{
    // An offset finds its own lines only: "+1" is not the start of "+10:00".
    const QVector<int> offsets = m_typedOffsets(filter);
    if (!offsets.isEmpty()) {
        QStringList texts;
        for (const int offset : offsets) {
            texts.append(QRegularExpression::escape(m_getShift(offset)));
        }
        return QRegularExpression(texts.join(QLatin1Char('|')));
    }

    // Typed text is matched literally: "(" or "." are characters to find, not syntax.
    // Ids write blanks as "_" ("America/Sao_Paulo"), so either stands for both.
    static const QRegularExpression blank(QStringLiteral("[ _]"));
    QStringList words = filter.split(blank);
    for (QString &word : words) {
        word = QRegularExpression::escape(word);
    }
    return QRegularExpression(QStringLiteral("(^|[ ,;(/_]|UTC)") + words.join(QStringLiteral("[ _]")), QRegularExpression::CaseInsensitiveOption);
}

namespace
{
// Zone ids in a catalogue line: "Area/Location", possibly with more parts.
const QRegularExpression &zoneIdPattern()
{
    static const QRegularExpression id(QStringLiteral("[A-Za-z]+(?:/[A-Za-z0-9_+-]+)+"));
    return id;
}

// The name part of a line: the piece with the offset text, without it.
QString nameOfLine(const QString &line)
{
    static const QRegularExpression shift(QStringLiteral("\\(UTC[+-]\\d\\d:\\d\\d\\)\\s*"));
    const QStringList pieces = line.split(QLatin1Char(';'));
    for (QString piece : pieces) {
        if (piece.contains(shift)) {
            return piece.remove(shift);
        }
    }
    return line;
}

bool holdsZone(const QString &line, const QString &zoneId)
{
    QRegularExpressionMatchIterator ids = zoneIdPattern().globalMatch(line);
    while (ids.hasNext()) {
        if (ids.next().capturedRef() == zoneId) {
            return true;
        }
    }
    return false;
}
}

bool BaseTimeZonesProvider::m_lineMatches(const QString &text, const QRegularExpression &expression)
{
    return m_lineMatches(text, expression, zoneNameLocale());
}

bool BaseTimeZonesProvider::m_lineMatches(const QString &text, const QRegularExpression &expression, const QString &localeName)
{
    if (text.contains(expression)) {
        return true;
    }
    // A keystroke searches every line: its cities are gathered once, into one text
    // that the expression finds a city's start in as it would in the line (after "; ").
    const QString key = cacheKey(localeName, text);
    ZoneNameCache &cache = zoneNameCache();
    QString cities;
    bool gathered = false;
    {
        QMutexLocker lock(&cache.mutex);
        const auto known = cache.lineCities.constFind(key);
        gathered = known != cache.lineCities.cend();
        if (gathered) {
            cities = *known;
        }
    }
    if (!gathered) {
        QStringList found;
        QRegularExpressionMatchIterator ids = zoneIdPattern().globalMatch(text);
        while (ids.hasNext()) {
            const QString city = m_exemplarCity(localeName, ids.next().captured());
            if (!city.isEmpty()) {
                found.append(city);
            }
        }
        cities = found.join(QStringLiteral("; "));
        QMutexLocker lock(&cache.mutex);
        cache.lineCities.insert(key, cities);
    }
    return !cities.isEmpty() && cities.contains(expression);
}

QStringList BaseTimeZonesProvider::m_findLines(const QStringList &lines, const QString &filter) const
{
    if (filter.isEmpty()) {
        return lines;
    }
    const QRegularExpression expression = m_getStartsWithFilter(filter);
    const QString localeName = zoneNameLocale();
    QStringList found;
    for (const QString &line : lines) {
        if (m_lineMatches(line, expression, localeName)) {
            found.append(line);
        }
    }
    if (m_typedOffsets(filter).isEmpty()) {
        return found;
    }

    // The zone the user most likely looks for comes first: UTC when they typed its
    // name, else the system's own zone. The list comes in offset order; each offset
    // keeps its place, its lines ordered by name.
    static const QRegularExpression utcWord(QStringLiteral("^\\s*(UTC|GMT)\\s*$"), QRegularExpression::CaseInsensitiveOption);
    const QString first = filter.contains(utcWord) ? QString::fromLatin1(s_utcId) : QString::fromUtf8(QTimeZone::systemTimeZoneId());
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    struct Line {
        int group;
        bool first;
        QString name;
        QString text;
    };
    QVector<Line> keyed;
    keyed.reserve(found.size());
    QStringList groups;
    static const QRegularExpression shift(QStringLiteral("\\(UTC[+-]\\d\\d:\\d\\d\\)"));
    for (const QString &line : qAsConst(found)) {
        const QString offset = shift.match(line).captured();
        int group = groups.indexOf(offset);
        if (group < 0) {
            group = groups.size();
            groups.append(offset);
        }
        keyed.append({group, holdsZone(line, first), nameOfLine(line), line});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [&collator](const Line &a, const Line &b) {
        if (a.first != b.first) {
            return a.first;
        }
        if (a.group != b.group) {
            return a.group < b.group;
        }
        return collator.compare(a.name, b.name) < 0;
    });
    QStringList ordered;
    ordered.reserve(keyed.size());
    for (const Line &line : qAsConst(keyed)) {
        ordered.append(line.text);
    }
    return ordered;
}

QStringList BaseTimeZonesProvider::m_getDisplayString(const QMultiMap<int, QString> &zones) const
{
    return linesOf(m_makeRows(zones));
}

QVector<BaseTimeZonesProvider::ZoneRow> BaseTimeZonesProvider::m_makeRows(const QMultiMap<int, QString> &zones) const
{
    QVector<ZoneRow> rows;
    rows.reserve(zones.size());
    for (auto it = zones.constBegin(); it != zones.constEnd(); ++it) {
        rows.append({m_getEntry(it.key(), it.value()), it.key(), {it.value()}, {getZoneName(it.value())}, false});
    }
    return rows;
}
