// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "timezonesaver.h"

#include <KLocalizedString>

#include <QDBusError>
#include <QDBusPendingCall>
#include <QDebug>
#include <QTimeZone>

#include "dbusorbadmindate.h"

TimeZoneSaver::TimeZoneSaver(std::shared_ptr<DBusOrbAdminDate> client, QObject *parent)
    : QObject(parent)
    , m_daemon(std::move(client))
{
}

bool TimeZoneSaver::save(const QString &zoneName)
{
    const QByteArray systemId = QTimeZone::systemTimeZoneId();
    const QString current = systemId.isNull() ? QString() : QString::fromLocal8Bit(systemId);
    // Exact comparison on purpose: timedated decides what a differently cased id means.
    if (zoneName == current) {
        return true;
    }

    if (!m_daemon) {
        qWarning() << Q_FUNC_INFO << "no date-service client";
        Q_EMIT error(i18n("Error"), i18n("Unable to set time zone!\n"));
        return false;
    }

    QDBusPendingCall call = m_daemon->SetTimezone(zoneName, true);
    call.waitForFinished();
    if (call.isError()) {
        const QDBusError dbusError = call.error();
        qWarning().noquote() << i18n("Error in method") << dbusError.name() << ":" << dbusError.message();
        const QString message = i18n("Unable to set time zone!\n") + m_daemon->getDBusError(dbusError);
        Q_EMIT error(i18n("Error"), message);
        return false;
    }
    return true;
}
