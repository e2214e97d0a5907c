#include "settingsforappletprovider.h"

QStringList SettingsForAppletProvider::m_chosenTimeZones;
bool SettingsForAppletProvider::m_allZonesProvided = true;

SettingsForAppletProvider::SettingsForAppletProvider(QObject *parent)
    : QObject(parent)
{
}

void SettingsForAppletProvider::loadSettings(const Settings &settings)
{
    m_allZonesProvided = settings.value(Settings::AllTimeZonesToDisplay).toBool();
    m_chosenTimeZones = settings.value(Settings::ChosenTimeZones).toStringList();
}

QMap<Settings::Key, QVariant> SettingsForAppletProvider::getSettings()
{
    return {{Settings::AllTimeZonesToDisplay, m_allZonesProvided}, {Settings::ChosenTimeZones, m_chosenTimeZones}};
}
