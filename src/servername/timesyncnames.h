// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The fixed names the page, the date helper, its package and the tests share:
    polkit actions, units, configuration paths and server lists. Each stands here
    once; everything else refers to it.
*/

#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringList>

namespace TimeSyncNames
{
// polkit actions of the date helper.
constexpr QLatin1String setTimeAction("ru.veltronix.orb.date.set-time");
constexpr QLatin1String ntpSyncAction("ru.veltronix.orb.date.ntp-sync");
constexpr QLatin1String switchTabAction("ru.veltronix.orb.date.switch-tab");
constexpr QLatin1String setServersAction("ru.veltronix.orb.date.set-servers");

// Service names the page shows and the helper takes, and their units.
constexpr QLatin1String timesyncdService("systemd-timesyncd");
constexpr QLatin1String chronyService("chrony");
constexpr QLatin1String ntpsecService("ntpsec");
constexpr QLatin1String timesyncdUnit("systemd-timesyncd.service");
/// chrony runs under either name, depending on the distribution.
const QStringList &chronyUnits();
constexpr QLatin1String ntpsecUnit("ntpsec.service");

// systemd-timesyncd's files: the main file, then its drop-in folders, lowest
// priority first (a drop-in of the same name in a later folder wins).
constexpr QLatin1String timesyncdMainFile("/etc/systemd/timesyncd.conf");
const QStringList &timesyncdDropInDirs();
/// The helper's own drop-in: its name sorts after the usual ones, so it is read last.
constexpr QLatin1String timesyncdDropIn("/etc/systemd/timesyncd.conf.d/zz-orb-date-servers.conf");

// chrony's main file candidates, the first that exists is used.
const QStringList &chronyMainFiles();
/// The helper's own file in chrony's sources folder below /etc.
constexpr QLatin1String chronySourcesName("orb-date-servers.sources");
/// Starts a line of chrony's main file that the helper disabled; the line follows
/// unchanged, so that removing the marker brings it back.
constexpr QLatin1String chronyDisabledMarker("#orb-date-off: ");

const QStringList &ntpsecMainFiles();

/// The distribution's pool, which its timesyncd falls back to.
const QStringList &platformDefaultServers();
/// The servers the page offers first: the national time and frequency service's
/// main hosts, then two regional branches.
const QStringList &recommendedServers();
}
