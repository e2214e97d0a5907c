// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class DBusOrbAdminDate;

/**
 * Writes the date, the time and the hardware-clock mode through the authorized
 * date-service client, and turns failures into messages for the user.
 *
 * Every write waits for the privileged helper's answer; the technical details of
 * a failure go to the log, the user gets a readable text through showMessage().
 */
class TimeData : public QObject
{
    Q_OBJECT
public:
    TimeData(std::shared_ptr<DBusOrbAdminDate> daemon, QObject *parent = nullptr);
    ~TimeData() override;

    /// Whether the hardware clock keeps UTC, as last read or last written.
    bool utc() const;
    /// Whether timedated synchronizes the clock by itself, as last read, announced or written.
    bool ntp() const;
    /// Whether timedated has a synchronization service it could switch on.
    bool canNtp() const;

    /// The instants the helper can carry: unsigned 32-bit seconds since the epoch.
    static QDateTime earliestSettable();
    static QDateTime latestSettable();

Q_SIGNALS:
    void showMessage(QString title, QString text);
    /// timedated announced a new NTP state (also after our own SetNTP).
    void ntpChanged(bool on);

public Q_SLOTS:
    /// Reads the hardware-clock mode and the synchronization flags again.
    void refresh();
    /// The hardware-clock mode alone: the synchronization flags change only with
    /// timedated's announcement, which the page follows.
    void refreshUtc();
    // Each returns whether the change was made; a failure has been reported.
    bool saveUTC(bool on);
    bool saveDateTime(QDateTime dateTime);
    bool saveNTP(bool on);

private Q_SLOTS:
    void m_timedatedChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    void m_sendError(const QString &name, const QString &message, const QString &text);

    bool m_utc = false;
    bool m_ntp = false;
    bool m_canNtp = false;
    std::shared_ptr<DBusOrbAdminDate> m_daemon;
};
