// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// Registers the back-end types under "ru.nimbolinux.kcm.orbadmindate" 1.0.
void registerOrbAdminDateQmlTypes();

// Registers the resource collection when the core is linked statically (tests).
void initOrbAdminDateResources();
