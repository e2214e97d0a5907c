// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The zone lists as views see them: the rows' roles, and the filtered rows in the
// order the providers' string search gives.
#include "maptimezonesprovider.h"
#include "settingsforappletprovider.h"
#include "timezonesmodel.h"

#include <QtTest>

#include <memory>

namespace
{
std::unique_ptr<BaseTimeZonesProvider> makeProvider(bool map)
{
    if (map) {
        return std::make_unique<MapTimeZonesProvider>();
    }
    return std::make_unique<SettingsForAppletProvider>();
}

QStringList entriesShown(const TimeZonesFilterModel &rows)
{
    QStringList entries;
    for (int i = 0; i < rows.rowCount(); ++i) {
        entries.append(rows.index(i, 0).data(TimeZonesModel::EntryRole).toString());
    }
    return entries;
}
}

class TestTimeZonesModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // January: offsets are those of northern winter, whatever today is.
        BaseTimeZonesProvider::setFixedNow(QDateTime(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC));
    }

    void rowRoles_data()
    {
        QTest::addColumn<bool>("map");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QStringList>("zones");
        QTest::addColumn<bool>("merged");

        QTest::newRow("plain row") << true << QStringLiteral("Asia/Tokyo") << QStringLiteral("(UTC+09:00) Japan Time")
                                   << QStringList{QStringLiteral("Asia/Tokyo")} << false;
        // A comma in a zone's name does not make its row a merged one.
        QTest::newRow("plain row, comma in the name") << true << QStringLiteral("America/Indiana/Marengo")
                                                      << QStringLiteral("(UTC-05:00) Marengo, Indiana Time")
                                                      << QStringList{QStringLiteral("America/Indiana/Marengo")} << false;
        QTest::newRow("merged row") << true << QStringLiteral("Europe/Kirov")
                                    << QStringLiteral("(UTC+03:00) Volgograd Time, Simferopol Time, Moscow Time, Kirov Time")
                                    << QStringList{QStringLiteral("Europe/Volgograd"),
                                                   QStringLiteral("Europe/Simferopol"),
                                                   QStringLiteral("Europe/Moscow"),
                                                   QStringLiteral("Europe/Kirov")}
                                    << true;
        QTest::newRow("merged row of one zone") << true << QStringLiteral("Asia/Omsk") << QStringLiteral("(UTC+06:00) Omsk Time")
                                                << QStringList{QStringLiteral("Asia/Omsk")} << true;
        QTest::newRow("applet row") << false << QStringLiteral("Europe/Moscow") << QStringLiteral("(UTC+03:00) Moscow Time")
                                    << QStringList{QStringLiteral("Europe/Moscow")} << false;
    }

    void rowRoles()
    {
        QFETCH(bool, map);
        QFETCH(QString, zone);
        const std::unique_ptr<BaseTimeZonesProvider> provider = makeProvider(map);
        TimeZonesModel model;
        model.setProvider(provider.get());
        // The closed field shows the zone as its row will before the rows are made.
        QCOMPARE(model.rowCount(), 0);
        QTEST(model.displayOfZone(zone), "display");
        model.makeRows();

        const int row = model.rowOfZone(zone);
        QVERIFY(row >= 0);
        const QModelIndex index = model.index(row);
        QTEST(index.data(Qt::DisplayRole).toString(), "display");
        QFETCH(QStringList, zones);
        QCOMPARE(index.data(TimeZonesModel::ZoneIdRole).toString(), zones.first());
        QTEST(index.data(TimeZonesModel::MergedRole).toBool(), "merged");
        QStringList ids;
        QStringList names;
        for (const QVariant &entry : index.data(TimeZonesModel::ZonesRole).toList()) {
            ids.append(entry.toMap().value(QStringLiteral("id")).toString());
            names.append(entry.toMap().value(QStringLiteral("name")).toString());
        }
        QCOMPARE(ids, zones);
        // Delegates draw the offset and each name on their own.
        QTEST(QString(index.data(TimeZonesModel::OffsetTextRole).toString() + QLatin1Char(' ') + names.join(QLatin1String(", "))), "display");
        // The row is the one the string list holds at that place.
        QCOMPARE(index.data(TimeZonesModel::EntryRole).toString(), provider->allTimeZonesWithOffsets().at(row));
        // The closed field shows a zone the way its row does, from either list.
        model.setAllZones(false);
        QTEST(model.displayOfZone(zone), "display");
    }

    void filterFindsWhatTheStringSearchFinds_data()
    {
        QTest::addColumn<bool>("map");
        QTest::addColumn<bool>("allZones");
        QTest::addColumn<QString>("typed");

        QTest::newRow("name in a merged row") << true << true << QStringLiteral("Kirov");
        QTest::newRow("part of an id") << true << true << QStringLiteral("Asia/Ta");
        QTest::newRow("blank for underscore") << false << true << QStringLiteral("sao paulo");
        // Offset searches reorder: the system's zone or UTC first, then by name.
        QTest::newRow("offset") << true << true << QStringLiteral("+3");
        QTest::newRow("offset of either sign") << false << true << QStringLiteral("5:30");
        QTest::newRow("UTC alone") << false << true << QStringLiteral("UTC");
        QTest::newRow("Russian list") << true << false << QStringLiteral("+7");
        QTest::newRow("Russian list, applet") << false << false << QStringLiteral("UTC+0");
        QTest::newRow("nothing found") << true << true << QStringLiteral("qqzz");
    }

    void filterFindsWhatTheStringSearchFinds()
    {
        QFETCH(bool, map);
        QFETCH(bool, allZones);
        QFETCH(QString, typed);
        const std::unique_ptr<BaseTimeZonesProvider> provider = makeProvider(map);
        QStringList expected;
        if (map) {
            auto *mapProvider = static_cast<MapTimeZonesProvider *>(provider.get());
            allZones ? mapProvider->setAllTimeZonesProvided() : mapProvider->setRussianTimeZonesProvided();
            expected = mapProvider->getFilteredTimeZones(typed);
        } else {
            auto *applet = static_cast<SettingsForAppletProvider *>(provider.get());
            allZones ? applet->setAllTimeZonesProvided() : applet->setRussianTimeZonesProvided();
            expected = applet->getFilteredTimeZones(typed);
        }

        TimeZonesModel model;
        model.setProvider(provider.get());
        TimeZonesFilterModel rows;
        rows.setSourceModel(&model);
        // Found in the other list first: the list switched under the typed text
        // is searched again.
        model.setAllZones(!allZones);
        rows.setFilterText(typed);
        QVERIFY(rows.rowCount() >= 0);
        model.setAllZones(allZones);
        QCOMPARE(entriesShown(rows), expected);

        rows.setFilterText(QString());
        QCOMPARE(entriesShown(rows), model.entries());
    }
};

QTEST_GUILESS_MAIN(TestTimeZonesModel)

#include "test_timezonesmodel.moc"
