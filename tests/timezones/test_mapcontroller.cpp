// The map's offset and band tables, the click hit test and the selection by zone.
// What a click should hit is worked out from the band pictures' own alpha, apart
// from the hit test pictures the controller builds.
#include "mapcontroller.h"
#include "qmltypes.h"

#include <QTimeZone>
#include <QtConcurrent>
#include <QtTest>

namespace {
const QSize s_mapSize(1771, 986);

QString url(const QString &file)
{
    return QStringLiteral("image://mapimages/content/") + file;
}

// Restores an environment variable when the test ends, however it ends.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_had) {
            qputenv(m_name, m_old);
        } else {
            qunsetenv(m_name);
        }
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};
}

class TestMapController : public QObject
{
    Q_OBJECT

    // Band offset -> its picture, as decoded from the file.
    QMap<int, QImage> m_pictures;

    // Offsets of the bands whose picture has alpha >= 128 at `pixel`, ascending.
    QList<int> bandsAt(const QPoint &pixel) const
    {
        QList<int> offsets;
        for (auto it = m_pictures.cbegin(); it != m_pictures.cend(); ++it) {
            if (it.value().valid(pixel) && qAlpha(it.value().pixel(pixel)) >= 128) {
                offsets << it.key();
            }
        }
        return offsets;
    }

    // The first pixel, row by row, in at least `count` bands (exactly, when `exact`).
    QPoint findPixel(int count, bool exact) const
    {
        for (int y = 0; y < s_mapSize.height(); y += 3) {
            for (int x = 0; x < s_mapSize.width(); x += 3) {
                const int n = bandsAt(QPoint(x, y)).size();
                if (exact ? n == count : n >= count) {
                    return QPoint(x, y);
                }
            }
        }
        return QPoint(-1, -1);
    }

    static int indexOfOffset(int offset)
    {
        const auto zones = MapController::timeZones();
        for (int i = 0; i < zones.size(); ++i) {
            if (zones.at(i).offset == offset) {
                return i;
            }
        }
        return -1;
    }

    // A click on picture pixel `p` of a map item exactly as large as the picture.
    static void click(MapController &controller, const QPoint &p)
    {
        controller.setSelectedTimeZone(p.x(), p.y(), s_mapSize.width(), s_mapSize.height(), 0, 0);
    }

    static int currentOffset(const char *zone)
    {
        return QTimeZone(zone).offsetFromUtc(QDateTime::currentDateTime());
    }

private Q_SLOTS:
    void initTestCase()
    {
        initOrbAdminDateResources();
        MapController::loadImages();
        const QMap<int, QString> offsets = MapController::offsets();
        for (auto it = offsets.cbegin(); it != offsets.cend(); ++it) {
            m_pictures.insert(it.key(), QImage(it.value()).convertToFormat(QImage::Format_ARGB32));
            QVERIFY2(!m_pictures.last().isNull(), qPrintable(it.value()));
        }
    }

    void offsetTable()
    {
        MapController controller;
        const QMap<int, QString> offsets = MapController::offsets();
        QCOMPARE(offsets.size(), 32);
        QCOMPARE(offsets.firstKey(), -39600);
        QCOMPARE(offsets.value(-34200), QStringLiteral(":/content/-09_30.png"));
        QCOMPARE(controller.getPathToTimeZoneImage(19800), url(QStringLiteral("+05_30.png")));
        QCOMPARE(controller.getPathToTimeZoneImage(0), url(QStringLiteral("+00_00.png")));
        QCOMPARE(controller.getPathToTimeZoneImage(43200), url(QStringLiteral("+12_00.png")));
        QCOMPARE(controller.getPathToMap(), url(QStringLiteral("all.png")));

        // +05:45 has no band, and asking for it must not make one.
        QCOMPARE(controller.getPathToTimeZoneImage(20700), QStringLiteral("image://mapimages"));
        QCOMPARE(MapController::offsets(), offsets);
    }

