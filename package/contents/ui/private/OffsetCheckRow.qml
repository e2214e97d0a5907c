// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0

// "Check": how far this computer's clock is off from the server in the field,
// measured in the background without changing anything.
RowLayout {
    id: row

    property string server: ""
    readonly property alias checker: offsetCheck
    // The server the last check was asked for: its result says nothing of another.
    property string checkedServer: ""

    spacing: 10

    SystemPalette {
        id: palette
        colorGroup: SystemPalette.Active
    }

    ClockOffsetCheck {
        id: offsetCheck
    }

    FramedButton {
        id: checkButton
        objectName: "offsetCheckButton"
        Layout.preferredWidth: 200
        Layout.preferredHeight: 30
        text: i18n("Check")
        enabled: !offsetCheck.running
        onClicked: {
            row.checkedServer = row.server.trim()
            offsetCheck.check(row.server)
        }
    }

    BusyIndicator {
        Layout.preferredWidth: 24
        Layout.preferredHeight: 24
        visible: offsetCheck.running
        running: visible
    }

    Label {
        objectName: "offsetCheckResult"
        Layout.fillWidth: true
        text: row.server.trim() === row.checkedServer ? offsetCheck.result : ""
        color: palette.windowText
        wrapMode: Text.WordWrap
    }
}
