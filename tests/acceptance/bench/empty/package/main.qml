// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import org.kde.kcm 1.2 as KCM

KCM.SimpleKCM {
    implicitWidth: 640
    implicitHeight: 620
}