    void chathamFollowsDaylightTime()
    {
        if (!QTimeZone(QByteArrayLiteral("Pacific/Chatham")).isValid()) {
            QSKIP("the zone database lacks Pacific/Chatham");
        }
        MapController controller;
        // January is summer on the Chatham Islands: +13:45.
        MapController::m_fillOffsets(QDateTime(QDate(2025, 1, 15), QTime(12, 0), Qt::UTC));
        QCOMPARE(controller.getPathToTimeZoneImage(49500), url(QStringLiteral("+12_45.png")));
        QCOMPARE(controller.getPathToTimeZoneImage(45900), QStringLiteral("image://mapimages"));
        QCOMPARE(MapController::offsets().size(), 32);

        MapController::m_fillOffsets(QDateTime(QDate(2025, 7, 15), QTime(12, 0), Qt::UTC));
        QCOMPARE(controller.getPathToTimeZoneImage(45900), url(QStringLiteral("+12_45.png")));
        QCOMPARE(controller.getPathToTimeZoneImage(49500), QStringLiteral("image://mapimages"));

        // Loading keys the band by today's offset, and a click there selects Chatham.
        MapController::loadImages();
        const int now = currentOffset("Pacific/Chatham");
        QCOMPARE(controller.getPathToTimeZoneImage(now), url(QStringLiteral("+12_45.png")));
        const int index = indexOfOffset(now);
        QVERIFY(index >= 0);
        QCOMPARE(MapController::timeZones().at(index).zoneName, QStringLiteral("Pacific/Chatham"));
    }

    // An offset no zone has today (Chatham's other one) loses its band in both tables.
    void offsetWithoutZoneIsDropped()
    {
        const QTimeZone chatham(QByteArrayLiteral("Pacific/Chatham"));
        if (!chatham.isValid()) {
            QSKIP("the zone database lacks Pacific/Chatham");
        }
        const QDateTime january(QDate(2025, 1, 15), QTime(12, 0), Qt::UTC);
        const QDateTime july(QDate(2025, 7, 15), QTime(12, 0), Qt::UTC);
        const int today = currentOffset("Pacific/Chatham");
        const QDateTime other = chatham.offsetFromUtc(january) == today ? july : january;
        const int stale = chatham.offsetFromUtc(other);
        QVERIFY(stale != today);

        QTest::ignoreMessage(
            QtWarningMsg, qPrintable(QStringLiteral("static void MapController::loadImages() No corresponding time zone found  offset =  %1").arg(stale)));
        MapController::m_loadImages(false, other);
        QCOMPARE(MapController::timeZones().size(), 31);
        QVERIFY(!MapController::offsets().contains(stale));
        QCOMPARE(indexOfOffset(stale), -1);
        MapController controller;
        QCOMPARE(controller.getPathToTimeZoneImage(stale), QStringLiteral("image://mapimages"));
        controller.setSelectedTimeZone(QStringLiteral("Pacific/Chatham"));
        QCOMPARE(controller.getSelectedTimeZone(), -1);

        MapController::loadImages();
        QCOMPARE(MapController::timeZones().size(), 32);
    }

    void bandTable()
    {
        const QVector<MapController::MapTimeZone> zones = MapController::timeZones();
        QCOMPARE(zones.size(), 32);
        const QList<QByteArray> russian = QTimeZone::availableTimeZoneIds(QLocale::Russia);
        QSet<int> russianOffsets;
        for (const QByteArray &id : russian) {
            russianOffsets.insert(QTimeZone(id).offsetFromUtc(QDateTime::currentDateTime()));
        }
        for (int i = 0; i < zones.size(); ++i) {
            const MapController::MapTimeZone &zone = zones.at(i);
            QCOMPARE(zone.offset, MapController::offsets().keys().at(i));
            QCOMPARE(zone.image.size(), s_mapSize);
            QCOMPARE(zone.image.format(), QImage::Format_Indexed8);
            QVERIFY2(!zone.zoneName.isEmpty(), qPrintable(QString::number(zone.offset)));
            QCOMPARE(QTimeZone(zone.zoneName.toUtf8()).offsetFromUtc(QDateTime::currentDateTime()), zone.offset);
            if (russianOffsets.contains(zone.offset)) {
                QVERIFY2(russian.contains(zone.zoneName.toUtf8()), qPrintable(zone.zoneName));
            }
        }
        QCOMPARE(zones.at(indexOfOffset(0)).zoneName, QStringLiteral("Etc/UTC"));
        QVERIFY(russian.contains(zones.at(indexOfOffset(10800)).zoneName.toUtf8()));
    }

