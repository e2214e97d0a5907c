#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class DBusOrbAdminDate;
class LogicController;

// Immediate synchronization and the texts about the synchronization services.
// Not complete yet.
class Synchronizer : public QObject
{
    Q_OBJECT
public:
    Synchronizer(std::shared_ptr<LogicController> logic, std::shared_ptr<DBusOrbAdminDate> client);

    void sync();
    void setServer(const QString &server);
    const QString &currentServer() const;
    int currentServiceState() const;
    bool noActiveServices() const;
    QString currentStatusString() const;
    QString getLastSynchroToolTip() const;
    QStringList getRecommendedServers() const;
    bool getSysAlive();

Q_SIGNALS:
    void error(const QString &title, const QString &message);

private:
    std::shared_ptr<DBusOrbAdminDate> m_daemon;
    std::shared_ptr<LogicController> m_logic;
    QString m_server;
};
