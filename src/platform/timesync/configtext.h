// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A configuration file held as its lines, each with its own line end, so that
// writing it back reproduces every untouched line byte for byte.
struct ConfigFile {
    QString path; // below the configuration root
    bool exists = false;
    QList<QByteArray> lines;

    static ConfigFile read(const QString &path);
    QByteArray content() const;
    // Inserts `block` (complete lines) after line `index` (-1: at the start),
    // keeping a last line without line end intact.
    void insertAfter(int index, const QList<QByteArray> &block);
};

namespace ConfigText
{
// The line without its line end, as text.
QString text(const QByteArray &line);
// Whitespace-separated words.
QStringList words(const QString &text);
// Files in `directory` whose names end in `suffix`, sorted by name.
QStringList filesIn(const QString &directory, const QString &suffix);
}
