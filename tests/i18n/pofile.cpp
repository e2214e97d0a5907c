// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "pofile.h"

#include <QFile>
#include <QRegularExpression>

bool PoEntry::isTranslated() const
{
    if (translations.isEmpty()) {
        return false;
    }
    for (const QString &t : translations) {
        if (t.isEmpty()) {
            return false;
        }
    }
    return true;
}

QString PoEntry::label() const
{
    QString text = id;
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return context.isEmpty() ? QStringLiteral("\"%1\"").arg(text) : QStringLiteral("[%1] \"%2\"").arg(context, text);
}

QString PoFile::headerField(const QString &field) const
{
    for (const PoEntry &e : entries) {
        if (!e.isHeader() || e.obsolete || e.translations.isEmpty()) {
            continue;
        }
        const QStringList lines = e.translations.first().split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            if (line.startsWith(field + QLatin1Char(':'))) {
                return line.mid(field.size() + 1).trimmed();
            }
        }
    }
    return QString();
}

const PoEntry *PoFile::find(const QString &context, const QString &id) const
{
    for (const PoEntry &e : entries) {
        if (!e.obsolete && e.context == context && e.id == id) {
            return &e;
        }
    }
    return nullptr;
}

PoFile PoFile::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        PoFile result;
        result.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    PoFile result = parse(QString::fromUtf8(file.readAll()));
    if (!result.error.isEmpty()) {
        result.error.prepend(path + QLatin1String(": "));
    }
    return result;
}

namespace
{
// The body of a quoted PO string, with C escapes resolved; false when the line is
// not a well-formed quoted string.
bool unquote(const QString &quoted, QString *out)
{
    const QString s = quoted.trimmed();
    if (s.size() < 2 || !s.startsWith(QLatin1Char('"')) || !s.endsWith(QLatin1Char('"'))) {
        return false;
    }
    for (int i = 1; i < s.size() - 1; ++i) {
        const QChar c = s.at(i);
        if (c != QLatin1Char('\\')) {
            out->append(c);
            continue;
        }
        if (++i >= s.size() - 1) {
            return false;
        }
        switch (s.at(i).unicode()) {
        case 'n':
            out->append(QLatin1Char('\n'));
            break;
        case 't':
            out->append(QLatin1Char('\t'));
            break;
        case 'r':
            out->append(QLatin1Char('\r'));
            break;
        case '"':
        case '\\':
            out->append(s.at(i));
            break;
        default:
            return false;
        }
    }
    return true;
}
}

PoFile PoFile::parse(const QString &text)
{
    PoFile result;
    PoEntry current;
    bool started = false;
    QString *target = nullptr; // the string that a continuation line extends
    static const QRegularExpression keyword(QStringLiteral("^(msgctxt|msgid_plural|msgid|msgstr(?:\\[(\\d+)\\])?)\\s+(\".*\")\\s*$"));

    auto finish = [&]() {
        if (started) {
            result.entries.append(current);
        }
        current = PoEntry();
        started = false;
        target = nullptr;
    };

    const QStringList lines = text.split(QLatin1Char('\n'));
    int number = 0;
    for (QString line : lines) {
        ++number;
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        bool obsolete = false;
        if (line.startsWith(QLatin1String("#~"))) {
            obsolete = true;
            line = line.mid(2).trimmed();
            if (line.startsWith(QLatin1Char('|'))) {
                continue; // previous msgid of an obsolete entry
            }
        }
        if (line.trimmed().isEmpty()) {
            finish();
            continue;
        }
        if (line.startsWith(QLatin1String("#,"))) {
            if (started && !current.translations.isEmpty()) {
                finish();
            }
            for (const QString &flag : line.mid(2).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                current.flags << flag.trimmed();
            }
            continue;
        }
        if (line.startsWith(QLatin1Char('#'))) {
            if (started && !current.translations.isEmpty()) {
                finish();
            }
            continue; // comments, references, previous msgids
        }
        if (line.startsWith(QLatin1Char('"'))) {
            QString piece;
            if (!target || !unquote(line, &piece)) {
                result.error = QStringLiteral("line %1: unexpected text: %2").arg(number).arg(line);
                return result;
            }
            target->append(piece);
            continue;
        }
        const QRegularExpressionMatch m = keyword.match(line);
        QString value;
        if (!m.hasMatch() || !unquote(m.captured(3), &value)) {
            result.error = QStringLiteral("line %1: not understood: %2").arg(number).arg(line);
            return result;
        }
        const QString word = m.captured(1);
        if ((word == QLatin1String("msgctxt") || word == QLatin1String("msgid")) && !current.translations.isEmpty()) {
            finish();
        }
        started = true;
        current.obsolete = current.obsolete || obsolete;
        if (word == QLatin1String("msgctxt")) {
            current.context = value;
            target = &current.context;
        } else if (word == QLatin1String("msgid")) {
            current.id = value;
            target = &current.id;
        } else if (word == QLatin1String("msgid_plural")) {
            current.idPlural = value;
            target = &current.idPlural;
        } else {
            const int index = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
            if (index != current.translations.size()) {
                result.error = QStringLiteral("line %1: msgstr forms out of order").arg(number);
                return result;
            }
            current.translations.append(value);
            target = &current.translations.last();
        }
    }
    finish();
    return result;
}
