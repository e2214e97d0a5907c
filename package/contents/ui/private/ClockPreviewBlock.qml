// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import org.kde.kirigami 2.20 as Kirigami

// The panel clock and its tooltip as they would look now with the boxes as ticked.
ColumnLayout {
    id: block

    readonly property alias clockText: clockLabel.text
    readonly property alias tipText: tipLabel.text

    spacing: Kirigami.Units.largeSpacing + Kirigami.Units.smallSpacing

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
            implicitWidth: clockLabel.implicitWidth + 2 * Kirigami.Units.largeSpacing
            implicitHeight: clockLabel.implicitHeight + Kirigami.Units.largeSpacing
            color: Kirigami.Theme.backgroundColor
            border.color: palette.frame
            radius: Kirigami.Units.smallSpacing
            Label {
                id: clockLabel
                objectName: "clockPreview"
                anchors.centerIn: parent
                width: Math.min(implicitWidth, parent.width - 2 * Kirigami.Units.largeSpacing)
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
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
            implicitWidth: tipLabel.implicitWidth + 2 * Kirigami.Units.largeSpacing
            implicitHeight: tipLabel.implicitHeight + Kirigami.Units.largeSpacing
            Kirigami.Theme.colorSet: Kirigami.Theme.Tooltip
            Kirigami.Theme.inherit: false
            color: Kirigami.Theme.backgroundColor
            border.color: palette.frame
            radius: Kirigami.Units.smallSpacing
            Label {
                id: tipLabel
                objectName: "tipPreview"
                anchors.centerIn: parent
                width: Math.min(implicitWidth, parent.width - 2 * Kirigami.Units.largeSpacing)
                wrapMode: Text.Wrap
                color: Kirigami.Theme.textColor
            }
        }
    }
}
