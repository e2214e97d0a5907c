// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

namespace KCMNS
{
// Shows another control module of the settings centre.
class KCModulesSwitcher
{
public:
    // Starts the module in its own host window; false (and a warning) when the
    // host cannot be started. ORB_KCMSHELL names another host program (tests).
    static bool gotoKCModule(const QString &moduleId);
    // Whether a module with that id is installed where the settings centre looks.
    static bool isModuleInstalled(const QString &moduleId);
};
}
