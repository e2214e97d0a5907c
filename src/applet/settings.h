// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QMap>
#include <QSettings>
#include <QStringList>
#include <QVariant>

// The per-user settings file shared with the panel's clock applet.
//
// Values set here wait in memory until the next save() or sync(), which writes them
// through a checked atomic replace of the file: either every byte of the new file
// reached the disk, or the old file is left as it was, the waiting values are
// dropped and errorString() says why. Either way value() then shows the file.
class Settings
{
public:
    enum Key : int {
        AllTimeZonesToDisplay = 0,
        ChosenTimeZones = 1,
        Server = 2,
    };

    Settings();

    QVariant value(const Settings::Key &key, const QVariant &defaultValue = QVariant()) const;
    // False, keeping nothing, for a value holding a NUL character.
    bool setValue(const Settings::Key &key, const QVariant &value);
    // Sets every entry, then sync(); false when any value was refused or the file
    // could not be written, in which case none of them is stored.
    bool save(const QMap<Settings::Key, QVariant> &values);
    // Writes the waiting values, then re-reads what other processes (the clock
    // applet) wrote. False when the write failed.
    bool sync();

    // Why the last save() or sync() failed, naming the file; for the user.
    QString errorString() const;
    QString fileName() const;

    static QStringList availableKeys();

private:
    bool m_write();
    void m_fail(const QString &reason);

    static const QStringList m_availableKeys;
    // Only read through: QSettings would replace the file without noticing a short
    // write and report a full disk as success.
    QSettings m_settings;
    QMap<Settings::Key, QVariant> m_pending;
    bool m_refused = false;
    QString m_errorString;
};
