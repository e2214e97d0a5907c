// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The one client through which the module asks for privileged date changes.
*/

#pragma once

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>

#include "orbadmindateinterface.h"

/**
 * Sends the module's privileged requests to the date helper and to timedated.
 *
 * Before each request it tells the polkit authentication agent of the session
 * which window the password dialog belongs to, so that the dialog is parented
 * to the settings window. Each request allows interactive authorization and has
 * no time-out: the services bound their own waits, and a password may take long.
 *
 * A request returns its pending call once it has finished. Meanwhile events are
 * processed, so the page is still drawn, but user input is dropped and busy()
 * is true; callers then read the call and build their message with getDBusError().
 */
class DBusOrbAdminDate : public QObject
{
    Q_OBJECT

public:
    /// Returns once `call` has finished, keeping the windows drawn but dropping
    /// user input meanwhile, with a busy cursor.
    static void waitForReply(const QDBusPendingCall &call);

    explicit DBusOrbAdminDate(QObject *parent = nullptr);
    ~DBusOrbAdminDate() override;

    void setWId(qulonglong wid);
    qulonglong wid() const;
    /// The window announced while the stored id is 0: at the first load a host may
    /// not have shown (or focused) its window yet. Class-wide, because the server
    /// saves of the time-sync layer go through clients of their own.
    static void setWindowLookup(std::function<qulonglong()> lookup);

    /// Announces the window for @p actionId to the polkit agent; failures are only logged.
    void preAuthAction(const QString &actionId);

    QDBusPendingCall NTPSync(const QString &server);
    QDBusPendingCall SetTime(uint time);
    QDBusPendingCall SwitchTab();
    /// The whole server list of a time service, on the helper's Servers interface.
    QDBusPendingCall SetServers(const QString &service, const QStringList &servers, const QStringList &fallback);
    QDBusPendingCall SetLocalRTC(bool localRtc, bool fixSystem, bool interactive);
    QDBusPendingCall SetTimezone(const QString &zoneId, bool interactive);
    QDBusPendingCall SetNTP(bool useNtp, bool interactive);

    /// timedated's flags, each false when it cannot be read: whether the hardware
    /// clock keeps local time, whether timedated keeps the clock synchronized by
    /// itself, and whether it has a synchronization service to switch on.
    struct ClockFlags {
        bool localRTC = false;
        bool ntp = false;
        bool canNTP = false;
    };
    /// All three in one call.
    ClockFlags clockFlags() const;

    /// The user's text for a D-Bus error type, translated now.
    QString getDBusError(QDBusError::ErrorType type) const;
    /// The same for a whole error: also knows errors Qt has no type for, and adds
    /// a line under the text that says the cause in plain words, where it is known.
    QString getDBusError(const QDBusError &error) const;
    /// That line alone; empty when the cause is not known. The error's own text is
    /// not meant for the page: callers log it.
    static QString explainError(const QDBusError &error);
    /// A failure the helper reported in its own words, as the page shows it.
    static QString explainHelperText(const QString &text);

    /// Whether a request (or its announcement to the agent) is outstanding.
    bool busy() const;

Q_SIGNALS:
    /// The helper's asynchronous failure report, passed on unchanged. One that
    /// arrives while a request is outstanding follows after that request has
    /// returned, so that it comes after the caller's own message about it.
    void Error(const QString &error, const QString &message);
    void busyChanged(bool busy);

private:
    // Busy from the first announcement to the agent until the request is answered.
    class BusyScope
    {
    public:
        explicit BusyScope(DBusOrbAdminDate *client);
        ~BusyScope();
        BusyScope(const BusyScope &) = delete;
        BusyScope &operator=(const BusyScope &) = delete;

    private:
        DBusOrbAdminDate *m_client;
    };

    QDBusMessage m_helperCall(const QString &method, const QVariantList &arguments, const QString &interface = QString()) const;
    static QDBusMessage m_timedatedCall(const QString &method, const QVariantList &arguments);
    QDBusPendingCall m_send(const QDBusConnection &bus, QDBusMessage call);
    void m_relayError(const QString &error, const QString &message);

    OrbAdminDateInterface m_interface;
    qulonglong m_wid;
    int m_waiting = 0;
    QList<QPair<QString, QString>> m_heldErrors;
};
