// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "settings.h"

#include <KLocalizedString>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>

#include "filewriter.h"

const QStringList Settings::m_availableKeys = {
    QStringLiteral("allTimeZonesToDisplay"),
    QStringLiteral("chosenTimeZones"),
    QStringLiteral("Server"),
};

namespace
{
bool holdsNul(const QVariant &value)
{
    if (value.userType() == QMetaType::QStringList) {
        const QStringList list = value.toStringList();
        return std::any_of(list.cbegin(), list.cend(), [](const QString &text) {
            return text.contains(QChar::Null);
        });
    }
    return value.canConvert<QString>() && value.toString().contains(QChar::Null);
}

// Whether a value read back from the file is the one written: the file keeps
// bools and lists as text, so compare in the written value's type.
bool holdsValue(const QVariant &stored, const QVariant &wanted)
{
    if (stored == wanted) {
        return true;
    }
    switch (wanted.userType()) {
    case QMetaType::QStringList:
        return stored.toStringList() == wanted.toStringList();
    case QMetaType::Bool:
        return stored.isValid() && stored.toBool() == wanted.toBool();
    default:
        return stored.toString() == wanted.toString();
    }
}

bool readFile(const QString &path, QByteArray *content, int *code)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        *code = errno ? errno : EIO;
        return false;
    }
    *content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *code = errno ? errno : EIO;
        return false;
    }
    return true;
}
}

Settings::Settings()
    : m_settings(QStringLiteral("ru.nimbolinux"), QStringLiteral("kcm_orb_admin_date"))
{
}

QVariant Settings::value(const Settings::Key &key, const QVariant &defaultValue) const
{
    const auto pending = m_pending.constFind(key);
    if (pending != m_pending.cend()) {
        return *pending;
    }
    return m_settings.value(m_availableKeys.at(key), defaultValue);
}

bool Settings::setValue(const Settings::Key &key, const QVariant &value)
{
    if (holdsNul(value)) {
        qWarning() << "Refused a value with a NUL character for" << m_availableKeys.at(key);
        return false;
    }
    m_pending.insert(key, value);
    return true;
}

bool Settings::save(const QMap<Settings::Key, QVariant> &values)
{
    // All or nothing: half of the applet's choices would be a choice nobody made.
    const bool refused = std::any_of(values.cbegin(), values.cend(), holdsNul);
    if (!refused) {
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            setValue(it.key(), it.value());
        }
    }
    const bool synced = sync();
    if (refused) {
        m_fail(i18n("A value holds a NUL character, which the file cannot keep."));
        return false;
    }
    return synced;
}

bool Settings::sync()
{
    const bool written = m_pending.isEmpty() || m_write();
    m_pending.clear();
    if (written) {
        m_errorString.clear();
    }
    m_settings.sync();
    return written;
}

QString Settings::errorString() const
{
    return m_errorString;
}

QString Settings::fileName() const
{
    return m_settings.fileName();
}

QStringList Settings::availableKeys()
{
    return m_availableKeys;
}

void Settings::m_fail(const QString &reason)
{
    m_errorString = i18n("Unable to save the settings to %1.", fileName()) + QLatin1Char('\n') + reason;
    qWarning() << m_errorString;
}

bool Settings::m_write()
{
    const QString path = fileName();
    const QString folder = QFileInfo(ResolvedWriteTarget(path)).absolutePath();
    errno = 0;
    if (!QDir().mkpath(folder)) {
        m_fail(qt_error_string(errno ? errno : ENOTDIR));
        return false;
    }
    // The same lock as the applet's QSettings takes, so that neither write is lost.
    QLockFile lock(path + QStringLiteral(".lock"));
    errno = 0;
    if (!lock.tryLock(5000)) {
        m_fail(lock.error() == QLockFile::LockFailedError ? i18n("The file is locked by another program.") : qt_error_string(errno ? errno : EACCES));
        return false;
    }

    QByteArray old;
    int code = 0;
    if (QFileInfo::exists(path) && !readFile(path, &old, &code)) {
        m_fail(qt_error_string(code));
        return false;
    }

    // QSettings turns the values into the file's text, on a copy away from the
    // user's folder; the copy is read back before it replaces the file, because
    // QSettings does not notice when its own write falls short.
    QTemporaryDir scratch;
    const QString draftPath = scratch.filePath(QStringLiteral("draft.conf"));
    const QString checkPath = scratch.filePath(QStringLiteral("check.conf"));
    const QString scratchFailure = i18n("The temporary copy in %1 could not be written.", QDir::tempPath());
    if (!scratch.isValid() || !WriteFileAtomically(draftPath, old)) {
        m_fail(scratchFailure);
        return false;
    }
    QVariantMap expected;
    {
        QSettings draft(draftPath, QSettings::IniFormat);
        for (const QString &name : draft.allKeys()) {
            expected.insert(name, draft.value(name));
        }
        for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
            draft.setValue(m_availableKeys.at(it.key()), it.value());
            expected.insert(m_availableKeys.at(it.key()), it.value());
        }
        draft.sync();
        // A FormatError only says that parts of the old file made no sense; QSettings
        // has always dropped those, and the read-back checks the rest.
        if (draft.status() == QSettings::AccessError) {
            m_fail(scratchFailure);
            return false;
        }
    }
    QByteArray content;
    // A second name, so that the read-back parses the bytes, not QSettings' cache.
    if (!readFile(draftPath, &content, &code) || !WriteFileAtomically(checkPath, content)) {
        m_fail(scratchFailure);
        return false;
    }
    const QSettings check(checkPath, QSettings::IniFormat);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (!holdsValue(check.value(it.key()), it.value())) {
            qWarning() << "Read back" << it.key() << "as" << check.value(it.key()) << "instead of" << it.value();
            m_fail(scratchFailure);
            return false;
        }
    }

    FileWriteError error;
    if (!WriteFileAtomically(path, content, &error)) {
        qWarning() << error.toString();
        m_fail(error.reason());
        return false;
    }
    return true;
}
