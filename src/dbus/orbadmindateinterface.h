// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    Proxy of our privileged date helper on the system bus.
*/

#pragma once

#include "orbadmindatemanagerproxy.h"

/**
 * The generated proxy of "ru.veltronix.orb.date.Manager" with its addressing fixed:
 * there is only one date helper, always on the system bus at "/".
 * Constructing it neither checks nor starts the service.
 */
class OrbAdminDateInterface : public OrbAdminDateManagerProxy
{
    Q_OBJECT

public:
    static inline const char *serviceName()
    {
        return "ru.veltronix.orb.date";
    }
    static inline const char *objectPath()
    {
        return "/";
    }

    explicit OrbAdminDateInterface(QObject *parent = nullptr);
    ~OrbAdminDateInterface() override;
};
