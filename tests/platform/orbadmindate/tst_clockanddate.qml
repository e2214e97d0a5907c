// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.2
import orb.testsupport 1.0
import ru.nimbolinux.orbadmindate 1.0

Item {
    id: page
    width: 420
    height: 260

    Clock {
        id: clock
    }

    CurrentDate {
        id: currentDate
        x: 210
        width: 200
        height: 30
    }

    TestCase {
        name: "ClockAndCurrentDate"
        when: windowShown

        function init() {
            TestSupport.usePalette("light");
        }

        function cleanupTestCase() {
            TestSupport.usePalette("");
        }

        function grab(item) {
            var image = null;
            item.grabToImage(function (result) {
                image = result.image;
            });
            tryVerify(function () {
                return image !== null;
            }, 5000, "grabbed");
            return image;
        }

        // Whether the pixel at `angle` degrees (clockwise from twelve), at
        // `fraction` of the radius from the centre, differs from the dial.
        function drawnAt(image, angle, fraction) {
            var radius = clock.width / 2;
            var radians = angle * Math.PI / 180;
            var x = Math.round(radius + Math.sin(radians) * radius * fraction);
            var y = Math.round(radius - Math.cos(radians) * radius * fraction);
            return !Qt.colorEqual(TestSupport.pixel(image, x, y), findChild(clock, "dial").color);
        }

        function test_implicitSize() {
            compare([clock.implicitWidth, clock.implicitHeight], [200, 200]);
            compare([currentDate.implicitHeight > 0, currentDate.implicitWidth > 0], [true, true]);
        }

        function test_handAngles_data() {
            return [
            { tag: "03:30:15", time: [3, 30, 15], angles: [105, 181.5, 90] },
            { tag: "15:30:15 is the same on the dial", time: [15, 30, 15], angles: [105, 181.5, 90] },
            { tag: "midnight", time: [0, 0, 0], angles: [0, 0, 0] },
            { tag: "23:59:59", time: [23, 59, 59], angles: [359.5, 359.9, 354] }
            ];
        }

        function test_handAngles(data) {
            clock.update(data.time[0], data.time[1], data.time[2]);
            fuzzyCompare(clock.hourAngle, data.angles[0], 1e-9, "hour hand");
            fuzzyCompare(clock.minuteAngle, data.angles[1], 1e-9, "minute hand");
            fuzzyCompare(clock.secondAngle, data.angles[2], 1e-9, "second hand");
            compare([findChild(clock, "hourHand").rotation, findChild(clock, "minuteHand").rotation], [clock.hourAngle, clock.minuteAngle]);
        }

        function test_invalidTimeIsIgnored() {
            clock.update(4, 5, 6);
            clock.update("x", 1, 2);
            compare([clock.hours, clock.minutes, clock.seconds], [4, 5, 6]);
        }

        function test_handsAreDrawnWhereTheTimePoints() {
            // 03:30:45: hour hand between 3 and 4, minute hand just past six, second hand at nine.
            clock.update(3, 30, 45);
            var image = grab(clock);
            verify(drawnAt(image, 105, 0.35), "hour hand");
            verify(drawnAt(image, 184.5, 0.6), "minute hand");
            verify(drawnAt(image, 270, 0.6), "second hand");
            verify(!drawnAt(image, 45, 0.4), "nothing towards half past one");
            verify(!drawnAt(image, 320, 0.4), "nothing towards half past ten");

            clock.update(9, 0, 0);
            image = grab(clock);
            verify(drawnAt(image, 270, 0.35), "hour hand at nine");
            verify(!drawnAt(image, 105, 0.35), "the hour hand has left");
        }

        function test_currentDateShowsTodayInTheLongFormat() {
            var expected = new Date().toLocaleDateString(Qt.locale(), Locale.LongFormat);
            compare(currentDate.text, expected.charAt(0).toUpperCase() + expected.slice(1));
            currentDate.date = new Date(2024, 1, 15);
            tryVerify(function () {
                return currentDate.text === expected.charAt(0).toUpperCase() + expected.slice(1);
            }, 3000, "an outdated day is replaced by the system's");
        }
    }
}
