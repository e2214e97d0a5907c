#include "serverlist.h"

#include "logiccontroller.h"

std::shared_ptr<LogicController> ServerList::m_logic;

ServerList::ServerList(QObject *parent)
    : QObject(parent)
{
}

void ServerList::setLogicController(std::shared_ptr<LogicController> logic)
{
    m_logic = std::move(logic);
}

bool ServerList::save()
{
    return true;
}
