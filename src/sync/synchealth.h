// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDBusArgument>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantList>
#include <QVector>

class QProcess;
class QDBusPendingCallWatcher;

// One measurement of the running service, in seconds; the offset is this
// clock's minus the server's (negative: the clock is behind).
struct SyncSample {
    QString serverName;
    QString serverAddress;
    double offset = 0;
    double delay = 0;
    // chrony reports the delay to the reference clock at the root of the
    // hierarchy and an average offset, timesyncd the round trip and the jitter.
    bool rootDelay = false;
    double jitter = 0;
    int stratum = 0;
    double pollInterval = 0;
    double frequencyPpm = 0;
    // When the sample was taken, UTC milliseconds; 0: no sample.
    qint64 when = 0;
    // Changes with every new sample, so that a reading twice of the same one
    // plots it once.
    qint64 key = 0;
};

struct SyncServerState {
    QString name;
    bool inUse = false;
    bool answers = false;
    // chrony's reachability register: one bit for each of the last eight polls.
    int reach = -1;
};

// systemd-timesyncd's NTPMessage: the last answer of the server in use, with
// the four timestamps in microseconds of the realtime clock.
struct TimesyncdNtpMessage {
    uint leap = 0, version = 0, mode = 0, stratum = 0;
    int precision = 0;
    qulonglong rootDelay = 0, rootDispersion = 0;
    QByteArray reference;
    qulonglong origin = 0, receive = 0, transmit = 0, destination = 0;
    bool spike = false;
    qulonglong packetCount = 0, jitter = 0;
};
Q_DECLARE_METATYPE(TimesyncdNtpMessage)
QDBusArgument &operator<<(QDBusArgument &argument, const TimesyncdNtpMessage &message);
const QDBusArgument &operator>>(const QDBusArgument &argument, TimesyncdNtpMessage &message);

// How well the running synchronization service keeps the clock, read from it
// without privileges: systemd-timesyncd over the system bus, chrony through
// chronyc. It reads only while `active`, so a hidden page costs nothing.
class SyncHealth : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool active READ active WRITE setActive NOTIFY activeChanged)
    // "systemd-timesyncd", "chrony", or empty while none answers.
    Q_PROPERTY(QString service READ service NOTIFY changed)
    // One line instead of the figures when there are none.
    Q_PROPERTY(QString message READ message NOTIFY changed)
    Q_PROPERTY(bool hasSample READ hasSample NOTIFY changed)
    Q_PROPERTY(QString serverText READ serverText NOTIFY changed)
    // {label, value} pairs of the last sample.
    Q_PROPERTY(QVariantList details READ details NOTIFY changed)
    Q_PROPERTY(qint64 sampleTime READ sampleTime NOTIFY changed)
    // {name, text, answers} of every server the service has.
    Q_PROPERTY(QVariantList servers READ servers NOTIFY changed)
    // (UTC milliseconds, offset in seconds) of every sample seen.
    Q_PROPERTY(QVariantList history READ history NOTIFY historyChanged)

public:
    explicit SyncHealth(QObject *parent = nullptr);
    ~SyncHealth() override;

    bool active() const;
    void setActive(bool active);
    QString service() const;
    QString message() const;
    bool hasSample() const;
    QString serverText() const;
    QVariantList details() const;
    qint64 sampleTime() const;
    QVariantList servers() const;
    QVariantList history() const;

    // "12 s ago" for the sample, seen at `nowMSecs`.
    Q_INVOKABLE QString ageText(qint64 nowMSecs) const;

    // The readings of either service, taken apart; false when they hold no sample.
    static bool fromTimesyncd(const QVariantMap &properties, SyncSample *sample, QVector<SyncServerState> *servers);
    // `nowMSecs` dates the sample, which chronyc gives as seconds ago.
    static bool fromChronyc(const QString &tracking, const QString &sources, qint64 nowMSecs, SyncSample *sample, QVector<SyncServerState> *servers);

    // "2.5 s", "12.3 ms", "85 µs".
    Q_INVOKABLE static QString formatSeconds(double seconds);

Q_SIGNALS:
    void activeChanged();
    void changed();
    void historyChanged();

private:
    void m_refresh();
    void m_readTimesyncd();
    void m_readChrony();
    void m_chronyFinished();
    void m_show(const QString &service, const SyncSample &sample, const QVector<SyncServerState> &servers, const QString &message);
    void m_stopReading();

    bool m_active = false;
    QTimer m_timer;
    QPointer<QDBusPendingCallWatcher> m_call;
    QPointer<QProcess> m_tracking;
    QPointer<QProcess> m_sources;
    QTimer m_deadline;
    bool m_watchingTimesyncd = false;

    QString m_service;
    QString m_message;
    SyncSample m_sample;
    QVector<SyncServerState> m_servers;
    QVector<QPointF> m_history;
    qint64 m_lastKey = 0;

private Q_SLOTS:
    void m_timesyncdChanged();
};
