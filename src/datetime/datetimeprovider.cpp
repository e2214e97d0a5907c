#include "datetimeprovider.h"

std::shared_ptr<DBusOrbAdminDate> DateTimeProvider::s_daemon;

DateTimeProvider::DateTimeProvider(QObject *parent)
    : QObject(parent)
{
}

void DateTimeProvider::setDaemon(std::shared_ptr<DBusOrbAdminDate> daemon)
{
    s_daemon = std::move(daemon);
}

void DateTimeProvider::saveSettings()
{
}
