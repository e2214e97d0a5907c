// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// Timing of the zone lists and of one filter call; run by hand, not part of the tests.
#include "basetimezonesprovider.h"
#include "maptimezonesprovider.h"

#include <QtTest>

namespace
{
class Catalogue : public BaseTimeZonesProvider
{
public:
    using BaseTimeZonesProvider::m_getAllTimeZonesWithOffsets;
    using BaseTimeZonesProvider::m_getRussianTimeZonesWithOffsets;
};

class MapProvider : public MapTimeZonesProvider
{
public:
    using MapTimeZonesProvider::m_getAllTimeZonesWithOffsets;
    using MapTimeZonesProvider::m_getRussianTimeZonesWithOffsets;
};
}

class BenchTimeZones : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogueAllZones()
    {
        const Catalogue catalogue;
        QStringList list;
        QBENCHMARK {
            list = catalogue.m_getAllTimeZonesWithOffsets();
        }
        QVERIFY(list.size() > 300);
    }

    void catalogueRussianZones()
    {
        const Catalogue catalogue;
        QStringList list;
        QBENCHMARK {
            list = catalogue.m_getRussianTimeZonesWithOffsets();
        }
        QCOMPARE(list.size(), 27);
    }

    void mapAllZones()
    {
        const MapProvider provider;
        QStringList list;
        QBENCHMARK {
            list = provider.m_getAllTimeZonesWithOffsets();
        }
        QVERIFY(list.size() > 300);
    }

    void mapRussianZones()
    {
        const MapProvider provider;
        QStringList list;
        QBENCHMARK {
            list = provider.m_getRussianTimeZonesWithOffsets();
        }
        QVERIFY(list.size() > 5);
    }

    // The rows are made on the first question, not in the constructor.
    void mapProviderConstruction()
    {
        QBENCHMARK {
            const MapTimeZonesProvider provider;
            QVERIFY(!provider.allTimeZonesWithOffsets().isEmpty());
        }
    }

    void filterAllZones_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("offset") << QStringLiteral("+03");
        QTest::newRow("name") << QStringLiteral("mos");
        QTest::newRow("metacharacters") << QStringLiteral("(a+)+b");
    }

    void filterAllZones()
    {
        QFETCH(QString, typed);
        const MapTimeZonesProvider provider;
        QStringList filtered;
        QBENCHMARK {
            filtered = provider.getFilteredTimeZones(typed);
        }
        Q_UNUSED(filtered);
    }
};

QTEST_GUILESS_MAIN(BenchTimeZones)
#include "bench_timezones.moc"
