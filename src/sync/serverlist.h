// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QStringList>
#include <QVector>

#include <memory>

#include "instances.h"

class AbstractServiceClass;
class LogicController;

// The server list of the "Synchronization" tab. Every instance, and the module
// without any, works on the same class-wide state: the shared time-sync
// controller and whether the service configuration was edited.
class ServerList : public QObject
{
    Q_OBJECT
    // What the tab shows, for bindings; every instance tells of every change.
    Q_PROPERTY(QStringList servers READ getServers NOTIFY serversChanged)
    Q_PROPERTY(bool hasChanges READ needsSave NOTIFY serversChanged)
    Q_PROPERTY(bool fallbackSwitchable READ isSystemdActiveService NOTIFY serversChanged)
    Q_PROPERTY(bool fallbackShown READ isFallbackVisible NOTIFY serversChanged)
    Q_PROPERTY(QString fallbackToolTip READ getFallbackVisiblityToolTip NOTIFY serversChanged)
public:
    explicit ServerList(QObject *parent = nullptr);
    ~ServerList() override;

    static void setLogicController(std::shared_ptr<LogicController> logic);

public Q_SLOTS:
    static QStringList getServers();
    static void load();
    static bool needsSave();
    static void openServerSettings(const QString &serverName);
    static void addServer();
    static void removeServer(const QString &serverName);
    static bool isServerFallback(const QString &serverName);
    static bool isSystemdActiveService();
    static QString getFallbackVisiblityToolTip();
    static void changeFallbackVisibility();
    static bool isFallbackVisible();
    static bool save();
    // Why the last save() failed, for the user; empty when it did not fail.
    static QString saveError();

Q_SIGNALS:
    void serversChanged();

private Q_SLOTS:
    static void serviceChanged();

private:
    // The active service, or null when none runs or no controller is bound.
    static AbstractServiceClass *m_activeService();
    static void m_notify();
    Instances<ServerList> m_listed{this};

    static std::shared_ptr<LogicController> m_logic;
    static bool m_needsSave;
    static QString m_saveError;
};
