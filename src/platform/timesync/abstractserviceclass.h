#pragma once

#include <QObject>
#include <QStringList>

// One time-synchronization service with its server configuration.
class AbstractServiceClass : public QObject
{
    Q_OBJECT
public:
    explicit AbstractServiceClass(QObject *parent = nullptr);
    ~AbstractServiceClass() override;

    virtual QStringList configuredServers() const = 0;

public Q_SLOTS:
    virtual void createServerSettings() = 0;
    virtual void deleteServerWithGivenName(const QString &name) = 0;
    virtual void openServerSettingsWithGivenName(const QString &name) = 0;
};
