#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "lastsynchroinfo.h"

class AbstractServiceClass;

// Knows which time-synchronization service runs, its state and its servers.
// This build knows of no service yet: it reports none running and no servers.
class LogicController : public QObject
{
    Q_OBJECT
public:
    explicit LogicController(bool emptyMac, QObject *parent = nullptr);
    ~LogicController() override;

    void setMainWindowId(unsigned long long wid);
    unsigned long long mainWindowId() const;
    bool getSysAlive();

    int getSavedServiceState() const;
    QString getActiveServiceName() const;
    QObject *getActiveServiceWidget();
    LastSynchroInfo getLastSynchroInfo() const;
    QStringList getListServersToSync() const;
    void reloadSystemState();

    bool isServerFallback(const QString &server);
    bool isFallbackServersVisible();
    void updateFallbackVisibility();
    QString getFallbackVisiblityToolTip();

    QString saveCurrentConfig() const;
    QString getCurrentConfTarget() const;
    void moveAndRestartActive(const QString &config, const QString &target);

Q_SIGNALS:
    void oneServiceChanged();

private:
    bool m_emptyMac;
    unsigned long long m_wid = 0;
    bool m_fallbackVisible = false;
};
