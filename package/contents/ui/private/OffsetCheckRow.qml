// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import org.kde.kirigami 2.20 as Kirigami

// "Check": how far this computer's clock is off from the server in the field,
// measured in the background without changing anything.
RowLayout {
    id: row

    property string server: ""
    readonly property alias checker: offsetCheck
    // The server the last check was asked for: its result says nothing of another.
    property string checkedServer: ""

    spacing: Kirigami.Units.largeSpacing

    ClockOffsetCheck {
        id: offsetCheck
    }

    FramedButton {
        id: checkButton
        objectName: "offsetCheckButton"
        Layout.preferredWidth: Kirigami.Units.gridUnit * 11
        Layout.preferredHeight: Kirigami.Units.gridUnit + Kirigami.Units.largeSpacing + Kirigami.Units.smallSpacing
        text: i18n("Check")
        enabled: !offsetCheck.running
        onClicked: {
            row.checkedServer = row.server.trim()
            offsetCheck.check(row.server)
        }
    }

    BusyIndicator {
        Layout.preferredWidth: Kirigami.Units.iconSizes.smallMedium
        Layout.preferredHeight: Kirigami.Units.iconSizes.smallMedium
        visible: offsetCheck.running
        running: visible
    }

    Label {
        objectName: "offsetCheckResult"
        Layout.fillWidth: true
        text: row.server.trim() === row.checkedServer ? offsetCheck.result : ""
        wrapMode: Text.WordWrap
    }
}
