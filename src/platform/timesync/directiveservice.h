// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QList>

#include "abstractserviceclass.h"
#include "configtext.h"

// A service configured by directive lines ("server NAME options", "pool NAME
// options"): chrony, and ntpsec, which is only shown. Edits change the main
// configuration file only; servers of included files are changed there.
class DirectiveService : public AbstractServiceClass
{
    Q_OBJECT
public:
    struct Settings {
        QString name;
        QStringList unitNames;
        QStringList mainFiles; // candidates, the first that exists is used
        bool followChronyIncludes = false; // include, confdir, sourcedir
        bool editable = true;
    };

    explicit DirectiveService(const Settings &settings, QObject *parent = nullptr);

    static DirectiveService *createChrony(QObject *parent);
    static DirectiveService *createNtpsec(QObject *parent);

    QStringList configuredServers() const override;
    QStringList allServers() const override;
    bool probeSynchronization(LastSynchroInfo *info) const override;
    void reload() override;
    QString configTarget() const override;

    QStringList configFiles() const;

protected:
    QString editRestriction(const QString &server) const override;
    bool addServer(const QString &server, QString *reason) override;
    bool removeServer(const QString &server, QString *reason) override;
    bool replaceServer(const QString &server, const QString &replacement, QString *reason) override;

private:
    struct Entry {
        int file;
        int line;
        QString server;
    };

    void m_parse();
    // The file of `server`'s first line outside the main file, if any.
    QString m_foreignFile(const QString &server) const;

    Settings m_settings;
    QList<ConfigFile> m_files;
    QStringList m_sourceDirs; // chrony's, as its files name them
    QList<Entry> m_entries;
};
