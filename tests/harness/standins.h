// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    Test-side control of the stand-in services (tests/harness/standins/standin.py).
*/

#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

class ChildProcess;

/// One method call received by a stand-in, as written to the shared journal.
struct StandInCall {
    QString bus; ///< "system" or "session"
    QString service; ///< the bus name of the stand-in that received it
    QString interface;
    QString member;
    QString signature;
    QVariantList args; ///< integers as qlonglong, booleans as bool, strings as QString

    /// Compact form for comparisons in tests, e.g.
    /// `ru.veltronix.orb.date: SetTime(1700000000) [u]`; members of the standard
    /// D-Bus interfaces keep their interface: `...: org.freedesktop.DBus.Properties.Get(...)`.
    QString toString() const;
};

/// toString() of each call.
QStringList describe(const QList<StandInCall> &calls);

QDebug operator<<(QDebug debug, const StandInCall &call);

/**
 * Starts, steers and stops the stand-in services on the private buses that
 * run-with-buses provides. Every start waits until the bus name is owned and
 * every stop until it is released; nothing sleeps blindly.
 *
 * The destructor stops whatever is still running.
 */
class StandIns : public QObject
{
    Q_OBJECT

public:
    enum Service {
        Helper, ///< "ru.veltronix.orb.date" on the system bus
        Timedated, ///< "org.freedesktop.timedate1" on the system bus (dbusmock's template)
        Agent, ///< "org.kde.polkit-kde-authentication-agent-1" on the session bus
        Systemd, ///< "org.freedesktop.systemd1" with "org.freedesktop.timesync1" beside it, on the system bus
        Polkit, ///< "org.freedesktop.PolicyKit1" on the system bus (dbusmock's template)
    };
    Q_ENUM(Service)

    explicit StandIns(QObject *parent = nullptr);
    ~StandIns() override;

    static QString busName(Service service);
    static QDBusConnection bus(Service service);

    /// Starts the stand-in and waits until it owns its name. @p parameters are
    /// initial values (timedated: "Timezone", "LocalRTC", "NTP", "CanNTP";
    /// systemd: "Units" as a map of unit name to ActiveState, "ServerName", "SyncedAt").
    bool start(Service service, const QVariantMap &parameters = {});
    /// The date helper, timedated and the agent.
    bool startAll();
    /// Stops it and waits until its name is gone; true also when it was not running.
    bool stop(Service service);
    void stopAll();
    /// Whether its process is alive and owns the name (a stand-in told to drop a call ends itself).
    bool isRunning(Service service) const;

    /// From now on, answer @p member with the D-Bus error @p errorName.
    bool failWith(Service service, const QString &member, const QString &errorName, const QString &message = QString());
    /// On the next call of @p member, leave the bus without answering: the caller gets NoReply at once.
    bool dropOn(Service service, const QString &member);
    /// Answer everything with success again.
    bool clearFailures(Service service);

    /// Makes the date helper emit its Error(s, s) signal.
    bool emitHelperError(const QString &error, const QString &message);

    /// A property of the stand-in's main interface, read or set through its control object.
    QVariant serviceProperty(Service service, const QString &name);
    bool setServiceProperty(Service service, const QString &name, const QVariant &value);
    QString timedatedTimezone();
    bool setTimedatedTimezone(const QString &zoneId);
    bool timedatedLocalRTC();
    bool setTimedatedLocalRTC(bool localRtc);

    /// Every call received by any stand-in since the last clearJournal(), in order of arrival.
    static QList<StandInCall> journal();
    /// systemd's units and timesync1's last synchronization (Systemd).
    bool setUnit(const QString &unit, const QString &activeState);
    bool setLastSync(const QString &server, qulonglong usec);
    /// The result the unit's next restart jobs end with ("done" unless set).
    bool setJobResult(const QString &unit, const QString &result);

    /// The journal restricted to one stand-in.
    static QList<StandInCall> calls(Service service);
    /// The calls of one member of one stand-in, in order of arrival.
    static QList<StandInCall> calls(Service service, const QString &member);
    /// The seconds of every SetTime the date helper received, in order.
    static QList<qlonglong> sentTimes();
    static void clearJournal();

private:
    bool control(Service service, const QString &method, const QVariantList &args, QVariant *result = nullptr);
    bool waitForOwner(Service service, qint64 pid, bool owned, ChildProcess *process);

    ChildProcess *m_processes[Polkit + 1] = {};
};
