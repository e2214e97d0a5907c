// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

/*
    Asks polkit, without waiting, whether a caller on the bus may perform an action.

    The check is marshalled here rather than through polkit-qt's Authority: that
    one is a process-wide object whose checkAuthorizationFinished() names no
    check and whose checkAuthorizationCancel() cancels every check at once, so it
    cannot keep many callers' checks open side by side and cancel one of them,
    and it drops polkit's error text, which the page shows.
*/
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
    /// `id` names the check for cancel(); it must differ from those of the checks still open.
    void check(const QString &id, const QString &caller, const QString &actionId, bool interactive, const Answer &answer);
    /// Asks polkit to drop the check `id` (its password dialog closes); its
    /// answer then comes as a refusal.
    void cancel(const QString &id);

    /// The D-Bus error a request refused with `result` is answered with.
    static QString refusalError(Result result);

private:
    QDBusConnection m_bus;
};
