// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class NtpQuery;

// Measures how far this computer's clock is off from a time server, without
// changing anything: one unprivileged NTP query in the background, so the page
// never waits for the network.
class ClockOffsetCheck : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)
    Q_PROPERTY(QString result READ result NOTIFY resultChanged)
    // The query program; ntpdig of the system unless a test puts a stand-in here.
    Q_PROPERTY(QString tool READ tool WRITE setTool NOTIFY toolChanged)

public:
    explicit ClockOffsetCheck(QObject *parent = nullptr);
    ~ClockOffsetCheck() override;

    bool running() const;
    QString result() const;
    QString tool() const;
    void setTool(const QString &tool);
    // NAME=VALUE entries added to the query program's fixed environment.
    void setToolEnvironment(const QStringList &variables);

    // "This computer is 2.5 s ahead of SERVER" for the correction @p offset that
    // the server asks for (negative: the clock is ahead).
    static QString describe(double offset, const QString &server);

public Q_SLOTS:
    // A check asked for while one runs is ignored: its answer is on the way.
    void check(const QString &server);

Q_SIGNALS:
    void runningChanged();
    void resultChanged();
    void toolChanged();

private:
    void m_finish(const QString &text);

    QPointer<NtpQuery> m_query;
    QString m_result;
    QString m_tool;
    QStringList m_toolEnvironment;
};