    // One task per picture gives the very table the sequential load gives.
    void fanOutBuildsTheSameTable()
    {
        MapController::m_loadImages(false);
        const QVector<MapController::MapTimeZone> sequential = MapController::timeZones();
        MapController::m_loadImages(true);
        const QVector<MapController::MapTimeZone> fannedOut = MapController::timeZones();
        QCOMPARE(fannedOut.size(), sequential.size());
        for (int i = 0; i < sequential.size(); ++i) {
            QCOMPARE(fannedOut.at(i).offset, sequential.at(i).offset);
            QCOMPARE(fannedOut.at(i).zoneName, sequential.at(i).zoneName);
            QVERIFY(!fannedOut.at(i).image.isNull());
            QVERIFY(fannedOut.at(i).image == sequential.at(i).image);
        }
    }

    void letterbox_data()
    {
        QTest::addColumn<QPoint>("click");
        QTest::addColumn<QRect>("item");
        QTest::addColumn<QPoint>("pixel");
        const QPoint outside(-1, -1);
        // Painted 1000 x 556 from row 222 to 777.
        const QRect square(0, 0, 1000, 1000);
        QTest::newRow("square, centre") << QPoint(500, 500) << square << QPoint(886, 492);
        QTest::newRow("square, top row") << QPoint(0, 222) << square << QPoint(0, 0);
        QTest::newRow("square, above") << QPoint(500, 221) << square << outside;
        QTest::newRow("square, bottom row") << QPoint(999, 777) << square << QPoint(1769, 983);
        QTest::newRow("square, below") << QPoint(500, 778) << square << outside;
        QTest::newRow("square, right of it") << QPoint(1000, 500) << square << outside;
        // Painted 898 x 500 from column 551 to 1448.
        const QRect wide(0, 0, 2000, 500);
        QTest::newRow("wide, left margin") << QPoint(550, 250) << wide << outside;
        QTest::newRow("wide, left column") << QPoint(551, 250) << wide << QPoint(0, 493);
        QTest::newRow("wide, right column") << QPoint(1448, 0) << wide << QPoint(1769, 0);
        QTest::newRow("wide, right margin") << QPoint(1449, 250) << wide << outside;
        // The item's position moves the painted map with it.
        const QRect moved(100, 50, 1771, 986);
        QTest::newRow("moved, corner") << QPoint(100, 50) << moved << QPoint(0, 0);
        QTest::newRow("moved, far corner") << QPoint(1870, 1035) << moved << QPoint(1770, 985);
        QTest::newRow("moved, before it") << QPoint(99, 50) << moved << outside;
        QTest::newRow("left of the parent") << QPoint(-1, 0) << QRect(-1, 0, 1771, 986) << QPoint(0, 0);
        QTest::newRow("empty item") << QPoint(0, 0) << QRect(0, 0, 0, 0) << outside;
    }

    void letterbox()
    {
        QFETCH(QPoint, click);
        QFETCH(QRect, item);
        QFETCH(QPoint, pixel);
        QCOMPARE(MapController::m_mapToPicture(click.x(), click.y(), item.width(), item.height(), item.x(), item.y(), s_mapSize), pixel);
    }

    void noMapNothingHit()
    {
        QCOMPARE(MapController::m_mapToPicture(10, 10, 100, 100, 0, 0, QSize()), QPoint(-1, -1));
    }

    // The 1000 x 1000 item: (500, 500) tests picture pixel (886, 492); the margins nothing.
    void clickInSquareItem()
    {
        const QList<int> expected = bandsAt(QPoint(886, 492));
        QVERIFY(!expected.isEmpty());
        MapController controller;
        QSignalSpy spy(&controller, &MapController::selectedChanged);
        controller.setSelectedTimeZone(500, 221, 1000, 1000, 0, 0);
        controller.setSelectedTimeZone(500, 778, 1000, 1000, 0, 0);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(controller.getSelectedTimeZone(), -1);

        controller.setSelectedTimeZone(500, 500, 1000, 1000, 0, 0);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(controller.getSelectedTimeZone(), indexOfOffset(expected.first()));
        QCOMPARE(spy.takeFirst().at(0).toString(), controller.getPathToTimeZoneImage(expected.first()));
        QCOMPARE(controller.getSelectedTimeZoneName(), MapController::timeZones().at(controller.getSelectedTimeZone()).zoneName);

        // Beside the painted map of a wide item: nothing changes.
        controller.setSelectedTimeZone(550, 250, 2000, 500, 0, 0);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(controller.getSelectedTimeZone(), indexOfOffset(expected.first()));
    }

