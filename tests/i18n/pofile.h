// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// One message of a gettext catalogue or template.
struct PoEntry {
    QString context;
    QString id;
    QString idPlural;
    QStringList translations; // msgstr, or msgstr[0..n-1] for plural messages
    QStringList flags; // "fuzzy", "kde-format", ...
    bool obsolete = false; // a "#~" entry kept from an earlier version of the sources

    bool isHeader() const
    {
        return id.isEmpty() && context.isEmpty();
    }
    bool isFuzzy() const
    {
        return flags.contains(QLatin1String("fuzzy"));
    }
    bool isTranslated() const;
    // How the message is named in a failure list: the context in brackets, then the text.
    QString label() const;
    QString key() const
    {
        return context + QChar(0x4) + id;
    }
};

struct PoFile {
    QVector<PoEntry> entries;
    QString error; // empty when the file was read and understood

    // The header's value of `field` ("Plural-Forms", "Language", ...).
    QString headerField(const QString &field) const;
    const PoEntry *find(const QString &context, const QString &id) const;

    static PoFile read(const QString &path);
    static PoFile parse(const QString &text);
};
