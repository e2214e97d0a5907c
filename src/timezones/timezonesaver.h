#pragma once

#include <QObject>

#include <memory>

class DBusOrbAdminDate;

// Makes the chosen zone the system time zone. Not complete yet.
class TimeZoneSaver : public QObject
{
    Q_OBJECT
public:
    TimeZoneSaver(std::shared_ptr<DBusOrbAdminDate> daemon, QObject *parent = nullptr);

    bool save(const QString &zoneId);

Q_SIGNALS:
    void error(QString title, QString message);

private:
    std::shared_ptr<DBusOrbAdminDate> m_daemon;
};
