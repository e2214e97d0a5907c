// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <sys/types.h>

/// The NTP query tool's process: it parses replies from the network, so it runs
/// as an unprivileged user when the helper is root, with no capabilities left.
class ToolProcess : public QProcess
{
    Q_OBJECT

public:
    using QProcess::QProcess;
    /// The user and group the child switches to; uid 0 keeps the helper's own.
    void setUser(uid_t uid, gid_t gid);

protected:
    void setupChildProcess() override;

private:
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};

/// One run of the NTP query tool (ntpdig) against a list of servers. It only asks
/// and reports the offset, needs no privileges, and never touches the clock: the
/// helper steps the clock itself, the page only shows the offset.
class NtpQuery : public QObject
{
    Q_OBJECT

public:
    /// Seconds each server is given to answer.
    static constexpr int serverTimeoutSeconds = 4;
    /// The whole run is ended after this long: a hung tool must not hold up the
    /// requests queued behind it.
    static constexpr int runTimeoutMs = 20000;
    /// The user the tool runs as when the helper is root.
    static const char *const toolUser;

    explicit NtpQuery(QObject *parent = nullptr);

    /// ntpdig from the system's directories; empty when it is not installed.
    static QString tool();

    /// The tool's arguments: JSON output, the time-out, the end of options, then
    /// the servers, so that no server can be read as an option.
    static QStringList arguments(const QStringList &servers);

    /// Reads the offset (seconds to add to the clock) and the answering server from
    /// the tool's JSON output, whose last non-empty line is the report.
    static bool parseReport(const QByteArray &output, double *offset, QString *server);

    /// The fixed environment the tool runs with, whatever the caller's own is, plus
    /// `extra` NAME=VALUE entries.
    static QProcessEnvironment environment(const QStringList &extra = {});

    /// The reason for the user when the tool reported failure with `output`:
    /// names that could not be looked up when every server failed so, else the
    /// tool's own words.
    static QString failureReason(const QString &output, const QStringList &servers);

    /// What went wrong in the last run, for callers that word their own message.
    enum class Failure { None, NotStarted, UnknownServer, Other };
    Failure failure() const;

    /// Ends a run after `ms` instead of runTimeoutMs.
    void setRunTimeout(int ms);

    /// Runs `program` without a shell; `finished` follows exactly once.
    void start(const QString &program, const QStringList &servers, const QStringList &extraEnvironment = {});

Q_SIGNALS:
    /// `message` is the reason for the user when the query failed.
    void finished(bool ok, double offset, const QString &server, const QString &message);

private:
    void m_done();

    ToolProcess m_process;
    QTimer m_deadline;
    QStringList m_servers;
    bool m_timedOut = false;
    Failure m_failure = Failure::None;
    bool m_reported = false;
};
