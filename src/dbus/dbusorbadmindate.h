/*
    The one client through which the module asks for privileged date changes.
*/

#pragma once

#include <QDBusError>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>

#include "orbadmindateinterface.h"

/**
 * Sends the module's privileged requests to the date helper and to timedated.
 *
 * Before each request it tells the polkit authentication agent of the session
 * which window the password dialog belongs to, so that the dialog is parented
 * to the settings window. Requests return at once with their pending call;
 * callers wait on it and build their message with getDBusError().
 */
class DBusOrbAdminDate : public QObject
{
    Q_OBJECT

public:
    explicit DBusOrbAdminDate(QObject *parent = nullptr);
    ~DBusOrbAdminDate() override;

    void setWId(qulonglong wid);
    qulonglong wid() const;

    /// Announces the window for @p actionId to the polkit agent; failures are only logged.
    void preAuthAction(const QString &actionId);

    QDBusPendingCall NTPSync(const QString &server);
    QDBusPendingCall SetTime(uint time);
    QDBusPendingCall SwitchTab();
    QDBusPendingCall SetLocalRTC(bool localRtc, bool fixSystem, bool interactive);
    QDBusPendingCall SetTimezone(const QString &zoneId, bool interactive);
    QDBusPendingCall SetNTP(bool useNtp, bool interactive);

    /// Whether the hardware clock keeps local time; false when it cannot be read.
    bool localRTC() const;
    /// Whether timedated keeps the clock synchronized by itself; false when it cannot be read.
    bool ntp() const;
    /// Whether timedated has a synchronization service to switch on; false when it cannot be read.
    bool canNTP() const;

    /// The user's text for a D-Bus error type, translated now.
    QString getDBusError(QDBusError::ErrorType type) const;

Q_SIGNALS:
    /// The helper's asynchronous failure report, passed on unchanged.
    void Error(const QString &error, const QString &message);

private:
    bool m_timedatedFlag(const char *property) const;

    OrbAdminDateInterface m_interface;
    qulonglong m_wid;
};
