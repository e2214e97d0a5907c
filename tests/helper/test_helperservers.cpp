// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The helper's Servers interface on the private system bus: polkit's mock
    decides, systemd is the stand-in, the configuration is a copy of the fixture
    root, and what it writes for chrony is read by the real chronyd.
*/

#include "helperrig.h"
#include "standins.h"
#include "timesyncnames.h"

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace
{
const QString timesyncd = QStringLiteral("systemd-timesyncd");
const QString dropIn = QStringLiteral("/etc/systemd/timesyncd.conf.d/zz-orb-date-servers.conf");
const QString chronyConf = QStringLiteral("/etc/chrony/chrony.conf");
const QString ownSources = QStringLiteral("/etc/chrony/sources.d/orb-date-servers.sources");
const QString setServersAction = QStringLiteral("ru.veltronix.orb.date.set-servers");

QString run(const QString &program, const QStringList &arguments, int *status = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(60000);
    if (status) {
        *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    return QString::fromUtf8(process.readAll());
}
}

class HelperServersTest : public QObject
{
    Q_OBJECT

private:
    HelperRig m_rig;
    QString m_chronyd;
    QString m_chronycLog;

    QByteArray read(const QString &path) const
    {
        QFile file(m_rig.root() + path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QDBusMessage setServers(const QString &service, const QStringList &servers, const QStringList &fallback = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(HelperRig::helperName,
                                                              QStringLiteral("/"),
                                                              QStringLiteral("ru.veltronix.orb.date.Servers"),
                                                              QStringLiteral("SetServers"));
        message << service << servers << fallback;
        return HelperRig::bus().call(message);
    }

    // "unit mode" of every restart systemd was asked for.
    static QStringList restarts()
    {
        QStringList result;
        const QList<StandInCall> calls = StandIns::calls(StandIns::Systemd, QStringLiteral("RestartUnit"));
        for (const StandInCall &call : calls) {
            result << call.args.value(0).toString() + QLatin1Char(' ') + call.args.value(1).toString();
        }
        return result;
    }

    // Every chrony file the helper wrote, through chronyd's own parser.
    void verifyChronyParses()
    {
        for (const QString &path : {chronyConf, ownSources}) {
            if (!QFile::exists(m_rig.root() + path)) {
                continue;
            }
            int status = -1;
            const QString output = run(m_chronyd, {QStringLiteral("-p"), QStringLiteral("-f"), m_rig.root() + path}, &status);
            QVERIFY2(status == 0, qPrintable(path + QLatin1Char('\n') + output));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS").contains(QLatin1String("orb-buses")), "run under tests/harness/run-with-buses");
        QVERIFY(m_rig.startPolkit());
        QVERIFY(m_rig.standIns().start(StandIns::Systemd));
        int status = -1;
        m_chronyd = run(QStringLiteral(ORB_HELPER_TEST_SCRIPTS "/unpack-chrony"), {QStringLiteral(ORB_CHRONY_DIR)}, &status).trimmed();
        if (status != 0) {
            m_chronyd.clear();
        }
        qputenv("ORB_HELPER_TEST_CHRONYD", m_chronyd.toUtf8());
        qputenv("ORB_HELPER_TEST_CHRONYC", QByteArray(ORB_HELPER_TEST_SCRIPTS "/fake-chronyc"));
    }

    void init()
    {
        QVERIFY(m_rig.newRound());
        QCOMPARE(run(QStringLiteral("cp"), {QStringLiteral("-rT"), QStringLiteral(ORB_TIMESYNC_FIXTURE_DIR), m_rig.root()}), QString());
        m_chronycLog = m_rig.root() + QStringLiteral("/../chronyc.log");
        qputenv("ORB_TEST_CHRONYC_LOG", m_chronycLog.toUtf8());
        qunsetenv("ORB_TEST_CHRONYC_FAIL");
        QVERIFY(m_rig.standIns().setUnit(QStringLiteral("systemd-timesyncd.service"), QStringLiteral("active")));
        QVERIFY(m_rig.standIns().setUnit(QStringLiteral("chrony.service"), QStringLiteral("active")));
        QVERIFY(m_rig.standIns().setJobResult(QStringLiteral("systemd-timesyncd.service"), QStringLiteral("done")));
        StandIns::clearJournal();
        QVERIFY(m_rig.allow({setServersAction}));
        QVERIFY(m_rig.startHelper());
    }

    void cleanup()
    {
        m_rig.endRound();
    }

    void timesyncdDropInIsReadLast()
    {
        const QByteArray mainBefore = read(QStringLiteral("/etc/systemd/timesyncd.conf"));
        const QDBusMessage reply = setServers(timesyncd, {QStringLiteral("a.example"), QStringLiteral("[2001:db8::1]")}, {QStringLiteral("fb.example")});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        QCOMPARE(read(dropIn),
                 QByteArray("# Written by the date and time settings; saving there again replaces this file.\n"
                            "[Time]\nNTP=\nNTP=a.example 2001:db8::1\nFallbackNTP=\nFallbackNTP=fb.example\n"));
        QCOMPARE(read(QStringLiteral("/etc/systemd/timesyncd.conf")), mainBefore);
        const QString catConfig = run(
            QStringLiteral("systemd-analyze"),
            {QStringLiteral("cat-config"), QStringLiteral("systemd/timesyncd.conf"), QStringLiteral("--no-pager"), QStringLiteral("--root=") + m_rig.root()});
        QVERIFY2(catConfig.trimmed().endsWith(QLatin1String("FallbackNTP=fb.example")), qPrintable(catConfig));
        QCOMPARE(restarts(), QStringList{QStringLiteral("systemd-timesyncd.service replace")});
        QCOMPARE(m_rig.checkedActions(), QStringList{setServersAction});
        QVERIFY2(QDir(m_rig.root() + QStringLiteral("/etc/systemd/timesyncd.conf.d")).entryList(QDir::Files).size() == 2, "no file left behind");

        // A drop-in read after ours would win: refused, and ours is put back.
        QVERIFY(m_rig.writeFile(QStringLiteral("/etc/systemd/timesyncd.conf.d/zzz-local.conf"), "[Time]\nNTP=local.example\n"));
        StandIns::clearJournal();
        const QDBusMessage overridden = setServers(timesyncd, {QStringLiteral("b.example")});
        QCOMPARE(overridden.errorName(), QStringLiteral("org.freedesktop.DBus.Error.Failed"));
        QVERIFY2(overridden.errorMessage().contains(QLatin1String("overrides")), qPrintable(overridden.errorMessage()));
        QVERIFY(read(dropIn).contains("NTP=a.example 2001:db8::1\n"));
        QVERIFY(restarts().isEmpty());
    }

    void failedRestartPutsTheFilesBack()
    {
        QVERIFY(m_rig.standIns().setJobResult(QStringLiteral("systemd-timesyncd.service"), QStringLiteral("failed")));
        const QDBusMessage reply = setServers(timesyncd, {QStringLiteral("a.example")});
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.Failed"));
        QVERIFY2(reply.errorMessage().contains(QLatin1String("did not start again")), qPrintable(reply.errorMessage()));
        QVERIFY(!QFile::exists(m_rig.root() + dropIn));
        // Once with the new servers, once more with the old ones.
        QCOMPARE(restarts().size(), 2);
    }

    void chronySourcesAreCheckedByChronyd()
    {
        if (m_chronyd.isEmpty()) {
            QSKIP("chronyd could not be unpacked (apt-get download chrony failed)");
        }
        verifyChronyParses();
        const QByteArray mainBefore = read(chronyConf);

        // Only a new source: the helper's sources file and a reload, no restart.
        QDBusMessage reply = setServers(QStringLiteral("chrony"),
                                        {QStringLiteral("2.debian.pool.ntp.org"),
                                         QStringLiteral("ntp1.vniiftri.ru"),
                                         QStringLiteral("time.office.example"),
                                         QStringLiteral("2001:db8::2")});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        QCOMPARE(read(chronyConf), mainBefore);
        QVERIFY(read(ownSources).endsWith("\nserver 2001:db8::2 iburst\n"));
        QFile log(m_chronycLog);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), QByteArray("reload sources\n"));
        QVERIFY(restarts().isEmpty());
        verifyChronyParses();

        // Removing a source of the main file edits it and restarts chrony.
        reply = setServers(QStringLiteral("chrony"), {QStringLiteral("ntp1.vniiftri.ru"), QStringLiteral("time.office.example")});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        // Debian's own line is kept, disabled behind the helper's marker.
        QVERIFY(read(chronyConf).contains("\n" + QByteArray(TimeSyncNames::chronyDisabledMarker.data()) + "pool 2.debian.pool.ntp.org iburst\n"));
        QVERIFY(read(chronyConf).contains("sourcedir /etc/chrony/sources.d\n"));
        QVERIFY(!QFile::exists(m_rig.root() + ownSources));
        QCOMPARE(restarts(), QStringList{QStringLiteral("chrony.service replace")});
        verifyChronyParses();

        // A source of another file is changed there, not here.
        reply = setServers(QStringLiteral("chrony"), {QStringLiteral("ntp1.vniiftri.ru")});
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        QVERIFY2(reply.errorMessage().contains(QLatin1String("office.sources")), qPrintable(reply.errorMessage()));
    }

    void refusalsChangeNothing()
    {
        const QList<QDBusMessage> invalid = {setServers(timesyncd, {QStringLiteral("-o /tmp/x")}),
                                             setServers(timesyncd, {QStringLiteral("1.2.3.4.5")}),
                                             setServers(timesyncd, {}, {}),
                                             setServers(QStringLiteral("ntpsec"), {QStringLiteral("a.example")})};
        for (const QDBusMessage &reply : invalid) {
            QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        }
        // No password is asked for a request that cannot succeed.
        QVERIFY(m_rig.checkedActions().isEmpty());

        QVERIFY(m_rig.allow({}));
        const QDBusMessage denied = setServers(timesyncd, {QStringLiteral("a.example")});
        QCOMPARE(denied.errorName(), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
        QVERIFY(!QFile::exists(m_rig.root() + dropIn));
        QVERIFY(restarts().isEmpty());
    }
};

QTEST_GUILESS_MAIN(HelperServersTest)
#include "test_helperservers.moc"
