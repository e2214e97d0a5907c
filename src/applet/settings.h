#pragma once

#include <QMap>
#include <QSettings>
#include <QStringList>
#include <QVariant>

// The per-user settings file shared with the panel's clock applet.
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
    void setValue(const Settings::Key &key, const QVariant &value);
    void save(const QMap<Settings::Key, QVariant> &values);
    void sync();

    static QStringList availableKeys();

private:
    static const QStringList m_availableKeys;
    QSettings m_settings;
};
