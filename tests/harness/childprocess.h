// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The one way tests start and end the processes they need.
*/

#pragma once

#include <QByteArray>
#include <QProcess>

#include <functional>

/// A process that does not outlive its owner: stop() ends it, politely first,
/// and the destructor does so too.
class ChildProcess : public QProcess
{
public:
    using QProcess::QProcess;
    ~ChildProcess() override;

    /// Starts it and waits until it runs; false, with a warning, when it cannot.
    bool launch(const QString &program, const QStringList &arguments);
    /// Its next line of standard output, without the newline; empty when none
    /// comes within @p timeoutMs or it ends first.
    QByteArray readLineWithin(int timeoutMs);
    /// Terminates it and waits; kills it when it does not end within @p graceMs.
    void stop(int graceMs = 10000);
};

/// Runs the event loop until @p condition holds; false when @p timeoutMs pass first.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs);
