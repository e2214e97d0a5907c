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
    /// (allowed, reason when refused or when polkit could not be asked)
    using Answer = std::function<void(bool, const QString &)>;

    explicit PolkitAuthority(const QDBusConnection &bus, QObject *parent = nullptr);

    /// Checks `actionId` for the bus name `caller`, letting polkit ask the user
    /// (AllowUserInteraction). `answer` is called exactly once, from the event
    /// loop, after polkit has replied; an unreachable or failing polkit refuses.
    void check(const QString &caller, const QString &actionId, const Answer &answer);

private:
    QDBusConnection m_bus;
};
