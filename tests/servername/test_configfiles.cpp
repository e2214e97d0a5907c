// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The shared readers over real configuration trees (Debian's shipped files among
    them), checked against what chronyd and systemd themselves read, and the one
    file writer on links, kept owners and a full disk.
*/

#include "configreaders.h"
#include "filewriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
const QString fixtures = QStringLiteral(ORB_SOURCE_FIXTURES);

QString run(const QString &program, const QStringList &arguments, int *status)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}
}

class ConfigFilesTest : public QObject
{
    Q_OBJECT

    QString m_chronyd;

private Q_SLOTS:
    void initTestCase()
    {
        int status = -1;
        m_chronyd = run(QStringLiteral(ORB_UNPACK_CHRONY), {QStringLiteral(ORB_CHRONY_DIR)}, &status).trimmed();
        if (status != 0) {
            m_chronyd.clear();
        }
    }

    void readers_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QStringList>("chrony");
        QTest::addColumn<QStringList>("ntp");
        QTest::addColumn<QStringList>("fallback");
        QTest::addColumn<bool>("fallbackAssigned");

        QTest::newRow("Debian as shipped") << fixtures + QStringLiteral("/configs/debian") << QStringList{QStringLiteral("2.debian.pool.ntp.org")}
                                           << QStringList() << QStringList() << false;
        QTest::newRow("the module's own fixture")
            << fixtures + QStringLiteral("/timesync-root")
            << QStringList{QStringLiteral("2.debian.pool.ntp.org"), QStringLiteral("ntp1.vniiftri.ru"), QStringLiteral("time.office.example")}
            << QStringList{QStringLiteral("ntp1.vniiftri.ru"), QStringLiteral("ntp2.vniiftri.ru"), QStringLiteral("time.office.example")} << QStringList()
            << false;
        // chrony: every comment character, directives in any case, peer lines,
        // include patterns, folders merged by file name with the first folder's
        // file winning. timesyncd: drop-ins by name, /run hiding /usr/lib, resets.
        QTest::newRow("the formats' rules") << fixtures + QStringLiteral("/configs/rules")
                                            << QStringList{QStringLiteral("upper.example"),
                                                           QStringLiteral("tab.example"),
                                                           QStringLiteral("peer.example"),
                                                           QStringLiteral("conf-a.example"),
                                                           QStringLiteral("local-b.example"),
                                                           QStringLiteral("included.example"),
                                                           QStringLiteral("sources-a.example"),
                                                           QStringLiteral("more-x.example")}
                                            << QStringList{QStringLiteral("reset.example"),
                                                           QStringLiteral("second.example"),
                                                           QStringLiteral("vendor.example"),
                                                           QStringLiteral("run.example")}
                                            << QStringList{QStringLiteral("fb.example")} << true;
    }

    void readers()
    {
        QFETCH(QString, root);
        QFETCH(QStringList, chrony);
        QFETCH(QStringList, ntp);
        QFETCH(QStringList, fallback);
        QFETCH(bool, fallbackAssigned);

        const ChronyConfig::Layout layout = ChronyConfig::read(root);
        QCOMPARE(ChronyConfig::sources(layout.files), chrony);
        // chronyd's own parser reads the same source lines, save those of the
        // sources folders, which it reads only when running.
        if (!m_chronyd.isEmpty()) {
            QTemporaryDir scratch;
            const QString copy = scratch.filePath(QStringLiteral("chrony.conf"));
            QVERIFY(write(copy, ChronyConfig::rootedCopy(root, read(ChronyConfig::mainFile(root)))));
            int status = -1;
            const QString printed = run(m_chronyd, {QStringLiteral("-p"), QStringLiteral("-f"), copy}, &status);
            QCOMPARE(status, 0);
            QStringList fromChronyd;
            for (const QString &line : printed.split(QLatin1Char('\n'))) {
                if (!ChronyConfig::sourceName(line).isEmpty()) {
                    fromChronyd << ChronyConfig::sourceName(line);
                }
            }
            QStringList configured;
            for (const QString &file : layout.files) {
                if (!file.endsWith(QLatin1String(".sources"))) {
                    configured << ChronyConfig::sources({file});
                }
            }
            QCOMPARE(fromChronyd, configured);
        }

        const TimesyncdConfig::Servers servers = TimesyncdConfig::read(root);
        QCOMPARE(servers.ntp, ntp);
        QCOMPARE(servers.fallback, fallback);
        QCOMPARE(servers.fallbackAssigned, fallbackAssigned);
        // systemd names the files it reads, in its order.
        int status = -1;
        QStringList fromSystemd;
        const QString catConfig =
            run(QStringLiteral("systemd-analyze"),
                {QStringLiteral("cat-config"), QStringLiteral("systemd/timesyncd.conf"), QStringLiteral("--no-pager"), QStringLiteral("--root=") + root},
                &status);
        for (const QString &line : catConfig.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("# /"))) {
                fromSystemd << QDir::cleanPath(line.mid(2));
            }
        }
        QCOMPARE(TimesyncdConfig::files(root), fromSystemd);
    }

    void writerReplacesLinksAndKeepsOwners()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("target"));
        const QString link = dir.filePath(QStringLiteral("link.conf"));
        QVERIFY(write(target, "precious\n"));
        QVERIFY(QFile::link(target, link));
        FileWriteOptions privileged;
        privileged.replaceLinks = true;
        privileged.newFileMode = 0644;
        QVERIFY(WriteFileAtomically(link, "new\n", nullptr, privileged));
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(read(link), QByteArray("new\n"));
        QCOMPARE(read(target), QByteArray("precious\n"));
        struct stat replaced = {};
        QCOMPARE(::stat(QFile::encodeName(link).constData(), &replaced), 0);
        QCOMPARE(replaced.st_mode & 07777, mode_t(0644));

        // An existing file keeps its mode, and its owner and group where they differ from the writer's.
        const QByteArray path = QFile::encodeName(target);
        QCOMPARE(::chmod(path.constData(), 0640), 0);
        const bool root = ::geteuid() == 0;
        if (root) {
            QCOMPARE(::chown(path.constData(), 0, 65534), 0);
        }
        QVERIFY(WriteFileAtomically(target, "rewritten\n", nullptr, privileged));
        struct stat after = {};
        QCOMPARE(::stat(path.constData(), &after), 0);
        QCOMPARE(after.st_mode & 07777, mode_t(0640));
        if (root) {
            QCOMPARE(after.st_gid, gid_t(65534));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void fullDiskChangesNothing()
    {
        if (::geteuid() != 0) {
            QSKIP("mounting a small file system needs root");
        }
        // A private mount namespace: the small file system is this process's alone.
        QVERIFY(::unshare(CLONE_NEWNS) == 0);
        QVERIFY(::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0);
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        QVERIFY(::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64k") == 0);
        const QString path = dir.filePath(QStringLiteral("servers.conf"));
        QVERIFY(write(path, "old\n"));
        QFile filler(dir.filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'x')) > 0 && filler.flush()) { }
        filler.close();

        const auto unchanged = [&](const FileWriteOptions &options) {
            FileWriteError error;
            return !WriteFileAtomically(path, QByteArray(8192, 'n'), &error, options) && error.code == ENOSPC && read(path) == "old\n"
                && QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() == 2;
        };
        QVERIFY(unchanged({}));
        // As under the unit that may write the file but not its folder: in place.
        const QByteArray file = QFile::encodeName(path);
        QVERIFY(::mount(file.constData(), file.constData(), nullptr, MS_BIND, nullptr) == 0);
        QVERIFY(::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0);
        FileWriteOptions inPlace;
        inPlace.inPlaceWhenFolderReadOnly = true;
        QVERIFY(unchanged(inPlace));
        QVERIFY(::umount(file.constData()) == 0);
        QVERIFY(::umount(folder.constData()) == 0);
    }
};

QTEST_GUILESS_MAIN(ConfigFilesTest)
#include "test_configfiles.moc"
