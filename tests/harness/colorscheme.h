// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

/*
    The shade of a test run's screenshots. A run for a desktop colour scheme
    ($ORB_TEST_COLOR_SCHEME, written into the run's kdeglobals by run-with-buses)
    is started with the desktop's platform theme and style, as a session is; the
    suite starts such runs only for the dark screenshots.
*/
namespace TestColorScheme
{
// "light" for a run in the plain style and colours, "dark" for a run of a scheme.
QString shade();
}
