// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// Starting the appearance settings on their fonts page.
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include "fontsettingsopener.h"

class TestFontSettingsOpener : public QObject
{
    Q_OBJECT
private:
    QString m_dir;

    QString writeProgram(const QString &name, const QByteArray &script, QFileDevice::Permissions permissions)
    {
        const QString path = m_dir + QLatin1Char('/') + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size()) {
            return QString();
        }
        file.close();
        file.setPermissions(permissions);
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_dir = qEnvironmentVariable("ORB_TEST_TMPDIR") + QStringLiteral("/opener");
        QVERIFY(QDir().mkpath(m_dir));
    }

    void cleanup()
    {
        qunsetenv("ORB_FONT_SETTINGS_PROGRAM");
    }

    void missingProgramIsReported_data()
    {
        QTest::addColumn<bool>("asFolder");
        QTest::newRow("no file") << false;
        QTest::newRow("a folder") << true;
    }
    void missingProgramIsReported()
    {
        QFETCH(bool, asFolder);
        const QString path = m_dir + QStringLiteral("/orb-admin-theme");
        if (asFolder) {
            QVERIFY(QDir().mkpath(path));
        }
        qputenv("ORB_FONT_SETTINGS_PROGRAM", path.toLocal8Bit());
        FontSettingsOpener opener;
        QSignalSpy errors(&opener, &FontSettingsOpener::error);
        opener.open();
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("Error"));
        QCOMPARE(errors.at(0).at(1).toString(), QStringLiteral("File %1 not found. Probably missing orb-admin-theme package.").arg(path));
        QDir(path).removeRecursively();
    }

    void startsTheProgramOnTheFontsPage()
    {
        const QString marker = m_dir + QStringLiteral("/started-with");
        QFile::remove(marker);
        const QString path = writeProgram(QStringLiteral("appearance"),
                                          "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + marker.toLocal8Bit() + ".tmp\"\nmv \"" + marker.toLocal8Bit() + ".tmp\" \""
                                              + marker.toLocal8Bit() + "\"\n",
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(!path.isEmpty());
        qputenv("ORB_FONT_SETTINGS_PROGRAM", path.toLocal8Bit());

        FontSettingsOpener opener;
        QSignalSpy errors(&opener, &FontSettingsOpener::error);
        opener.open();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QFile file(marker);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("kcm_fonts|"));
        QVERIFY(errors.isEmpty());
    }

    void programThatCannotStartIsReported()
    {
        const QString path = writeProgram(QStringLiteral("not-executable"), "#!/bin/sh\nexit 0\n", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QVERIFY(!path.isEmpty());
        qputenv("ORB_FONT_SETTINGS_PROGRAM", path.toLocal8Bit());
        FontSettingsOpener opener;
        QSignalSpy errors(&opener, &FontSettingsOpener::error);
        opener.open();
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(1).toString(), QStringLiteral("Unable to start %1.").arg(path));
    }
};

QTEST_GUILESS_MAIN(TestFontSettingsOpener)
#include "test_fontsettingsopener.moc"
