// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "childprocess.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QTest>

ChildProcess::~ChildProcess()
{
    stop();
}

bool ChildProcess::launch(const QString &program, const QStringList &arguments)
{
    start(program, arguments);
    if (!waitForStarted(10000)) {
        qWarning() << "cannot start" << program << errorString();
        return false;
    }
    return true;
}

QByteArray ChildProcess::readLineWithin(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!canReadLine() && state() == QProcess::Running && !deadline.hasExpired()) {
        waitForReadyRead(qMin<qint64>(100, deadline.remainingTime()));
    }
    return canReadLine() ? readLine().trimmed() : QByteArray();
}

void ChildProcess::stop(int graceMs)
{
    if (state() == QProcess::NotRunning) {
        return;
    }
    terminate();
    if (!waitForFinished(graceMs)) {
        kill();
        waitForFinished(graceMs);
    }
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(20);
    }
    return true;
}
