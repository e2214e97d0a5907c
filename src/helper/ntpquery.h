#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>

/// One run of the NTP query tool (ntpdig) against a list of servers. It only asks
/// and reports the offset, needs no privileges, and never touches the clock: the
/// helper steps the clock itself, the page only shows the offset.
class NtpQuery : public QObject
{
    Q_OBJECT

public:
    /// Seconds each server is given to answer.
    static constexpr int serverTimeoutSeconds = 4;
    /// The whole run is ended after this long, so that the caller gets its answer
    /// within the D-Bus default call time-out of 25 s.
    static constexpr int runTimeoutMs = 20000;

    explicit NtpQuery(QObject *parent = nullptr);

    /// ntpdig from the system's directories; empty when it is not installed.
    static QString tool();

    /// The tool's arguments: JSON output, the time-out, the end of options, then
    /// the servers, so that no server can be read as an option.
    static QStringList arguments(const QStringList &servers);

    /// Reads the offset (seconds to add to the clock) and the answering server from
    /// the tool's JSON output, whose last non-empty line is the report.
    static bool parseReport(const QByteArray &output, double *offset, QString *server);

    /// Runs `program` without a shell; `finished` follows exactly once.
    void start(const QString &program, const QStringList &servers);

Q_SIGNALS:
    /// `message` carries the tool's output when the query failed.
    void finished(bool ok, double offset, const QString &server, const QString &message);

private:
    void m_done();

    QProcess m_process;
    QTimer m_deadline;
    bool m_timedOut = false;
    bool m_reported = false;
};
