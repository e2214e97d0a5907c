// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Layouts 1.15

// One box of the tray display tab: its state and whether it may change come
// from the tab's edited formats, and a click goes back to them.
OrbCheckBox {
    property int option
    property Item tab
    Layout.fillWidth: true
    checked: tab.display.boxes[option]
    enabled: tab.display.enabledBoxes[option]
    onToggled: tab.toggle(option, checked)
}
