// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import org.kde.kirigami 2.20 as Kirigami

// One two-digit field of the digital clock (hours, minutes or seconds). The
// clock handles its keys; the field only shows its value and its focus.
Rectangle {
    id: field

    property int value: 0
    property int maximum: 59
    property int fontSize: 13
    property bool editable: true
    // The first of two digits has been typed.
    property bool pending: false
    property color textColor: Kirigami.Theme.textColor
    property color highlightColor: Kirigami.Theme.highlightColor
    property color highlightedTextColor: Kirigami.Theme.highlightedTextColor
    // What the field holds ("Hours"), for screen readers; they read the value too.
    property string label: ""
    readonly property string text: (value < 10 ? "0" : "") + value

    signal clicked

    implicitWidth: digits.implicitWidth + Math.round(fontSize * 0.5)
    implicitHeight: digits.implicitHeight + Kirigami.Units.smallSpacing
    color: activeFocus ? highlightColor : "transparent"
    onActiveFocusChanged: pending = false

    Accessible.role: Accessible.SpinBox
    Accessible.name: label
    Accessible.description: text

    Text {
        id: digits
        anchors.centerIn: parent
        text: field.text
        color: field.activeFocus ? field.highlightedTextColor : field.textColor
        font.pixelSize: field.fontSize
        // Underlined while the field waits for its second digit.
        font.underline: field.pending
    }

    MouseArea {
        anchors.fill: parent
        enabled: field.editable
        cursorShape: Qt.IBeamCursor
        onClicked: field.clicked()
    }
}
