// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include "lastsynchroinfo.h"

// One time-synchronization service: its systemd unit, its server configuration
// read from the files below the configuration root, and the in-memory edits of
// that configuration made through the layer's dialogs.
class AbstractServiceClass : public QObject
{
    Q_OBJECT
public:
    // `name` is what the user sees as the service; `unitNames` are the systemd
    // units that may carry it, most usual first.
    AbstractServiceClass(const QString &name, const QStringList &unitNames, QObject *parent = nullptr);
    ~AbstractServiceClass() override;

    QString name() const;
    QStringList unitNames() const;

    // The servers to list: for a service with fallback servers, those only while
    // they are to be shown. Each name once.
    virtual QStringList configuredServers() const = 0;
    // Every server the service may use, fallbacks included, each once.
    virtual QStringList allServers() const = 0;
    virtual bool isFallback(const QString &server) const;

    // Whether the service is synchronized now, with what is known of its last
    // synchronization. Asks the running service.
    virtual bool probeSynchronization(LastSynchroInfo *info) const = 0;

    // Re-reads the configuration from disk, dropping unsaved edits.
    virtual void reload() = 0;
    // The file a save writes (below the root); empty if the service's servers
    // cannot be changed here.
    virtual QString configTarget() const = 0;
    // The edited list as a save hands it on: the servers and the fallback
    // servers, each list in the service's order.
    virtual QStringList primaryServers() const;
    virtual QStringList fallbackServers() const;

    // Whether the servers were edited since the last reload().
    bool isEdited() const;

    void setParentWindowId(unsigned long long wid);
    void setFallbackVisible(bool visible);
    bool fallbackVisible() const;

public Q_SLOTS:
    void createServerSettings();
    void deleteServerWithGivenName(const QString &name);
    void openServerSettingsWithGivenName(const QString &name);

Q_SIGNALS:
    // The in-memory configuration was edited.
    void configurationEdited();

protected:
    // Why `server` (or, when empty, a new server) cannot be edited here; empty
    // when it can. Checked before any dialog opens.
    virtual QString editRestriction(const QString &server) const;

    // The edits behind the dialogs; each returns false when nothing changed and
    // may set `reason` to tell the user why.
    virtual bool addServer(const QString &server, QString *reason) = 0;
    virtual bool removeServer(const QString &server, QString *reason) = 0;
    virtual bool replaceServer(const QString &server, const QString &replacement, QString *reason) = 0;

    void setEdited(bool edited);

private:
    // Shows the restriction on editing `server`, if there is one.
    bool m_refused(const QString &server);

    QString m_name;
    QStringList m_unitNames;
    unsigned long long m_parentWid = 0;
    bool m_fallbackVisible = true;
    bool m_isEdited = false;
};
