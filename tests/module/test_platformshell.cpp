// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The thin stand-ins for the platform's security labels and settings-centre switcher.
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include "kcmoduleswitcher.h"
#include "macdetect.h"
#include "micdetect.h"
#include "tabloader.h"

class TestPlatformShell : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void administratorModeCanBeForced()
    {
        qputenv("ORB_ADMIN_MODE", "1");
        QVERIFY(MICDetect::isCurrentProcessHasMaxMIC());
        QVERIFY(TabLoader::isAdminMode());
        qputenv("ORB_ADMIN_MODE", "0");
        QVERIFY(!MICDetect::isCurrentProcessHasMaxMIC());
        QVERIFY(!TabLoader::isAdminMode());
        // Anything else falls back to the process's own rights; root is an administrator.
        qputenv("ORB_ADMIN_MODE", "yes");
        if (geteuid() == 0) {
            QVERIFY(MICDetect::isCurrentProcessHasMaxMIC());
        }
        qunsetenv("ORB_ADMIN_MODE");
    }

    void accessLabelIsEmptyUnlessSaidOtherwise()
    {
        qunsetenv("ORB_EMPTY_MAC");
        QVERIFY(MACDetect::isCurrentProcessHasEmptyMAC());
        qputenv("ORB_EMPTY_MAC", "0");
        QVERIFY(!MACDetect::isCurrentProcessHasEmptyMAC());
        qunsetenv("ORB_EMPTY_MAC");
    }

    void switcherStartsTheHostWithTheModuleId()
    {
        QTemporaryDir dir;
        const QString record = dir.filePath(QStringLiteral("args"));
        const QString host = dir.filePath(QStringLiteral("host.sh"));
        QFile script(host);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$*\" > '%1.tmp' && mv '%1.tmp' '%1'\n").arg(record).toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        qputenv("ORB_KCMSHELL", host.toLocal8Bit());
        QVERIFY(KCMNS::KCModulesSwitcher::gotoKCModule(QStringLiteral("kcm_orb_admin_time")));
        QTRY_VERIFY(QFile::exists(record));
        QFile args(record);
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(args.readAll(), QByteArray("kcm_orb_admin_time"));

        qputenv("ORB_KCMSHELL", dir.filePath(QStringLiteral("missing")).toLocal8Bit());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Unable to start .*missing.*kcm_orb_admin_time")));
        QVERIFY(!KCMNS::KCModulesSwitcher::gotoKCModule(QStringLiteral("kcm_orb_admin_time")));
        qunsetenv("ORB_KCMSHELL");
    }
};

QTEST_GUILESS_MAIN(TestPlatformShell)
#include "test_platformshell.moc"
