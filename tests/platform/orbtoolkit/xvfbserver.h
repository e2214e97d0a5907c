// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

#include "childprocess.h"

// A private Xvfb on a free display number, for tests that need a real X server.
class XvfbServer
{
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    static bool isInstalled();
    // Starts the server and waits until it takes connections; false with a
    // warning when none could be started.
    bool start();
    void stop();
    // ":N", or empty when not running.
    QString displayName() const;

private:
    ChildProcess m_process;
    QString m_displayName;
};
