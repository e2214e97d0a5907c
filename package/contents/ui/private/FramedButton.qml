// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15

// A push button drawn by the page itself, framed on every scheme: some styles
// draw the label as part of the background they paint, and the style's "mid"
// frame all but vanishes on dark schemes.
Button {
    id: button

    OrbPalette {
        id: colours
    }

    contentItem: Label {
        text: button.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: button.enabled ? colours.buttonText : Qt.rgba(colours.buttonText.r, colours.buttonText.g, colours.buttonText.b, 0.5)
    }
    background: Rectangle {
        color: button.pressed ? colours.dark : colours.button
        border.color: button.visualFocus ? colours.highlight : colours.frame
        radius: 3
        Behavior on color {
            ColorAnimation {
                duration: 100
            }
        }
    }
}
