// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    Runs the test build of the date helper on the private system bus together
    with the polkit stand-in and a local SNTP responder, and reads what the
    helper did: the clock changes it recorded, the NTP tool runs it started and
    the authorization checks in the stand-ins' journal.
*/

#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include "childprocess.h"
#include "standins.h"

class HelperRig : public QObject
{
    Q_OBJECT

public:
    static const QString helperName;
    static const QString setTimeAction;
    static const QString ntpSyncAction;
    static const QString switchTabAction;

    struct PolkitCheck {
        QString subjectKind;
        QString subjectName;
        QString actionId;
        uint flags = 0;
    };

    explicit HelperRig(QObject *parent = nullptr);
    ~HelperRig() override;

    static QDBusConnection bus();
    static bool isOnBus(const QString &name);

    /// Starts the polkit stand-in; false when it does not appear on the bus.
    bool startPolkit();
    /// The stand-ins beside the helper (polkit, and systemd for those who start it).
    StandIns &standIns();
    /// A fresh folder for the next round: configuration root, clock log and tool
    /// record; polkit refuses everything again, and the journal is emptied.
    bool newRound();
    /// Stops the helper and the responder.
    void endRound();

    QString root() const;
    QString clockLogPath() const;
    void setClockLogPath(const QString &path);
    /// Writes `content` to `absolutePath` below root().
    bool writeFile(const QString &absolutePath, const QByteArray &content);

    /// The environment of the test helper: the round's root and files, the tool
    /// wrapper aimed at the responder, and a fixed zone (Moscow, UTC+3).
    QProcessEnvironment helperEnvironment() const;
    /// An extra variable for the next startHelper() of this round.
    void setHelperVariable(const QString &name, const QString &value);
    bool startHelper();
    void stopHelper();
    /// A responder whose clock is `offset` seconds ahead; `leap` 3 marks it unsynchronized.
    bool startResponder(double offset, int leap = 0);

    static QDBusMessage helperCall(const QString &method, const QVariantList &arguments = {});
    static QDBusMessage call(const QString &method, const QVariantList &arguments = {});

    QDBusMessage polkitMock(const QString &method, const QVariantList &arguments = {});
    bool allow(const QStringList &actions);
    QList<PolkitCheck> polkitChecks();
    QStringList checkedActions();

    QStringList clockLog() const;
    /// The argument lists the NTP tool was started with, one per run.
    QList<QStringList> toolRuns() const;
    /// Who each run of the tool was: [uid, effective capabilities in hex, variable names].
    QList<QVariantList> toolIdentities() const;
    /// The time of a "clock <seconds>" line of the clock log, -1 for other lines.
    static double clockValue(const QString &line);

private:
    QTemporaryDir m_dir;
    StandIns m_standIns;
    ChildProcess m_helper;
    ChildProcess m_responder;
    int m_round = 0;
    QString m_root;
    QString m_clockLog;
    QString m_toolRuns;
    QProcessEnvironment m_extraEnvironment;
    int m_ntpPort = 0;
};
