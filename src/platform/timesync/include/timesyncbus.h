// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>
#include <QVariant>

#include "lastsynchroinfo.h"

// What the layer asks of systemd and its time services over the system bus.
namespace TimeSyncBus
{
struct UnitState {
    bool known = false; // systemd has the unit (installed or loaded)
    QString activeState; // "active", "inactive", "failed", ...
};

// Whether systemd answers on the system bus.
bool systemdReachable();

// The unit's load and activity state; `known` stays false when systemd has no
// such unit or cannot be asked.
UnitState unitState(const QString &unit);

// Hands the whole server list of `service` to the date helper, which checks,
// writes and applies it, polkit asking for the password in the window `wid`.
// False with the helper's reason (or a translated one) when it is not in effect.
bool setServers(const QString &service, const QStringList &servers, const QStringList &fallback, unsigned long long wid, QString *reason);

// timedated's NTPSynchronized; false when it cannot be read.
bool timedatedSynchronized();

// The last synchronization of systemd-timesyncd (org.freedesktop.timesync1):
// server and the time its last answer arrived. Empty when unknown.
LastSynchroInfo timesyncdLastSynchronization();

// The date and time of `utcMSecs` as display text in the user's locale.
LastSynchroInfo displayInfo(qint64 utcMSecs, const QString &server);
}
