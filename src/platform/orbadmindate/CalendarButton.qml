// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15

// A flat button of the calendar's header: a text, or a chevron when `arrow` is
// -1 (back) or 1 (forward). Clicks and Space/Return trigger it.
Rectangle {
    id: button

    property string text: ""
    property int arrow: 0
    property int fontSize: 13
    property bool bold: false
    property bool isLight: true
    property color borderColor: "transparent"
    property alias hovered: mouseArea.containsMouse
    readonly property bool pressed: mouseArea.pressed

    signal clicked

    activeFocusOnTab: true
    implicitHeight: Math.round(fontSize * 2.2)
    implicitWidth: arrow !== 0 ? implicitHeight : label.implicitWidth + Math.round(fontSize * 1.4)
    radius: 3
    opacity: enabled ? 1 : 0.4
    color: {
        if (!enabled) {
            return "transparent";
        }
        if (pressed) {
            return Qt.tint(sysPalette.base, Qt.rgba(sysPalette.highlight.r, sysPalette.highlight.g, sysPalette.highlight.b, 0.35));
        }
        if (hovered) {
            return Qt.tint(sysPalette.base, Qt.rgba(sysPalette.highlight.r, sysPalette.highlight.g, sysPalette.highlight.b, 0.15));
        }
        return "transparent";
    }
    border.width: 1
    border.color: activeFocus ? sysPalette.highlight : (hovered && enabled ? borderColor : "transparent")

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

    SystemPalette {
        id: sysPalette
    }

    Text {
        id: label
        anchors.fill: parent
        anchors.leftMargin: Math.round(button.fontSize * 0.5)
        anchors.rightMargin: anchors.leftMargin
        visible: button.arrow === 0
        text: button.text
        color: sysPalette.text
        font.pixelSize: button.fontSize
        font.bold: button.bold
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    Canvas {
        id: chevron
        visible: button.arrow !== 0
        anchors.centerIn: parent
        width: Math.round(button.height * 0.5)
        height: width
        property color strokeColor: sysPalette.text
        onStrokeColorChanged: requestPaint()
        onWidthChanged: requestPaint()
        onPaint: {
            var ctx = getContext("2d");
            ctx.reset();
            ctx.strokeStyle = strokeColor;
            ctx.lineWidth = Math.max(1.5, width / 9);
            ctx.lineCap = "round";
            ctx.lineJoin = "round";
            var inset = width * 0.3;
            ctx.beginPath();
            if (button.arrow < 0) {
                ctx.moveTo(width - inset, inset * 0.6);
                ctx.lineTo(inset, height / 2);
                ctx.lineTo(width - inset, height - inset * 0.6);
            } else {
                ctx.moveTo(inset, inset * 0.6);
                ctx.lineTo(width - inset, height / 2);
                ctx.lineTo(inset, height - inset * 0.6);
            }
            ctx.stroke();
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
