// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    One save of the time servers of systemd-timesyncd or chrony, for the date
    helper's "ru.veltronix.orb.date.Servers" interface: writes the files, checks
    them with the service's own reading, and restarts or reloads the service;
    finishes only when the service runs with them or everything is as it was.
*/

#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

#include "serverfiles.h"

class OrgFreedesktopSystemd1ManagerInterface;

class ServersSave : public QObject
{
    Q_OBJECT

public:
    struct Arguments {
        QString service;
        QStringList servers;
        QStringList fallback;
    };

    explicit ServersSave(const QDBusConnection &bus, QObject *parent = nullptr);
    ~ServersSave() override;

    /// The names of `arguments` normalized and without repeats, or (in `error`)
    /// why they cannot be saved: names that are no host names or addresses, too
    /// many, or a list that leaves the service without sources.
    static Arguments checked(const Arguments &arguments, QString *error);

    /// Saves checked arguments; finished() follows once.
    void start(const Arguments &arguments);

Q_SIGNALS:
    /// `errorName` empty when saved; else the D-Bus error and its reason.
    void finished(const QString &errorName, const QString &error);

private:
    using Done = std::function<void(bool, const QString &)>;

    void m_applied(bool ok, const QString &error);
    void m_restartOrReload(bool restart, const Done &done);
    void m_restart(const QString &unit, const Done &done);
    void m_reloadChronySources(const Done &done);
    void m_jobRemoved(uint id, const QDBusObjectPath &job, const QString &unit, const QString &result);
    void m_jobEnded(const QString &result);
    QString m_unitFor(const QString &service);

    QDBusConnection m_bus;
    OrgFreedesktopSystemd1ManagerInterface *m_systemd;
    Arguments m_arguments;
    ServerFiles::Plan m_plan;
    QString m_unit;
    QString m_job; ///< the restart job waited for
    Done m_jobDone;
    QTimer m_jobTimeout;
    QMap<QString, QString> m_jobResults; ///< jobs that ended before their path was known
};
