// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    Proxy of our privileged date helper on the system bus.
*/

#include "orbadmindateinterface.h"

OrbAdminDateInterface::OrbAdminDateInterface(QObject *parent)
    : OrbAdminDateManagerProxy(QString::fromLatin1(serviceName()), QString::fromLatin1(objectPath()), QDBusConnection::systemBus(), parent)
{
}

OrbAdminDateInterface::~OrbAdminDateInterface() = default;
