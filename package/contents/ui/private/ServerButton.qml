// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import org.kde.kirigami 2.20 as Kirigami

// A square tool button whose border lights up while pressed. Its text is not
// drawn: it names the button for screen readers and in the tooltip.
Button {
    id: button
    property alias iconSource: buttonIcon.source
    property string toolTipText: ""
    Layout.preferredWidth: Kirigami.Units.iconSizes.medium
    Layout.preferredHeight: Kirigami.Units.iconSizes.medium
    hoverEnabled: true
    ToolTip.visible: hovered && text !== ""
    ToolTip.text: text
    ToolTip.timeout: 5000
    contentItem: Item {
        Kirigami.Icon {
            id: buttonIcon
            anchors.centerIn: parent
            isMask: true
            color: Kirigami.Theme.textColor
            width: Kirigami.Units.iconSizes.small
            height: Kirigami.Units.iconSizes.small
        }
    }
    OrbPalette {
        id: buttonPalette
    }
    background: Rectangle {
        color: button.hovered ? Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.highlightColor, 0.15) : "transparent"
        // A frame on every scheme: without it the button is an icon floating on the page.
        border.color: button.pressed || button.visualFocus ? Kirigami.Theme.highlightColor : buttonPalette.frame
        radius: Kirigami.Units.smallSpacing
    }
}
