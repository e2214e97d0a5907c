// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "synchronizer.h"

#include <KLocalizedString>

#include <QDBusPendingCall>
#include <QDateTime>
#include <QDebug>

#include "dbusorbadmindate.h"
#include "lastsynchroinfo.h"
#include "logiccontroller.h"
#include "servername.h"
#include "timesyncbus.h"
#include "timesyncnames.h"

Synchronizer::Synchronizer(std::shared_ptr<LogicController> logic, std::shared_ptr<DBusOrbAdminDate> client, QObject *parent)
    : QObject(parent)
    , m_daemon(std::move(client))
    , m_logic(std::move(logic))
{
    connect(m_daemon.get(), &DBusOrbAdminDate::Error, this, &Synchronizer::m_translateError);
}

const QStringList &Synchronizer::recommendedServers()
{
    return TimeSyncNames::recommendedServers();
}

bool Synchronizer::isAcceptableServer(const QString &server)
{
    return server.isEmpty() || ServerName::isAcceptable(server);
}

bool Synchronizer::sync()
{
    QDBusPendingCall call = m_daemon->NTPSync(m_server);
    call.waitForFinished();
    if (!call.isError()) {
        m_lastImmediate = TimeSyncBus::displayInfo(QDateTime::currentMSecsSinceEpoch(), m_server.trimmed());
        // Its state may have changed too: the clock was just set. Edits of the
        // server list stay.
        m_logic->refreshSynchronization();
        return true;
    }
    const QDBusError dbusError = call.error();
    qWarning() << QString(i18n("Error in method ") + dbusError.name() + QStringLiteral(" : ") + dbusError.message());
    const QString message = i18n("Unable to synchronize time!\n") + m_daemon->getDBusError(dbusError);
    Q_EMIT error(i18n("Error "), message);
    return false;
}

void Synchronizer::m_translateError(const QString &title, const QString &message)
{
    // The helper speaks English to every caller; its own words go to the log.
    qWarning().noquote() << "The date helper reported:" << title << ":" << message;
    QString text = DBusOrbAdminDate::explainHelperText(message);
    if (text.contains(QLatin1String("ntpdig"))) {
        text = i18n("ntpdig: no eligible servers");
    }
    QString shownTitle = title;
    if (title == QLatin1String("Unable to set the time")) {
        shownTitle = i18n("Unable to set date and time!");
    } else if (title == QLatin1String("Unable to synchronize the time")) {
        shownTitle = i18n("Unable to synchronize time!");
    }
    Q_EMIT error(shownTitle, text);
}

void Synchronizer::setServer(const QString &server)
{
    m_server = server;
}

const QString &Synchronizer::currentServer() const
{
    return m_server;
}

QString Synchronizer::currentService() const
{
    return m_logic->getActiveServiceName();
}

int Synchronizer::currentServiceState() const
{
    return m_logic->getSavedServiceState();
}

bool Synchronizer::noActiveServices() const
{
    const int state = currentServiceState();
    return state == LogicController::NoService || state == LogicController::NoneRunning;
}

QString Synchronizer::currentStatusString() const
{
    switch (currentServiceState()) {
    case LogicController::NoService:
    case LogicController::NoneRunning:
        return i18n("All services stopped");
    case LogicController::NotSynchronized:
        return i18n("Current service: ") + currentService() + i18n(" (not synced)");
    case LogicController::Synchronized:
        return i18n("Current service: ") + currentService() + i18n(" (synced)");
    default:
        return QString();
    }
}

QString Synchronizer::getLastSynchroToolTip() const
{
    if (currentServiceState() != LogicController::Synchronized) {
        return QString();
    }
    LastSynchroInfo info = m_logic->getLastSynchroInfo();
    if (m_lastImmediate.utcMSecs > info.utcMSecs && !m_lastImmediate.server.isEmpty()) {
        info = m_lastImmediate;
    }
    if (info.server.isEmpty()) {
        return QString();
    }
    // One multi-argument substitution: a "%" in a value must not be taken for a marker.
    return QStringLiteral("%1\n%2\n%3\n%4")
        .arg(i18n("Last synchronization"), i18n("Date: ") + info.date, i18n("Time: ") + info.time, i18n("Server: ") + info.server);
}

QStringList Synchronizer::getRecommendedServers() const
{
    // A stable order, so that the same server is preselected on every start.
    QStringList servers = recommendedServers();
    if (noActiveServices()) {
        return servers;
    }
    const QStringList configured = m_logic->getListServersToSync();
    for (const QString &server : configured) {
        if (!servers.contains(server)) {
            servers << server;
        }
    }
    return servers;
}

QObject *Synchronizer::getActiveServiceWidget() const
{
    return m_logic->getActiveServiceWidget();
}

bool Synchronizer::getSysAlive()
{
    return m_logic->getSysAlive();
}
