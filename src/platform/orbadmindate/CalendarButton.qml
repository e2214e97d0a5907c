// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import org.kde.kirigami 2.20 as Kirigami

// A flat button of the calendar's header: a text, or a chevron when `arrow` is
// -1 (back) or 1 (forward). Clicks and Space/Return trigger it.
Rectangle {
    id: button

    property string text: ""
    property int arrow: 0
    property int fontSize: 13
    property bool bold: false
    property color borderColor: "transparent"
    property alias hovered: mouseArea.containsMouse
    readonly property bool pressed: mouseArea.pressed

    signal clicked

    activeFocusOnTab: true
    implicitHeight: Math.round(fontSize * 2.2)
    implicitWidth: arrow !== 0 ? implicitHeight : label.implicitWidth + Math.round(fontSize * 1.4)
    radius: Kirigami.Units.smallSpacing
    opacity: enabled ? 1 : 0.4
    color: {
        if (!enabled) {
            return "transparent";
        }
        if (pressed) {
            return Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.highlightColor, 0.35);
        }
        if (hovered) {
            return Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.highlightColor, 0.15);
        }
        return "transparent";
    }
    border.width: 1
    border.color: activeFocus ? Kirigami.Theme.focusColor : (hovered && enabled ? borderColor : "transparent")

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: trigger()

    function trigger() {
        if (enabled) {
            clicked();
        }
    }

    Keys.onSpacePressed: trigger()
    Keys.onReturnPressed: trigger()
    Keys.onEnterPressed: trigger()

    Text {
        id: label
        anchors.fill: parent
        anchors.leftMargin: Math.round(button.fontSize * 0.5)
        anchors.rightMargin: anchors.leftMargin
        visible: button.arrow === 0
        text: button.text
        color: Kirigami.Theme.textColor
        font.pixelSize: button.fontSize
        font.bold: button.bold
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    // Only the arrows have an icon; the title and "Today" are text alone.
    Loader {
        anchors.centerIn: parent
        width: Math.round(button.height * 0.5)
        height: width
        active: button.arrow !== 0
        sourceComponent: Kirigami.Icon {
            objectName: "chevron"
            source: button.arrow < 0 ? "go-previous" : "go-next"
            // One colour, the text's, whichever drawing the theme has.
            isMask: true
            color: Kirigami.Theme.textColor
        }
    }

    MouseArea {
        id: mouseArea
        anchors.fill: parent
        hoverEnabled: true
        acceptedButtons: Qt.LeftButton
        onClicked: button.trigger()
    }
}
