/*
    The object at "/" of the date helper service: its methods are those of the
    interface "ru.veltronix.orb.date.Manager", exported through the adaptor
    generated from the interface's XML.
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

class PolkitAuthority;

class DateHelper : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    static const QString serviceName; ///< "ru.veltronix.orb.date"
    static const QString setTimeAction; ///< "ru.veltronix.orb.date.set-time"
    static const QString ntpSyncAction; ///< "ru.veltronix.orb.date.ntp-sync"
    static const QString switchTabAction; ///< "ru.veltronix.orb.date.switch-tab"
    /// Requests of one caller that may wait at a time; more are refused.
    static constexpr int maxPendingPerCaller = 4;

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
    /// Part of the interface. Not emitted as a broadcast: a failure after
    /// authorization is told to its caller alone, right after the error reply,
    /// with a reason a person can act on (see m_fail).
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
            arrived.start();
        }
        Kind kind;
        QDBusMessage message;
        uint time = 0;
        QStringList servers;
        // Monotonic: a clock change meanwhile must not change the wait measured.
        QElapsedTimer arrived;
    };

    /// Whether the caller may queue one more request; else refuses it.
    bool m_admit();
    void m_accept(Request request, const QString &actionId);
    void m_runNext();
    void m_runNtp(const Request &request);
    /// Whether the caller is still on the bus; a request of a caller that has
    /// gone (given up, closed) is dropped without being carried out.
    bool m_callerPresent(const Request &request);
    void m_reply(const Request &request);
    /// The error reply, then, for a failure after authorization, the Error
    /// signal to the caller with `reason`.
    void m_fail(const Request &request, const QString &errorName, const QString &reason, bool authorized);
    void m_finish(const Request &request);
    void m_updateIdle();

    QDBusConnection m_bus;
    PolkitAuthority *m_polkit;
    // Authorized requests run one at a time, in order: a synchronization's
    // offset is only right while nothing else moves the clock.
    QList<Request> m_queue;
    bool m_running = false;
    int m_inProgress = 0;
    QHash<QString, int> m_pendingByCaller;
    QTimer m_idleTimer;
};
