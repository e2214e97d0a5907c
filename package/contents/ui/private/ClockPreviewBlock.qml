// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0

// The panel clock and its tooltip as they would look now with the boxes as ticked.
ColumnLayout {
    id: block

    readonly property alias clockText: clockLabel.text
    readonly property alias tipText: tipLabel.text

    spacing: 12

    function refresh() {
        clockLabel.text = preview.clockText()
        tipLabel.text = preview.tipText()
    }

    OrbPalette {
        id: palette
    }

    ClockPreview {
        id: preview
    }

    ColumnLayout {
        Layout.fillWidth: true
        Label {
            text: i18n("Panel clock:")
            font.bold: true
        }
        Rectangle {
            // As wide as the text, narrower when the column is: a maximum taken
            // from the block's own width would hold the block at its first size.
            Layout.fillWidth: true
            Layout.maximumWidth: implicitWidth
            implicitWidth: clockLabel.implicitWidth + 16
            implicitHeight: clockLabel.implicitHeight + 8
            color: palette.window
            border.color: palette.frame
            radius: 3
            Label {
                id: clockLabel
                objectName: "clockPreview"
                anchors.centerIn: parent
                width: Math.min(implicitWidth, parent.width - 16)
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                color: palette.windowText
            }
        }
    }

    ColumnLayout {
        Layout.fillWidth: true
        Label {
            text: i18n("Tooltip:")
            font.bold: true
        }
        Rectangle {
            // As wide as the text, narrower when the column is: a maximum taken
            // from the block's own width would hold the block at its first size.
            Layout.fillWidth: true
            Layout.maximumWidth: implicitWidth
            implicitWidth: tipLabel.implicitWidth + 16
            implicitHeight: tipLabel.implicitHeight + 8
            // SystemPalette has no tooltip colours; the controls' palette does.
            color: tipLabel.palette.toolTipBase
            border.color: palette.frame
            radius: 3
            Label {
                id: tipLabel
                objectName: "tipPreview"
                anchors.centerIn: parent
                width: Math.min(implicitWidth, parent.width - 16)
                wrapMode: Text.Wrap
                color: tipLabel.palette.toolTipText
            }
        }
    }
}
