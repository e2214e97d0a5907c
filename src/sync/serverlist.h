#pragma once

#include <QObject>

#include <memory>

class LogicController;

// The server list of the "Synchronization" tab. Not complete yet.
class ServerList : public QObject
{
    Q_OBJECT
public:
    explicit ServerList(QObject *parent = nullptr);

    static void setLogicController(std::shared_ptr<LogicController> logic);

public Q_SLOTS:
    static bool save();

private:
    static std::shared_ptr<LogicController> m_logic;
};
