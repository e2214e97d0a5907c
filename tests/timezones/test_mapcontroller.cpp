// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The map's offset and band tables, the click hit test and the selection by zone.
// What a click should hit is worked out from the band pictures' own alpha, apart
// from the hit test pictures the controller builds.
#include "mapcontroller.h"
#include "qmltypes.h"
#include "zonelocations.h"

#include <QTimeZone>
#include <QtConcurrent>
#include <QtTest>

namespace
{
const QSize s_mapSize(1771, 986);
// Fixed moments: nothing here may depend on the day the test runs.
const QDateTime s_january(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);
const QDateTime s_july(QDate(2026, 7, 15), QTime(12, 0), Qt::UTC);

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

    // The picture pixel of a place.
    static QPoint pixelOf(double lon, double lat)
    {
        const QPointF point = ZoneLocations::project(lon, lat, s_mapSize);
        return QPoint(int(point.x()), int(point.y()));
    }

private Q_SLOTS:
    void initTestCase()
    {
        initOrbAdminDateResources();
        MapController::m_loadImages(false, s_january);
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

    // Bands are keyed by standard offset: the same table, with every band, in
    // January and in July, and a zone in daylight time still lights its own band.
    void bandsKeepTheirKeysAllYear()
    {
        for (const QDateTime &at : {s_july, s_january}) {
            MapController::m_loadImages(false, at);
            QCOMPARE(MapController::timeZones().size(), 32);
            QCOMPARE(MapController::offsets().lastKey(), 45900);
            MapController controller;
            QCOMPARE(controller.getPathToTimeZoneImage(45900), url(QStringLiteral("+12_45.png")));
            QCOMPARE(controller.getPathToTimeZoneImage(49500), QStringLiteral("image://mapimages"));
            controller.setSelectedTimeZone(QStringLiteral("Pacific/Chatham"));
            QCOMPARE(controller.getSelectedTimeZone(), indexOfOffset(45900));
            controller.setSelectedTimeZone(QStringLiteral("America/New_York"));
            QCOMPARE(controller.getSelectedTimeZone(), indexOfOffset(-18000));
            ScopedEnvironment tz("TZ", "Australia/Sydney");
            QCOMPARE(controller.getSavedTimeZoneIndex(), indexOfOffset(36000));
        }
    }

    void bandTable()
    {
        const QVector<MapController::MapTimeZone> zones = MapController::timeZones();
        QCOMPARE(zones.size(), 32);
        for (int i = 0; i < zones.size(); ++i) {
            const MapController::MapTimeZone &zone = zones.at(i);
            QCOMPARE(zone.offset, MapController::offsets().keys().at(i));
            QCOMPARE(zone.mask.size(), s_mapSize);
            QVERIFY2(!zone.zoneName.isEmpty(), qPrintable(QString::number(zone.offset)));
            QCOMPARE(MapController::m_standardOffset(zone.zoneName.toUtf8(), 2026), zone.offset);
            QVERIFY2(!zone.places.isEmpty(), qPrintable(QString::number(zone.offset)));
            for (int k = 0; k < zone.places.size(); ++k) {
                QCOMPARE(MapController::m_standardOffset(zone.places.at(k).zoneName.toUtf8(), 2026), zone.offset);
                QVERIFY(k == 0 || zone.places.at(k - 1).location.y() <= zone.places.at(k).location.y());
            }
        }
    }

    // One task per picture gives the very table the sequential load gives.
    void fanOutBuildsTheSameTable()
    {
        MapController::m_loadImages(false, s_january);
        const QVector<MapController::MapTimeZone> sequential = MapController::timeZones();
        MapController::m_loadImages(true, s_january);
        const QVector<MapController::MapTimeZone> fannedOut = MapController::timeZones();
        QCOMPARE(fannedOut.size(), sequential.size());
        for (int i = 0; i < sequential.size(); ++i) {
            QCOMPARE(fannedOut.at(i).offset, sequential.at(i).offset);
            QCOMPARE(fannedOut.at(i).zoneName, sequential.at(i).zoneName);
            QVERIFY(!fannedOut.at(i).mask.isNull());
            QVERIFY(fannedOut.at(i).mask == sequential.at(i).mask);
            QCOMPARE(fannedOut.at(i).places.size(), sequential.at(i).places.size());
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
            // What the pointer's tooltip names is what the click then selects.
            const QString announced = controller.zoneAt(spot.x(), spot.y(), s_mapSize.width(), s_mapSize.height(), 0, 0);
            click(controller, spot);
            QCOMPARE(controller.getSelectedTimeZoneName(), announced);
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

    // A click on a city selects the city's own zone, whatever the season.
    void citiesSelectTheirOwnZones()
    {
        struct City {
            const char *zone;
            double lon;
            double lat;
        };
        const City cities[] = {
            {"America/New_York", -74.006, 40.7128},
            {"America/Chicago", -87.6298, 41.8781},
            {"Europe/London", -0.1276, 51.5072},
            {"Europe/Paris", 2.3522, 48.8566},
            {"Europe/Berlin", 13.405, 52.52},
            {"Africa/Cairo", 31.2357, 30.0444},
            {"Europe/Moscow", 37.6173, 55.7558},
            {"Asia/Kolkata", 88.3639, 22.5726},
            {"Asia/Shanghai", 121.4737, 31.2304},
            {"Asia/Tokyo", 139.6917, 35.6895},
            {"Australia/Sydney", 151.2093, -33.8688},
            {"Pacific/Auckland", 174.7633, -36.8485},
            // West of the date line: the nearest zone is across it, not Wallis.
            {"Pacific/Fiji", -179.5, -16.5},
        };
        for (const QDateTime &at : {s_july, s_january}) {
            MapController::m_loadImages(false, at);
            for (const City &city : cities) {
                MapController controller;
                click(controller, pixelOf(city.lon, city.lat));
                QVERIFY2(controller.getSelectedTimeZoneName() == QLatin1String(city.zone),
                         qPrintable(QStringLiteral("%1 in %2: %3").arg(QLatin1String(city.zone), at.toString(), controller.getSelectedTimeZoneName())));
            }
        }
    }

    // Inside the selected band alone a click moves to the place clicked, without
    // changing the highlight.
    void clickMovesWithinTheSelectedBand()
    {
        MapController controller;
        controller.setSelectedTimeZone(QStringLiteral("Europe/Berlin"));
        QSignalSpy band(&controller, &MapController::selectedChanged);
        QSignalSpy zone(&controller, &MapController::selectedZoneChanged);
        click(controller, pixelOf(2.3522, 48.8566));
        QCOMPARE(controller.getSelectedTimeZoneName(), QStringLiteral("Europe/Paris"));
        QCOMPARE(controller.getSelectedTimeZone(), indexOfOffset(3600));
        QCOMPARE(band.count(), 0);
        QCOMPARE(zone.count(), 1);
    }

    void selectedLocation()
    {
        MapController controller;
        QSignalSpy zone(&controller, &MapController::selectedZoneChanged);
        controller.setSelectedTimeZone(QStringLiteral("Asia/Tokyo"));
        QCOMPARE(zone.count(), 1);
        // zone.tab: +353916+1394441.
        const QPointF tokyo = ZoneLocations::project(139 + 44 / 60.0 + 41 / 3600.0, 35 + 39 / 60.0 + 16 / 3600.0, s_mapSize);
        QVERIFY(QLineF(controller.selectedLocation(), tokyo).length() < 0.01);
        // Kathmandu has a place but no band; UTC neither.
        controller.setSelectedTimeZone(QStringLiteral("Asia/Kathmandu"));
        QVERIFY(controller.selectedLocation().x() > 0);
        controller.setSelectedTimeZone(QStringLiteral("Etc/UTC"));
        QCOMPARE(controller.selectedLocation(), QPointF(-1, -1));
    }

    void keyboardMoves()
    {
        MapController controller;
        const auto bandOf = [](const QString &zone) {
            return MapController::m_standardOffset(zone.toUtf8(), 2026);
        };
        QCOMPARE(bandOf(controller.neighbourBandZone(QStringLiteral("America/New_York"), 1)), -14400);
        QCOMPARE(bandOf(controller.neighbourBandZone(QStringLiteral("America/New_York"), -1)), -21600);
        // The bands wrap around at the date line; a zone without a band steps to the next one.
        QCOMPARE(bandOf(controller.neighbourBandZone(QStringLiteral("Pacific/Chatham"), 1)), -39600);
        QCOMPARE(bandOf(controller.neighbourBandZone(QStringLiteral("Pacific/Pago_Pago"), -1)), 45900);
        QCOMPARE(bandOf(controller.neighbourBandZone(QStringLiteral("Asia/Kathmandu"), 1)), 21600);
        QCOMPARE(bandOf(controller.neighbourBandZone(QStringLiteral("Asia/Kathmandu"), -1)), 19800);

        // Down walks the band north to south and stops at its ends.
        const QVector<MapController::Place> places = MapController::timeZones().at(indexOfOffset(-18000)).places;
        QString zone = places.first().zoneName;
        QCOMPARE(controller.nextZoneInBand(zone, -1), zone);
        for (int i = 1; i < places.size(); ++i) {
            zone = controller.nextZoneInBand(zone, 1);
            QCOMPARE(zone, places.at(i).zoneName);
        }
        QCOMPARE(controller.nextZoneInBand(zone, 1), zone);
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
        click(controller, gulfOfGuinea);
        const QString guinea = controller.getSelectedTimeZoneName();
        QFuture<void> reload = QtConcurrent::run([] {
            MapController::m_loadImages(true, s_january);
        });
        int clicks = 0;
        do {
            click(controller, (clicks % 2) ? moscow : gulfOfGuinea);
            QCOMPARE(controller.getSelectedTimeZoneName(), (clicks % 2) ? QStringLiteral("Europe/Moscow") : guinea);
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
