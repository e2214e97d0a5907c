// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QList>

#include "abstractserviceclass.h"
#include "configtext.h"

// systemd-timesyncd: servers from timesyncd.conf and its drop-ins (NTP= and
// FallbackNTP= of the [Time] section). A save hands the whole list to the date
// helper, which writes it into a drop-in of its own that is read last.
class TimesyncdService : public AbstractServiceClass
{
    Q_OBJECT
public:
    explicit TimesyncdService(QObject *parent = nullptr);

    QStringList configuredServers() const override;
    QStringList allServers() const override;
    bool isFallback(const QString &server) const override;
    bool probeSynchronization(LastSynchroInfo *info) const override;
    void reload() override;
    QString configTarget() const override;
    QStringList primaryServers() const override;
    QStringList fallbackServers() const override;

    // The files read, in the order systemd reads them.
    QStringList configFiles() const;

protected:
    bool addServer(const QString &server, QString *reason) override;
    bool removeServer(const QString &server, QString *reason) override;
    bool replaceServer(const QString &server, const QString &replacement, QString *reason) override;

private:
    enum Kind { Ntp, Fallback };
    void m_parse();

    QList<ConfigFile> m_files;
    QStringList m_ntp;
    QStringList m_fallback;
};
