/*
    The object at "/" of the date helper service: its methods are those of the
    interface "ru.veltronix.orb.date.Manager", exported through the adaptor
    generated from the interface's XML.
*/

#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

class PolkitAuthority;

class DateHelper : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    static const QString serviceName; ///< "ru.veltronix.orb.date"
    static const QString setTimeAction; ///< "ru.veltronix.orb.date.set-time"
    static const QString ntpSyncAction; ///< "ru.veltronix.orb.date.ntp-sync"
    static const QString switchTabAction; ///< "ru.veltronix.orb.date.switch-tab"

    /// `idleTimeoutMs`: how long the helper stays without requests before it
    /// emits idle() (0: never); bus activation starts it again when needed.
    explicit DateHelper(const QDBusConnection &bus, int idleTimeoutMs, QObject *parent = nullptr);

    /// Keeps the helper from going idle while another interface of it works.
    void holdIdle();
    void releaseIdle();

public Q_SLOTS:
    /// Synchronizes the clock once against `server` (a host name or an address),
    /// or, for an empty name, against the servers the machine's time service is
    /// configured with. Answers when the synchronization has finished.
    void NTPSync(const QString &server);
    /// Sets the system clock to `time` seconds since the epoch, and the hardware clock.
    void SetTime(uint time);
    /// The helper has no tabs of its own: an authorized call changes nothing.
    void SwitchTab();

Q_SIGNALS:
    /// Part of the interface; every failure of this helper goes into the reply of
    /// the request that met it, so that the caller learns it exactly once.
    void Error(const QString &error, const QString &message);

    /// No request has come or been in progress for the idle time-out.
    void idle();

private:
    enum class Kind { SetTime, NTPSync, SwitchTab };
    struct Request
    {
        Request(Kind kind, const QDBusMessage &message)
            : kind(kind)
            , message(message)
        {
        }
        Kind kind;
        QDBusMessage message;
        uint time = 0;
        QStringList servers;
    };

    void m_accept(Request request, const QString &actionId);
    void m_runNext();
    void m_runNtp(const Request &request);
    void m_reply(const QDBusMessage &message, const QString &errorName = QString(), const QString &errorText = QString());
    void m_updateIdle();

    QDBusConnection m_bus;
    PolkitAuthority *m_polkit;
    // Authorized requests run one at a time, in order: a synchronization's
    // offset is only right while nothing else moves the clock.
    QList<Request> m_queue;
    bool m_running = false;
    int m_inProgress = 0;
    QTimer m_idleTimer;
};
