// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The per-user file shared with the clock applet: what is read, what is written,
// and that whatever else the applet keeps there survives our writes.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>

#include "filefailures.h"
#include "settings.h"

class TestAppletSettingsStore : public QObject
{
    Q_OBJECT
private:
    static QString filePath()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ru.nimbolinux/kcm_orb_admin_date.conf");
    }

    static QString fileText(const QString &path = filePath())
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Writes the file behind QSettings' back, the way the applet's process does.
    static void writeForeign(const QString &text)
    {
        QDir().mkpath(QFileInfo(filePath()).absolutePath());
        QSaveFile file(filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        QVERIFY(file.commit());
    }

    // A fresh parse of what is on disk, independent of this process's settings cache.
    static QVariant onDisk(const QString &key)
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("copy.conf"));
        QFile::copy(filePath(), copy);
        return QSettings(copy, QSettings::IniFormat).value(key);
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(filePath());
    }

    void missingFileReadsAsDefaults()
    {
        const Settings settings;
        QCOMPARE(settings.value(Settings::AllTimeZonesToDisplay, QVariant()).toBool(), false);
        QCOMPARE(settings.value(Settings::ChosenTimeZones, QVariant()).toStringList(), QStringList());
        QCOMPARE(settings.value(Settings::Server, QVariant()).toString(), QString());
        QVERIFY(!QFile::exists(filePath()));
    }

    void saveWritesBothKeysUnderTheApplicationsNames()
    {
        // Entries hold ";" and may hold "," and non-Latin names: they must come back whole.
        const QStringList chosen{QStringLiteral("(UTC+03:00) Москва, Россия;Europe/Moscow"), QStringLiteral("(UTC-09:30) Marquesas;Pacific/Marquesas")};
        Settings settings;
        settings.save({{Settings::ChosenTimeZones, chosen}, {Settings::AllTimeZonesToDisplay, true}});

        QVERIFY(fileText().contains(QLatin1String("allTimeZonesToDisplay=true")));
        QVERIFY(fileText().contains(QLatin1String("chosenTimeZones=")));
        QVERIFY(!fileText().contains(QLatin1String("Server=")));
        QCOMPARE(onDisk(QStringLiteral("allTimeZonesToDisplay")).toBool(), true);
        QCOMPARE(onDisk(QStringLiteral("chosenTimeZones")).toStringList(), chosen);

        const Settings other;
        QCOMPARE(other.value(Settings::ChosenTimeZones).toStringList(), chosen);
    }

    void emptySaveOnlySynchronizes()
    {
        writeForeign(QStringLiteral("[General]\nchosenTimeZones=\"(UTC+05:00) Yekaterinburg;Asia/Yekaterinburg\"\n"));
        Settings settings;
        settings.setValue(Settings::Server, QStringLiteral("ntp.example.org"));
        writeForeign(QStringLiteral("[General]\nallTimeZonesToDisplay=true\n"));

        settings.save({});

        // The pending value went out, the applet's write came in, nothing else was added.
        QCOMPARE(onDisk(QStringLiteral("Server")).toString(), QStringLiteral("ntp.example.org"));
        QCOMPARE(settings.value(Settings::AllTimeZonesToDisplay).toBool(), true);
        QVERIFY(!fileText().contains(QLatin1String("chosenTimeZones")));
    }

    void unsynchronizedValueIsReturned()
    {
        Settings settings;
        settings.setValue(Settings::Server, QStringLiteral("  kept as given  "));
        QCOMPARE(settings.value(Settings::Server).toString(), QStringLiteral("  kept as given  "));
        QVERIFY(!QFile::exists(filePath()));
        settings.sync();
        QCOMPARE(onDisk(QStringLiteral("Server")).toString(), QStringLiteral("  kept as given  "));
    }

    void anotherProcessesWriteIsSeenAfterSync()
    {
        Settings settings;
        QCOMPARE(settings.value(Settings::AllTimeZonesToDisplay).toBool(), false);
        writeForeign(QStringLiteral("[General]\nallTimeZonesToDisplay=true\nchosenTimeZones=\"(UTC+03:00) Moscow;Europe/Moscow\"\n"));
        settings.sync();
        QCOMPARE(settings.value(Settings::AllTimeZonesToDisplay).toBool(), true);
        QCOMPARE(settings.value(Settings::ChosenTimeZones).toStringList(), QStringList{QStringLiteral("(UTC+03:00) Moscow;Europe/Moscow")});
    }

    void keysWeDoNotOwnSurviveSaving()
    {
        writeForeign(QStringLiteral("[General]\nServer=pool.example.org\nappletOwnKey=42\n\n[Applet]\nclockStyle=analog\n"));
        Settings settings;
        settings.save({{Settings::AllTimeZonesToDisplay, false}, {Settings::ChosenTimeZones, QStringList()}});

        QCOMPARE(onDisk(QStringLiteral("appletOwnKey")).toInt(), 42);
        QCOMPARE(onDisk(QStringLiteral("Applet/clockStyle")).toString(), QStringLiteral("analog"));
        QCOMPARE(onDisk(QStringLiteral("Server")).toString(), QStringLiteral("pool.example.org"));
        QCOMPARE(onDisk(QStringLiteral("allTimeZonesToDisplay")).toBool(), false);
    }

    void failedSavesKeepTheFileAndShowIt_data()
    {
        QTest::addColumn<bool>("fullDisk");
        QTest::newRow("a value with a NUL") << false;
        QTest::newRow("a full disk") << true;
    }
    void failedSavesKeepTheFileAndShowIt()
    {
        QFETCH(bool, fullDisk);
        const QString folder = QFileInfo(filePath()).absolutePath();
        std::unique_ptr<FileFailures::SmallDisk> disk;
        if (fullDisk) {
            disk = std::make_unique<FileFailures::SmallDisk>(folder);
            if (!disk->failure().isEmpty()) {
                QSKIP(qPrintable(disk->failure()));
            }
        }
        const QString old = QStringLiteral("[General]\nallTimeZonesToDisplay=false\nappletOwnKey=42\nchosenTimeZones=\"(UTC+03:00) Moscow;Europe/Moscow\"\n");
        writeForeign(old);
        const QStringList wanted{fullDisk ? QStringLiteral("(UTC+05:00) Yekaterinburg;Asia/Yekaterinburg") : QString(QStringLiteral("bad") + QChar::Null)};
        Settings settings;
        if (disk) {
            // Waiting values that fail with the save are dropped too.
            QVERIFY(settings.setValue(Settings::Server, QStringLiteral("ntp.example.org")));
            disk->fillUp();
        }

        QVERIFY(!settings.save({{Settings::AllTimeZonesToDisplay, true}, {Settings::ChosenTimeZones, wanted}}));
        QVERIFY2(settings.errorString().contains(filePath()), qPrintable(settings.errorString()));
        if (fullDisk) {
            QVERIFY2(settings.errorString().contains(qt_error_string(ENOSPC)), qPrintable(settings.errorString()));
        }
        QCOMPARE(fileText(), old);
        // What the page reloads is the file, not the refused values.
        QCOMPARE(settings.value(Settings::AllTimeZonesToDisplay).toBool(), false);
        QCOMPARE(settings.value(Settings::ChosenTimeZones).toStringList(), QStringList{QStringLiteral("(UTC+03:00) Moscow;Europe/Moscow")});
        QCOMPARE(settings.value(Settings::Server).toString(), QString());
    }

    void readOnlyFolderIsReportedForAUser()
    {
        const QString skip = FileFailures::cannotRunAsOtherUser();
        if (!skip.isEmpty()) {
            QSKIP(qPrintable(skip));
        }
        QTemporaryDir config;
        QVERIFY(QFile::setPermissions(config.path(), QFile::permissions(config.path()) | QFileDevice::ExeOther | QFileDevice::ReadOther));
        const QString path = config.filePath(QStringLiteral("ru.nimbolinux/kcm_orb_admin_date.conf"));
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        const QByteArray old("[General]\nallTimeZonesToDisplay=true\n");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        QVERIFY(FileFailures::giveToNobody(path));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("HOME"), config.path());
        QString output;
        QCOMPARE(FileFailures::saveAsNobody({QStringLiteral("applet"), QStringLiteral("(UTC+03:00) Moscow;Europe/Moscow")}, &output, environment), 1);
        QVERIFY2(output.contains(path) && output.contains(qt_error_string(EACCES)), qPrintable(output));
        QCOMPARE(fileText(path).toUtf8(), old);
    }

    void storeFollowsTheUsersConfigurationFolder()
    {
        // The applet finds the file by organization and application name.
        QCOMPARE(QSettings(QStringLiteral("ru.nimbolinux"), QStringLiteral("kcm_orb_admin_date")).fileName(), filePath());
        QVERIFY(filePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        QCOMPARE(Settings::availableKeys(),
                 (QStringList{QStringLiteral("allTimeZonesToDisplay"), QStringLiteral("chosenTimeZones"), QStringLiteral("Server")}));
    }
};

QTEST_GUILESS_MAIN(TestAppletSettingsStore)

#include "test_appletsettingsstore.moc"
