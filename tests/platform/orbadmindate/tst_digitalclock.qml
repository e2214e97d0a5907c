// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.2
import orb.testsupport 1.0
import ru.nimbolinux.orbadmindate 1.0

Item {
    id: page
    width: 400
    height: 200

    Rectangle {
        id: before
        width: 40
        height: 40
        activeFocusOnTab: true
    }

    DigitalClock {
        id: clock
        x: 60
        width: 240
        height: 44
    }

    Rectangle {
        id: after
        x: 320
        width: 40
        height: 40
        activeFocusOnTab: true
    }

    SignalSpy {
        id: enteredSpy
        target: clock
        signalName: "newTimeEntered"
    }

    SignalSpy {
        id: focusSpy
        target: clock
        signalName: "isInFocusChanged"
    }

    SignalSpy {
        id: datePickerSpy
        target: clock
        signalName: "selectDatePicker"
    }

    SignalSpy {
        id: returnButtonSpy
        target: clock
        signalName: "selectReturnButton"
    }

    TestCase {
        name: "DigitalClock"
        when: windowShown

        function init() {
            before.forceActiveFocus();
            clock.editable = true;
            clock.updateTime(10, 20, 30);
            enteredSpy.clear();
            focusSpy.clear();
            datePickerSpy.clear();
            returnButtonSpy.clear();
        }

        function type(digits) {
            for (var i = 0; i < digits.length; ++i) {
                keyClick(Qt.Key_0 + Number(digits[i]));
            }
        }

        function compareTime(hours, minutes, seconds) {
            compare([clock.hours, clock.minutes, clock.seconds], [hours, minutes, seconds]);
        }

        function test_updateTimeShowsTwoDigitFields() {
            clock.updateTime(7, 5, 9);
            compare(clock.text, "07:05:09");
            clock.updateTime(23, 59, 59);
            compare(clock.text, "23:59:59");
            verify(!clock.edited);
        }

        function test_typingFillsTheFieldsAndReturnEnters() {
            clock.focusOnHourBox();
            compare(clock.focusedField, 0);
            type("1234");
            compare(clock.focusedField, 2, "two full fields move the focus on twice");
            type("56");
            compareTime(12, 34, 56);
            compare(clock.focusedField, 2, "the last field keeps the focus");
            compare(enteredSpy.count, 0, "typing alone enters nothing");
            keyClick(Qt.Key_Return);
            compare(enteredSpy.count, 1);
            var args = enteredSpy.signalArguments[0];
            compare([args[0], args[1], args[2]], [12, 34, 56]);
            verify(clock.isInFocus, "Return keeps the focus");
            keyClick(Qt.Key_Enter);
            compare(enteredSpy.count, 2, "the keypad's Enter enters too, even unchanged");
        }

        function test_digitsThatCannotStartATwoDigitValue() {
            clock.focusOnHourBox();
            type("7");
            compare(clock.hours, 7, "no hour starts with 7");
            compare(clock.focusedField, 1);
            type("6");
            compare(clock.minutes, 6);
            compare(clock.focusedField, 2);
            clock.focusOnHourBox();
            type("2");
            compare(clock.focusedField, 0, "2 may begin 20..23");
            type("5");
            compare(clock.hours, 5, "25 is no hour: the 5 starts the field again");
            compare(clock.focusedField, 1);
        }

        function test_upAndDownWrap_data() {
            return [
            { tag: "hours up", field: 0, start: [23, 0, 0], key: Qt.Key_Up, expected: [0, 0, 0] },
            { tag: "hours down", field: 0, start: [0, 0, 0], key: Qt.Key_Down, expected: [23, 0, 0] },
            { tag: "minutes up", field: 1, start: [5, 59, 0], key: Qt.Key_Up, expected: [5, 0, 0] },
            { tag: "seconds down", field: 2, start: [5, 6, 0], key: Qt.Key_Down, expected: [5, 6, 59] },
            { tag: "seconds up", field: 2, start: [5, 6, 7], key: Qt.Key_Up, expected: [5, 6, 8] }
            ];
        }

        function test_upAndDownWrap(data) {
            clock.updateTime(data.start[0], data.start[1], data.start[2]);
            clock.focusOnHourBox();
            for (var i = 0; i < data.field; ++i) {
                keyClick(Qt.Key_Right);
            }
            compare(clock.focusedField, data.field);
            keyClick(data.key);
            compareTime(data.expected[0], data.expected[1], data.expected[2]);
            verify(clock.edited);
        }

        function test_moveBetweenFields() {
            clock.focusOnHourBox();
            keyClick(Qt.Key_Left);
            compare(clock.focusedField, 0, "Left stays on the hours");
            keyClick(Qt.Key_Tab);
            compare(clock.focusedField, 1);
            keyClick(Qt.Key_Right);
            compare(clock.focusedField, 2);
            keyClick(Qt.Key_Right);
            compare(clock.focusedField, 2, "Right stays on the seconds");
            keyClick(Qt.Key_Left);
            keyClick(Qt.Key_Backtab);
            compare(clock.focusedField, 0);
            compare(focusSpy.count, 1, "moving inside the clock keeps it in focus");
            compare(datePickerSpy.count + returnButtonSpy.count, 0);
        }

        function test_tabbingOut() {
            clock.focusOnHourBox();
            keyClick(Qt.Key_Backtab);
            compare(datePickerSpy.count, 1, "Shift+Tab from the hours asks for the date picker");
            verify(before.activeFocus, "unwired, the focus chain goes on backwards");
            verify(!clock.isInFocus);

            clock.focusOnHourBox();
            keyClick(Qt.Key_Tab);
            keyClick(Qt.Key_Tab);
            compare(returnButtonSpy.count, 0);
            keyClick(Qt.Key_Tab);
            compare(returnButtonSpy.count, 1, "Tab past the seconds asks for the return button");
            verify(after.activeFocus);
            compare(enteredSpy.count, 0, "leaving unedited enters nothing");
        }

        function test_leavingWithAnEditEntersItBeforeTheFocusFlagDrops() {
            var seen = [];
            function onEntered(h, m, s) {
                seen.push(["entered", h, m, s, clock.isInFocus]);
            }
            function onFocus() {
                seen.push(["focus", clock.isInFocus]);
            }
            clock.newTimeEntered.connect(onEntered);
            clock.isInFocusChanged.connect(onFocus);
            try {
                clock.focusOnHourBox();
                type("0");
                keyClick(Qt.Key_Down);
                after.forceActiveFocus();
                compare(seen, [["focus", true], ["entered", 23, 20, 30, true], ["focus", false]]);
            } finally {
                clock.newTimeEntered.disconnect(onEntered);
                clock.isInFocusChanged.disconnect(onFocus);
            }
            verify(!clock.edited);
        }

        function test_clickGivesFocus() {
            mouseClick(findChild(clock, "minuteField"));
            verify(clock.isInFocus);
            compare(clock.focusedField, 1);
            type("45");
            compare(clock.minutes, 45);
        }

        function test_escapeRestoresTheValuesBeforeEditing() {
            clock.focusOnHourBox();
            type("0815");
            keyClick(Qt.Key_Escape);
            compareTime(10, 20, 30);
            verify(!clock.edited);
            before.forceActiveFocus();
            compare(enteredSpy.count, 0);
        }

        function test_notEditable() {
            clock.editable = false;
            clock.focusOnHourBox();
            verify(!clock.isInFocus, "a read-only clock takes no focus");
            mouseClick(findChild(clock, "hourField"));
            verify(!clock.isInFocus);
            clock.forceActiveFocus();
            type("1");
            keyClick(Qt.Key_Up);
            keyClick(Qt.Key_Return);
            compareTime(10, 20, 30);
            compare(enteredSpy.count, 0);
        }

        function test_dateShowsItsTimeUnlessTheClockIsEdited() {
            clock.date = new Date(2024, 1, 15, 8, 9, 10);
            compareTime(8, 9, 10);
            clock.focusOnHourBox();
            type("11");
            clock.date = new Date(2024, 1, 15, 1, 2, 3);
            compareTime(11, 9, 10);
        }
    }
}
