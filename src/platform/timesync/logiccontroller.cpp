#include "logiccontroller.h"

#include <KLocalizedString>

LogicController::LogicController(bool emptyMac, QObject *parent)
    : QObject(parent)
    , m_emptyMac(emptyMac)
{
}

LogicController::~LogicController() = default;

void LogicController::setMainWindowId(unsigned long long wid)
{
    m_wid = wid;
}

unsigned long long LogicController::mainWindowId() const
{
    return m_wid;
}

bool LogicController::getSysAlive()
{
    return true;
}

int LogicController::getSavedServiceState() const
{
    return 0;
}

QString LogicController::getActiveServiceName() const
{
    return QString();
}

QObject *LogicController::getActiveServiceWidget()
{
    return nullptr;
}

LastSynchroInfo LogicController::getLastSynchroInfo() const
{
    return {};
}

QStringList LogicController::getListServersToSync() const
{
    return {};
}

void LogicController::reloadSystemState()
{
}

bool LogicController::isServerFallback(const QString &)
{
    return false;
}

bool LogicController::isFallbackServersVisible()
{
    return m_fallbackVisible;
}

void LogicController::updateFallbackVisibility()
{
    m_fallbackVisible = !m_fallbackVisible;
}

QString LogicController::getFallbackVisiblityToolTip()
{
    return m_fallbackVisible ? i18n("Hide fallback servers") : i18n("Show fallback servers");
}

QString LogicController::saveCurrentConfig() const
{
    return QString();
}

QString LogicController::getCurrentConfTarget() const
{
    return QString();
}

void LogicController::moveAndRestartActive(const QString &, const QString &)
{
}
