// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The date helper's own checks: which server names it passes to the NTP tool,
    which servers an empty name means, how it reads the tool's report, and how
    it moves the clock (recorded in a file by the test build).
*/

#include "ntpquery.h"
#include "ntpservers.h"
#include "servername.h"
#include "systemclock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

class HelperLogicTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString root(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(path);
        return path;
    }

    static void write(const QString &root, const QString &path, const QByteArray &content)
    {
        const QString full = root + path;
        QDir().mkpath(QFileInfo(full).path());
        QFile file(full);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QList<QByteArray> clockLog(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return file.readAll().trimmed().split('\n');
    }

private Q_SLOTS:
    void serverNames_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("normalized");

        QTest::newRow("host name") << QStringLiteral("ntp1.vniiftri.ru") << QStringLiteral("ntp1.vniiftri.ru");
        QTest::newRow("single label") << QStringLiteral("timeserver") << QStringLiteral("timeserver");
        QTest::newRow("fully qualified") << QStringLiteral("Pool.NTP.org.") << QStringLiteral("Pool.NTP.org.");
        QTest::newRow("surrounding blanks") << QStringLiteral(" \tpool.ntp.org \n") << QStringLiteral("pool.ntp.org");
        QTest::newRow("IPv4") << QStringLiteral("192.0.2.10") << QStringLiteral("192.0.2.10");
        QTest::newRow("IPv6") << QStringLiteral("2001:db8::1") << QStringLiteral("2001:db8::1");
        QTest::newRow("IPv6 in brackets") << QStringLiteral("[::1]") << QStringLiteral("::1");
        QTest::newRow("63-character label") << QString(QString(63, QLatin1Char('a')) + QStringLiteral(".org"))
                                            << QString(QString(63, QLatin1Char('a')) + QStringLiteral(".org"));

        const QString refused;
        QTest::newRow("empty") << QString() << refused;
        QTest::newRow("option") << QStringLiteral("-h") << refused;
        QTest::newRow("long option") << QStringLiteral("--step") << refused;
        QTest::newRow("option after blanks") << QStringLiteral("  -S") << refused;
        QTest::newRow("two words") << QStringLiteral("pool.ntp.org -S") << refused;
        QTest::newRow("shell") << QStringLiteral("x;reboot") << refused;
        QTest::newRow("command substitution") << QStringLiteral("$(id).example.org") << refused;
        QTest::newRow("line break") << QStringLiteral("a\nb") << refused;
        QTest::newRow("empty label") << QStringLiteral("a..b") << refused;
        QTest::newRow("leading dot") << QStringLiteral(".example.org") << refused;
        QTest::newRow("label starting with hyphen") << QStringLiteral("a.-b.org") << refused;
        QTest::newRow("label ending with hyphen") << QStringLiteral("a-.org") << refused;
        QTest::newRow("underscore") << QStringLiteral("ntp_1.example.org") << refused;
        QTest::newRow("not ASCII") << QStringLiteral("время.рф") << refused;
        QTest::newRow("64-character label") << QString(QString(64, QLatin1Char('a')) + QStringLiteral(".org")) << refused;
        QTest::newRow("254 characters") << QString(QString(QStringLiteral("abcdefghi.")).repeated(25) + QStringLiteral("abcd")) << refused;
        QTest::newRow("leading zero in address") << QStringLiteral("127.0.0.01") << refused;
        QTest::newRow("short address") << QStringLiteral("127.1") << refused;
        QTest::newRow("number") << QStringLiteral("2130706433") << refused;
        QTest::newRow("hexadecimal shorthand") << QStringLiteral("0x7f.0.0.1") << refused;
        QTest::newRow("octal shorthand, final dot") << QStringLiteral("017.1.") << refused;
        QTest::newRow("hexadecimal number") << QStringLiteral("0xDEAD") << refused;
        QTest::newRow("hexadecimal-looking host") << QStringLiteral("0xdead.example.org") << QStringLiteral("0xdead.example.org");
        QTest::newRow("octet too large") << QStringLiteral("256.1.1.1") << refused;
        QTest::newRow("IPv6 scope") << QStringLiteral("fe80::1%eth0") << refused;
        QTest::newRow("IPv4 in brackets") << QStringLiteral("[127.0.0.1]") << refused;
        QTest::newRow("empty brackets") << QStringLiteral("[]") << refused;
        QTest::newRow("port") << QStringLiteral("pool.ntp.org:123") << refused;
    }

    void serverNames()
    {
        QFETCH(QString, server);
        QFETCH(QString, normalized);
        QCOMPARE(ServerName::normalized(server), normalized);
    }

    void toolReport()
    {
        // As ntpdig --json prints it, after a log line of its own.
        const QByteArray output =
            "ntpdig: lookup of ntp2.example.org failed\n"
            "{\"time\":\"2026-12-08T05:00:18.409818+0000\",\"offset\":-999.999146,\"precision\":0.001659,"
            "\"host\":\"ntp1.example.org\",\"ip\":\"192.0.2.10\",\"stratum\":2,\"leap\":\"no-leap\",\"adjusted\":false}\n";
        double offset = 0;
        QString server;
        QVERIFY(NtpQuery::parseReport(output, &offset, &server));
        QCOMPARE(offset, -999.999146);
        QCOMPARE(server, QStringLiteral("ntp1.example.org (192.0.2.10)"));

        QVERIFY(!NtpQuery::parseReport("2026-12-08 05:00:18.409818 (+0000) +0.000012 +/- 0.001 127.0.0.1 s2 no-leap\n", &offset, &server));
        QVERIFY(!NtpQuery::parseReport("{\"host\":\"127.0.0.1\"}\n", &offset, &server));
        QVERIFY(!NtpQuery::parseReport("{\"offset\":\"12\"}\n", &offset, &server));
        QVERIFY(!NtpQuery::parseReport(QByteArray(), &offset, &server));
    }

    void toolFailureReasons()
    {
        const QString lookup =
            QStringLiteral("ntpdig: lookup of ntp.example.invalid failed, errno -2 = Name or service not known\nntpdig: no eligible servers");
        // The page replaces every text that names the tool: a lookup failure must not.
        const QString reason = NtpQuery::failureReason(lookup, {QStringLiteral("ntp.example.invalid")});
        QVERIFY2(reason.contains(QLatin1String("ntp.example.invalid")) && reason.contains(QLatin1String("Name or service not known")), qPrintable(reason));
        QVERIFY(!reason.contains(QLatin1String("ntpdig")));
        // Servers that were found but did not answer keep the tool's words.
        QCOMPARE(NtpQuery::failureReason(lookup, {QStringLiteral("ntp.example.invalid"), QStringLiteral("127.0.0.1")}), lookup);
    }

    void timesyncdServers()
    {
        const QString tree = root(QStringLiteral("timesyncd"));
        QCOMPARE(NtpServers::configured(tree), NtpServers::platformDefault());

        write(tree,
              QStringLiteral("/etc/systemd/timesyncd.conf"),
              "[Time]\n#NTP=commented.example.org\nNTP=a.example.org  b.example.org\nFallbackNTP=fallback.example.org\n"
              "[Other]\nNTP=other.example.org\n");
        QCOMPARE(NtpServers::configured(tree), (QStringList{QStringLiteral("a.example.org"), QStringLiteral("b.example.org")}));

        // Drop-ins in file-name order; one in /etc hides its namesake in /usr/lib;
        // an empty assignment empties the list.
        write(tree, QStringLiteral("/usr/lib/systemd/timesyncd.conf.d/20-vendor.conf"), "[Time]\nNTP=vendor.example.org\n");
        write(tree, QStringLiteral("/usr/lib/systemd/timesyncd.conf.d/30-hidden.conf"), "[Time]\nNTP=hidden.example.org\n");
        write(tree, QStringLiteral("/etc/systemd/timesyncd.conf.d/10-reset.conf"), "[Time]\nNTP=\nNTP=local.example.org\n");
        write(tree, QStringLiteral("/etc/systemd/timesyncd.conf.d/30-hidden.conf"), "[Time]\nNTP=-S local.example.org 192.0.2.1\n");
        QCOMPARE(NtpServers::configured(tree),
                 (QStringList{QStringLiteral("local.example.org"), QStringLiteral("vendor.example.org"), QStringLiteral("192.0.2.1")}));

        // No NTP= servers: FallbackNTP=; assigned empty, the platform's pool.
        write(tree, QStringLiteral("/etc/systemd/timesyncd.conf.d/90-none.conf"), "[Time]\nNTP=\n");
        QCOMPARE(NtpServers::configured(tree), QStringList{QStringLiteral("fallback.example.org")});
        write(tree, QStringLiteral("/etc/systemd/timesyncd.conf.d/91-nofallback.conf"), "[Time]\nFallbackNTP=\n");
        QCOMPARE(NtpServers::configured(tree), QStringList());
        QCOMPARE(NtpServers::defaultServers(tree), NtpServers::platformDefault());
    }

    void chronyServers()
    {
        const QString tree = root(QStringLiteral("chrony"));
        write(tree, QStringLiteral("/usr/sbin/chronyd"), "");
        write(tree, QStringLiteral("/etc/systemd/timesyncd.conf"), "[Time]\nNTP=timesyncd.example.org\n");
        write(tree,
              QStringLiteral("/etc/chrony/chrony.conf"),
              "# pool commented.example.org\n! server commented.example.org\n"
              "pool 2.debian.pool.ntp.org iburst\nconfdir /etc/chrony/conf.d\nsourcedir /run/chrony-dhcp /etc/chrony/sources.d\n"
              "server --bad iburst\nSERVER Upper.example.org\nkeyfile /etc/chrony/chrony.keys\n");
        write(tree, QStringLiteral("/etc/chrony/conf.d/local.conf"), "server 192.0.2.5 iburst prefer\n");
        write(tree, QStringLiteral("/etc/chrony/sources.d/site.sources"), "server 2.debian.pool.ntp.org\nserver site.example.org\nserver fifth.example.org\n");
        write(tree, QStringLiteral("/etc/chrony/sources.d/ignored.conf"), "server ignored.example.org\n");
        // Each name once, and no more than the helper asks.
        QCOMPARE(NtpServers::configured(tree),
                 (QStringList{QStringLiteral("2.debian.pool.ntp.org"),
                              QStringLiteral("Upper.example.org"),
                              QStringLiteral("192.0.2.5"),
                              QStringLiteral("site.example.org")}));
    }

    void ntpsecServers()
    {
        const QString tree = root(QStringLiteral("ntpsec"));
        write(tree, QStringLiteral("/usr/sbin/ntpd"), "");
        write(tree,
              QStringLiteral("/etc/ntpsec/ntp.conf"),
              "driftfile /var/lib/ntpsec/ntp.drift\n#server old.example.org\npool 0.debian.pool.ntp.org iburst\nserver 2001:db8::7\n");
        QCOMPARE(NtpServers::configured(tree), (QStringList{QStringLiteral("0.debian.pool.ntp.org"), QStringLiteral("2001:db8::7")}));
    }

    void clockSteps()
    {
        const QString log = m_dir.filePath(QStringLiteral("clock.log"));
        qputenv("ORB_HELPER_TEST_CLOCK_LOG", QFile::encodeName(log));
        qputenv("ORB_HELPER_TEST_ROOT", QFile::encodeName(root(QStringLiteral("no-rtc"))));

        timespec exact{};
        exact.tv_sec = 1700000000;
        exact.tv_nsec = 5;
        QString error;
        QVERIFY(SystemClock::set(exact, &error));
        QCOMPARE(clockLog(log), QList<QByteArray>{"clock 1700000000.000000005"});

        const double before = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        QVERIFY(SystemClock::stepBy(-3600.75, &error));
        const double after = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        const QList<QByteArray> lines = clockLog(log);
        QCOMPARE(lines.size(), 2);
        const QList<QByteArray> parts = lines.at(1).split(' ');
        QCOMPARE(parts.constFirst(), QByteArray("clock"));
        const QList<QByteArray> secondsAndNanoseconds = parts.at(1).split('.');
        QCOMPARE(secondsAndNanoseconds.at(1).size(), 9);
        QVERIFY(secondsAndNanoseconds.at(1).toLong() < 1000000000L);
        const double stepped = parts.at(1).toDouble();
        QVERIFY2(stepped >= before - 3600.75 - 0.01 && stepped <= after - 3600.75 + 0.01, lines.at(1).constData());

        // Offsets that no synchronization gives change nothing.
        QVERIFY(!SystemClock::stepBy(std::nan(""), &error));
        QVERIFY(!SystemClock::stepBy(1e300, &error));
        // Nor does one that leaves what SetTime accepts (up to 2106).
        QVERIFY(!SystemClock::stepBy(5e9 - QDateTime::currentSecsSinceEpoch(), &error));
        QVERIFY(!SystemClock::stepBy(-1.0 - QDateTime::currentSecsSinceEpoch(), &error));
        QCOMPARE(clockLog(log).size(), 2);

        // Without its clock log the test build refuses rather than touch the clock.
        qputenv("ORB_HELPER_TEST_CLOCK_LOG", QByteArray());
        error.clear();
        QVERIFY(!SystemClock::set(exact, &error));
        QVERIFY(error.contains(QLatin1String("clock log")));
    }
};

QTEST_GUILESS_MAIN(HelperLogicTest)
#include "test_helperlogic.moc"
