// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "configtext.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

ConfigFile ConfigFile::read(const QString &path)
{
    ConfigFile file;
    file.path = path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return file;
    }
    file.exists = true;
    const QByteArray data = f.readAll();
    int start = 0;
    while (start < data.size()) {
        const int end = data.indexOf('\n', start);
        if (end < 0) {
            file.lines << data.mid(start);
            break;
        }
        file.lines << data.mid(start, end - start + 1);
        start = end + 1;
    }
    return file;
}

QByteArray ConfigFile::content() const
{
    QByteArray data;
    for (const QByteArray &line : lines) {
        data += line;
    }
    return data;
}

void ConfigFile::insertAfter(int index, const QList<QByteArray> &block)
{
    QList<QByteArray> inserted = block;
    if (index >= 0 && index < lines.size() && !lines.at(index).endsWith('\n') && !inserted.isEmpty()) {
        inserted.first().prepend('\n');
    }
    for (int i = 0; i < inserted.size(); ++i) {
        lines.insert(index + 1 + i, inserted.at(i));
    }
}

namespace ConfigText
{
QString text(const QByteArray &line)
{
    QByteArray bytes = line;
    while (bytes.endsWith('\n') || bytes.endsWith('\r')) {
        bytes.chop(1);
    }
    return QString::fromUtf8(bytes);
}

QStringList words(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.split(blanks, Qt::SkipEmptyParts);
}

QStringList filesIn(const QString &directory, const QString &suffix)
{
    const QDir dir(directory);
    QStringList names = dir.entryList({QLatin1Char('*') + suffix}, QDir::Files | QDir::Readable, QDir::Name);
    QStringList paths;
    for (const QString &name : names) {
        paths << dir.filePath(name);
    }
    return paths;
}

}
