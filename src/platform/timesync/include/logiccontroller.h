// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "lastsynchroinfo.h"

class AbstractServiceClass;

// Knows which time-synchronization service runs (systemd-timesyncd, chrony, or
// ntpsec, which is only shown), its state, its servers and its last
// synchronization, and installs an edited configuration of it.
//
// State is read on the first question (or getSysAlive()) and then only again
// by reloadSystemState(): reading it asks systemd and the services, which
// takes a while.
class LogicController : public QObject
{
    Q_OBJECT
public:
    // No service unit known to systemd (or systemd unreachable).
    static constexpr int NoService = 0;
    // Services installed, none running.
    static constexpr int NoneRunning = 1;
    static constexpr int NotSynchronized = 2;
    static constexpr int Synchronized = 3;

    explicit LogicController(bool emptyMac, QObject *parent = nullptr);
    ~LogicController() override;

    void setMainWindowId(unsigned long long wid);
    unsigned long long mainWindowId() const;
    bool hasEmptyMac() const;
    // Reads the state if it was not read yet; whether systemd answers.
    bool getSysAlive();

    int getSavedServiceState() const;
    QString getActiveServiceName() const;
    QObject *getActiveServiceWidget();
    LastSynchroInfo getLastSynchroInfo() const;
    QStringList getListServersToSync() const;
    void reloadSystemState();
    /// Asks the active service again whether it is synchronized, keeping every
    /// edit of the server lists.
    void refreshSynchronization();

    bool isServerFallback(const QString &server);
    bool isFallbackServersVisible();
    void updateFallbackVisibility();
    QString getFallbackVisiblityToolTip();

    // Whether the active service's servers were edited since the last reload.
    bool isActiveConfigEdited() const;

    // The active service's edited server list as a save hands it on, one
    // "server NAME" or "fallback NAME" a line; empty when the service's servers
    // cannot be saved here. Nothing is written.
    QString saveCurrentConfig() const;
    // The file the date helper writes for the active service; empty when none.
    QString getCurrentConfTarget() const;
    // Has the date helper put `config` (saveCurrentConfig()) in effect at
    // `target` (getCurrentConfTarget()): it checks the names, writes its own
    // file, checks it with the service's own reading and restarts or reloads the
    // service, putting everything back when that fails. One password prompt.
    // False, with lastSaveError(), when the list is not in effect.
    bool moveAndRestartActive(const QString &config, const QString &target);
    // Why the last moveAndRestartActive() failed, for the user.
    QString lastSaveError() const;

    // All services the layer knows, active or not.
    QList<AbstractServiceClass *> services() const;

Q_SIGNALS:
    void oneServiceChanged();

private:
    void m_ensureLoaded() const;
    AbstractServiceClass *m_active() const;

    bool m_emptyMac;
    unsigned long long m_wid = 0;
    bool m_fallbackVisible = true;
    QList<AbstractServiceClass *> m_services;

    // What the last reading found.
    bool m_loaded = false;
    bool m_systemdAlive = false;
    int m_state = NoService;
    int m_activeIndex = -1;
    QString m_activeUnit;
    QString m_lastSaveError;
    LastSynchroInfo m_lastSynchro;
};
