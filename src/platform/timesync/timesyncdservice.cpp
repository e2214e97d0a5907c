// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "timesyncdservice.h"

#include <KLocalizedString>

#include <QRegularExpression>

#include "configreaders.h"
#include "configroot.h"
#include "timesyncbus.h"
#include "timesyncnames.h"

TimesyncdService::TimesyncdService(QObject *parent)
    : AbstractServiceClass(TimeSyncNames::timesyncdService, {TimeSyncNames::timesyncdUnit}, parent)
{
}

QStringList TimesyncdService::configFiles() const
{
    QStringList paths;
    for (const ConfigFile &file : m_files) {
        paths << file.path;
    }
    return paths;
}

void TimesyncdService::reload()
{
    m_files.clear();
    for (const QString &path : TimesyncdConfig::files(TimeSync::rootDirectory())) {
        m_files << ConfigFile::read(path);
    }
    setEdited(false);
    m_parse();
}

void TimesyncdService::m_parse()
{
    TimesyncdConfig::Servers servers;
    for (const ConfigFile &file : qAsConst(m_files)) {
        TimesyncdConfig::parse(QString::fromUtf8(file.content()), &servers);
    }
    m_ntp = ConfigPaths::unique(servers.ntp);
    m_fallback = servers.fallback;
    if (!servers.fallbackAssigned) {
        // The packaged main file names the built-in fallback servers in a comment.
        static const QRegularExpression commentedFallback(QStringLiteral("^\\s*[#;]\\s*FallbackNTP\\s*=(.*)$"), QRegularExpression::MultilineOption);
        const QString main = m_files.isEmpty() ? QString() : QString::fromUtf8(m_files.constFirst().content());
        m_fallback = ConfigText::words(commentedFallback.match(main).captured(1));
    }
    m_fallback = ConfigPaths::unique(m_fallback);
}

QStringList TimesyncdService::configuredServers() const
{
    QStringList servers = m_ntp;
    if (fallbackVisible()) {
        servers << m_fallback;
    }
    return ConfigPaths::unique(servers);
}

QStringList TimesyncdService::allServers() const
{
    return ConfigPaths::unique(m_ntp + m_fallback);
}

bool TimesyncdService::isFallback(const QString &server) const
{
    return m_fallback.contains(server) && !m_ntp.contains(server);
}

bool TimesyncdService::probeSynchronization(LastSynchroInfo *info) const
{
    if (!TimeSyncBus::timedatedSynchronized()) {
        return false;
    }
    *info = TimeSyncBus::timesyncdLastSynchronization();
    return true;
}

QString TimesyncdService::configTarget() const
{
    return TimeSync::rooted(TimeSyncNames::timesyncdDropIn);
}

QStringList TimesyncdService::primaryServers() const
{
    return m_ntp;
}

QStringList TimesyncdService::fallbackServers() const
{
    return m_fallback;
}

bool TimesyncdService::addServer(const QString &server, QString *reason)
{
    if (m_ntp.contains(server)) {
        *reason = i18n("The server \"%1\" is already in the list.", server);
        return false;
    }
    m_ntp << server;
    return true;
}

bool TimesyncdService::removeServer(const QString &server, QString *)
{
    const int removed = m_ntp.removeAll(server) + m_fallback.removeAll(server);
    return removed > 0;
}

bool TimesyncdService::replaceServer(const QString &server, const QString &replacement, QString *)
{
    for (Kind kind : {Ntp, Fallback}) {
        QStringList &list = kind == Ntp ? m_ntp : m_fallback;
        const int index = list.indexOf(server);
        if (index < 0) {
            continue;
        }
        list[index] = replacement;
        list = ConfigPaths::unique(list);
        return true;
    }
    return false;
}
