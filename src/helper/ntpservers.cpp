// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "ntpservers.h"

#include "configreaders.h"
#include "servername.h"
#include "timesyncnames.h"

#include <QFileInfo>

namespace NtpServers
{
namespace
{
QStringList timesyncdServers(const QString &root)
{
    const TimesyncdConfig::Servers servers = TimesyncdConfig::read(root);
    if (!servers.ntp.isEmpty()) {
        return servers.ntp;
    }
    return servers.fallbackAssigned ? servers.fallback : platformDefault();
}

QStringList usable(const QStringList &names)
{
    QStringList result;
    for (const QString &name : names) {
        const QString server = ServerName::normalized(name);
        if (!server.isEmpty() && !result.contains(server)) {
            result << server;
        }
        if (result.size() == maxServers) {
            break;
        }
    }
    return result;
}
}

QStringList configured(const QString &root)
{
    if (QFileInfo::exists(ConfigPaths::below(root, QStringLiteral("/usr/sbin/chronyd")))) {
        return usable(ChronyConfig::sources(ChronyConfig::read(root).files));
    }
    if (QFileInfo::exists(ConfigPaths::below(root, QStringLiteral("/usr/sbin/ntpd")))) {
        return usable(NtpsecConfig::sources(root));
    }
    return usable(timesyncdServers(root));
}

QStringList platformDefault()
{
    return TimeSyncNames::platformDefaultServers();
}

QStringList defaultServers(const QString &root)
{
    const QStringList servers = configured(root);
    return servers.isEmpty() ? platformDefault() : servers;
}
}
