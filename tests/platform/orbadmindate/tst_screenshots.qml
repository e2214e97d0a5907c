// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.2
import orb.testsupport 1.0
import ru.nimbolinux.orbadmindate 1.0
import org.kde.kirigami 2.20 as Kirigami

// Renders the four items the way the date tab lays them out, in the shade of the
// run (dark in the desktop style with a dark scheme), and saves the pictures for a
// person to look at.
Item {
    id: page
    width: 820
    height: 540

    readonly property string shade: orbTest.environment("ORB_TEST_COLOR_SCHEME") === "" ? "light" : "dark"

    Rectangle {
        id: sheet
        anchors.fill: parent
        Kirigami.Theme.colorSet: Kirigami.Theme.Window
        Kirigami.Theme.inherit: false
        color: Kirigami.Theme.backgroundColor

        Item {
            id: today
            width: 400
            height: 45
            anchors.horizontalCenter: parent.horizontalCenter
            y: 20
            Text {
                width: parent.width
                height: 20
                text: "Today"
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: 12
                color: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.4)
            }
            CurrentDate {
                id: currentDate
                width: parent.width
                height: 30
                anchors.bottom: parent.bottom
            }
        }

        OrbCalendar {
            id: calendar
            x: 20
            y: today.y + today.height + 10
            width: Math.round(page.width * 2 / 3) - 30
            height: page.height - y - 20
            fontSize: 13
        }

        Item {
            id: rightCell
            anchors.left: calendar.right
            anchors.right: parent.right
            anchors.rightMargin: 20
            y: calendar.y
            height: calendar.height

            Clock {
                id: clock
                anchors.horizontalCenter: parent.horizontalCenter
                y: (digitalClock.y - height) / 2
                scale: 1.1
            }

            DigitalClock {
                id: digitalClock
                width: clock.width * clock.scale
                height: Math.round(calendar.height / 10)
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                fontSize: 13
                borderColor: isInFocus ? Kirigami.Theme.focusColor : calendar.borderColor
                radius: calendar.buttonsRadius
            }
        }
    }

    TestCase {
        name: "Screenshots"
        when: windowShown

        function save(name) {
            waitForRendering(page);
            var file = TestSupport.screenshotDir() + "/orbadmindate-" + name + ".png";
            var saved = false;
            verify(page.grabToImage(function (result) {
                saved = result.saveToFile(file);
            }));
            tryVerify(function () {
                return saved;
            }, 5000, "saved " + file);
        }

        function show(shade) {
            if (page.shade !== shade) {
                skip("a " + page.shade + " run");
            }
            calendar.updateAll(new Date(2024, 1, 15, 10, 8, 42));
            calendar.updateBaseCalendarSystemDate(new Date(2024, 1, 20));
            calendar.savedDate = new Date(2024, 1, 20);
            clock.update(10, 8, 42);
            digitalClock.updateTime(10, 8, 42);
        }

        // Days with the digital clock being edited; the months of the year.
        function test_light() {
            show("light");
            digitalClock.focusOnHourBox();
            keyClick(Qt.Key_Right);
            save("light");
            calendar.zoomOut();
            save("light-months");
        }

        // Days with the keyboard cursor in the calendar; a block of years.
        function test_dark() {
            show("dark");
            calendar.selectDatePicker();
            keyClick(Qt.Key_Down);
            save("dark");
            calendar.zoomOut();
            calendar.zoomOut();
            save("dark-years");
        }    }
}
