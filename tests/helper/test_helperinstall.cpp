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

    void busPolicyIsAcceptedByTheBus()
    {
        const QString policy = installed(QStringLiteral("^/share/dbus-1/system\\.d/ru\\.veltronix\\.orb\\.date\\.conf$"));
        QVERIFY(!policy.isEmpty());
        // A bus that includes the policy starts only when the file is valid bus configuration.
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig>\n<type>system</type>\n"
                   "<listen>unix:path="
            + QFile::encodeName(dir.filePath(QStringLiteral("bus.sock"))) + "</listen>\n<auth>EXTERNAL</auth>\n<include>"
            + QFile::encodeName(m_prefix.path() + policy) + "</include>\n</busconfig>\n");
        file.close();
        QProcess bus;
        bus.setProcessChannelMode(QProcess::MergedChannels);
        bus.start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        QVERIFY(bus.waitForReadyRead(10000));
        const QByteArray output = bus.readAll();
        bus.terminate();
        bus.waitForFinished(5000);
        QVERIFY2(output.startsWith("unix:path="), output.constData());
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
        const QStringList actions = {QStringLiteral("ru.veltronix.orb.date.ntp-sync"), QStringLiteral("ru.veltronix.orb.date.set-servers"),
            QStringLiteral("ru.veltronix.orb.date.set-time"), QStringLiteral("ru.veltronix.orb.date.switch-tab")};
        QCOMPARE(activeDefaults.keys(), actions);
        for (const QString &id : actions) {
            QCOMPARE(activeDefaults.value(id), QStringLiteral("auth_admin_keep"));
            QCOMPARE(anyDefaults.value(id), QStringLiteral("auth_admin"));
        }
    }
};

QTEST_GUILESS_MAIN(HelperInstallTest)
#include "test_helperinstall.moc"