    // Where bands overlap, clicks alternate between the two lowest offsets.
    void overlappingBandsAlternate()
    {
        QPoint spot = findPixel(3, false);
        if (spot.x() < 0) {
            spot = findPixel(2, false);
        }
        QVERIFY(spot.x() >= 0);
        const QList<int> bands = bandsAt(spot);
        MapController controller;
        QSignalSpy spy(&controller, &MapController::selectedChanged);
        for (int i = 0; i < 4; ++i) {
            click(controller, spot);
            const int offset = bands.at(i % 2);
            QCOMPARE(controller.getSelectedTimeZone(), indexOfOffset(offset));
            QCOMPARE(spy.count(), i + 1);
            QCOMPARE(spy.last().at(0).toString(), controller.getPathToTimeZoneImage(offset));
        }
    }

    void clickInsideSelectedBandAlone()
    {
        const QPoint moscow(1070, 288);
        QCOMPARE(bandsAt(moscow), QList<int>{10800});
        MapController controller;
        QSignalSpy spy(&controller, &MapController::selectedChanged);
        click(controller, moscow);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.takeFirst().at(0).toString(), url(QStringLiteral("+03_00.png")));
        const int index = controller.getSelectedTimeZone();
        const QString name = controller.getSelectedTimeZoneName();
        QCOMPARE(index, indexOfOffset(10800));

