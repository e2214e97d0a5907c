#include "synchronizer.h"

#include "logiccontroller.h"

Synchronizer::Synchronizer(std::shared_ptr<LogicController> logic, std::shared_ptr<DBusOrbAdminDate> client)
    : QObject(nullptr)
    , m_daemon(std::move(client))
    , m_logic(std::move(logic))
{
}

void Synchronizer::sync()
{
}

void Synchronizer::setServer(const QString &server)
{
    m_server = server;
}

const QString &Synchronizer::currentServer() const
{
    return m_server;
}

int Synchronizer::currentServiceState() const
{
    return m_logic->getSavedServiceState();
}

bool Synchronizer::noActiveServices() const
{
    const int state = currentServiceState();
    return state == 0 || state == 1;
}

QString Synchronizer::currentStatusString() const
{
    return QString();
}

QString Synchronizer::getLastSynchroToolTip() const
{
    return QString();
}

QStringList Synchronizer::getRecommendedServers() const
{
    return {};
}

bool Synchronizer::getSysAlive()
{
    return m_logic->getSysAlive();
}
