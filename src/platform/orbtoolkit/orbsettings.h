// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

// A "Key=Value" settings file such as the window manager's theme file.
//
// The file is read when the object is made. Keys are looked up among the lines
// before the first "[section]" line; the first line with a key counts. Surrounding
// blanks of keys and values are ignored. Comments ("#", ";"), blank lines, unknown
// keys, sections and line endings are kept byte for byte: setValue() replaces the
// value of an existing key in its own line, or adds "Key=Value" at the end of the
// top-level lines. Nothing reaches the disk until sync(), which replaces the file
// atomically and tells whether that worked.
class OrbSettings
{
public:
    explicit OrbSettings(const QString &path);

    QString path() const;

    QVariant value(const QString &key, const QVariant &defaultValue = QVariant()) const;
    bool contains(const QString &key) const;
    // False, changing nothing, for an empty key or a key or value that would break
    // the line structure (a line break or a NUL; "=" or "[" in the key).
    bool setValue(const QString &key, const QVariant &value);

    // Writes pending changes. False when the file could not be written (also when
    // it exists without any write permission, or could not be read, so that its
    // content would be lost); the file on disk is then untouched. A theme file that
    // is a symbolic link stays one: the file it points to is replaced.
    bool sync();
    // What failed, with the path, for the log.
    QString errorString() const;
    // Why the last setValue() or sync() failed, in the system's words, for the user.
    QString errorReason() const;

private:
    struct Line {
        QByteArray text; // without its line ending
        QByteArray ending; // "\n", "\r\n" or empty for a last line without one
    };

    int m_findKey(const QByteArray &key) const;
    int m_topLevelEnd() const;
    QByteArray m_lineEnding() const;

    QString m_path;
    QList<Line> m_lines;
    bool m_readFailed = false;
    bool m_dirty = false;
    QString m_errorString;
    QString m_errorReason;
};
