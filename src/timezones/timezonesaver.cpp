#include "timezonesaver.h"

TimeZoneSaver::TimeZoneSaver(std::shared_ptr<DBusOrbAdminDate> daemon, QObject *parent)
    : QObject(parent)
    , m_daemon(std::move(daemon))
{
}

bool TimeZoneSaver::save(const QString &zoneId)
{
    Q_UNUSED(zoneId)
    return true;
}
