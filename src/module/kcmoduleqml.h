// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <KQuickAddons/ConfigModule>

#include <QString>
#include <QVector>

#include <memory>
#include <vector>

#include "settings.h"

class DBusOrbAdminDate;
class QQmlEngine;
class LogicController;
class TimeZoneSaver;
class Synchronizer;

// The object the page sees as `kcm`: owns the privileged collaborators, runs the
// host's load/save cycle and combines the tabs' change flags.
class KCModuleQML : public KQuickAddons::ConfigModule
{
    Q_OBJECT
    // A privileged request is outstanding: the page shows it and holds its refresh.
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
public:
    enum Tab {
        DateTime = 0,
        TimeZones = 1,
        Synchronization = 2,
        AppletSetings = 3,
        TrayDisplayTab = 4,
    };
    Q_ENUM(Tab)

    KCModuleQML(QObject *parent, const KPluginMetaData &metaData, const QVariantList &args);
    ~KCModuleQML() override;

    void load() override;
    void save() override;

    // Runs the first-load initialization against a QML engine the caller owns
    // (a test runner or another host) instead of the page's own engine; a later
    // load() then does not repeat it.
    void initializeWithEngine(QQmlEngine *engine);

    // For tests and the host: the state the page cannot see directly.
    const std::vector<bool> &changedTabs() const
    {
        return m_changedTabs;
    }
    QString selectedTimeZone() const
    {
        return m_selectedTimeZone;
    }
    bool isFirstLoadPending() const
    {
        return m_firstLoad;
    }
    Synchronizer *synchronizer() const
    {
        return m_synchronizer;
    }
    TimeZoneSaver *timeZoneSaver() const
    {
        return m_timeZoneSaver;
    }
    std::shared_ptr<DBusOrbAdminDate> daemon() const
    {
        return m_daemon;
    }
    std::shared_ptr<LogicController> logic() const
    {
        return m_logic;
    }
    Settings &settings()
    {
        return m_settings;
    }
    bool busy() const;

Q_SIGNALS:
    void reloadQml();
    void loadIcons();
    void showMessage(QString title, QString message);
    void busyChanged();

public Q_SLOTS:
    // True when the clock was synchronized; failures are shown through showMessage.
    bool syncNow(QString serverName);
    void setSelectedTimeZone(QString zoneName);
    // During the reload after an Apply whose time zone change failed: that zone,
    // which the tab keeps on show; otherwise empty.
    QString keptTimeZone() const;
    bool loadShowAllTimeZonesForMap();
    void saveShowAllTimeZonesForMap(bool isAll);
    void setChanged(KCModuleQML::Tab tab, bool isChanged);
    QStringList getRecommendedServers();
    QString getCurrentSyncStatus();
    QString currentSyncIconName();
    QString getLastSynchroToolTip();
    bool noActiveServices();
    void openAnotherKCMModule(QString moduleName);
    void updateAppletSettings();

private:
    void m_init(QQmlEngine *engine);
    void m_syncSettings();

    Settings m_settings;
    std::shared_ptr<DBusOrbAdminDate> m_daemon;
    std::shared_ptr<LogicController> m_logic;
    bool m_showAllTimeZonesForMap = true;
    bool m_firstLoad = true;
    QString m_selectedTimeZone;
    // The zone whose save just failed, for the reload right after it.
    QString m_keptTimeZone;
    qint32 m_numberOfTabs;
    TimeZoneSaver *m_timeZoneSaver = nullptr;
    Synchronizer *m_synchronizer = nullptr;
    std::vector<bool> m_changedTabs;
};
