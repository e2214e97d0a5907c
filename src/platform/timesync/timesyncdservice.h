#pragma once

#include <QList>

#include "abstractserviceclass.h"
#include "configtext.h"

// systemd-timesyncd: servers from timesyncd.conf and its drop-ins (NTP= and
// FallbackNTP= of the [Time] section). Edits are written into the last file
// that sets servers, so that they take effect whatever the files before it say.
class TimesyncdService : public AbstractServiceClass
{
    Q_OBJECT
public:
    explicit TimesyncdService(QObject *parent = nullptr);

    QStringList configuredServers() const override;
    QStringList allServers() const override;
    bool isFallback(const QString &server) const override;
    bool probeSynchronization(LastSynchroInfo *info) const override;
    void reload() override;
    QString configTarget() const override;
    QByteArray renderedConfig() const override;

    // The files read, in the order systemd reads them.
    QStringList configFiles() const;

protected:
    bool addServer(const QString &server, QString *reason) override;
    bool removeServer(const QString &server, QString *reason) override;
    bool replaceServer(const QString &server, const QString &replacement, QString *reason) override;

private:
    enum Kind { Ntp, Fallback };
    struct ServerLine
    {
        int file;
        int line;
        Kind kind;
        QStringList values;
    };

    void m_parse();
    int m_targetFile() const;
    QByteArray m_key(Kind kind) const;

    QList<ConfigFile> m_files;
    QList<ServerLine> m_serverLines;
    QStringList m_ntp;
    QStringList m_fallback;
    bool m_ntpEdited = false;
    bool m_fallbackEdited = false;
};
