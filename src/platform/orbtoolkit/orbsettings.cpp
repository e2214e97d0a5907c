// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "orbsettings.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include "filewriter.h"

static bool isSectionHeader(const QByteArray &trimmed)
{
    return trimmed.startsWith('[');
}

static bool isComment(const QByteArray &trimmed)
{
    return trimmed.startsWith('#') || trimmed.startsWith(';');
}

OrbSettings::OrbSettings(const QString &path)
    : m_path(path)
{
    QFile file(m_path);
    if (!file.exists()) {
        return;
    }
    errno = 0;
    if (QFileInfo(m_path).isDir()) {
        m_readFailed = true;
        m_errorReason = qt_error_string(EISDIR);
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        m_readFailed = true;
        m_errorReason = errno ? qt_error_string(errno) : file.errorString();
        return;
    }
    const QByteArray content = file.readAll();
    int start = 0;
    while (start < content.size()) {
        const int newline = content.indexOf('\n', start);
        Line line;
        if (newline < 0) {
            line.text = content.mid(start);
            start = content.size();
        } else {
            line.text = content.mid(start, newline - start);
            line.ending = "\n";
            start = newline + 1;
        }
        if (line.text.endsWith('\r') && !line.ending.isEmpty()) {
            line.text.chop(1);
            line.ending.prepend('\r');
        }
        m_lines.append(line);
    }
}

QString OrbSettings::path() const
{
    return m_path;
}

int OrbSettings::m_topLevelEnd() const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        if (isSectionHeader(m_lines.at(i).text.trimmed())) {
            return i;
        }
    }
    return m_lines.size();
}

int OrbSettings::m_findKey(const QByteArray &key) const
{
    const int end = m_topLevelEnd();
    for (int i = 0; i < end; ++i) {
        const QByteArray trimmed = m_lines.at(i).text.trimmed();
        if (trimmed.isEmpty() || isComment(trimmed)) {
            continue;
        }
        const int equals = trimmed.indexOf('=');
        if (equals > 0 && trimmed.left(equals).trimmed() == key) {
            return i;
        }
    }
    return -1;
}

QVariant OrbSettings::value(const QString &key, const QVariant &defaultValue) const
{
    const int index = m_findKey(key.toUtf8());
    if (index < 0) {
        return defaultValue;
    }
    const QByteArray &text = m_lines.at(index).text;
    return QString::fromUtf8(text.mid(text.indexOf('=') + 1).trimmed());
}

bool OrbSettings::contains(const QString &key) const
{
    return m_findKey(key.toUtf8()) >= 0;
}

bool OrbSettings::setValue(const QString &key, const QVariant &value)
{
    const QByteArray keyBytes = key.trimmed().toUtf8();
    const QByteArray valueBytes = value.toString().toUtf8();
    // A NUL would end the value for any reader that takes the file as C strings.
    const auto breaksLine = [](const QByteArray &bytes) {
        return bytes.contains('\n') || bytes.contains('\r') || bytes.contains('\0');
    };
    if (keyBytes.isEmpty() || breaksLine(keyBytes) || breaksLine(valueBytes) || keyBytes.contains('=') || keyBytes.startsWith('[') || isComment(keyBytes)) {
        m_errorString = QStringLiteral("invalid key or value for %1").arg(key);
        m_errorReason = qt_error_string(EINVAL);
        return false;
    }

    const QByteArray text = keyBytes + '=' + valueBytes;
    const int index = m_findKey(keyBytes);
    if (index >= 0) {
        if (m_lines.at(index).text != text) {
            m_lines[index].text = text;
            m_dirty = true;
        }
        return true;
    }

    // New keys go after the last top-level line that is not blank, so that the
    // blank lines that separate the first section stay where they are.
    int position = m_topLevelEnd();
    while (position > 0 && m_lines.at(position - 1).text.trimmed().isEmpty()) {
        --position;
    }
    const QByteArray ending = m_lineEnding();
    Line line{text, ending};
    if (position > 0 && m_lines.at(position - 1).ending.isEmpty()) {
        // A file without a final line break keeps having none.
        m_lines[position - 1].ending = ending;
        line.ending.clear();
    }
    m_lines.insert(position, line);
    m_dirty = true;
    return true;
}

QByteArray OrbSettings::m_lineEnding() const
{
    for (const Line &line : m_lines) {
        if (!line.ending.isEmpty()) {
            return line.ending;
        }
    }
    return QByteArrayLiteral("\n");
}

bool OrbSettings::sync()
{
    if (!m_dirty) {
        return true;
    }
    if (m_readFailed) {
        m_errorString = QStringLiteral("%1 could not be read: %2").arg(m_path, m_errorReason);
        return false;
    }
    const QFileInfo info(m_path);
    // The permission bits count even for root, who may write anything: a theme
    // file made read-only is meant to stay as it is. (WriteUser would ask access().)
    constexpr QFileDevice::Permissions anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.exists() && !(info.permissions() & anyWrite)) {
        m_errorString = QStringLiteral("%1 is read-only").arg(m_path);
        m_errorReason = qt_error_string(EACCES);
        return false;
    }

    QByteArray content;
    for (const Line &line : qAsConst(m_lines)) {
        content += line.text;
        content += line.ending;
    }
    FileWriteError error;
    if (!WriteFileAtomically(m_path, content, &error)) {
        m_errorString = error.toString();
        m_errorReason = error.reason();
        return false;
    }
    m_dirty = false;
    m_errorString.clear();
    m_errorReason.clear();
    return true;
}

QString OrbSettings::errorString() const
{
    return m_errorString;
}

QString OrbSettings::errorReason() const
{
    return m_errorReason;
}
