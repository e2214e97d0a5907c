// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "serverlist.h"

#include "abstractserviceclass.h"
#include "logiccontroller.h"

std::shared_ptr<LogicController> ServerList::m_logic;
bool ServerList::m_needsSave = false;
QString ServerList::m_saveError;

ServerList::ServerList(QObject *parent)
    : QObject(parent)
{
}

ServerList::~ServerList() = default;

void ServerList::m_notify()
{
    Instances<ServerList>::notify(&ServerList::serversChanged);
}

void ServerList::setLogicController(std::shared_ptr<LogicController> logic)
{
    if (m_logic) {
        QObject::disconnect(m_logic.get(), &LogicController::oneServiceChanged, m_logic.get(), nullptr);
    }
    m_logic = std::move(logic);
    if (m_logic) {
        connect(m_logic.get(), &LogicController::oneServiceChanged, m_logic.get(), &ServerList::serviceChanged, Qt::DirectConnection);
    }
    m_notify();
}

AbstractServiceClass *ServerList::m_activeService()
{
    if (!m_logic || m_logic->getActiveServiceName().isEmpty()) {
        return nullptr;
    }
    return qobject_cast<AbstractServiceClass *>(m_logic->getActiveServiceWidget());
}

QStringList ServerList::getServers()
{
    AbstractServiceClass *service = m_activeService();
    return service ? service->configuredServers() : QStringList();
}

void ServerList::load()
{
    if (m_logic) {
        m_logic->reloadSystemState();
    }
    m_needsSave = false;
    m_notify();
}

bool ServerList::needsSave()
{
    return m_needsSave;
}

void ServerList::openServerSettings(const QString &serverName)
{
    if (AbstractServiceClass *service = m_activeService()) {
        service->openServerSettingsWithGivenName(serverName);
    }
}

void ServerList::addServer()
{
    if (AbstractServiceClass *service = m_activeService()) {
        service->createServerSettings();
    }
}

void ServerList::removeServer(const QString &serverName)
{
    if (AbstractServiceClass *service = m_activeService()) {
        service->deleteServerWithGivenName(serverName);
    }
}

bool ServerList::isServerFallback(const QString &serverName)
{
    return m_activeService() && m_logic->isServerFallback(serverName);
}

bool ServerList::isSystemdActiveService()
{
    if (!m_logic) {
        return false;
    }
    const QString name = m_logic->getActiveServiceName();
    const int state = m_logic->getSavedServiceState();
    return !name.isEmpty() && (state == LogicController::NotSynchronized || state == LogicController::Synchronized)
        && name == QLatin1String("systemd-timesyncd");
}

QString ServerList::getFallbackVisiblityToolTip()
{
    return m_logic ? m_logic->getFallbackVisiblityToolTip() : QString();
}

void ServerList::changeFallbackVisibility()
{
    if (m_logic) {
        m_logic->updateFallbackVisibility();
    }
    m_notify();
}

bool ServerList::isFallbackVisible()
{
    return m_logic && m_logic->isFallbackServersVisible();
}

bool ServerList::save()
{
    m_saveError.clear();
    if (!m_needsSave) {
        return true;
    }
    if (!m_logic || m_logic->getActiveServiceName().isEmpty()) {
        return true;
    }
    const QString config = m_logic->saveCurrentConfig();
    const QString target = m_logic->getCurrentConfTarget();
    if (config.isEmpty() || target.isEmpty()) {
        return false;
    }
    // A refused or failed installation must reach the user, not pass as saved.
    if (!m_logic->moveAndRestartActive(config, target)) {
        m_saveError = m_logic->lastSaveError();
        return false;
    }
    return true;
}

QString ServerList::saveError()
{
    return m_saveError;
}

void ServerList::serviceChanged()
{
    m_needsSave = true;
    m_notify();
}
