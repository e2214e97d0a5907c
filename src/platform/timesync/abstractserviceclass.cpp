// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "abstractserviceclass.h"

#include <KLocalizedString>

#include "serverdialogs.h"

AbstractServiceClass::AbstractServiceClass(const QString &name, const QStringList &unitNames, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_unitNames(unitNames)
{
}

AbstractServiceClass::~AbstractServiceClass() = default;

QString AbstractServiceClass::name() const
{
    return m_name;
}

QStringList AbstractServiceClass::unitNames() const
{
    return m_unitNames;
}

bool AbstractServiceClass::isFallback(const QString &) const
{
    return false;
}

QStringList AbstractServiceClass::primaryServers() const
{
    return allServers();
}

QStringList AbstractServiceClass::fallbackServers() const
{
    return {};
}

QString AbstractServiceClass::editRestriction(const QString &) const
{
    return QString();
}

bool AbstractServiceClass::m_refused(const QString &server)
{
    const QString restriction = editRestriction(server);
    if (restriction.isEmpty()) {
        return false;
    }
    ServerDialogs::showNotice(m_parentWid, restriction);
    return true;
}

bool AbstractServiceClass::isEdited() const
{
    return m_isEdited;
}

void AbstractServiceClass::setEdited(bool edited)
{
    m_isEdited = edited;
}

void AbstractServiceClass::setParentWindowId(unsigned long long wid)
{
    m_parentWid = wid;
}

void AbstractServiceClass::setFallbackVisible(bool visible)
{
    m_fallbackVisible = visible;
}

bool AbstractServiceClass::fallbackVisible() const
{
    return m_fallbackVisible;
}

void AbstractServiceClass::createServerSettings()
{
    if (m_refused(QString())) {
        return;
    }
    QString server;
    if (!ServerDialogs::askServerName(m_parentWid, i18n("Add server"), QString(), &server)) {
        return;
    }
    QString reason;
    if (addServer(server, &reason)) {
        m_isEdited = true;
        Q_EMIT configurationEdited();
    } else if (!reason.isEmpty()) {
        ServerDialogs::showNotice(m_parentWid, reason);
    }
}

void AbstractServiceClass::deleteServerWithGivenName(const QString &name)
{
    if (name.isEmpty() || !allServers().contains(name)) {
        return;
    }
    if (m_refused(name)) {
        return;
    }
    // A service without any source never synchronizes.
    if (allServers().size() == 1) {
        ServerDialogs::showNotice(m_parentWid, i18n("\"%1\" is the only server of %2 and cannot be removed. Add another server first.", name, m_name));
        return;
    }
    if (!ServerDialogs::confirmRemoval(m_parentWid, name)) {
        return;
    }
    QString reason;
    if (removeServer(name, &reason)) {
        m_isEdited = true;
        Q_EMIT configurationEdited();
    } else if (!reason.isEmpty()) {
        ServerDialogs::showNotice(m_parentWid, reason);
    }
}

void AbstractServiceClass::openServerSettingsWithGivenName(const QString &name)
{
    if (name.isEmpty() || !allServers().contains(name)) {
        return;
    }
    if (m_refused(name)) {
        return;
    }
    QString replacement;
    if (!ServerDialogs::askServerName(m_parentWid, i18n("Server settings"), name, &replacement) || replacement == name) {
        return;
    }
    QString reason;
    if (replaceServer(name, replacement, &reason)) {
        m_isEdited = true;
        Q_EMIT configurationEdited();
    } else if (!reason.isEmpty()) {
        ServerDialogs::showNotice(m_parentWid, reason);
    }
}
