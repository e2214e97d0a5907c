#include "settingsforappletprovider.h"

QStringList SettingsForAppletProvider::m_chosenTimeZones;
QStringList SettingsForAppletProvider::m_chosenTimeZonesFromSettings;
bool SettingsForAppletProvider::m_allZonesProvided = true;
bool SettingsForAppletProvider::m_allZonesProvidedFromSettings = true;
QVector<bool> SettingsForAppletProvider::m_changed(2, false);

SettingsForAppletProvider::SettingsForAppletProvider(QObject *parent)
    : BaseTimeZonesProvider(parent)
{
    loadTimeZones();
}

void SettingsForAppletProvider::loadSettings(const Settings &settings)
{
    m_chosenTimeZonesFromSettings = settings.value(Settings::ChosenTimeZones, QVariant()).toStringList();
    m_allZonesProvidedFromSettings = settings.value(Settings::AllTimeZonesToDisplay, QVariant()).toBool();
    m_chosenTimeZones = m_chosenTimeZonesFromSettings;
    m_allZonesProvided = m_allZonesProvidedFromSettings;
    m_changed[0] = false;
    m_changed[1] = false;
}

void SettingsForAppletProvider::loadSettings(const std::shared_ptr<Settings> &settings)
{
    if (settings) {
        loadSettings(*settings);
    }
}

QMap<Settings::Key, QVariant> SettingsForAppletProvider::getSettings()
{
    return {
        {Settings::AllTimeZonesToDisplay, QVariant(m_allZonesProvided)},
        {Settings::ChosenTimeZones, QVariant(m_chosenTimeZones)},
    };
}

void SettingsForAppletProvider::setAllTimeZonesProvided()
{
    m_allZonesProvided = true;
    m_updateChangedAllZonesProvided();
}

void SettingsForAppletProvider::setRussianTimeZonesProvided()
{
    m_allZonesProvided = false;
    m_updateChangedAllZonesProvided();
}

bool SettingsForAppletProvider::isAllTimeZonesProvided()
{
    return m_allZonesProvided;
}

void SettingsForAppletProvider::removeChosenTimeZone(const QString &timeZone)
{
    m_chosenTimeZones.removeAll(timeZone);
    m_updateChangedChosenTimeZones();
}

void SettingsForAppletProvider::setChosenTimeZones(const QStringList &chosenTimeZones)
{
    m_chosenTimeZones = chosenTimeZones;
    m_updateChangedChosenTimeZones();
}

QStringList SettingsForAppletProvider::getChosenTimeZones()
{
    return m_chosenTimeZones;
}

QStringList SettingsForAppletProvider::getFilteredTimeZones(const QString &filter) const
{
    const QStringList current = m_allZonesProvided ? allTimeZonesWithOffsets() : russianTimeZonesWithOffsets();
    if (filter.isEmpty()) {
        return current;
    }
    return current.filter(m_getStartsWithFilter(filter));
}

bool SettingsForAppletProvider::needsSave()
{
    return m_changed.at(0) || m_changed.at(1);
}

void SettingsForAppletProvider::m_updateChangedAllZonesProvided()
{
    m_changed[0] = m_allZonesProvided != m_allZonesProvidedFromSettings;
}

void SettingsForAppletProvider::m_updateChangedChosenTimeZones()
{
    // Order matters: the applet shows its extra clocks in the user's order.
    m_changed[1] = m_chosenTimeZones != m_chosenTimeZonesFromSettings;
}
