// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    What `cmake --install` puts in place for the date helper: the service binary,
    the files through which D-Bus starts it and lets callers reach it, its systemd
    unit and its polkit actions.
*/

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "installtree.h"

class HelperInstallTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_prefix;
    QStringList m_installed;

    QString installed(const QString &pattern) const
    {
        const QStringList matches = m_installed.filter(QRegularExpression(pattern));
        return matches.size() == 1 ? matches.constFirst() : QString();
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        const QString failure = installBuildTree(m_prefix.path(), QStringLiteral("orbdatehelper"));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QDirIterator it(m_prefix.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            m_installed << it.next().mid(m_prefix.path().size());
        }
        m_installed.sort();
        QCOMPARE(m_installed.size(), 5);
    }

    void serviceStartsTheInstalledBinary()
    {
        const QString binary = installed(QStringLiteral("^/lib/.*libexec/orb-date-helper$"));
        QVERIFY2(!binary.isEmpty(), qPrintable(m_installed.join(QLatin1Char(' '))));
        QVERIFY(QFileInfo(m_prefix.path() + binary).isExecutable());

        const QString service = installed(QStringLiteral("^/share/dbus-1/system-services/ru\\.veltronix\\.orb\\.date\\.service$"));
        QVERIFY(!service.isEmpty());
        const QByteArray activation = read(m_prefix.path() + service);
        QVERIFY(activation.startsWith("[D-BUS Service]\n"));
        QVERIFY(activation.contains("\nName=ru.veltronix.orb.date\n"));
        QVERIFY(activation.contains("\nExec=" + QFile::encodeName(m_prefix.path() + binary) + '\n'));
        QVERIFY(activation.contains("\nUser=root\n"));
        QVERIFY(activation.contains("\nSystemdService=orb-date-helper.service\n"));

        const QString unit = installed(QStringLiteral("^/lib/systemd/system/orb-date-helper\\.service$"));
        QVERIFY(!unit.isEmpty());
        const QByteArray unitText = read(m_prefix.path() + unit);
        QVERIFY(unitText.contains("\nType=dbus\n"));
        QVERIFY(unitText.contains("\nBusName=ru.veltronix.orb.date\n"));
        QVERIFY(unitText.contains("\nExecStart=" + QFile::encodeName(m_prefix.path() + binary) + '\n'));
    }

    void installedBinaryHasNoTestHooks()
    {
        // The test build's switches must not exist in the service that runs as root.
        const QByteArray binary = read(m_prefix.path() + installed(QStringLiteral("libexec/orb-date-helper$")));
        QVERIFY(binary.size() > 0);
        QVERIFY(!binary.contains("ORB_HELPER_TEST_CLOCK_LOG"));
        QVERIFY(!binary.contains("ORB_HELPER_TEST_NTPDIG"));
        QVERIFY(!binary.contains("ORB_HELPER_TEST_ROOT"));
        QVERIFY(read(QStringLiteral(ORB_DATE_HELPER_TEST_EXE)).contains("ORB_HELPER_TEST_CLOCK_LOG"));
    }

    void unitIsHardened()
    {
        const QString unit = installed(QStringLiteral("^/lib/systemd/system/orb-date-helper\\.service$"));
        QProcess analyze;
        analyze.setProcessChannelMode(QProcess::MergedChannels);
        analyze.start(QStringLiteral("systemd-analyze"), {QStringLiteral("security"), QStringLiteral("--offline=true"), m_prefix.path() + unit});
        QVERIFY(analyze.waitForFinished(60000));
        const QString output = QString::fromUtf8(analyze.readAll());
        const QRegularExpressionMatch level = QRegularExpression(QStringLiteral("Overall exposure level for \\S+: (\\d+\\.\\d)")).match(output);
        QVERIFY2(level.hasMatch(), qPrintable(output.right(500)));
        // As hardened as timedated's own unit on Debian 12 (2.4) allows for a helper that also starts ntpdig.
        QVERIFY2(level.captured(1).toDouble() <= 3.0, qPrintable(level.captured(0)));
    }

    void busPolicyLetsAPlainUserCallTheHelper()
    {
        const QString policy = installed(QStringLiteral("^/share/dbus-1/system\\.d/ru\\.veltronix\\.orb\\.date\\.conf$"));
        QVERIFY(!policy.isEmpty());
        // Debian's own system bus configuration, deny by default, on a socket of our own.
        QString config = QString::fromUtf8(read(QStringLiteral("/usr/share/dbus-1/system.conf")));
        QVERIFY(config.contains(QLatin1String("<deny send_type=\"method_call\"/>")));
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
        const QString socket = dir.filePath(QStringLiteral("bus.sock"));
        config.remove(
            QRegularExpression(QStringLiteral("<(user|pidfile|servicehelper)>[^<]*</\\1>|<(fork|syslog|standard_system_servicedirs)/>|<include[^>]*>[^<]*</"
                                              "include>|<includedir>[^<]*</includedir>")));
        config.replace(QRegularExpression(QStringLiteral("<listen>[^<]*</listen>")), QStringLiteral("<listen>unix:path=%1</listen>").arg(socket));
        config.replace(QLatin1String("</busconfig>"), QStringLiteral("<include>%1</include>\n</busconfig>").arg(m_prefix.path() + policy));
        const QString configPath = dir.filePath(QStringLiteral("system.conf"));
        QFile file(configPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(config.toUtf8());
        file.close();
        QProcess bus;
        bus.setProcessChannelMode(QProcess::MergedChannels);
        bus.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--config-file=") + configPath, QStringLiteral("--nofork"), QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        QVERIFY(bus.waitForReadyRead(10000));
        const QByteArray address = bus.readLine().trimmed();
        QVERIFY2(address.startsWith("unix:path="), address.constData());

        // The helper, as root, may own its name there; no polkit on this bus, so
        // it refuses every request itself, in its own words.
        QProcess helper;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QString::fromUtf8(address));
        helper.setProcessEnvironment(environment);
        helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper.start(QStringLiteral(ORB_DATE_HELPER_TEST_EXE), {QStringLiteral("--idle-timeout"), QStringLiteral("0")});
        QVERIFY(helper.waitForStarted());

        // A plain user calls it: "nobody", since the bus refuses uids it cannot look
        // up, and a user of our own would mean editing /etc.
        QProcess caller;
        caller.setProcessEnvironment(environment);
        const QStringList send{QStringLiteral("--reuid=65534"),
                               QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups"),
                               QStringLiteral("dbus-send"),
                               QStringLiteral("--system"),
                               QStringLiteral("--print-reply"),
                               QStringLiteral("--dest=ru.veltronix.orb.date"),
                               QStringLiteral("/"),
                               QStringLiteral("ru.veltronix.orb.date.Manager.SwitchTab")};
        QString answer;
        for (int attempt = 0; attempt < 50 && !answer.contains(QLatin1String("polkit could not be asked")); ++attempt) {
            QTest::qWait(100);
            caller.start(QStringLiteral("setpriv"), send);
            QVERIFY(caller.waitForFinished(10000));
            answer = QString::fromUtf8(caller.readAllStandardOutput() + caller.readAllStandardError());
        }
        helper.terminate();
        helper.waitForFinished(5000);
        bus.terminate();
        bus.waitForFinished(5000);
        QVERIFY2(answer.contains(QLatin1String("polkit could not be asked")), qPrintable(answer));
    }

    void polkitActions()
    {
        const QString policy = installed(QStringLiteral("^/share/polkit-1/actions/ru\\.veltronix\\.orb\\.date\\.policy$"));
        QVERIFY(!policy.isEmpty());
        QXmlStreamReader xml(read(m_prefix.path() + policy));
        QMap<QString, QString> activeDefaults;
        QMap<QString, QString> anyDefaults;
        QString action;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement()) {
                continue;
            }
            if (xml.name() == QLatin1String("action")) {
                action = xml.attributes().value(QLatin1String("id")).toString();
            } else if (xml.name() == QLatin1String("allow_active")) {
                activeDefaults[action] = xml.readElementText();
            } else if (xml.name() == QLatin1String("allow_any")) {
                anyDefaults[action] = xml.readElementText();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        const QStringList actions = {QStringLiteral("ru.veltronix.orb.date.ntp-sync"),
                                     QStringLiteral("ru.veltronix.orb.date.set-servers"),
                                     QStringLiteral("ru.veltronix.orb.date.set-time"),
                                     QStringLiteral("ru.veltronix.orb.date.switch-tab")};
        QCOMPARE(activeDefaults.keys(), actions);
        for (const QString &id : actions) {
            QCOMPARE(activeDefaults.value(id), QStringLiteral("auth_admin_keep"));
            QCOMPARE(anyDefaults.value(id), QStringLiteral("auth_admin"));
        }
    }
};

QTEST_GUILESS_MAIN(HelperInstallTest)
#include "test_helperinstall.moc"
