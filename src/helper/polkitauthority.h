#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

/// Asks polkit, without waiting, whether a caller on the bus may perform an action.
class PolkitAuthority : public QObject
{
    Q_OBJECT

public:
    enum class Result {
        Allowed,
        Refused,
        /// Only a password would allow it, and the caller did not let polkit ask.
        InteractionRequired,
    };
    /// (result, reason when not allowed or when polkit could not be asked)
    using Answer = std::function<void(Result, const QString &)>;

    explicit PolkitAuthority(const QDBusConnection &bus, QObject *parent = nullptr);

    /// Longest wait for polkit's answer, a password typed included.
    static constexpr int checkTimeoutMs = 5 * 60 * 1000;

    /// Checks `actionId` for the bus name `caller`; polkit may ask the user for a
    /// password only when `interactive`. `answer` is called exactly once, from the
    /// event loop, after polkit has replied; an unreachable or failing polkit refuses.
    void check(const QString &caller, const QString &actionId, bool interactive, const Answer &answer);

    /// The D-Bus error a request refused with `result` is answered with.
    static QString refusalError(Result result);

private:
    QDBusConnection m_bus;
};
