// Test-only QML plug-in: lets a Qt Quick test change what the process takes for
// the system time zone, as if an administrator had changed it elsewhere.
#include <QQmlEngine>
#include <QQmlExtensionPlugin>
#include <QTimeZone>
#include <QtQml>

class SystemZone : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The toolkit reads TZ afresh on every query of the system zone; returns the
    // id it reads now, so a test sees at once whether the change took.
    Q_INVOKABLE QString set(const QString &zoneId)
    {
        qputenv("TZ", zoneId.toUtf8());
        return QString::fromUtf8(QTimeZone::systemTimeZoneId());
    }
};

class TzTestPlugin : public QQmlExtensionPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QQmlExtensionInterface_iid)
public:
    void registerTypes(const char *uri) override
    {
        qmlRegisterSingletonType<SystemZone>(uri, 1, 0, "SystemZone", [](QQmlEngine *, QJSEngine *) -> QObject * { return new SystemZone; });
    }
};

#include "tztestplugin.moc"
