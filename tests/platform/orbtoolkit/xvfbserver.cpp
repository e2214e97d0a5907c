// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "xvfbserver.h"

#include <QDebug>
#include <QStandardPaths>

static QString xvfbPath()
{
    return QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
}

XvfbServer::~XvfbServer()
{
    stop();
}

bool XvfbServer::isInstalled()
{
    return !xvfbPath().isEmpty();
}

bool XvfbServer::start()
{
    if (!isInstalled()) {
        return false;
    }
    // The server picks a free display number itself and writes it to stdout.
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setReadChannel(QProcess::StandardOutput);
    if (!m_process.launch(xvfbPath(),
                          {QStringLiteral("-displayfd"),
                           QStringLiteral("1"),
                           QStringLiteral("-screen"),
                           QStringLiteral("0"),
                           QStringLiteral("1024x768x24"),
                           QStringLiteral("-nolisten"),
                           QStringLiteral("tcp")})) {
        return false;
    }
    bool ok = false;
    const int number = m_process.readLineWithin(15000).toInt(&ok);
    if (!ok) {
        qWarning() << "Xvfb did not report its display:" << m_process.readAllStandardError();
        stop();
        return false;
    }
    m_displayName = QStringLiteral(":%1").arg(number);
    return true;
}

void XvfbServer::stop()
{
    m_process.stop(5000);
    m_displayName.clear();
}

QString XvfbServer::displayName() const
{
    return m_displayName;
}
