// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "logiccontroller.h"

#include "timesync_debug.h"

#include <KLocalizedString>

#include "abstractserviceclass.h"
#include "directiveservice.h"
#include "timesyncbus.h"
#include "timesyncdservice.h"

LogicController::LogicController(bool emptyMac, QObject *parent)
    : QObject(parent)
    , m_emptyMac(emptyMac)
{
    // In order of preference when, unusually, more than one runs.
    m_services << new TimesyncdService(this) << DirectiveService::createChrony(this) << DirectiveService::createNtpsec(this);
    for (AbstractServiceClass *service : qAsConst(m_services)) {
        service->setFallbackVisible(m_fallbackVisible);
        connect(service, &AbstractServiceClass::configurationEdited, this, &LogicController::oneServiceChanged);
    }
}

LogicController::~LogicController() = default;

void LogicController::setMainWindowId(unsigned long long wid)
{
    m_wid = wid;
    for (AbstractServiceClass *service : qAsConst(m_services)) {
        service->setParentWindowId(wid);
    }
}

unsigned long long LogicController::mainWindowId() const
{
    return m_wid;
}

bool LogicController::hasEmptyMac() const
{
    return m_emptyMac;
}

bool LogicController::getSysAlive()
{
    m_ensureLoaded();
    return m_systemdAlive;
}

void LogicController::m_ensureLoaded() const
{
    if (!m_loaded) {
        // The first question reads the state; the answers are "saved" until the next reload.
        const_cast<LogicController *>(this)->reloadSystemState();
    }
}

void LogicController::reloadSystemState()
{
    m_loaded = true;
    m_systemdAlive = TimeSyncBus::systemdReachable();
    m_state = NoService;
    m_activeIndex = -1;
    m_activeUnit.clear();
    m_lastSynchro = {};

    if (m_systemdAlive) {
        for (int i = 0; i < m_services.size() && m_activeIndex < 0; ++i) {
            for (const QString &unit : m_services.at(i)->unitNames()) {
                const TimeSyncBus::UnitState state = TimeSyncBus::unitState(unit);
                if (!state.known) {
                    continue;
                }
                m_state = NoneRunning;
                if (state.activeState == QLatin1String("active") || state.activeState == QLatin1String("reloading")) {
                    m_activeIndex = i;
                    m_activeUnit = unit;
                    break;
                }
            }
        }
    }
    for (AbstractServiceClass *service : qAsConst(m_services)) {
        service->reload();
    }
    refreshSynchronization();
}

void LogicController::refreshSynchronization()
{
    m_ensureLoaded();
    if (AbstractServiceClass *active = m_active()) {
        LastSynchroInfo info;
        if (active->probeSynchronization(&info)) {
            m_state = Synchronized;
            m_lastSynchro = info;
        } else {
            m_state = NotSynchronized;
        }
    }
}

AbstractServiceClass *LogicController::m_active() const
{
    return m_activeIndex >= 0 ? m_services.at(m_activeIndex) : nullptr;
}

int LogicController::getSavedServiceState() const
{
    m_ensureLoaded();
    return m_state;
}

QString LogicController::getActiveServiceName() const
{
    m_ensureLoaded();
    AbstractServiceClass *active = m_active();
    return active ? active->name() : QString();
}

QObject *LogicController::getActiveServiceWidget()
{
    m_ensureLoaded();
    return m_active();
}

LastSynchroInfo LogicController::getLastSynchroInfo() const
{
    m_ensureLoaded();
    return m_lastSynchro;
}

QStringList LogicController::getListServersToSync() const
{
    m_ensureLoaded();
    AbstractServiceClass *active = m_active();
    return active ? active->allServers() : QStringList();
}

bool LogicController::isServerFallback(const QString &server)
{
    m_ensureLoaded();
    AbstractServiceClass *active = m_active();
    return active && active->isFallback(server);
}

bool LogicController::isFallbackServersVisible()
{
    return m_fallbackVisible;
}

void LogicController::updateFallbackVisibility()
{
    m_fallbackVisible = !m_fallbackVisible;
    for (AbstractServiceClass *service : qAsConst(m_services)) {
        service->setFallbackVisible(m_fallbackVisible);
    }
}

QString LogicController::getFallbackVisiblityToolTip()
{
    return m_fallbackVisible ? i18n("Hide fallback servers") : i18n("Show fallback servers");
}

bool LogicController::isActiveConfigEdited() const
{
    m_ensureLoaded();
    AbstractServiceClass *active = m_active();
    return active && active->isEdited();
}

QString LogicController::saveCurrentConfig() const
{
    m_ensureLoaded();
    AbstractServiceClass *active = m_active();
    if (!active || active->configTarget().isEmpty()) {
        return QString();
    }
    QString config;
    for (const QString &server : active->primaryServers()) {
        config += QStringLiteral("server ") + server + QLatin1Char('\n');
    }
    for (const QString &server : active->fallbackServers()) {
        config += QStringLiteral("fallback ") + server + QLatin1Char('\n');
    }
    return config;
}

QString LogicController::getCurrentConfTarget() const
{
    m_ensureLoaded();
    AbstractServiceClass *active = m_active();
    return active ? active->configTarget() : QString();
}

bool LogicController::moveAndRestartActive(const QString &config, const QString &target)
{
    m_lastSaveError.clear();
    AbstractServiceClass *active = m_active();
    // Only the list of the active service as it is now: anything else would
    // put servers in effect that the page does not show.
    if (!active || target.isEmpty() || target != active->configTarget() || config.isEmpty() || config != saveCurrentConfig()) {
        qCWarning(ORB_TIMESYNC) << "Refusing to install time synchronization settings at" << target;
        m_lastSaveError = i18n("The time servers changed while they were being saved.");
        return false;
    }
    return TimeSyncBus::setServers(active->name(), active->primaryServers(), active->fallbackServers(), m_wid, &m_lastSaveError);
}

QString LogicController::lastSaveError() const
{
    return m_lastSaveError;
}

QList<AbstractServiceClass *> LogicController::services() const
{
    return m_services;
}