        click(controller, moscow);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(controller.getSelectedTimeZone(), index);
        QCOMPARE(controller.getSelectedTimeZoneName(), name);
    }

    void clickInNoBand()
    {
        const QPoint nowhere = findPixel(0, true);
        QVERIFY(nowhere.x() >= 0);
        MapController controller;
        controller.setSelectedTimeZone(QStringLiteral("Europe/Moscow"));
        QSignalSpy spy(&controller, &MapController::selectedChanged);
        click(controller, nowhere);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(controller.getSelectedTimeZone(), indexOfOffset(10800));
    }

    void offsetZeroSelectsUtc()
    {
        const QPoint gulfOfGuinea(885, 632);
        QCOMPARE(bandsAt(gulfOfGuinea), QList<int>{0});
        MapController controller;
        QSignalSpy spy(&controller, &MapController::selectedChanged);
        click(controller, gulfOfGuinea);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), url(QStringLiteral("+00_00.png")));
        QCOMPARE(controller.getSelectedTimeZoneName(), QStringLiteral("Etc/UTC"));
    }

    void selectionByZone()
    {
        MapController controller;
        QSignalSpy spy(&controller, &MapController::selectedChanged);

        controller.setSelectedTimeZone(QStringLiteral("Europe/Moscow"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.takeFirst().at(0).toString(), url(QStringLiteral("+03_00.png")));
        const int moscow = controller.getSelectedTimeZone();
        QCOMPARE(moscow, indexOfOffset(10800));

        // Another zone of the same offset: the band stays, the name follows.
        controller.setSelectedTimeZone(QStringLiteral("Europe/Simferopol"));
        QCOMPARE(spy.count(), 0);
        QCOMPARE(controller.getSelectedTimeZone(), moscow);
        QCOMPARE(controller.getSelectedTimeZoneName(), QStringLiteral("Europe/Simferopol"));

        // +05:45 has no band: the highlight goes, once.
        controller.setSelectedTimeZone(QStringLiteral("Asia/Kathmandu"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.takeFirst().at(0).toString(), QString());
        QCOMPARE(controller.getSelectedTimeZone(), -1);
        QCOMPARE(controller.getSelectedTimeZoneName(), QStringLiteral("Asia/Kathmandu"));
        controller.setSelectedTimeZone(QStringLiteral("Asia/Kathmandu"));
        QCOMPARE(spy.count(), 0);
        QCOMPARE(controller.getSelectedTimeZone(), -1);

        controller.setSelectedTimeZone(QStringLiteral("Asia/Kolkata"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.takeFirst().at(0).toString(), url(QStringLiteral("+05_30.png")));
        QCOMPARE(controller.getSelectedTimeZone(), indexOfOffset(19800));
    }

    // The selection by zone follows the zone's offset today (daylight time included).
    void selectionByZoneUsesTodaysOffset()
    {
        MapController controller;
        controller.setSelectedTimeZone(QStringLiteral("America/New_York"));
        QCOMPARE(controller.getSelectedTimeZone(), indexOfOffset(currentOffset("America/New_York")));
        QVERIFY(controller.getSelectedTimeZone() >= 0);
    }

    void loadTakesTheSystemZone()
    {
        MapController controller;
        QSignalSpy spy(&controller, &MapController::selectedChanged);
        {
            ScopedEnvironment tz("TZ", "Europe/Moscow");
            QCOMPARE(controller.getSystemTimeZoneName(), QStringLiteral("Europe/Moscow"));
            controller.load();
            QCOMPARE(controller.getSavedTimeZoneName(), QStringLiteral("Europe/Moscow"));
            QCOMPARE(controller.getSelectedTimeZoneName(), QStringLiteral("Europe/Moscow"));
            QCOMPARE(controller.getSavedTimeZoneIndex(), indexOfOffset(10800));
            QCOMPARE(controller.getSelectedTimeZone(), indexOfOffset(10800));
            QCOMPARE(spy.count(), 1);
            QCOMPARE(spy.takeFirst().at(0).toString(), url(QStringLiteral("+03_00.png")));

            // Nothing changed: nothing to tell.
            controller.setSelectedTimeZone(QStringLiteral("Europe/Kirov"));
            controller.load();
            QCOMPARE(spy.count(), 0);
            QCOMPARE(controller.getSelectedTimeZoneName(), QStringLiteral("Europe/Moscow"));
        }
        {
            ScopedEnvironment tz("TZ", "Asia/Kathmandu");
            controller.load();
            QCOMPARE(controller.getSavedTimeZoneName(), QStringLiteral("Asia/Kathmandu"));
            QCOMPARE(controller.getSavedTimeZoneIndex(), -1);
            QCOMPARE(controller.getSelectedTimeZone(), -1);
            QCOMPARE(spy.count(), 1);
            QCOMPARE(spy.takeFirst().at(0).toString(), QStringLiteral("image://mapimages"));
        }
    }

    // The tables belong to the process: a controller going away leaves the others
    // (and the ones made later) a map that can be clicked.
    void destroyingAControllerKeepsTheTables()
    {
        const QPoint moscow(1070, 288);
        auto *first = new MapController;
        MapController second;
        delete first;
        QCOMPARE(MapController::timeZones().size(), 32);
        QCOMPARE(MapController::offsets().size(), 32);

        QSignalSpy spy(&second, &MapController::selectedChanged);
        click(second, moscow);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(second.getSelectedTimeZone(), indexOfOffset(10800));

        MapController third;
        third.setSelectedTimeZone(QStringLiteral("Asia/Kolkata"));
        QCOMPARE(third.getSelectedTimeZone(), indexOfOffset(19800));
        QCOMPARE(third.getPathToTimeZoneImage(19800), url(QStringLiteral("+05_30.png")));
    }

    // Another module object reloads the pictures in the background while this
    // page is in use: every click still meets a whole table.
    void reloadWhileInUse()
    {
        const QPoint moscow(1070, 288);
        const QPoint gulfOfGuinea(885, 632);
        MapController controller;
        QFuture<void> reload = QtConcurrent::run(&MapController::loadImages);
        int clicks = 0;
        do {
            click(controller, (clicks % 2) ? moscow : gulfOfGuinea);
            QCOMPARE(controller.getSelectedTimeZoneName(), MapController::timeZones().at(indexOfOffset((clicks % 2) ? 10800 : 0)).zoneName);
            MapController other;
            QCOMPARE(other.getPathToTimeZoneImage(19800), url(QStringLiteral("+05_30.png")));
            ++clicks;
        } while (!reload.isFinished());
        reload.waitForFinished();
        QVERIFY(clicks > 0);
        QCOMPARE(MapController::timeZones().size(), 32);
    }
};

QTEST_GUILESS_MAIN(TestMapController)
#include "test_mapcontroller.moc"
