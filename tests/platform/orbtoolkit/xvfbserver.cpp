#include "xvfbserver.h"

#include <QDebug>
#include <QElapsedTimer>
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
    m_process.start(xvfbPath(),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1024x768x24"),
            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_process.waitForStarted(5000)) {
        qWarning() << "Xvfb did not start:" << m_process.errorString();
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (!m_process.canReadLine() && m_process.state() == QProcess::Running && timer.elapsed() < 15000) {
        m_process.waitForReadyRead(100);
    }
    bool ok = false;
    const int number = m_process.readLine().trimmed().toInt(&ok);
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
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    m_displayName.clear();
}

QString XvfbServer::displayName() const
{
    return m_displayName;
}
