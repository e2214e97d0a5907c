// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.2
import ru.nimbolinux.kcm.orbadmindate 1.0
import "qrc:/package/contents/ui"

Item {
    id: window
    width: 1000
    height: 640

    DateTimeTab {
        id: tab
        width: window.width
        height: window.height
    }

    TestCase {
        id: testCase
        name: "DateTimeTab"
        when: windowShown

        readonly property var provider: tab.provider
        readonly property var calendar: tab.calendarItem
        readonly property var clock: tab.clockItem
        readonly property var digitalClock: tab.digitalClockItem

        function init() {
            window.width = 1000;
            window.height = 640;
            tab.load();
            compare(tab.needsSave, false);
        }

        function typeTime(text) {
            for (var i = 0; i < text.length; ++i) {
                keyClick(Qt.Key_0 + Number(text[i]));
            }
        }

        function otherDayThan(day) {
            return day === 1 ? 2 : 1;
        }

        function test_enteredTimeRunsOnPastMidnight() {
            digitalClock.focusOnHourBox();
            verify(tab.timeIsEdited);
            typeTime("235958");
            keyClick(Qt.Key_Return);
            verify(tab.needsSave);
            // Tab past the seconds leaves the clock, and the ticks show the time again.
            keyClick(Qt.Key_Tab);
            verify(!digitalClock.isInFocus);
            verify(!tab.timeIsEdited);

            tab.update();
            tab.update();
            tab.update();
            compare([digitalClock.hours, digitalClock.minutes, digitalClock.seconds], [0, 0, 1]);
            compare([clock.hours, clock.minutes, clock.seconds], [0, 0, 1]);
            var saved = provider.savedTime();
            compare([saved.getHours(), saved.getMinutes(), saved.getSeconds()], [0, 0, 1]);
            verify(provider.changed(DateTimeProvider.Time));
            // Only the time was entered: the day written is the day of saving.
            verify(!provider.changed(DateTimeProvider.Date));
        }

        function test_typingStopsTheRefresh() {
            var typedHour = (new Date().getHours() + 5) % 24;
            var typed = (typedHour < 10 ? "0" : "") + typedHour;
            digitalClock.focusOnHourBox();
            typeTime(typed);
            tab.update();
            tab.update();
            compare(digitalClock.hours, typedHour);
            verify(digitalClock.isInFocus);
            // The hands follow what is typed, before it is entered.
            compare(tab.clockItem.hours, typedHour);

            // A reload takes the focus away and shows the live time again.
            tab.load();
            verify(!digitalClock.isInFocus);
            verify(!tab.timeIsEdited);
            verify(!tab.needsSave);
            verify(!provider.needsSave());
            var now = new Date();
            verify(Math.abs(digitalClock.hours * 3600 + digitalClock.minutes * 60 + digitalClock.seconds
                            - (now.getHours() * 3600 + now.getMinutes() * 60 + now.getSeconds())) <= 2);
        }

        function test_pickingTodayAgainClearsNeedsSave() {
            var today = new Date();
            tab.__set_day_of_month_in_date_picker__(otherDayThan(today.getDate()));
            verify(tab.needsSave);
            verify(provider.changed(DateTimeProvider.Date));

            // A picked date shows the running current time.
            tab.update();
            compare(tab.date.getDate(), otherDayThan(today.getDate()));
            compare(tab.date.getHours(), new Date().getHours());

            tab.__set_day_of_month_in_date_picker__(today.getDate());
            verify(!tab.needsSave);
            verify(!provider.needsSave());
        }

        function test_checkBoxTwiceClearsNeedsSave() {
            var box = tab.utcCheckBoxItem;
            var initial = box.checked;
            compare(initial, provider.getUTC());
            mouseClick(box);
            compare(box.checked, !initial);
            verify(tab.needsSave);
            verify(provider.changed(DateTimeProvider.UTC));
            mouseClick(box);
            compare(box.checked, initial);
            verify(!tab.needsSave);
        }

        function test_fontAdd_data() {
            return [
                {tag: "640", width: 640, fontAdd: 0},
                {tag: "800", width: 800, fontAdd: 0},
                {tag: "1099", width: 1099, fontAdd: 0},
                {tag: "1100", width: 1100, fontAdd: 1},
                {tag: "1400", width: 1400, fontAdd: 2},
                {tag: "1799", width: 1799, fontAdd: 3}
            ];
        }

        function test_fontAdd(data) {
            window.width = data.width;
            compare(tab.fontAdd, data.fontAdd);
            compare(calendar.fontSize, 13 + data.fontAdd);
            compare(digitalClock.fontSize, 13 + data.fontAdd);
            if (data.width === 640 || data.width === 1400) {
                waitForRendering(tab);
                orbTest.screenshot(tab, "datetime-tab-width-" + data.width);
            }
        }

        function test_fifteenthOfFebruaryFromThirtyFirstOfJanuary() {
            tab.date = new Date(2027, 0, 31, 10, 20, 30);
            calendar.updateAll(new Date(2027, 1, 1, 12, 0, 0));
            tab.__set_day_of_month_in_date_picker__(15);
            compare(tab.date.getFullYear(), 2027);
            compare(tab.date.getMonth(), 1);
            compare(tab.date.getDate(), 15);
            compare([tab.date.getHours(), tab.date.getMinutes(), tab.date.getSeconds()], [10, 20, 30]);
            compare(digitalClock.date.getTime(), tab.date.getTime());
            // The state counts months from 1; a script date from the invokable is UTC midnight.
            var saved = provider.savedDate();
            compare([saved.getUTCFullYear(), saved.getUTCMonth(), saved.getUTCDate()], [2027, 1, 15]);
            verify(tab.needsSave);
        }

        function test_pickedDayStaysShownWhenTheSystemDayChanges() {
            var today = new Date();
            var picked = otherDayThan(today.getDate());
            tab.__set_day_of_month_in_date_picker__(picked);
            digitalClock.focusOnHourBox();
            typeTime("120000");
            keyClick(Qt.Key_Return);
            keyClick(Qt.Key_Tab);

            // As if midnight had passed since the last load.
            var yesterday = new Date(today.getFullYear(), today.getMonth(), today.getDate() - 1, 12, 0, 0);
            calendar.savedDate = yesterday;
            verify(calendar.isSystemDateChanged());
            tab.update();
            verify(!calendar.isSystemDateChanged());
            compare(calendar.selectedDate.getDate(), picked);
            compare(tab.date.getDate(), picked);
        }
    }
}
