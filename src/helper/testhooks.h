// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    What the test build of the helper takes from its environment. The installed
    helper is built without ORB_HELPER_TEST_HOOKS, and then every function here
    gives the real system's answer whatever the environment says.
*/

#pragma once

#include <QString>
#include <QStringList>

namespace TestHooks
{
/// Whether this binary is the test build.
bool enabled();

/// The directory below which the helper looks for /etc and /dev files:
/// "/" in the installed helper, $ORB_HELPER_TEST_ROOT (or "/") in the test build.
QString rootDirectory();

/// `absolutePath` (starting with "/") below rootDirectory().
QString rooted(const QString &absolutePath);

/// The NTP query tool to run instead of the installed one ($ORB_HELPER_TEST_NTPDIG),
/// empty when none is given or in the installed helper.
QString ntpToolOverride();

/// How long one run of the NTP query tool may take: `defaultMs`, or in the test
/// build $ORB_HELPER_TEST_NTP_DEADLINE_MS when set.
int ntpRunTimeoutMs(int defaultMs);

/// Variables of the helper's environment that the test build passes on to the
/// NTP query tool (those starting with "ORB_TEST_"); none in the installed helper.
QStringList toolTestVariables();

/// chrony's programs to run instead of the installed ones
/// ($ORB_HELPER_TEST_CHRONYD, $ORB_HELPER_TEST_CHRONYC); empty when none is given
/// or in the installed helper.
QString chronydOverride();
QString chronycOverride();

/// The file that receives the clock changes instead of the clock
/// ($ORB_HELPER_TEST_CLOCK_LOG); empty in the installed helper. The test build
/// never touches the real clock: without this file its clock changes fail.
QString clockLogFile();
}
