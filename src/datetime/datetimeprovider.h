#pragma once

#include <QObject>

#include <memory>

class DBusOrbAdminDate;

// The edited date, time and hardware-clock mode. Not complete yet: it holds the
// client and writes nothing.
class DateTimeProvider : public QObject
{
    Q_OBJECT
public:
    enum Value { Date = 0, Time = 1, UTC = 2 };
    Q_ENUM(Value)

    explicit DateTimeProvider(QObject *parent = nullptr);

    static void setDaemon(std::shared_ptr<DBusOrbAdminDate> daemon);

public Q_SLOTS:
    static void saveSettings();

private:
    static std::shared_ptr<DBusOrbAdminDate> s_daemon;
};
