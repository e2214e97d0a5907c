// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The theme-file reader and writer and the folder it lives in.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include "filefailures.h"
#include "orbdir.h"
#include "orbsettings.h"

class TestOrbSettings : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString pathOf(const char *name) const
    {
        return m_dir.filePath(QString::fromLatin1(name));
    }
    static void writeBytes(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray readBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

private Q_SLOTS:
    void windowManagerFolderFollowsXdg()
    {
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        const QByteArray savedHome = qgetenv("HOME");

        qputenv("XDG_CONFIG_HOME", "/somewhere/conf");
        QCOMPARE(QString::fromStdString(GetOrbDir(OrbDirWindowManager)), QStringLiteral("/somewhere/conf/orbwm"));
        qputenv("XDG_CONFIG_HOME", "/somewhere/conf/");
        QCOMPARE(QString::fromStdString(GetOrbDir(OrbDirWindowManager)), QStringLiteral("/somewhere/conf/orbwm"));

        // Unset, empty or relative: the XDG default under the home folder.
        qputenv("HOME", "/home/Пётр");
        for (const QByteArray &value : {QByteArray(), QByteArray("relative/conf")}) {
            qputenv("XDG_CONFIG_HOME", value);
            QCOMPARE(QString::fromStdString(GetOrbDir(OrbDirWindowManager)), QStringLiteral("/home/Пётр/.config/orbwm"));
        }
        // The path is UTF-8.
        QCOMPARE(GetOrbDir(OrbDirWindowManager), std::string("/home/Пётр/.config/orbwm"));
        QVERIFY(GetOrbDir(0).empty());

        qputenv("XDG_CONFIG_HOME", savedConfig);
        qputenv("HOME", savedHome);
    }

    void readsKeysAmongForeignLines()
    {
        const QString path = pathOf("read.themerc");
        writeBytes(path,
                   "# ClockFormat=%commented\r\n"
                   "; DateFormat=%also\n"
                   "\n"
                   "  ClockFormat = %H:%M:%S  \r\n"
                   "ClockFormat=%second-one\n"
                   "Title=Café ☕\n"
                   "broken line without equals\n"
                   "=no key\n"
                   "[Section]\n"
                   "DateFormat=%in-a-section\n"
                   "ClockMessageFormat=%A\\n%d");
        const OrbSettings settings(path);
        QCOMPARE(settings.value(QStringLiteral("ClockFormat")).toString(), QStringLiteral("%H:%M:%S"));
        QCOMPARE(settings.value(QStringLiteral("Title")).toString(), QStringLiteral("Café ☕"));
        // Keys of sections belong to the sections.
        QVERIFY(!settings.contains(QStringLiteral("DateFormat")));
        QCOMPARE(settings.value(QStringLiteral("DateFormat"), QStringLiteral("dflt")).toString(), QStringLiteral("dflt"));
        QCOMPARE(settings.value(QStringLiteral("ClockMessageFormat")), QVariant());
        QVERIFY(!settings.contains(QString()));

        const OrbSettings missing(pathOf("no-such.themerc"));
        QCOMPARE(missing.value(QStringLiteral("ClockFormat"), QStringLiteral("%H:%M")).toString(), QStringLiteral("%H:%M"));
    }

    void writesKeepForeignBytes_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("replace in place, CRLF kept") << QByteArray("# theme\r\nA=1\r\nClockFormat = %H\r\n\r\nZ=2\r\n")
                                                     << QByteArray("# theme\r\nA=1\r\nClockFormat=%H:%M:%S\r\n\r\nZ=2\r\n");
        QTest::newRow("append after the last key") << QByteArray("A=1\n;c\n\n\n") << QByteArray("A=1\n;c\nClockFormat=%H:%M:%S\n\n\n");
        QTest::newRow("append before the first section")
            << QByteArray("A=1\n\n[S]\nClockFormat=x\n") << QByteArray("A=1\nClockFormat=%H:%M:%S\n\n[S]\nClockFormat=x\n");
        QTest::newRow("no final line break stays so") << QByteArray("A=1") << QByteArray("A=1\nClockFormat=%H:%M:%S");
        QTest::newRow("empty file") << QByteArray() << QByteArray("ClockFormat=%H:%M:%S\n");
        QTest::newRow("non-UTF-8 foreign bytes") << QByteArray("X=\xff\xfe\x01\nClockFormat=old\n") << QByteArray("X=\xff\xfe\x01\nClockFormat=%H:%M:%S\n");
    }
    void writesKeepForeignBytes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString path = pathOf("write.themerc");
        writeBytes(path, before);

        OrbSettings settings(path);
        QVERIFY(settings.setValue(QStringLiteral("ClockFormat"), QStringLiteral("%H:%M:%S")));
        QCOMPARE(readBytes(path), before); // nothing before sync()
        QVERIFY(settings.sync());
        QCOMPARE(readBytes(path), after);
        QCOMPARE(OrbSettings(path).value(QStringLiteral("ClockFormat")).toString(), QStringLiteral("%H:%M:%S"));
    }

    void createsTheFolderAndRoundTripsValues()
    {
        const QString path = pathOf("new/orbwm/current.themerc");
        OrbSettings settings(path);
        QVERIFY(settings.setValue(QStringLiteral("ClockMessageFormat"), QStringLiteral("%H:%M\\n%d.%m.%Y")));
        QVERIFY(settings.setValue(QStringLiteral("Name"), QStringLiteral("Ёлка")));
        QVERIFY(settings.setValue(QStringLiteral("Name"), QStringLiteral("Ёлка 2")));
        QVERIFY(settings.sync());
        QCOMPARE(readBytes(path), QByteArray("ClockMessageFormat=%H:%M\\n%d.%m.%Y\nName=Ёлка 2\n"));
        const OrbSettings again(path);
        QCOMPARE(again.value(QStringLiteral("ClockMessageFormat")).toString(), QStringLiteral("%H:%M\\n%d.%m.%Y"));
        QCOMPARE(again.value(QStringLiteral("Name")).toString(), QStringLiteral("Ёлка 2"));
    }

    void refusesWhatWouldBreakTheFile()
    {
        const QString path = pathOf("refuse.themerc");
        writeBytes(path, "A=1\n");
        OrbSettings settings(path);
        QVERIFY(!settings.setValue(QStringLiteral("ClockFormat"), QStringLiteral("%H\nEvil=1")));
        QVERIFY(!settings.setValue(QStringLiteral("ClockFormat"), QStringLiteral("%H\r")));
        QVERIFY(!settings.setValue(QStringLiteral("ClockFormat"), QString(QStringLiteral("%H") + QChar::Null + QStringLiteral(":%M"))));
        QVERIFY(!settings.errorReason().isEmpty());
        QVERIFY(!settings.setValue(QStringLiteral("A=B"), QStringLiteral("1")));
        QVERIFY(!settings.setValue(QStringLiteral("[S]"), QStringLiteral("1")));
        QVERIFY(!settings.setValue(QStringLiteral("  "), QStringLiteral("1")));
        QVERIFY(settings.sync());
        QCOMPARE(readBytes(path), QByteArray("A=1\n"));
    }

    void failedWritesAreReportedAndLoseNothing()
    {
        // A read-only file (also for root, who could write it anyway).
        const QString readOnly = pathOf("ro/current.themerc");
        writeBytes(readOnly, "# keep\nClockFormat=%H:%M\n");
        QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        {
            OrbSettings settings(readOnly);
            QVERIFY(settings.setValue(QStringLiteral("ClockFormat"), QStringLiteral("%H:%M:%S")));
            QVERIFY(!settings.sync());
            QVERIFY(!settings.errorString().isEmpty());
        }
        QCOMPARE(readBytes(readOnly), QByteArray("# keep\nClockFormat=%H:%M\n"));

        // The folder cannot be made: a file stands in its way.
        writeBytes(pathOf("blocker"), "x");
        OrbSettings blocked(pathOf("blocker/current.themerc"));
        QVERIFY(blocked.setValue(QStringLiteral("ClockFormat"), QStringLiteral("%H")));
        QVERIFY(!blocked.sync());

        // A theme file that cannot be read is not replaced by what little we know.
        QVERIFY(QDir().mkpath(pathOf("dir.themerc")));
        OrbSettings unreadable(pathOf("dir.themerc"));
        QVERIFY(unreadable.setValue(QStringLiteral("ClockFormat"), QStringLiteral("%H")));
        QVERIFY(!unreadable.sync());
        QVERIFY(QFileInfo(pathOf("dir.themerc")).isDir());
    }

    void fullDiskKeepsTheOldFile()
    {
        const QString folder = pathOf("full");
        FileFailures::SmallDisk disk(folder);
        if (!disk.failure().isEmpty()) {
            QSKIP(qPrintable(disk.failure()));
        }
        const QString path = folder + QStringLiteral("/current.themerc");
        const QByteArray content("# other programs' keys\nTitle=Grey\nClockFormat=%H:%M\n");
        writeBytes(path, content);
        disk.fillUp();

        OrbSettings settings(path);
        QVERIFY(settings.setValue(QStringLiteral("ClockFormat"), QStringLiteral("%H:%M:%S")));
        QVERIFY(!settings.sync());
        QCOMPARE(settings.errorReason(), qt_error_string(ENOSPC));
        QVERIFY(settings.errorString().contains(path));
        QCOMPARE(readBytes(path), content);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), (QStringList{QStringLiteral("current.themerc"), QStringLiteral("filler")}));
    }

    void readOnlyFolderIsReportedForAUser()
    {
        const QString skip = FileFailures::cannotRunAsOtherUser();
        if (!skip.isEmpty()) {
            QSKIP(qPrintable(skip));
        }
        // Outside the test's own folder, which only root may enter.
        QTemporaryDir open;
        QVERIFY(QFile::setPermissions(open.path(), QFile::permissions(open.path()) | QFileDevice::ExeOther | QFileDevice::ReadOther));
        const QString path = open.filePath(QStringLiteral("current.themerc"));
        writeBytes(path, "ClockFormat=%H:%M\n");
        // The file is the user's, the folder is not.
        QVERIFY(FileFailures::giveToNobody(path));

        QString output;
        QCOMPARE(FileFailures::saveAsNobody({QStringLiteral("theme"), path, QStringLiteral("ClockFormat"), QStringLiteral("%H:%M:%S")}, &output), 1);
        QVERIFY2(output.contains(open.path()) && output.contains(qt_error_string(EACCES)), qPrintable(output));
        QCOMPARE(readBytes(path), QByteArray("ClockFormat=%H:%M\n"));
    }

    void symbolicLinkStaysALink()
    {
        // As dotfile managers keep it: the link in the folder, the file elsewhere.
        const QString target = pathOf("dotfiles/theme.themerc");
        writeBytes(target, "Title=Grey\n");
        const QString link = pathOf("linked/orbwm/current.themerc");
        QVERIFY(QDir().mkpath(QFileInfo(link).absolutePath()));
        QVERIFY(QFile::link(QStringLiteral("../../dotfiles/theme.themerc"), link));

        OrbSettings settings(link);
        QVERIFY(settings.setValue(QStringLiteral("ClockFormat"), QStringLiteral("%H")));
        QVERIFY(settings.sync());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(link).symLinkTarget(), target);
        QCOMPARE(readBytes(target), QByteArray("Title=Grey\nClockFormat=%H\n"));
    }

    void syncWithoutChangesTouchesNothing()
    {
        const QString path = pathOf("ro2.themerc");
        writeBytes(path, "ClockFormat=%H:%M\n");
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        OrbSettings settings(path);
        QVERIFY(settings.setValue(QStringLiteral("ClockFormat"), QStringLiteral("%H:%M")));
        QVERIFY(settings.sync());
    }
};

QTEST_GUILESS_MAIN(TestOrbSettings)
#include "test_orbsettings.moc"
