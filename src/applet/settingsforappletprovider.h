// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>

#include "basetimezonesprovider.h"
#include "instances.h"
#include "settings.h"

// The clock applet's extra zones as chosen on the "Other time zones" tab, and the
// choice between the all-zones list and the Russian one. The choice is class-wide:
// every page instance and the module object see the same values, and it is compared
// with what was last loaded from the settings file to tell whether Apply has work.
class SettingsForAppletProvider : public BaseTimeZonesProvider
{
    Q_OBJECT
    // What the tab shows, for bindings; every instance tells of every change.
    Q_PROPERTY(QStringList chosenTimeZones READ getChosenTimeZones NOTIFY choiceChanged)
    Q_PROPERTY(QStringList chosenZoneIds READ chosenZoneIds NOTIFY choiceChanged)
    Q_PROPERTY(bool allTimeZonesShown READ isAllTimeZonesProvided NOTIFY choiceChanged)
    Q_PROPERTY(bool hasChanges READ needsSave NOTIFY choiceChanged)
public:
    explicit SettingsForAppletProvider(QObject *parent = nullptr);
    ~SettingsForAppletProvider() override;

    static void loadSettings(const Settings &settings);
    static void loadSettings(const std::shared_ptr<Settings> &settings);
    // Saved entries are written with the catalogue's current text.
    static QMap<Settings::Key, QVariant> getSettings();
    // The part after the last ";": how a chosen entry is recognised.
    static QString zoneId(const QString &entry);
    static QStringList chosenZoneIds();

public Q_SLOTS:
    static void setAllTimeZonesProvided();
    static void setRussianTimeZonesProvided();
    static bool isAllTimeZonesProvided();
    // Chosen entries are told apart by zone id: removing or choosing a zone again
    // matches it whatever text it was saved with, and a zone is chosen once.
    static void removeChosenTimeZone(const QString &timeZone);
    static void setChosenTimeZones(const QStringList &chosenTimeZones);
    static QStringList getChosenTimeZones();
    // What a chosen entry shows: the offset and the name, without the id.
    static QString entryText(const QString &entry);
    QStringList getFilteredTimeZones(const QString &filter) const;
    static bool needsSave();
    // Adds a zone after the chosen ones, unless it is chosen already.
    static void addChosenTimeZone(const QString &timeZone);

Q_SIGNALS:
    void choiceChanged();

private:
    struct State {
        QStringList chosen;
        bool all;
        bool pending;
        bool operator==(const State &other) const
        {
            return chosen == other.chosen && all == other.all && pending == other.pending;
        }
    };
    static State m_state();
    // Tells every instance when the state moved from `before`: the page reloads
    // the file every second, and only a real change may rebuild its lists.
    static void m_notifyFrom(const State &before);
    Instances<SettingsForAppletProvider> m_listed{this};

    static void m_updateChangedAllZonesProvided();
    static void m_updateChangedChosenTimeZones();

    static QStringList m_chosenTimeZones;
    static QStringList m_chosenTimeZonesFromSettings;
    static bool m_allZonesProvided;
    static bool m_allZonesProvidedFromSettings;
    static QVector<bool> m_changed;
};
