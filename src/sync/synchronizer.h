// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

#include "lastsynchroinfo.h"

class DBusOrbAdminDate;
class LogicController;

// Immediate synchronization through the privileged date helper, and the texts
// the "Synchronization" tab shows about the synchronization services.
class Synchronizer : public QObject
{
    Q_OBJECT
public:
    Synchronizer(std::shared_ptr<LogicController> logic, std::shared_ptr<DBusOrbAdminDate> client, QObject *parent = nullptr);

    // The servers offered for an immediate synchronization, most trusted first.
    static const QStringList &recommendedServers();
    // Whether `server` (already trimmed) may be stored and sent to the helper:
    // empty, or a host name or IP address. Anything else could reach the NTP
    // tool behind the helper as an option.
    static bool isAcceptableServer(const QString &server);

    // True when the helper synchronized the clock; failures emit error().
    bool sync();
    void setServer(const QString &server);
    const QString &currentServer() const;
    QString currentService() const;
    int currentServiceState() const;
    bool noActiveServices() const;
    QString currentStatusString() const;
    QString getLastSynchroToolTip() const;
    QStringList getRecommendedServers() const;
    QObject *getActiveServiceWidget() const;
    bool getSysAlive();

Q_SIGNALS:
    void error(const QString &title, const QString &message);

private Q_SLOTS:
    void m_translateError(const QString &title, const QString &message);

private:
    std::shared_ptr<DBusOrbAdminDate> m_daemon;
    std::shared_ptr<LogicController> m_logic;
    QString m_server;
    // The last immediate synchronization that succeeded: the service's own record
    // does not know of it, but the user asked for it and wants to see it.
    LastSynchroInfo m_lastImmediate;
};
