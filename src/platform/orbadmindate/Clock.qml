// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import ru.nimbolinux.orbadmindate 1.0
import org.kde.kirigami 2.20 as Kirigami

// Analog clock: a dial with hour and minute marks, numerals and three hands.
// It shows the time last given to update(); the owner drives it every second.
Item {
    id: root

    readonly property int hours: d.hours
    readonly property int minutes: d.minutes
    readonly property int seconds: d.seconds
    // Angles of the hands in degrees, clockwise from twelve.
    readonly property real hourAngle: ((d.hours % 12) + d.minutes / 60) * 30
    readonly property real minuteAngle: (d.minutes + d.seconds / 60) * 6
    readonly property real secondAngle: d.seconds * 6

    implicitWidth: 200
    implicitHeight: 200
    // A dial is a view's face: its background and text, like the calendar beside it.
    Kirigami.Theme.colorSet: Kirigami.Theme.View
    Kirigami.Theme.inherit: false

    function update(hours, minutes, seconds) {
        var h = Math.floor(Number(hours));
        var m = Math.floor(Number(minutes));
        var s = Math.floor(Number(seconds));
        if (isNaN(h) || isNaN(m) || isNaN(s)) {
            return;
        }
        d.hours = ((h % 24) + 24) % 24;
        d.minutes = ((m % 60) + 60) % 60;
        d.seconds = ((s % 60) + 60) % 60;
    }

    QtObject {
        id: d

        property int hours: 0
        property int minutes: 0
        property int seconds: 0
        readonly property real size: Math.min(root.width, root.height)
        readonly property real radius: size / 2
        readonly property color secondHand: Kirigami.Theme.negativeTextColor
    }

    Rectangle {
        id: dial
        objectName: "dial"
        anchors.centerIn: parent
        width: d.size
        height: d.size
        radius: d.radius
        color: Kirigami.Theme.backgroundColor
        border.width: Math.max(1, Math.round(d.size / 100))
        border.color: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.textColor, 0.3)
        antialiasing: true

        ClockFace {
            objectName: "face"
            anchors.fill: parent
            inset: dial.border.width
            renderScale: root.scale
            color: Kirigami.Theme.textColor
            minuteColor: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.55)
        }
    }

    Rectangle {
        id: hourHand
        objectName: "hourHand"
        x: root.width / 2 - width / 2
        y: root.height / 2 - height
        width: Math.max(3, d.size * 0.03)
        height: d.radius * 0.5
        radius: width / 2
        color: Kirigami.Theme.textColor
        antialiasing: true
        transformOrigin: Item.Bottom
        rotation: root.hourAngle
    }

    Rectangle {
        id: minuteHand
        objectName: "minuteHand"
        x: root.width / 2 - width / 2
        y: root.height / 2 - height
        width: Math.max(2, d.size * 0.02)
        height: d.radius * 0.75
        radius: width / 2
        color: Kirigami.Theme.textColor
        antialiasing: true
        transformOrigin: Item.Bottom
        rotation: root.minuteAngle
    }

    // The second hand reaches a little past the centre on the other side.
    Item {
        id: secondHand
        objectName: "secondHand"
        readonly property real tail: d.radius * 0.15
        x: root.width / 2 - width / 2
        y: root.height / 2 - d.radius * 0.85
        width: Math.max(1, d.size * 0.01)
        height: d.radius * 0.85 + tail
        transformOrigin: Item.Center
        transform: Rotation {
            origin.x: secondHand.width / 2
            origin.y: d.radius * 0.85
            angle: root.secondAngle
        }
        Rectangle {
            anchors.fill: parent
            color: d.secondHand
            antialiasing: true
        }
    }

    Rectangle {
        anchors.centerIn: parent
        width: Math.max(6, d.size * 0.05)
        height: width
        radius: width / 2
        color: d.secondHand
        border.width: Math.max(1, width / 4)
        border.color: Kirigami.Theme.textColor
        antialiasing: true
    }
}
