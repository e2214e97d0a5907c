// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The object at "/" of the date helper service: its methods are those of the
    interfaces "ru.veltronix.orb.date.Manager" and "ru.veltronix.orb.date.Servers",
    exported through the adaptors generated from the interfaces' XML.

    Every request takes one path: its arguments are checked, polkit is asked,
    and only an authorized request joins the queue, where requests are carried
    out one at a time. Nothing is held for a request polkit has not allowed, so
    an unauthorized caller delays nobody; waiting requests are bounded per Unix
    user, and the helper's open polkit checks in all, so that one user with many
    connections cannot crowd out another.
*/

#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include "serverssave.h"

class PolkitAuthority;
class QDBusServiceWatcher;

class DateHelper : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    static const QString serviceName; ///< "ru.veltronix.orb.date"
    static const QString setTimeAction; ///< "ru.veltronix.orb.date.set-time"
    static const QString ntpSyncAction; ///< "ru.veltronix.orb.date.ntp-sync"
    static const QString switchTabAction; ///< "ru.veltronix.orb.date.switch-tab"
    static const QString setServersAction; ///< "ru.veltronix.orb.date.set-servers"
    /// Requests of one Unix user that may wait at a time, over all its
    /// connections; more are refused.
    static constexpr int maxPendingPerUser = 4;
    /// polkit checks the helper keeps open at a time: well below the bus's
    /// limit of replies one connection may wait for (128 on Debian's system bus).
    static constexpr int maxOpenChecks = 32;

    /// `idleTimeoutMs`: how long the helper stays without requests before it
    /// emits idle() (0: never); bus activation starts it again when needed.
    explicit DateHelper(const QDBusConnection &bus, int idleTimeoutMs, QObject *parent = nullptr);

public Q_SLOTS:
    /// Synchronizes the clock once against `server` (a host name or an address),
    /// or, for an empty name, against the servers the machine's time service is
    /// configured with. Answers when the synchronization has finished.
    void NTPSync(const QString &server);
    /// Sets the system clock to `time` seconds since the epoch, and the hardware clock.
    void SetTime(uint time);
    /// The helper has no tabs of its own: an authorized call changes nothing.
    void SwitchTab();
    /// Makes `servers` and `fallback` the whole server list of `service`
    /// ("systemd-timesyncd" or "chrony"; chrony has no fallback servers). Fails
    /// with InvalidArgs for names that are no host names or addresses and for a
    /// list that leaves the service without sources, AccessDenied when polkit
    /// refuses, and Failed with the reason when writing, checking or restarting
    /// fails; the previous files are back in place then.
    void SetServers(const QString &service, const QStringList &servers, const QStringList &fallback);

Q_SIGNALS:
    /// Part of the interface. Not emitted as a broadcast: a failure after
    /// authorization is told to its caller alone, right after the error reply,
    /// with a reason a person can act on (see m_fail).
    void Error(const QString &error, const QString &message);

    /// No request has come or been in progress for the idle time-out.
    void idle();

private:
    enum class Kind { SetTime, NTPSync, SwitchTab, SetServers };
    struct Request {
        Kind kind = Kind::SwitchTab;
        QDBusMessage message;
        uint user = 0;
        QString check; ///< the polkit check's id while polkit decides
        uint time = 0;
        QStringList servers;
        ServersSave::Arguments save;
        // Monotonic: a clock change meanwhile must not change the wait measured.
        QElapsedTimer arrived;
    };

    /// Admits the request of the current call (counted for its user, the reply
    /// delayed) and asks polkit for `actionId`; else refuses it.
    void m_submit(Request request, const QString &actionId);
    void m_runNext();
    void m_runNtp(const Request &request);
    void m_runSave(const Request &request);
    /// Whether the caller is still on the bus; a request of a caller that has
    /// gone (given up, closed) is dropped without being carried out.
    bool m_callerPresent(const Request &request);
    /// A caller left: its checks are cancelled and its requests dropped.
    void m_callerLeft(const QString &caller);
    void m_reply(const Request &request);
    /// The error reply, then, for a failure after authorization, the Error
    /// signal to the caller with `reason`.
    void m_fail(const Request &request, const QString &errorName, const QString &reason, bool authorized);
    void m_finish(const Request &request);
    void m_updateIdle();

    QDBusConnection m_bus;
    PolkitAuthority *m_polkit;
    QDBusServiceWatcher *m_callers;
    // Requests polkit decides on, by the id of their check.
    QHash<QString, Request> m_checking;
    quint64 m_lastCheck = 0;
    // Authorized requests run one at a time, in order: a synchronization's
    // offset is only right while nothing else moves the clock, and one save of
    // the servers must not restart a service under another.
    QList<Request> m_queue;
    bool m_running = false;
    int m_inProgress = 0;
    QHash<uint, int> m_pendingByUser;
    QHash<QString, int> m_pendingByCaller;
    QTimer m_idleTimer;
};
