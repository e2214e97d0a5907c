// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "polkitauthority.h"

#include <QDBusError>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMap>
#include <QVariantMap>

namespace
{
using StringMap = QMap<QString, QString>;

constexpr uint allowUserInteraction = 1;
const QString polkitService = QStringLiteral("org.freedesktop.PolicyKit1");
const QString polkitPath = QStringLiteral("/org/freedesktop/PolicyKit1/Authority");
const QString polkitInterface = QStringLiteral("org.freedesktop.PolicyKit1.Authority");
}

PolkitAuthority::PolkitAuthority(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
    qDBusRegisterMetaType<StringMap>();
}

void PolkitAuthority::check(const QString &id, const QString &caller, const QString &actionId, bool interactive, const Answer &answer)
{
    QDBusMessage message = QDBusMessage::createMethodCall(polkitService, polkitPath, polkitInterface, QStringLiteral("CheckAuthorization"));
    QDBusArgument subject;
    subject.beginStructure();
    subject << QStringLiteral("system-bus-name") << QVariantMap{{QStringLiteral("name"), caller}};
    subject.endStructure();
    message << QVariant::fromValue(subject) << actionId << QVariant::fromValue(StringMap()) << (interactive ? allowUserInteraction : 0u) << id;

    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, checkTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, actionId, interactive, answer]() {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (reply.type() == QDBusMessage::ErrorMessage) {
            answer(Result::Refused, QStringLiteral("polkit could not be asked about %1: %2: %3").arg(actionId, reply.errorName(), reply.errorMessage()));
            return;
        }
        bool authorized = false;
        bool challenge = false;
        StringMap details;
        if (reply.signature() == QLatin1String("(bba{ss})")) {
            const QDBusArgument result = reply.arguments().constFirst().value<QDBusArgument>();
            result.beginStructure();
            result >> authorized >> challenge >> details;
            result.endStructure();
        } else {
            answer(Result::Refused, QStringLiteral("polkit answered %1 with the unexpected signature %2").arg(actionId, reply.signature()));
            return;
        }
        if (authorized) {
            answer(Result::Allowed, QString());
        } else if (challenge && !interactive) {
            answer(Result::InteractionRequired, QStringLiteral("Interactive authentication is required for %1").arg(actionId));
        } else if (challenge) {
            answer(Result::Refused, QStringLiteral("Authentication is required for %1").arg(actionId));
        } else {
            answer(Result::Refused, QStringLiteral("Not authorized for %1").arg(actionId));
        }
    });
}

void PolkitAuthority::cancel(const QString &id)
{
    QDBusMessage message = QDBusMessage::createMethodCall(polkitService, polkitPath, polkitInterface, QStringLiteral("CancelCheckAuthorization"));
    message << id;
    // Nobody waits for it: the cancelled check's own reply ends the request.
    message.setAutoStartService(false);
    m_bus.send(message);
}

QString PolkitAuthority::refusalError(Result result)
{
    // Qt names no error type of its own for it.
    return result == Result::InteractionRequired ? QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")
                                                 : QDBusError::errorString(QDBusError::AccessDenied);
}
