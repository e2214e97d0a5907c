// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The class-wide choice of the clock applet's zones: loading, change tracking
// against the file, filtering, and the module's load/save/refresh path.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQuickItem>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTest>

#include "kcmoduleqml.h"
#include "modulehost.h"
#include "settings.h"
#include "settingsforappletprovider.h"

class TestAppletZoneSelection : public QObject
{
    Q_OBJECT
private:
    static QString filePath()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ru.nimbolinux/kcm_orb_admin_date.conf");
    }

    static void writeFile(const QString &text)
    {
        QDir().mkpath(QFileInfo(filePath()).absolutePath());
        QSaveFile file(filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        QVERIFY(file.commit());
    }

    // Loads what is on disk into the class-wide state, as the module does.
    static void loadFromDisk()
    {
        Settings settings;
        settings.sync();
        SettingsForAppletProvider::loadSettings(settings);
    }

    static bool isSubsequence(const QStringList &part, const QStringList &whole)
    {
        int at = 0;
        for (const QString &entry : part) {
            at = whole.indexOf(entry, at);
            if (at < 0) {
                return false;
            }
            ++at;
        }
        return true;
    }

    SettingsForAppletProvider *m_provider = nullptr;
    QStringList m_russian;
    QStringList m_all;

private Q_SLOTS:
    void initTestCase()
    {
        m_provider = new SettingsForAppletProvider(this);
        m_russian = m_provider->russianTimeZonesWithOffsets();
        m_all = m_provider->allTimeZonesWithOffsets();
        QVERIFY(m_russian.size() >= 3);
        QVERIFY(m_all.size() > m_russian.size());
    }

    void init()
    {
        QFile::remove(filePath());
        loadFromDisk();
    }

    void missingFileGivesTheRussianListAndNothingChosen()
    {
        QCOMPARE(m_provider->isAllTimeZonesProvided(), false);
        QCOMPARE(m_provider->getChosenTimeZones(), QStringList());
        QCOMPARE(m_provider->needsSave(), false);
        QCOMPARE(m_provider->getFilteredTimeZones(QString()), m_russian);
    }

    void switchingListsBackAndForthIsNoChange()
    {
        m_provider->setAllTimeZonesProvided();
        QVERIFY(m_provider->needsSave());
        QCOMPARE(m_provider->getFilteredTimeZones(QString()), m_all);
        m_provider->setRussianTimeZonesProvided();
        QCOMPARE(m_provider->needsSave(), false);
        QCOMPARE(m_provider->getSettings().value(Settings::AllTimeZonesToDisplay), QVariant(false));
    }

    void chosenOrderIsPartOfTheChoice()
    {
        const QStringList loaded{m_russian.at(0), m_russian.at(1), m_russian.at(2)};
        Settings settings;
        settings.save({{Settings::ChosenTimeZones, loaded}});
        SettingsForAppletProvider::loadSettings(settings);
        QCOMPARE(m_provider->getChosenTimeZones(), loaded);
        QCOMPARE(m_provider->needsSave(), false);

        m_provider->setChosenTimeZones({loaded.at(1), loaded.at(0), loaded.at(2)});
        QVERIFY(m_provider->needsSave());
        m_provider->setChosenTimeZones(loaded);
        QCOMPARE(m_provider->needsSave(), false);

        // Fewer entries with the same prefix are a change too.
        m_provider->setChosenTimeZones(loaded.mid(0, 2));
        QVERIFY(m_provider->needsSave());
    }

    void removingChangesOnlyWhatIsChosen()
    {
        const QStringList loaded{m_russian.at(0), m_russian.at(1)};
        Settings settings;
        settings.save({{Settings::ChosenTimeZones, loaded}});
        SettingsForAppletProvider::loadSettings(settings);

        m_provider->removeChosenTimeZone(m_russian.at(2));
        QCOMPARE(m_provider->getChosenTimeZones(), loaded);
        QCOMPARE(m_provider->needsSave(), false);

        m_provider->removeChosenTimeZone(m_russian.at(0));
        QCOMPARE(m_provider->getChosenTimeZones(), QStringList{m_russian.at(1)});
        QVERIFY(m_provider->needsSave());

        // Every copy goes, whoever put the duplicates there.
        m_provider->setChosenTimeZones({m_russian.at(1), m_russian.at(0), m_russian.at(1)});
        m_provider->removeChosenTimeZone(m_russian.at(1));
        QCOMPARE(m_provider->getChosenTimeZones(), QStringList{m_russian.at(0)});
    }

    void everyInstanceSharesTheChoice()
    {
        SettingsForAppletProvider other;
        m_provider->setChosenTimeZones({m_all.first()});
        m_provider->setAllTimeZonesProvided();
        QCOMPARE(other.getChosenTimeZones(), QStringList{m_all.first()});
        QVERIFY(other.isAllTimeZonesProvided());
        QVERIFY(other.needsSave());
        QCOMPARE(other.getFilteredTimeZones(QString()), m_all);

        other.removeChosenTimeZone(m_all.first());
        other.setRussianTimeZonesProvided();
        QCOMPARE(m_provider->needsSave(), false);
    }

    void filteringUsesTheCurrentList()
    {
        const QStringList plus3 = m_provider->getFilteredTimeZones(QStringLiteral("+03"));
        QVERIFY(!plus3.isEmpty());
        QVERIFY(std::all_of(plus3.cbegin(), plus3.cend(), [this](const QString &e) {
            return m_russian.contains(e);
        }));
        for (const QString &entry : plus3) {
            QVERIFY2(entry.startsWith(QLatin1String("(UTC+03")), qPrintable(entry));
        }
        QVERIFY(std::any_of(plus3.cbegin(), plus3.cend(), [](const QString &e) {
            return e.endsWith(QLatin1String(";Europe/Moscow"));
        }));
        QCOMPARE(m_provider->getFilteredTimeZones(QStringLiteral("Europe/Paris")), QStringList());

        m_provider->setAllTimeZonesProvided();
        const QStringList paris = m_provider->getFilteredTimeZones(QStringLiteral("Europe/Paris"));
        QCOMPARE(paris.size(), 1);
        QVERIFY(paris.first().endsWith(QLatin1String(";Europe/Paris")));
        QVERIFY(isSubsequence(m_provider->getFilteredTimeZones(QStringLiteral("europe/")), m_all));
    }

    void moduleLoadsSavesAndRefreshesTheChoice()
    {
        // The whole module as the settings centre shows it, with its one-second refresh.
        ModuleHost host;
        QVERIFY(host.create());
        KCModuleQML *module = host.module();
        module->load();
        QQuickItem *tab = host.findItem(QStringLiteral("appletSettingsTab"));
        QQuickItem *chosenList = host.findItem(QStringLiteral("appletChosenList"));
        QVERIFY(tab && chosenList);
        const auto shown = [chosenList] {
            return chosenList->property("count").toInt();
        };
        QCOMPARE(shown(), 0);

        m_provider->setChosenTimeZones({m_russian.at(1)});
        m_provider->setAllTimeZonesProvided();
        module->save();
        // Apply ends in a load: the file holds the choice, the page shows it, nothing is pending.
        QCOMPARE(Settings().value(Settings::ChosenTimeZones).toStringList(), QStringList{m_russian.at(1)});
        QCOMPARE(m_provider->needsSave(), false);
        QCOMPARE(shown(), 1);
        QCOMPARE(tab->property("needsSave").toBool(), false);
        QVERIFY(!module->needsSave());

        // The applet changes the file; the page follows within a second.
        writeFile(QStringLiteral("[General]\nallTimeZonesToDisplay=false\nchosenTimeZones=\"%1\", \"%2\"\n").arg(m_russian.at(2), m_russian.at(0)));
        QVERIFY(host.waitFor(
            [&] {
                return shown() == 2;
            },
            1500));
        QCOMPARE(m_provider->getChosenTimeZones(), (QStringList{m_russian.at(2), m_russian.at(0)}));
        QCOMPARE(m_provider->isAllTimeZonesProvided(), false);
        QCOMPARE(host.findItem(QStringLiteral("appletShowAllCheckBox"))->property("checked").toBool(), false);

        // A change made on the page reaches the host's Apply button.
        QVERIFY(QMetaObject::invokeMethod(chosenList, "removeFromChosenList", Q_ARG(QVariant, m_russian.at(2))));
        QVERIFY(module->needsSave());
        QCOMPARE(m_provider->getChosenTimeZones(), QStringList{m_russian.at(0)});

        // A reset by the host drops the unapplied change.
        module->load();
        QCOMPARE(m_provider->getChosenTimeZones().size(), 2);
        QCOMPARE(shown(), 2);
        QVERIFY(!module->needsSave());
        host.saveScreenshot(QStringLiteral("applet-settings-module.png"));
    }
};

QTEST_MAIN(TestAppletZoneSelection)

#include "test_appletzoneselection.moc"
