// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import org.kde.kirigami 2.20 as Kirigami

// Editable hh:mm:ss clock. Digits fill the focused field and move on, Up/Down
// step it (wrapping), Tab/Left/Right move between the fields, Return enters the
// time. Leaving the clock with an edited value enters it as well.
FocusScope {
    id: root

    property bool editable: true
    property int fontSize: 13
    // The date-time the clock shows while it is not being edited.
    property var date: new Date()
    property color borderColor: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.textColor, 0.3)
    property int radius: Kirigami.Units.smallSpacing
    // True while one of the fields has the keyboard focus.
    property bool isInFocus: false

    readonly property int hours: hourField.value
    readonly property int minutes: minuteField.value
    readonly property int seconds: secondField.value
    readonly property string text: hourField.text + ":" + minuteField.text + ":" + secondField.text
    // The fields hold values typed or stepped since the clock took the focus.
    readonly property bool edited: d.edited
    // 0 hours, 1 minutes, 2 seconds, -1 none.
    readonly property int focusedField: hourField.activeFocus ? 0 : minuteField.activeFocus ? 1 : secondField.activeFocus ? 2 : -1

    signal newTimeEntered(int hours, int minutes, int seconds)
    signal selectDatePicker
    signal selectReturnButton

    implicitWidth: row.implicitWidth + 2 * Math.round(fontSize * 1.2)
    implicitHeight: Math.round(fontSize * 2.8)
    // A field to type in: a view's colours.
    Kirigami.Theme.colorSet: Kirigami.Theme.View
    Kirigami.Theme.inherit: false

    function updateTime(hours, minutes, seconds) {
        d.setField(hourField, hours);
        d.setField(minuteField, minutes);
        d.setField(secondField, seconds);
        d.edited = false;
    }

    function focusOnHourBox() {
        if (editable) {
            hourField.forceActiveFocus(Qt.TabFocusReason);
        }
    }

    onDateChanged: d.showDate()

    onActiveFocusChanged: {
        if (activeFocus) {
            d.edited = false;
            d.remember();
        } else if (d.edited) {
            // Entered before isInFocus drops, so that whoever watches the focus
            // already has the new time.
            d.enter();
        }
        isInFocus = activeFocus;
    }

    Component.onCompleted: d.showDate()

    QtObject {
        id: d

        property bool edited: false
        readonly property int digitSize: Math.round(root.fontSize * 1.3)
        property var before: [0, 0, 0]
        readonly property var fields: [hourField, minuteField, secondField]

        // What the user types is not overwritten while the clock has the focus.
        function showDate() {
            var date = root.date;
            if (!root.activeFocus && date !== null && date !== undefined && typeof date.getTime === "function" && !isNaN(date.getTime())) {
                root.updateTime(date.getHours(), date.getMinutes(), date.getSeconds());
            }
        }

        function setField(field, value) {
            var number = Math.floor(Number(value));
            if (isNaN(number)) {
                return;
            }
            var span = field.maximum + 1;
            field.value = ((number % span) + span) % span;
            field.pending = false;
        }

        function remember() {
            before = [hourField.value, minuteField.value, secondField.value];
        }

        function enter() {
            edited = false;
            for (var i = 0; i < fields.length; ++i) {
                fields[i].pending = false;
            }
            remember();
            root.newTimeEntered(hourField.value, minuteField.value, secondField.value);
        }

        function focusField(index) {
            fields[index].forceActiveFocus(Qt.TabFocusReason);
        }

        // Past the first or the last field: the calendar takes over when it is
        // wired to us; otherwise the window's focus chain goes on.
        function leave(forward) {
            if (forward) {
                root.selectReturnButton();
            } else {
                root.selectDatePicker();
            }
            if (root.activeFocus) {
                var next = root.nextItemInFocusChain(forward);
                if (next && next !== root) {
                    next.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason);
                }
            }
        }

        function typeDigit(index, digit) {
            var field = fields[index];
            if (field.pending && field.value * 10 + digit <= field.maximum) {
                field.value = field.value * 10 + digit;
                field.pending = false;
            } else {
                // A first digit, or one that cannot follow the first: start the field anew.
                field.value = digit;
                field.pending = digit * 10 <= field.maximum;
            }
            edited = true;
            if (!field.pending && index < 2) {
                focusField(index + 1);
            }
        }

        function stepField(index, delta) {
            var field = fields[index];
            setField(field, field.value + delta);
            edited = true;
        }

        function handleKey(index, event) {
            switch (event.key) {
            case Qt.Key_Tab:
                if (index < 2) {
                    focusField(index + 1);
                } else {
                    leave(true);
                }
                return true;
            case Qt.Key_Backtab:
                if (index > 0) {
                    focusField(index - 1);
                } else {
                    leave(false);
                }
                return true;
            case Qt.Key_Left:
                if (index > 0) {
                    focusField(index - 1);
                }
                return true;
            case Qt.Key_Right:
                if (index < 2) {
                    focusField(index + 1);
                }
                return true;
            case Qt.Key_Return:
            case Qt.Key_Enter:
                if (root.editable) {
                    enter();
                }
                return true;
            case Qt.Key_Escape:
                if (!edited) {
                    return false;
                }
                updateTime(before[0], before[1], before[2]);
                return true;
            }
            if (!root.editable) {
                return false;
            }
            switch (event.key) {
            case Qt.Key_Up:
                stepField(index, 1);
                return true;
            case Qt.Key_Down:
                stepField(index, -1);
                return true;
            case Qt.Key_Backspace:
            case Qt.Key_Delete:
                setField(fields[index], 0);
                edited = true;
                return true;
            }
            if (event.key >= Qt.Key_0 && event.key <= Qt.Key_9) {
                typeDigit(index, event.key - Qt.Key_0);
                return true;
            }
            return false;
        }
    }

    Rectangle {
        id: frame
        anchors.fill: parent
        color: Kirigami.Theme.backgroundColor
        border.width: 1
        border.color: root.borderColor
        radius: root.radius
    }

    Row {
        id: row
        anchors.centerIn: parent
        height: Math.min(root.height - Kirigami.Units.smallSpacing * 2, hourField.implicitHeight)

        TimeField {
            id: hourField
            objectName: "hourField"
            label: i18nd("kcm_orb_admin_date", "Hours")
            focus: true
            maximum: 23
            height: row.height
            fontSize: d.digitSize
            editable: root.editable
            radius: Math.max(0, root.radius - 1)
            Keys.onPressed: event.accepted = d.handleKey(0, event)
            onClicked: forceActiveFocus(Qt.MouseFocusReason)
        }
        Text {
            height: row.height
            text: ":"
            color: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.45)
            font.pixelSize: d.digitSize
            verticalAlignment: Text.AlignVCenter
        }
        TimeField {
            id: minuteField
            objectName: "minuteField"
            label: i18nd("kcm_orb_admin_date", "Minutes")
            maximum: 59
            height: row.height
            fontSize: d.digitSize
            editable: root.editable
            radius: Math.max(0, root.radius - 1)
            Keys.onPressed: event.accepted = d.handleKey(1, event)
            onClicked: forceActiveFocus(Qt.MouseFocusReason)
        }
        Text {
            height: row.height
            text: ":"
            color: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.45)
            font.pixelSize: d.digitSize
            verticalAlignment: Text.AlignVCenter
        }
        TimeField {
            id: secondField
            objectName: "secondField"
            label: i18nd("kcm_orb_admin_date", "Seconds")
            maximum: 59
            height: row.height
            fontSize: d.digitSize
            editable: root.editable
            radius: Math.max(0, root.radius - 1)
            Keys.onPressed: event.accepted = d.handleKey(2, event)
            onClicked: forceActiveFocus(Qt.MouseFocusReason)
        }
    }
}
