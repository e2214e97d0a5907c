// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "settingsforappletprovider.h"

#include <QSet>
#include <QTimeZone>

#include <algorithm>

QStringList SettingsForAppletProvider::m_chosenTimeZones;
QStringList SettingsForAppletProvider::m_chosenTimeZonesFromSettings;
bool SettingsForAppletProvider::m_allZonesProvided = true;
bool SettingsForAppletProvider::m_allZonesProvidedFromSettings = true;
QVector<bool> SettingsForAppletProvider::m_changed(2, false);

namespace
{
QStringList zoneIds(const QStringList &entries)
{
    QStringList ids;
    ids.reserve(entries.size());
    for (const QString &entry : entries) {
        ids.append(SettingsForAppletProvider::zoneId(entry));
    }
    return ids;
}

// The file keeps whatever text an entry had when it was chosen: another language,
// or the other side of a daylight saving change. The zone id is what counts.
QStringList withCurrentTexts(const QStringList &entries)
{
    QStringList result;
    QSet<QString> seen;
    for (const QString &entry : entries) {
        const QString id = SettingsForAppletProvider::zoneId(entry);
        if (seen.contains(id)) {
            continue;
        }
        seen.insert(id);
        // A zone the platform no longer knows keeps its saved text.
        result.append(QTimeZone(id.toUtf8()).isValid() ? BaseTimeZonesProvider::catalogueEntry(id) : entry);
    }
    return result;
}
}

SettingsForAppletProvider::SettingsForAppletProvider(QObject *parent)
    : BaseTimeZonesProvider(parent)
{
    loadTimeZones();
}

SettingsForAppletProvider::~SettingsForAppletProvider() = default;

SettingsForAppletProvider::State SettingsForAppletProvider::m_state()
{
    return {m_chosenTimeZones, m_allZonesProvided, needsSave()};
}

void SettingsForAppletProvider::m_notifyFrom(const State &before)
{
    if (before == m_state()) {
        return;
    }
    Instances<SettingsForAppletProvider>::notify(&SettingsForAppletProvider::choiceChanged);
}

void SettingsForAppletProvider::loadSettings(const Settings &settings)
{
    const State before = m_state();
    m_chosenTimeZonesFromSettings = withCurrentTexts(settings.value(Settings::ChosenTimeZones, QVariant()).toStringList());
    m_allZonesProvidedFromSettings = settings.value(Settings::AllTimeZonesToDisplay, QVariant()).toBool();
    m_chosenTimeZones = m_chosenTimeZonesFromSettings;
    m_allZonesProvided = m_allZonesProvidedFromSettings;
    m_changed[0] = false;
    m_changed[1] = false;
    m_notifyFrom(before);
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
        {Settings::ChosenTimeZones, QVariant(withCurrentTexts(m_chosenTimeZones))},
    };
}

void SettingsForAppletProvider::setAllTimeZonesProvided()
{
    const State before = m_state();
    m_allZonesProvided = true;
    m_updateChangedAllZonesProvided();
    m_notifyFrom(before);
}

void SettingsForAppletProvider::setRussianTimeZonesProvided()
{
    const State before = m_state();
    m_allZonesProvided = false;
    m_updateChangedAllZonesProvided();
    m_notifyFrom(before);
}

bool SettingsForAppletProvider::isAllTimeZonesProvided()
{
    return m_allZonesProvided;
}

void SettingsForAppletProvider::removeChosenTimeZone(const QString &timeZone)
{
    const State before = m_state();
    const QString id = zoneId(timeZone);
    m_chosenTimeZones.erase(std::remove_if(m_chosenTimeZones.begin(),
                                           m_chosenTimeZones.end(),
                                           [&id](const QString &entry) {
                                               return zoneId(entry) == id;
                                           }),
                            m_chosenTimeZones.end());
    m_updateChangedChosenTimeZones();
    m_notifyFrom(before);
}

void SettingsForAppletProvider::setChosenTimeZones(const QStringList &chosenTimeZones)
{
    const State before = m_state();
    m_chosenTimeZones = withCurrentTexts(chosenTimeZones);
    m_updateChangedChosenTimeZones();
    m_notifyFrom(before);
}

void SettingsForAppletProvider::addChosenTimeZone(const QString &timeZone)
{
    const QString id = zoneId(timeZone);
    const bool chosen = std::any_of(m_chosenTimeZones.cbegin(), m_chosenTimeZones.cend(), [&id](const QString &entry) {
        return zoneId(entry) == id;
    });
    if (!chosen) {
        setChosenTimeZones(m_chosenTimeZones + QStringList{timeZone});
    }
}

QString SettingsForAppletProvider::zoneId(const QString &entry)
{
    return entry.mid(entry.lastIndexOf(QLatin1Char(';')) + 1);
}

QStringList SettingsForAppletProvider::getChosenTimeZones()
{
    return m_chosenTimeZones;
}

QStringList SettingsForAppletProvider::chosenZoneIds()
{
    return zoneIds(m_chosenTimeZones);
}

QString SettingsForAppletProvider::entryText(const QString &entry)
{
    const int separator = entry.lastIndexOf(QLatin1Char(';'));
    return separator < 0 ? entry : entry.left(separator);
}

QStringList SettingsForAppletProvider::getFilteredTimeZones(const QString &filter) const
{
    return m_findLines(m_allZonesProvided ? allTimeZonesWithOffsets() : russianTimeZonesWithOffsets(), filter);
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
    m_changed[1] = zoneIds(m_chosenTimeZones) != zoneIds(m_chosenTimeZonesFromSettings);
}
