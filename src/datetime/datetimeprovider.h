// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDate>
#include <QObject>
#include <QTime>

#include <memory>
#include <vector>

#include "instances.h"

class DBusOrbAdminDate;
class TimeData;

/**
 * The date, time of day and hardware-clock mode edited on the "Date and time"
 * tab, with one change flag each, and the save that writes the changed ones.
 *
 * The state is class-wide: the module's save runs without any instance, and every
 * instance the page creates sees the same edits. An instance only relays the
 * writer's failures to the page that owns it.
 */
class DateTimeProvider : public QObject
{
    Q_OBJECT
    // What the tab shows: the edit where there is one, the system's value otherwise.
    Q_PROPERTY(bool utc READ shownUTC NOTIFY stateChanged)
    Q_PROPERTY(bool ntp READ shownNTP NOTIFY stateChanged)
    // Synchronization can be switched: on, or off with a service to switch on.
    Q_PROPERTY(bool ntpSwitchable READ ntpSwitchable NOTIFY stateChanged)
    Q_PROPERTY(bool hasChanges READ needsSave NOTIFY stateChanged)
public:
    enum Value { Date = 0, Time = 1, UTC = 2, NTP = 3 };
    Q_ENUM(Value)

    explicit DateTimeProvider(QObject *parent = nullptr);
    ~DateTimeProvider() override;

    /// Installs a new writer over @p daemon; an empty pointer removes the writer.
    static void setDaemon(std::shared_ptr<DBusOrbAdminDate> daemon);
    // Each returns false when the change was asked for and failed.
    static bool saveDateTime();
    static bool saveUTC();
    static bool saveNTP();

    /// The edited values, for the module and its tests.
    Q_INVOKABLE static QDate savedDate();
    Q_INVOKABLE static QTime savedTime();
    Q_INVOKABLE static bool savedUTC();
    Q_INVOKABLE static bool savedNTP();
    static TimeData *timeData();
    static bool shownUTC();
    static bool shownNTP();
    static bool ntpSwitchable();

Q_SIGNALS:
    void showMessage(QString title, QString message);
    /// The system switched synchronization on or off by itself.
    void ntpChanged(bool on);
    /// Told by every instance when the class-wide state changes.
    void stateChanged();

public Q_SLOTS:
    static bool getUTC();
    static void saveSettings();
    void load();
    static void setChanged(DateTimeProvider::Value value, bool changed);
    static bool changed(DateTimeProvider::Value value);
    static bool needsSave();
    /// @p month counts from 0, as script dates do.
    static void setDate(int year, int month, int day);
    static void setTime(int hours, int minutes, int seconds);
    static void setUTC(bool utc);
    /// Whether the system synchronizes the clock by itself, as the writer last knew it.
    static bool getNTP();
    /// Whether the system has a synchronization service to switch on.
    static bool canNTP();
    /// Switching synchronization on drops the date and time edited by hand: the
    /// tab then shows, and the system keeps, the synchronized time.
    static void setNTP(bool on);

private:
    static void m_notify();
    // The system switched synchronization: the page follows unless the user has chosen.
    static void m_followNtp(bool on);
    static void m_updateDateChanged();
    static void m_updateUTCChanged();

    static std::unique_ptr<TimeData> m_timeData;
    static QDate m_savedDate;
    static QTime m_savedTime;
    static bool m_savedUTC;
    static bool m_savedNTP;
    static std::vector<bool> m_changed;
    // Values whose save just failed: the next load keeps their edits for another try.
    static std::vector<bool> m_kept;
    Instances<DateTimeProvider> m_listed{this};
};
