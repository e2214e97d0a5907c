#include "ntpservers.h"

#include "servername.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

namespace NtpServers {
namespace {
QString below(const QString &root, const QString &absolutePath)
{
    return QDir::cleanPath(root + QLatin1Char('/') + absolutePath);
}

QStringList lines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

QStringList words(const QString &line)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return line.split(blanks, Qt::SkipEmptyParts);
}

QStringList filesIn(const QString &directory, const QString &pattern)
{
    QStringList files;
    const QStringList names = QDir(directory).entryList({pattern}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : names) {
        files << directory + QLatin1Char('/') + name;
    }
    return files;
}

// "server NAME ..." and "pool NAME ..." lines of chrony and ntpd files; `comments`
// are the characters that start a comment line.
QStringList sourceLines(const QStringList &text, const QString &comments, QStringList *confDirs = nullptr, QStringList *sourceDirs = nullptr)
{
    QStringList hosts;
    for (const QString &line : text) {
        const QStringList parts = words(line);
        if (parts.size() < 2 || comments.contains(parts.front().front())) {
            continue;
        }
        const QString directive = parts.front().toLower();
        if (directive == QLatin1String("server") || directive == QLatin1String("pool")) {
            hosts << parts.at(1);
        } else if (confDirs && directive == QLatin1String("confdir")) {
            *confDirs << parts.mid(1);
        } else if (sourceDirs && directive == QLatin1String("sourcedir")) {
            *sourceDirs << parts.mid(1);
        }
    }
    return hosts;
}

QStringList chronyServers(const QString &root)
{
    const QStringList mainFiles = {QStringLiteral("/etc/chrony/chrony.conf"), QStringLiteral("/etc/chrony.conf")};
    for (const QString &mainFile : mainFiles) {
        const QString path = below(root, mainFile);
        if (!QFileInfo::exists(path)) {
            continue;
        }
        const QString comments = QStringLiteral("#;!%");
        QStringList confDirs;
        QStringList sourceDirs;
        QStringList hosts = sourceLines(lines(path), comments, &confDirs, &sourceDirs);
        for (const QString &dir : qAsConst(confDirs)) {
            for (const QString &file : filesIn(below(root, dir), QStringLiteral("*.conf"))) {
                hosts << sourceLines(lines(file), comments);
            }
        }
        for (const QString &dir : qAsConst(sourceDirs)) {
            for (const QString &file : filesIn(below(root, dir), QStringLiteral("*.sources"))) {
                hosts << sourceLines(lines(file), comments);
            }
        }
        return hosts;
    }
    return {};
}

QStringList ntpdServers(const QString &root)
{
    const QStringList mainFiles = {QStringLiteral("/etc/ntpsec/ntp.conf"), QStringLiteral("/etc/ntp.conf")};
    for (const QString &mainFile : mainFiles) {
        const QString path = below(root, mainFile);
        if (QFileInfo::exists(path)) {
            return sourceLines(lines(path), QStringLiteral("#"));
        }
    }
    return {};
}

// timesyncd reads its main file, then the drop-ins of all its directories sorted
// by file name, where a file in a later directory hides one of the same name in
// an earlier one. An empty assignment empties the list; others add to it.
QStringList timesyncdServers(const QString &root)
{
    QStringList files = {below(root, QStringLiteral("/etc/systemd/timesyncd.conf"))};
    const QStringList dropInDirs = {
        QStringLiteral("/usr/lib/systemd/timesyncd.conf.d"),
        QStringLiteral("/usr/local/lib/systemd/timesyncd.conf.d"),
        QStringLiteral("/run/systemd/timesyncd.conf.d"),
        QStringLiteral("/etc/systemd/timesyncd.conf.d"),
    };
    QMap<QString, QString> dropIns;
    for (const QString &dir : dropInDirs) {
        for (const QString &file : filesIn(below(root, dir), QStringLiteral("*.conf"))) {
            dropIns.insert(QFileInfo(file).fileName(), file);
        }
    }
    files << dropIns.values();

    QStringList ntp;
    QStringList fallback;
    bool fallbackAssigned = false;
    for (const QString &file : qAsConst(files)) {
        bool inTime = false;
        for (const QString &rawLine : lines(file)) {
            const QString line = rawLine.trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';'))) {
                continue;
            }
            if (line.startsWith(QLatin1Char('['))) {
                inTime = line == QLatin1String("[Time]");
                continue;
            }
            const int equals = line.indexOf(QLatin1Char('='));
            if (!inTime || equals < 0) {
                continue;
            }
            const QString key = line.left(equals).trimmed();
            const QStringList values = words(line.mid(equals + 1));
            QStringList *list = key == QLatin1String("NTP") ? &ntp : key == QLatin1String("FallbackNTP") ? &fallback : nullptr;
            if (!list) {
                continue;
            }
            if (list == &fallback) {
                fallbackAssigned = true;
            }
            if (values.isEmpty()) {
                list->clear();
            } else {
                *list << values;
            }
        }
    }
    if (!ntp.isEmpty()) {
        return ntp;
    }
    return fallbackAssigned ? fallback : platformDefault();
}

QStringList usable(const QStringList &names)
{
    QStringList result;
    for (const QString &name : names) {
        const QString server = ServerName::normalized(name);
        if (!server.isEmpty() && !result.contains(server)) {
            result << server;
        }
        if (result.size() == maxServers) {
            break;
        }
    }
    return result;
}
}

QStringList configured(const QString &root)
{
    if (QFileInfo::exists(below(root, QStringLiteral("/usr/sbin/chronyd")))) {
        return usable(chronyServers(root));
    }
    if (QFileInfo::exists(below(root, QStringLiteral("/usr/sbin/ntpd")))) {
        return usable(ntpdServers(root));
    }
    return usable(timesyncdServers(root));
}

QStringList platformDefault()
{
    return {
        QStringLiteral("0.debian.pool.ntp.org"),
        QStringLiteral("1.debian.pool.ntp.org"),
        QStringLiteral("2.debian.pool.ntp.org"),
        QStringLiteral("3.debian.pool.ntp.org"),
    };
}

QStringList defaultServers(const QString &root)
{
    const QStringList servers = configured(root);
    return servers.isEmpty() ? platformDefault() : servers;
}
}
