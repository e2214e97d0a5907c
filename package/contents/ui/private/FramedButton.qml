// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import org.kde.kirigami 2.20 as Kirigami

// A push button drawn by the page itself, framed on every scheme: some styles
// draw the label as part of the background they paint, and the style's "mid"
// frame all but vanishes on dark schemes.
Button {
    id: button

    Kirigami.Theme.colorSet: Kirigami.Theme.Button
    Kirigami.Theme.inherit: false

    OrbPalette {
        id: colours
    }

    contentItem: Label {
        text: button.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: button.enabled ? Kirigami.Theme.textColor : Kirigami.Theme.disabledTextColor
    }
    background: Rectangle {
        color: button.pressed ? Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.textColor, 0.15) : Kirigami.Theme.backgroundColor
        border.color: button.visualFocus ? Kirigami.Theme.focusColor : colours.frame
        radius: Kirigami.Units.smallSpacing
        Behavior on color {
            ColorAnimation {
                duration: 100
            }
        }
    }
}
