// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "timesyncnames.h"

namespace TimeSyncNames
{
const QStringList &chronyUnits()
{
    static const QStringList list = {QStringLiteral("chrony.service"), QStringLiteral("chronyd.service")};
    return list;
}

const QStringList &timesyncdDropInDirs()
{
    static const QStringList list = {
        QStringLiteral("/usr/lib/systemd/timesyncd.conf.d"),
        QStringLiteral("/usr/local/lib/systemd/timesyncd.conf.d"),
        QStringLiteral("/run/systemd/timesyncd.conf.d"),
        QStringLiteral("/etc/systemd/timesyncd.conf.d"),
    };
    return list;
}

const QStringList &chronyMainFiles()
{
    static const QStringList list = {QStringLiteral("/etc/chrony/chrony.conf"), QStringLiteral("/etc/chrony.conf")};
    return list;
}

const QStringList &ntpsecMainFiles()
{
    static const QStringList list = {QStringLiteral("/etc/ntpsec/ntp.conf"), QStringLiteral("/etc/ntp.conf")};
    return list;
}

const QStringList &platformDefaultServers()
{
    static const QStringList list = {
        QStringLiteral("0.debian.pool.ntp.org"),
        QStringLiteral("1.debian.pool.ntp.org"),
        QStringLiteral("2.debian.pool.ntp.org"),
        QStringLiteral("3.debian.pool.ntp.org"),
    };
    return list;
}

const QStringList &recommendedServers()
{
    static const QStringList list = {
        QStringLiteral("ntp1.vniiftri.ru"),
        QStringLiteral("ntp2.vniiftri.ru"),
        QStringLiteral("ntp3.vniiftri.ru"),
        QStringLiteral("ntp4.vniiftri.ru"),
        QStringLiteral("ntp21.vniiftri.ru"),
        QStringLiteral("ntp1.niiftri.irkutsk.ru"),
        QStringLiteral("vniiftri.khv.ru"),
    };
    return list;
}
}
