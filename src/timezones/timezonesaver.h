// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <memory>

class DBusOrbAdminDate;

// Makes the zone chosen on the "Time zone" tab the system time zone on Apply.
// It asks timedated only when the zone differs from the current one, so an
// unchanged page never brings up an authentication dialog.
class TimeZoneSaver : public QObject
{
    Q_OBJECT
public:
    TimeZoneSaver(std::shared_ptr<DBusOrbAdminDate> client, QObject *parent = nullptr);

public Q_SLOTS:
    // Blocks until timedated answers. True when `zoneName` is the system zone
    // afterwards; a failure is reported through error() and gives false.
    bool save(const QString &zoneName);

Q_SIGNALS:
    void error(const QString &title, const QString &message);

private:
    std::shared_ptr<DBusOrbAdminDate> m_daemon;
};
