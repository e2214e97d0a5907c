/*
    The date helper's interface "ru.veltronix.orb.date.Servers" on the object "/":
    sets the time servers of systemd-timesyncd or chrony, one polkit check per
    save, and answers only when the service runs with them or everything is as
    it was before.
*/

#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMap>
#include <QStringList>

class DateHelper;
class PolkitAuthority;

class ServersAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "ru.veltronix.orb.date.Servers")

public:
    static const QString setServersAction; ///< "ru.veltronix.orb.date.set-servers"

    ServersAdaptor(DateHelper *helper, const QDBusConnection &bus);

public Q_SLOTS:
    /// Makes `servers` and `fallback` the whole server list of `service`
    /// ("systemd-timesyncd" or "chrony"; chrony has no fallback servers). Fails
    /// with InvalidArgs for names that are no host names or addresses and for a
    /// list that leaves the service without sources, AccessDenied when polkit
    /// refuses, and Failed with the reason when writing, checking or restarting
    /// fails; the previous files are back in place then.
    /// (The bus hands over `message` itself: the call context is the helper's.)
    void SetServers(const QString &service, const QStringList &servers, const QStringList &fallback, const QDBusMessage &message);

private Q_SLOTS:
    void m_jobRemoved(uint id, const QDBusObjectPath &job, const QString &unit, const QString &result);

private:
    void m_save(const QDBusMessage &message, const QString &service, const QStringList &servers, const QStringList &fallback);
    bool m_restart(const QString &service, QString *error);
    bool m_reloadChronySources(QString *error);
    QString m_unitFor(const QString &service);

    DateHelper *m_helper;
    QDBusConnection m_bus;
    PolkitAuthority *m_polkit;
    bool m_busy = false;
    QMap<QString, QString> m_jobResults; ///< finished systemd jobs by path
};
