// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "basetimezonesprovider.h"
#include "timezonessorter.h"

#include <KLocalizedString>

#include <QDir>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <unicode/timezone.h>
#include <unicode/tzfmt.h>

#include <algorithm>
#include <memory>

namespace
{
// The catalogue with its subclass operations opened up for testing.
class Catalogue : public BaseTimeZonesProvider
{
public:
    explicit Catalogue(bool load = true)
    {
        if (load) {
            loadTimeZones();
        }
    }
    using BaseTimeZonesProvider::m_allZoneIds;
    using BaseTimeZonesProvider::m_getDisplayString;
    using BaseTimeZonesProvider::m_getShift;
    using BaseTimeZonesProvider::m_getStartsWithFilter;
    using BaseTimeZonesProvider::m_russianZoneIds;
};

QList<QByteArray> bytes(const QStringList &ids)
{
    QList<QByteArray> result;
    for (const QString &id : ids) {
        result.append(id.toLatin1());
    }
    return result;
}

QString idOf(const QString &entry)
{
    return entry.section(QLatin1Char(';'), -1);
}

// A gettext catalogue file holding `messages` (original -> translation, sorted by original).
QByteArray machineObject(const QList<QPair<QByteArray, QByteArray>> &messages)
{
    const quint32 count = messages.size();
    const quint32 originals = 28;
    const quint32 translations = originals + 8 * count;
    quint32 data = translations + 8 * count;

    QByteArray tables(int(data), '\0');
    auto put = [&tables](quint32 at, quint32 value) {
        for (int byte = 0; byte < 4; ++byte) {
            tables[int(at) + byte] = char((value >> (8 * byte)) & 0xff);
        }
    };
    put(0, 0x950412de);
    put(4, 0);
    put(8, count);
    put(12, originals);
    put(16, translations);
    put(20, 0);
    put(24, data);

    QByteArray strings;
    auto addString = [&](quint32 tableAt, const QByteArray &text) {
        put(tableAt, text.size());
        put(tableAt + 4, data + strings.size());
        strings += text;
        strings += '\0';
    };
    for (quint32 i = 0; i < count; ++i) {
        addString(originals + 8 * i, messages.at(int(i)).first);
    }
    for (quint32 i = 0; i < count; ++i) {
        addString(translations + 8 * i, messages.at(int(i)).second);
    }
    return tables + strings;
}

// The zones whose names differ from ICU's own generic location names in `locale`
// (the zones ICU names, other than UTC), as "id: ours != ICU's".
QStringList namesUnlikeIcus(const char *locale)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::TimeZoneFormat> format(icu::TimeZoneFormat::createInstance(icu::Locale(locale), status));
    if (U_FAILURE(status)) {
        return {QStringLiteral("no ICU formatter")};
    }
    const UDate now = static_cast<UDate>(BaseTimeZonesProvider::now().toMSecsSinceEpoch());
    QStringList unlike;
    for (const QByteArray &id : QTimeZone::availableTimeZoneIds()) {
        const icu::UnicodeString icuId = icu::UnicodeString::fromUTF8(id.constData());
        const std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icuId));
        icu::UnicodeString canonical;
        UErrorCode canonicalStatus = U_ZERO_ERROR;
        icu::TimeZone::getCanonicalID(icuId, canonical, canonicalStatus);
        icu::UnicodeString known;
        zone->getID(known);
        if (U_FAILURE(canonicalStatus) || canonical == icu::UnicodeString(u"Etc/UTC") || known == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID, -1, US_INV)) {
            continue;
        }
        icu::UnicodeString name;
        UTimeZoneFormatTimeType type = UTZFMT_TIME_TYPE_UNKNOWN;
        format->format(UTZFMT_STYLE_GENERIC_LOCATION, *zone, now, name, &type);
        if (type == UTZFMT_TIME_TYPE_STANDARD) {
            continue; // no generic name: an offset text, made apart
        }
        std::string expected;
        name.toUTF8String(expected);
        const QString ours = BaseTimeZonesProvider::getZoneName(QString::fromLatin1(id));
        if (ours != QString::fromStdString(expected)) {
            unlike.append(QStringLiteral("%1: %2 != %3").arg(QString::fromLatin1(id), ours, QString::fromStdString(expected)));
        }
    }
    return unlike;
}
}

class TestTimeZonesCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Mid-January: the offsets below are those of northern winter, whatever today is.
        BaseTimeZonesProvider::setFixedNow(QDateTime(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC));
    }

    void offsetText_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("text");
        QTest::newRow("Marquesas") << -34200 << QStringLiteral("(UTC-09:30)");
        QTest::newRow("zero") << 0 << QStringLiteral("(UTC+00:00)");
        QTest::newRow("Kathmandu") << 20700 << QStringLiteral("(UTC+05:45)");
        QTest::newRow("Chatham daylight") << 49500 << QStringLiteral("(UTC+13:45)");
        QTest::newRow("Chatham standard") << 45900 << QStringLiteral("(UTC+12:45)");
        QTest::newRow("Baker") << -43200 << QStringLiteral("(UTC-12:00)");
        QTest::newRow("Kiritimati") << 50400 << QStringLiteral("(UTC+14:00)");
    }

    void offsetText()
    {
        QFETCH(int, offset);
        QFETCH(QString, text);
        QCOMPARE(Catalogue(false).m_getShift(offset), text);
    }

    void sorterKeepsZoneIds_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("kept");
        QTest::newRow("plain") << QStringLiteral("Europe/Moscow") << true;
        QTest::newRow("Etc/UTC") << QStringLiteral("Etc/UTC") << true;
        QTest::newRow("underscore") << QStringLiteral("America/New_York") << true;
        QTest::newRow("three parts") << QStringLiteral("America/Argentina/Salta") << true;
        QTest::newRow("hyphens") << QStringLiteral("America/Port-au-Prince") << true;
        QTest::newRow("two underscores") << QStringLiteral("Asia/Ho_Chi_Minh") << true;
        QTest::newRow("Russian with hyphen") << QStringLiteral("Asia/Ust-Nera") << true;
        QTest::newRow("single part UTC") << QStringLiteral("UTC") << false;
        QTest::newRow("single part") << QStringLiteral("Cuba") << false;
        QTest::newRow("fixed offset plus") << QStringLiteral("Etc/GMT+5") << false;
        QTest::newRow("fixed offset minus") << QStringLiteral("Etc/GMT-14") << false;
        QTest::newRow("UTC offset id") << QStringLiteral("UTC+03:00") << false;
        QTest::newRow("UTC in a longer id") << QStringLiteral("Etc/UTC/Other") << false;
        QTest::newRow("UTC inside a part") << QStringLiteral("Area/XUTCY") << false;
        QTest::newRow("POSIX rule") << QStringLiteral("EST5EDT") << false;
        QTest::newRow("digit in a part") << QStringLiteral("Europe/Moscow2") << false;
        QTest::newRow("four parts") << QStringLiteral("A/B/C/D") << false;
        QTest::newRow("empty part") << QStringLiteral("Europe//Moscow") << false;
        QTest::newRow("trailing slash") << QStringLiteral("Europe/") << false;
        QTest::newRow("part starting with underscore") << QStringLiteral("Europe/_Moscow") << false;
        QTest::newRow("part starting with hyphen") << QStringLiteral("-Europe/Moscow") << false;
        QTest::newRow("space") << QStringLiteral("Europe/Mos cow") << false;
        QTest::newRow("empty") << QString() << false;
    }

    void sorterKeepsZoneIds()
    {
        QFETCH(QString, id);
        QFETCH(bool, kept);
        const QMultiMap<int, QString> sorted = TimeZonesSorter::sort({id.toLatin1()});
        QCOMPARE(sorted.values().contains(id), kept);
        QCOMPARE(sorted.size(), kept ? 1 : 0);
    }

    void sorterOrdersByOffsetThenReversed()
    {
        // Offsets without daylight saving time, so the keys are the same all year.
        const QMultiMap<int, QString> sorted = TimeZonesSorter::sort(bytes({QStringLiteral("Asia/Tokyo"),
                                                                            QStringLiteral("Europe/Kirov"),
                                                                            QStringLiteral("America/Sao_Paulo"),
                                                                            QStringLiteral("Europe/Moscow"),
                                                                            QStringLiteral("Abc/Unknown"),
                                                                            QStringLiteral("Etc/GMT+5"),
                                                                            QStringLiteral("Xyz/Unknown")}));
        QCOMPARE(sorted.keys(), QList<int>({-10800, 0, 0, 10800, 10800, 32400}));
        // Within one offset the later input comes first; unknown ids sit at offset 0.
        QCOMPARE(sorted.values(),
                 QStringList({QStringLiteral("America/Sao_Paulo"),
                              QStringLiteral("Xyz/Unknown"),
                              QStringLiteral("Abc/Unknown"),
                              QStringLiteral("Europe/Moscow"),
                              QStringLiteral("Europe/Kirov"),
                              QStringLiteral("Asia/Tokyo")}));
    }

    void systemZoneJoinsTheAllZonesIds()
    {
        const QList<QByteArray> available = bytes({QStringLiteral("Europe/Berlin"), QStringLiteral("Europe/Moscow"), QStringLiteral("UTC")});
        const QList<QByteArray> withUtc = available + bytes({QStringLiteral("Etc/UTC")});
        QCOMPARE(Catalogue::m_allZoneIds(available, "Europe/Moscow"), withUtc);
        QCOMPARE(Catalogue::m_allZoneIds(available, "Abc/Def"), withUtc + bytes({QStringLiteral("Abc/Def")}));
        QCOMPARE(Catalogue::m_allZoneIds(withUtc, "Etc/UTC"), withUtc);
    }

    void systemZoneMissingFromThePlatformIsListed()
    {
        // The platform takes the system zone from TZ first; an id it does not know is
        // listed at offset 0, first of its group since it was appended last.
        const QByteArray savedTz = qgetenv("TZ");
        const bool hadTz = qEnvironmentVariableIsSet("TZ");
        qputenv("TZ", "Abc/Def");
        const QStringList withUnknown = Catalogue().allTimeZonesWithOffsets();
        qputenv("TZ", "Europe/Moscow");
        const QStringList withKnown = Catalogue().allTimeZonesWithOffsets();
        if (hadTz) {
            qputenv("TZ", savedTz);
        } else {
            qunsetenv("TZ");
        }

        const auto firstAtZero = std::find_if(withUnknown.cbegin(), withUnknown.cend(), [](const QString &entry) {
            return entry.startsWith(QLatin1String("(UTC+00:00) "));
        });
        QVERIFY(firstAtZero != withUnknown.cend());
        QCOMPARE(idOf(*firstAtZero), QStringLiteral("Abc/Def"));
        QCOMPARE(withUnknown.size(), withKnown.size() + 1);

        QCOMPARE(withKnown.filter(QRegularExpression(QStringLiteral(";Europe/Moscow$"))).size(), 1);
    }

    void simferopolAndUtcJoinTheRussianIds()
    {
        const QByteArray simferopol("Europe/Simferopol");
        const QByteArray utc("Etc/UTC");
        const QList<QByteArray> withVolgograd = bytes({QStringLiteral("Europe/Kirov"), QStringLiteral("Europe/Volgograd"), QStringLiteral("Europe/Zzz")});
        QCOMPARE(Catalogue::m_russianZoneIds(withVolgograd),
                 bytes({QStringLiteral("Europe/Kirov"),
                        QStringLiteral("Europe/Simferopol"),
                        QStringLiteral("Europe/Volgograd"),
                        QStringLiteral("Europe/Zzz"),
                        QStringLiteral("Etc/UTC")}));

        // Without Volgograd it still belongs to the list: last.
        const QList<QByteArray> withoutVolgograd = bytes({QStringLiteral("Europe/Kirov"), QStringLiteral("Europe/Moscow")});
        QCOMPARE(Catalogue::m_russianZoneIds(withoutVolgograd), withoutVolgograd + QList<QByteArray>({simferopol, utc}));
        QCOMPARE(Catalogue::m_russianZoneIds({}), (QList<QByteArray>{simferopol, utc}));

        // A country list that already has them keeps one copy, Simferopol placed before Volgograd.
        const QList<QByteArray> withBoth =
            bytes({QStringLiteral("Europe/Simferopol"), QStringLiteral("Etc/UTC"), QStringLiteral("Europe/Ulyanovsk"), QStringLiteral("Europe/Volgograd")});
        QCOMPARE(
            Catalogue::m_russianZoneIds(withBoth),
            bytes({QStringLiteral("Etc/UTC"), QStringLiteral("Europe/Ulyanovsk"), QStringLiteral("Europe/Simferopol"), QStringLiteral("Europe/Volgograd")}));
    }

    void catalogueEntries()
    {
        Catalogue catalogue;
        const QStringList all = catalogue.allTimeZonesWithOffsets();
        QVERIFY(all.size() > 300);
        QVERIFY(all.contains(QStringLiteral("(UTC+03:00) Moscow Time;Europe/Moscow")));
        QVERIFY(all.contains(QStringLiteral("(UTC+05:45) Nepal Time;Asia/Kathmandu")));
        QVERIFY(all.contains(QStringLiteral("(UTC+10:00) Ust-Nera Time;Asia/Ust-Nera")));
        QVERIFY(all.contains(QStringLiteral("(UTC+00:00) Coordinated Universal Time;Etc/UTC")));
        // Zones newer than ICU's data, named after their place in ICU's pattern.
        QVERIFY(all.contains(QStringLiteral("(UTC-07:00) Ciudad Juarez Time;America/Ciudad_Juarez")));
        QVERIFY(all.contains(QStringLiteral("(UTC-03:00) Coyhaique Time;America/Coyhaique")));
        for (const QString &id : {QStringLiteral("America/New_York"),
                                  QStringLiteral("America/Argentina/Salta"),
                                  QStringLiteral("America/Port-au-Prince"),
                                  QStringLiteral("Asia/Ho_Chi_Minh")}) {
            QVERIFY2(std::any_of(all.cbegin(),
                                 all.cend(),
                                 [&id](const QString &entry) {
                                     return idOf(entry) == id;
                                 }),
                     qPrintable(id));
        }

        // Offset text, a space, a name, ";" and the id, in ascending offset order.
        const QRegularExpression shape(QStringLiteral("^\\(UTC([+-])(\\d\\d):(\\d\\d)\\) [^;]+;[A-Za-z_/-]+$"));
        int previous = std::numeric_limits<int>::min();
        for (const QString &entry : all) {
            const QRegularExpressionMatch match = shape.match(entry);
            QVERIFY2(match.hasMatch(), qPrintable(entry));
            // No name is a bare offset text, which could contradict the listed offset.
            QVERIFY2(!entry.contains(QLatin1String(") GMT")), qPrintable(entry));
            const int magnitude = match.captured(2).toInt() * 3600 + match.captured(3).toInt() * 60;
            const int offset = match.captured(1) == QLatin1String("-") ? -magnitude : magnitude;
            QVERIFY2(offset >= previous, qPrintable(entry));
            previous = offset;
        }

        // The getters hand out copies.
        QStringList copy = catalogue.allTimeZonesWithOffsets();
        copy.clear();
        QCOMPARE(catalogue.allTimeZonesWithOffsets(), all);
    }

    void russianList()
    {
        const QStringList russian = Catalogue().russianTimeZonesWithOffsets();
        QStringList ids;
        for (const QString &entry : russian) {
            ids.append(idOf(entry));
        }
        QStringList expected = {
            QStringLiteral("Asia/Barnaul"),       QStringLiteral("Asia/Tomsk"),       QStringLiteral("Europe/Astrakhan"),  QStringLiteral("Europe/Saratov"),
            QStringLiteral("Europe/Ulyanovsk"),   QStringLiteral("Europe/Kirov"),     QStringLiteral("Europe/Simferopol"), QStringLiteral("Europe/Moscow"),
            QStringLiteral("Europe/Kaliningrad"), QStringLiteral("Asia/Kamchatka"),   QStringLiteral("Asia/Anadyr"),       QStringLiteral("Asia/Srednekolymsk"),
            QStringLiteral("Asia/Vladivostok"),   QStringLiteral("Asia/Ust-Nera"),    QStringLiteral("Asia/Sakhalin"),     QStringLiteral("Asia/Magadan"),
            QStringLiteral("Asia/Yakutsk"),       QStringLiteral("Asia/Khandyga"),    QStringLiteral("Asia/Irkutsk"),      QStringLiteral("Asia/Chita"),
            QStringLiteral("Asia/Novokuznetsk"),  QStringLiteral("Asia/Krasnoyarsk"), QStringLiteral("Asia/Omsk"),         QStringLiteral("Asia/Novosibirsk"),
            QStringLiteral("Asia/Yekaterinburg"), QStringLiteral("Europe/Samara"),    QStringLiteral("Europe/Volgograd"),  QStringLiteral("Etc/UTC")};
        QStringList sortedIds = ids;
        sortedIds.sort();
        expected.sort();
        QCOMPARE(sortedIds, expected);

        // Simferopol enters right before Volgograd, so it comes right after it.
        const int volgograd = ids.indexOf(QStringLiteral("Europe/Volgograd"));
        QCOMPARE(
            ids.mid(volgograd, 4),
            QStringList(
                {QStringLiteral("Europe/Volgograd"), QStringLiteral("Europe/Simferopol"), QStringLiteral("Europe/Moscow"), QStringLiteral("Europe/Kirov")}));
        QCOMPARE(russian.at(volgograd + 1), QStringLiteral("(UTC+03:00) Simferopol Time;Europe/Simferopol"));
        QCOMPARE(
            russian.mid(0, 2),
            QStringList({QStringLiteral("(UTC+00:00) Coordinated Universal Time;Etc/UTC"), QStringLiteral("(UTC+02:00) Kaliningrad Time;Europe/Kaliningrad")}));
    }

    void searchExpressionMatchesStarts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("matches");
        const QString moscow = QStringLiteral("(UTC+03:00) Moscow Time;Europe/Moscow");
        const QString minsk = QStringLiteral("Europe/Minsk;(UTC+03:00) Belarus Time");
        const QString tonga = QStringLiteral("(UTC+13:00) Tonga Time;Pacific/Tongatapu");
        const QString tehran = QStringLiteral("(UTC+03:30) Iran Time;Asia/Tehran");
        const QString saoPaulo = QStringLiteral("(UTC-03:00) Brazil Time;America/Sao_Paulo");
        const QString tokyo = QStringLiteral("(UTC+09:00) Japan Time;Asia/Tokyo");
        const QString bogota = QStringLiteral("(UTC-05:00) Colombia Time;America/Bogota");
        const QString karachi = QStringLiteral("(UTC+05:00) Pakistan Time;Asia/Karachi");
        const QString kolkata = QStringLiteral("(UTC+05:30) India Time;Asia/Kolkata");
        const QString kathmandu = QStringLiteral("(UTC+05:45) Nepal Time;Asia/Kathmandu");
        const QString utc = QStringLiteral("(UTC+00:00) Coordinated Universal Time;Etc/UTC");

        QTest::newRow("nothing typed") << QString() << moscow << true;
        QTest::newRow("name") << QStringLiteral("mos") << moscow << true;
        QTest::newRow("inside a word") << QStringLiteral("oscow") << moscow << false;
        QTest::newRow("id") << QStringLiteral("europe/mos") << moscow << true;
        QTest::newRow("after UTC") << QStringLiteral("+") << moscow << true;
        QTest::newRow("after (") << QStringLiteral("(utc") << moscow << true;
        // Each part of an id starts a word, "_" counting as a blank.
        QTest::newRow("city of the id") << QStringLiteral("tokyo") << tokyo << true;
        QTest::newRow("blank for _") << QStringLiteral("sao paulo") << saoPaulo << true;
        QTest::newRow("_ typed") << QStringLiteral("Sao_Paulo") << saoPaulo << true;
        QTest::newRow("word after _") << QStringLiteral("paulo") << saoPaulo << true;
        QTest::newRow("slash inside the id") << QStringLiteral("/Moscow") << moscow << false;

        // Offsets, with or without a leading zero, "UTC" or "GMT": that offset only.
        QTest::newRow("+3") << QStringLiteral("+3") << moscow << true;
        QTest::newRow("+3, map line") << QStringLiteral("+3") << minsk << true;
        QTest::newRow("+3 is not +13") << QStringLiteral("+3") << tonga << false;
        QTest::newRow("+3 is not +3:30") << QStringLiteral("+3") << tehran << false;
        QTest::newRow("+03 is not +3:30") << QStringLiteral("+03") << tehran << false;
        QTest::newRow("+3 is not -3") << QStringLiteral("+3") << saoPaulo << false;
        QTest::newRow("UTC+3") << QStringLiteral("UTC+3") << moscow << true;
        QTest::newRow("utc+03") << QStringLiteral("utc+03") << moscow << true;
        QTest::newRow("GMT+3") << QStringLiteral("GMT+3") << moscow << true;
        QTest::newRow("gmt + 3") << QStringLiteral(" gmt + 3 ") << moscow << true;
        QTest::newRow("-5") << QStringLiteral("-5") << bogota << true;
        QTest::newRow("-5 is not +5") << QStringLiteral("-5") << karachi << false;
        QTest::newRow("utc-5") << QStringLiteral("utc-5") << bogota << true;
        QTest::newRow("unsigned, east") << QStringLiteral("5") << karachi << true;
        QTest::newRow("unsigned, west") << QStringLiteral("5") << bogota << true;
        QTest::newRow("5:30") << QStringLiteral("5:30") << kolkata << true;
        QTest::newRow("5:30 is not 5:00") << QStringLiteral("5:30") << karachi << false;
        QTest::newRow("+5:45") << QStringLiteral("+5:45") << kathmandu << true;
        QTest::newRow("+5 is not +5:45") << QStringLiteral("+5") << kathmandu << false;
        QTest::newRow("-0") << QStringLiteral("-0") << utc << true;
        QTest::newRow("hours out of range") << QStringLiteral("+25") << moscow << false;
        QTest::newRow("half-typed minutes") << QStringLiteral("+3:") << moscow << false;

        // Typed characters stand for themselves.
        QTest::newRow("dot") << QStringLiteral(".") << moscow << false;
        QTest::newRow("dot in a word") << QStringLiteral("M.scow") << moscow << false;
        QTest::newRow("alternation") << QStringLiteral("Mos|Ton") << moscow << false;
        QTest::newRow("group") << QStringLiteral("(a+)+b") << moscow << false;
        QTest::newRow("group, literal") << QStringLiteral("(a+)+b") << QStringLiteral("x (A+)+B") << true;
        QTest::newRow("parenthesis") << QStringLiteral("(") << moscow << true;
        QTest::newRow("bracket") << QStringLiteral("[") << moscow << false;
        QTest::newRow("backslash") << QStringLiteral("\\") << moscow << false;
        QTest::newRow("star") << QStringLiteral("*") << moscow << false;
        QTest::newRow("repeat") << QStringLiteral("{2}") << moscow << false;
    }

    void searchExpressionMatchesStarts()
    {
        QFETCH(QString, typed);
        QFETCH(QString, entry);
        QFETCH(bool, matches);
        const QRegularExpression expression = Catalogue(false).m_getStartsWithFilter(typed);
        QVERIFY(expression.isValid());
        QCOMPARE(expression.match(entry).hasMatch(), matches);
    }

    void zoneNamesInAnotherLanguage()
    {
        // A translation catalogue names the locale of the zone names through its "en_US"
        // message, as a shipped translation does.
        QTemporaryDir locales;
        QVERIFY(locales.isValid());
        QVERIFY(QDir(locales.path()).mkpath(QStringLiteral("ru/LC_MESSAGES")));
        QFile catalogueFile(locales.filePath(QStringLiteral("ru/LC_MESSAGES/kcm_orb_admin_date.mo")));
        QVERIFY(catalogueFile.open(QIODevice::WriteOnly));
        catalogueFile.write(
            machineObject({{QByteArray(), QByteArray("Content-Type: text/plain; charset=UTF-8\n")}, {QByteArray("en_US"), QByteArray("ru_RU")}}));
        catalogueFile.close();

        const QString englishName = BaseTimeZonesProvider::getZoneName(QStringLiteral("Europe/Moscow"));
        QCOMPARE(englishName, QStringLiteral("Moscow Time"));
        // Every name is ICU's, whether the zone is named after its country or its city.
        QCOMPARE(namesUnlikeIcus("en_US"), QStringList());

        KLocalizedString::addDomainLocaleDir("kcm_orb_admin_date", locales.path());
        KLocalizedString::setLanguages({QStringLiteral("ru")});
        // Names made anew for the new language, not the cached English ones.
        BaseTimeZonesProvider::makeZoneNames();
        const QString russianName = BaseTimeZonesProvider::getZoneName(QStringLiteral("Europe/Moscow"));
        const QString russianUnknown = BaseTimeZonesProvider::getZoneName(QStringLiteral("America/Ciudad_Juarez"));
        const QStringList russian = Catalogue().allTimeZonesWithOffsets();
        const QStringList russianUnlikeIcus = namesUnlikeIcus("ru_RU");
        KLocalizedString::clearLanguages();

        QCOMPARE(russianUnlikeIcus, QStringList());

        QCOMPARE(russianName, QStringLiteral("Москва"));
        // Russian names a place without a word around it.
        QCOMPARE(russianUnknown, QStringLiteral("Ciudad Juarez"));
        QVERIFY(russian.contains(QStringLiteral("(UTC+03:00) Москва;Europe/Moscow")));
        // Case-insensitive search works on the translated names too.
        QVERIFY(!russian.filter(Catalogue(false).m_getStartsWithFilter(QStringLiteral("моск"))).isEmpty());

        QCOMPARE(BaseTimeZonesProvider::getZoneName(QStringLiteral("Europe/Moscow")), englishName);
    }
};

QTEST_GUILESS_MAIN(TestTimeZonesCatalogue)
#include "test_timezonescatalogue.moc"
