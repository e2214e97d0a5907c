// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "configreaders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include "timesyncnames.h"

namespace ConfigPaths
{
QString below(const QString &root, const QString &absolutePath)
{
    return QDir::cleanPath(root + QLatin1Char('/') + absolutePath);
}

QStringList words(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.split(blanks, Qt::SkipEmptyParts);
}

QStringList unique(const QStringList &list)
{
    QStringList result = list;
    result.removeDuplicates();
    return result;
}
}

namespace
{
using ConfigPaths::below;
using ConfigPaths::words;

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The files matching `pattern` in each of `dirs` (below `root`), merged in file-name
// order; a name seen in an earlier folder hides the same name in later ones.
QStringList mergedFolders(const QString &root, const QStringList &dirs, const QString &pattern)
{
    QMap<QString, QString> byName;
    for (const QString &dir : dirs) {
        const QDir folder(below(root, dir));
        for (const QString &name : folder.entryList({pattern}, QDir::Files | QDir::Readable, QDir::Name)) {
            if (!byName.contains(name)) {
                byName.insert(name, folder.filePath(name));
            }
        }
    }
    return byName.values();
}
}

namespace TimesyncdConfig
{
QStringList files(const QString &root)
{
    // Later folders take precedence; a map by name keeps systemd's sort order.
    QMap<QString, QString> dropIns;
    for (const QString &dir : TimeSyncNames::timesyncdDropInDirs()) {
        const QDir folder(below(root, dir));
        for (const QString &name : folder.entryList({QStringLiteral("*.conf")}, QDir::Files | QDir::Readable, QDir::Name)) {
            dropIns.insert(name, folder.filePath(name));
        }
    }
    return QStringList{below(root, TimeSyncNames::timesyncdMainFile)} + dropIns.values();
}

void parse(const QString &text, Servers *servers)
{
    QString section;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            // Each file starts outside any section; cat-config output repeats the header.
            section = line.endsWith(QLatin1Char(']')) ? line.mid(1, line.size() - 2).trimmed() : QString();
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (section != QLatin1String("Time") || equals < 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        QStringList *list = key == QLatin1String("NTP") ? &servers->ntp : key == QLatin1String("FallbackNTP") ? &servers->fallback : nullptr;
        if (!list) {
            continue;
        }
        servers->fallbackAssigned = servers->fallbackAssigned || list == &servers->fallback;
        const QStringList values = words(line.mid(equals + 1));
        if (values.isEmpty()) {
            list->clear();
        }
        *list << values;
    }
}

Servers read(const QString &root)
{
    Servers servers;
    for (const QString &path : files(root)) {
        parse(readText(path), &servers);
    }
    return servers;
}
}

namespace ChronyConfig
{
bool isComment(const QString &line)
{
    const QString trimmed = line.trimmed();
    return trimmed.isEmpty() || QStringLiteral("#;!%").contains(trimmed.front());
}

QString sourceName(const QString &line, QString *directive)
{
    if (isComment(line)) {
        return QString();
    }
    const QStringList parts = words(line);
    const QString first = parts.constFirst().toLower();
    if (parts.size() < 2 || (first != QLatin1String("server") && first != QLatin1String("pool") && first != QLatin1String("peer"))) {
        return QString();
    }
    if (directive) {
        *directive = first;
    }
    return parts.at(1);
}

QString mainFile(const QString &root)
{
    for (const QString &candidate : TimeSyncNames::chronyMainFiles()) {
        if (QFileInfo::exists(below(root, candidate))) {
            return below(root, candidate);
        }
    }
    return below(root, TimeSyncNames::chronyMainFiles().constFirst());
}

namespace
{
void readFile(const QString &root, const QString &path, int depth, Layout *layout)
{
    // Includes may name each other: each file once, and not too deep.
    constexpr int maxDepth = 10;
    if (depth > maxDepth || layout->files.contains(path)) {
        return;
    }
    layout->files << path;
    for (const QString &line : readText(path).split(QLatin1Char('\n'))) {
        if (isComment(line)) {
            continue;
        }
        const QStringList parts = words(line);
        const QString directive = parts.constFirst().toLower();
        const QStringList arguments = parts.mid(1);
        if (arguments.isEmpty()) {
            continue;
        }
        if (directive == QLatin1String("include")) {
            const QFileInfo pattern(below(root, arguments.constFirst()));
            const QDir folder = pattern.dir();
            for (const QString &name : folder.entryList({pattern.fileName()}, QDir::Files | QDir::Readable, QDir::Name)) {
                readFile(root, folder.filePath(name), depth + 1, layout);
            }
        } else if (directive == QLatin1String("confdir")) {
            for (const QString &file : mergedFolders(root, arguments, QStringLiteral("*.conf"))) {
                readFile(root, file, depth + 1, layout);
            }
        } else if (directive == QLatin1String("sourcedir")) {
            layout->sourceDirs << arguments;
        }
    }
}
}

Layout read(const QString &root)
{
    Layout layout;
    const QString main = mainFile(root);
    if (!QFileInfo::exists(main)) {
        return layout;
    }
    readFile(root, main, 0, &layout);
    // Sources files hold source lines only and are read after the configuration.
    for (const QString &file : mergedFolders(root, layout.sourceDirs, QStringLiteral("*.sources"))) {
        if (!layout.files.contains(file)) {
            layout.files << file;
        }
    }
    return layout;
}

QStringList sources(const QStringList &files)
{
    QStringList names;
    for (const QString &path : files) {
        for (const QString &line : readText(path).split(QLatin1Char('\n'))) {
            const QString name = sourceName(line);
            if (!name.isEmpty()) {
                names << name;
            }
        }
    }
    return names;
}

QByteArray rootedCopy(const QString &root, const QByteArray &content)
{
    QByteArray result;
    for (const QByteArray &line : content.split('\n')) {
        const QString text = QString::fromUtf8(line);
        const QStringList parts = words(text);
        const QString directive = isComment(text) ? QString() : parts.constFirst().toLower();
        if (directive != QLatin1String("include") && directive != QLatin1String("confdir") && directive != QLatin1String("sourcedir")) {
            result += line + '\n';
            continue;
        }
        QStringList rooted{parts.constFirst()};
        for (const QString &path : parts.mid(1)) {
            rooted << below(root, path);
        }
        result += rooted.join(QLatin1Char(' ')).toUtf8() + '\n';
    }
    result.chop(1);
    return result;
}
}

namespace NtpsecConfig
{
QString sourceName(const QString &line)
{
    const QStringList parts = words(line.left(line.indexOf(QLatin1Char('#'))));
    if (parts.size() < 2) {
        return QString();
    }
    const QString directive = parts.constFirst().toLower();
    return directive == QLatin1String("server") || directive == QLatin1String("pool") || directive == QLatin1String("peer") ? parts.at(1) : QString();
}

QStringList sources(const QString &root)
{
    for (const QString &candidate : TimeSyncNames::ntpsecMainFiles()) {
        const QString path = below(root, candidate);
        if (!QFileInfo::exists(path)) {
            continue;
        }
        QStringList names;
        for (const QString &line : readText(path).split(QLatin1Char('\n'))) {
            const QString name = sourceName(line);
            if (!name.isEmpty()) {
                names << name;
            }
        }
        return names;
    }
    return {};
}
}
