#pragma once

#include <QMap>
#include <QObject>
#include <QVariant>

#include "settings.h"

// The clock applet's extra zones as chosen on the "Other time zones" tab.
// Not complete yet: it only carries the values between the store and the module.
class SettingsForAppletProvider : public QObject
{
    Q_OBJECT
public:
    explicit SettingsForAppletProvider(QObject *parent = nullptr);

    static void loadSettings(const Settings &settings);
    static QMap<Settings::Key, QVariant> getSettings();

private:
    static QStringList m_chosenTimeZones;
    static bool m_allZonesProvided;
};
