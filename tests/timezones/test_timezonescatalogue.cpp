#include "basetimezonesprovider.h"
#include "timezonessorter.h"

#include <KLocalizedString>

#include <QDir>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <algorithm>

namespace {
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
}

class TestTimeZonesCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
        const QMultiMap<int, QString> sorted
            = TimeZonesSorter::sort(bytes({QStringLiteral("Asia/Tokyo"), QStringLiteral("Europe/Kirov"), QStringLiteral("America/Sao_Paulo"),
                QStringLiteral("Europe/Moscow"), QStringLiteral("Abc/Unknown"), QStringLiteral("Etc/GMT+5"), QStringLiteral("Xyz/Unknown")}));
        QCOMPARE(sorted.keys(), QList<int>({-10800, 0, 0, 10800, 10800, 32400}));
        // Within one offset the later input comes first; unknown ids sit at offset 0.
        QCOMPARE(sorted.values(),
            QStringList({QStringLiteral("America/Sao_Paulo"), QStringLiteral("Xyz/Unknown"), QStringLiteral("Abc/Unknown"), QStringLiteral("Europe/Moscow"),
                QStringLiteral("Europe/Kirov"), QStringLiteral("Asia/Tokyo")}));
    }

    void systemZoneJoinsTheAllZonesIds()
    {
        const QList<QByteArray> available = bytes({QStringLiteral("Europe/Berlin"), QStringLiteral("Europe/Moscow")});
        QCOMPARE(Catalogue::m_allZoneIds(available, "Europe/Moscow"), available);
        QCOMPARE(Catalogue::m_allZoneIds(available, "Abc/Def"), available + bytes({QStringLiteral("Abc/Def")}));
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

        const auto firstAtZero
            = std::find_if(withUnknown.cbegin(), withUnknown.cend(), [](const QString &entry) { return entry.startsWith(QLatin1String("(UTC+00:00) ")); });
        QVERIFY(firstAtZero != withUnknown.cend());
        QCOMPARE(idOf(*firstAtZero), QStringLiteral("Abc/Def"));
        QCOMPARE(withUnknown.size(), withKnown.size() + 1);

        QCOMPARE(withKnown.filter(QRegularExpression(QStringLiteral(";Europe/Moscow$"))).size(), 1);
    }

    void simferopolJoinsTheRussianIds()
    {
        const QByteArray simferopol("Europe/Simferopol");
        const QList<QByteArray> withVolgograd = bytes({QStringLiteral("Europe/Kirov"), QStringLiteral("Europe/Volgograd"), QStringLiteral("Europe/Zzz")});
        QCOMPARE(Catalogue::m_russianZoneIds(withVolgograd),
            bytes({QStringLiteral("Europe/Kirov"), QStringLiteral("Europe/Simferopol"), QStringLiteral("Europe/Volgograd"), QStringLiteral("Europe/Zzz")}));

        // Without Volgograd it still belongs to the list: last.
        const QList<QByteArray> withoutVolgograd = bytes({QStringLiteral("Europe/Kirov"), QStringLiteral("Europe/Moscow")});
        QCOMPARE(Catalogue::m_russianZoneIds(withoutVolgograd), withoutVolgograd + QList<QByteArray>{simferopol});
        QCOMPARE(Catalogue::m_russianZoneIds({}), QList<QByteArray>{simferopol});

        // A country list that already has it keeps one copy, placed before Volgograd.
        const QList<QByteArray> withBoth = bytes({QStringLiteral("Europe/Simferopol"), QStringLiteral("Europe/Ulyanovsk"), QStringLiteral("Europe/Volgograd")});
        QCOMPARE(Catalogue::m_russianZoneIds(withBoth),
            bytes({QStringLiteral("Europe/Ulyanovsk"), QStringLiteral("Europe/Simferopol"), QStringLiteral("Europe/Volgograd")}));
    }

    void catalogueEntries()
    {
        Catalogue catalogue;
        const QStringList all = catalogue.allTimeZonesWithOffsets();
        QVERIFY(all.size() > 300);
        QVERIFY(all.contains(QStringLiteral("(UTC+03:00) Moscow Time;Europe/Moscow")));
        QVERIFY(all.contains(QStringLiteral("(UTC+05:45) Nepal Time;Asia/Kathmandu")));
        QVERIFY(all.contains(QStringLiteral("(UTC+10:00) Ust-Nera Time;Asia/Ust-Nera")));
        for (const QString &id : {QStringLiteral("America/New_York"), QStringLiteral("America/Argentina/Salta"), QStringLiteral("America/Port-au-Prince"),
                 QStringLiteral("Asia/Ho_Chi_Minh")}) {
            QVERIFY2(std::any_of(all.cbegin(), all.cend(), [&id](const QString &entry) { return idOf(entry) == id; }), qPrintable(id));
        }

        // Offset text, a space, a name, ";" and the id, in ascending offset order.
        const QRegularExpression shape(QStringLiteral("^\\(UTC([+-])(\\d\\d):(\\d\\d)\\) [^;]+;[A-Za-z_/-]+$"));
        int previous = std::numeric_limits<int>::min();
        for (const QString &entry : all) {
            const QRegularExpressionMatch match = shape.match(entry);
            QVERIFY2(match.hasMatch(), qPrintable(entry));
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
        QStringList expected = {QStringLiteral("Asia/Barnaul"), QStringLiteral("Asia/Tomsk"), QStringLiteral("Europe/Astrakhan"),
            QStringLiteral("Europe/Saratov"), QStringLiteral("Europe/Ulyanovsk"), QStringLiteral("Europe/Kirov"), QStringLiteral("Europe/Simferopol"),
            QStringLiteral("Europe/Moscow"), QStringLiteral("Europe/Kaliningrad"), QStringLiteral("Asia/Kamchatka"), QStringLiteral("Asia/Anadyr"),
            QStringLiteral("Asia/Srednekolymsk"), QStringLiteral("Asia/Vladivostok"), QStringLiteral("Asia/Ust-Nera"), QStringLiteral("Asia/Sakhalin"),
            QStringLiteral("Asia/Magadan"), QStringLiteral("Asia/Yakutsk"), QStringLiteral("Asia/Khandyga"), QStringLiteral("Asia/Irkutsk"),
            QStringLiteral("Asia/Chita"), QStringLiteral("Asia/Novokuznetsk"), QStringLiteral("Asia/Krasnoyarsk"), QStringLiteral("Asia/Omsk"),
            QStringLiteral("Asia/Novosibirsk"), QStringLiteral("Asia/Yekaterinburg"), QStringLiteral("Europe/Samara"), QStringLiteral("Europe/Volgograd")};
        QStringList sortedIds = ids;
        sortedIds.sort();
        expected.sort();
        QCOMPARE(sortedIds, expected);

        // Simferopol enters right before Volgograd, so it comes right after it.
        const int volgograd = ids.indexOf(QStringLiteral("Europe/Volgograd"));
        QCOMPARE(ids.mid(volgograd, 4),
            QStringList(
                {QStringLiteral("Europe/Volgograd"), QStringLiteral("Europe/Simferopol"), QStringLiteral("Europe/Moscow"), QStringLiteral("Europe/Kirov")}));
        QCOMPARE(russian.at(volgograd + 1), QStringLiteral("(UTC+03:00) Simferopol Time;Europe/Simferopol"));
        QCOMPARE(russian.first(), QStringLiteral("(UTC+02:00) Kaliningrad Time;Europe/Kaliningrad"));
    }

    void searchExpressionMatchesStarts()
    {
        const Catalogue catalogue(false);
        const QString moscow = QStringLiteral("(UTC+03:00) Moscow Time;Europe/Moscow");
        const QString tongatapu = QStringLiteral("(UTC+13:00) Tonga Time;Pacific/Tongatapu");
        auto matches = [&catalogue](const QString &typed, const QString &entry) {
            const QRegularExpression expression = catalogue.m_getStartsWithFilter(typed);
            return expression.isValid() && expression.match(entry).hasMatch();
        };

        QCOMPARE(catalogue.m_getStartsWithFilter(QString()).pattern(), QStringLiteral("(^|[ ,;(]|UTC)"));
        QVERIFY(matches(QString(), moscow));
        QVERIFY(matches(QStringLiteral("+03"), moscow));
        QVERIFY(!matches(QStringLiteral("+03"), tongatapu));
        QVERIFY(!matches(QStringLiteral("+3"), moscow));
        QVERIFY(matches(QStringLiteral("utc+03"), moscow));
        QVERIFY(matches(QStringLiteral("mos"), moscow));
        QVERIFY(matches(QStringLiteral("europe/mos"), moscow));
        QVERIFY(!matches(QStringLiteral("oscow"), moscow));
        QVERIFY(!matches(QStringLiteral("/Moscow"), moscow));
        QVERIFY(matches(QStringLiteral("(utc"), moscow));

        // Typed characters stand for themselves.
        QVERIFY(!matches(QStringLiteral("."), moscow));
        QVERIFY(!matches(QStringLiteral("M.scow"), moscow));
        QVERIFY(!matches(QStringLiteral("Mos|Ton"), moscow));
        QVERIFY(!matches(QStringLiteral("(a+)+b"), moscow));
        QVERIFY(matches(QStringLiteral("(a+)+b"), QStringLiteral("x (A+)+B")));
        for (const QString &typed :
            {QStringLiteral("("), QStringLiteral("["), QStringLiteral("\\"), QStringLiteral("*"), QStringLiteral("?"), QStringLiteral("{2}")}) {
            QVERIFY2(catalogue.m_getStartsWithFilter(typed).isValid(), qPrintable(typed));
        }
        QVERIFY(matches(QStringLiteral("("), moscow));
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

        KLocalizedString::addDomainLocaleDir("kcm_orb_admin_date", locales.path());
        KLocalizedString::setLanguages({QStringLiteral("ru")});
        // Names made in the background for the new language, not the cached English ones.
        BaseTimeZonesProvider::preloadZoneNames();
        const QString russianName = BaseTimeZonesProvider::getZoneName(QStringLiteral("Europe/Moscow"));
        const QStringList russian = Catalogue().allTimeZonesWithOffsets();
        KLocalizedString::clearLanguages();

        QCOMPARE(russianName, QStringLiteral("Москва"));
        QVERIFY(russian.contains(QStringLiteral("(UTC+03:00) Москва;Europe/Moscow")));
        // Case-insensitive search works on the translated names too.
        QVERIFY(!russian.filter(Catalogue(false).m_getStartsWithFilter(QStringLiteral("моск"))).isEmpty());

        QCOMPARE(BaseTimeZonesProvider::getZoneName(QStringLiteral("Europe/Moscow")), englishName);
    }
};

QTEST_GUILESS_MAIN(TestTimeZonesCatalogue)
#include "test_timezonescatalogue.moc"
