// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.2
import orb.testsupport 1.0
import ru.nimbolinux.orbadmindate 1.0

Item {
    id: page
    width: 600
    height: 460

    OrbCalendar {
        id: calendar
        width: 520
        height: 420
    }

    // Something after the calendar in the Tab chain.
    Rectangle {
        id: afterCalendar
        x: 540
        width: 40
        height: 40
        activeFocusOnTab: true
    }

    SignalSpy {
        id: selectedSpy
        target: calendar
        signalName: "newDateSelected"
    }

    SignalSpy {
        id: digitalClockSpy
        target: calendar
        signalName: "selectDigitalClock"
    }

    TestCase {
        name: "OrbCalendar"
        when: windowShown

        function init() {
            calendar.updateAll(new Date(2024, 1, 15, 10, 30, 0));
            calendar.savedDate = new Date();
            selectedSpy.clear();
            digitalClockSpy.clear();
        }

        function button(name) {
            var item = findChild(calendar, name);
            verify(item, name);
            return item;
        }

        function clickDay(isoDay) {
            var grid = findChild(calendar, "dayGrid");
            var centre = grid.dayCentre(isoDay);
            verify(centre, isoDay + " is on show");
            mouseClick(grid, centre.x, centre.y);
        }

        function compareDay(date, year, month, dayOfMonth, what) {
            compare([date.getFullYear(), date.getMonth(), date.getDate()], [year, month, dayOfMonth], what);
        }

        function monthTitle(month, year) {
            var name = Qt.locale().standaloneMonthName(month, Locale.LongFormat);
            return name.charAt(0).toLocaleUpperCase() + name.slice(1) + " " + year;
        }

        function lastPicked() {
            compare(selectedSpy.count, 1, "one date picked");
            return new Date(selectedSpy.signalArguments[0][0]);
        }

        function test_monthNavigationAcrossYearEnds() {
            calendar.updateAll(new Date(2023, 11, 15));
            compare(calendar.title, monthTitle(11, 2023));
            mouseClick(button("nextButton"));
            compare([calendar.shownYear, calendar.shownMonth], [2024, 0]);
            compare(calendar.title, monthTitle(0, 2024));
            verify(calendar.dateIsBeingEdited, "browsing is editing");
            mouseClick(button("previousButton"));
            mouseClick(button("previousButton"));
            compare([calendar.shownYear, calendar.shownMonth], [2023, 10]);
            compare(selectedSpy.count, 0, "browsing picks nothing");

            calendar.updateAll(new Date(2023, 11, 31));
            calendar.selectDatePicker();
            keyClick(Qt.Key_Right);
            compareDay(calendar.cursorDate, 2024, 0, 1, "the day after 31 December");
            compare([calendar.shownYear, calendar.shownMonth], [2024, 0]);
            keyClick(Qt.Key_Up);
            compareDay(calendar.cursorDate, 2023, 11, 25, "a week back crosses the year again");
            keyClick(Qt.Key_PageDown, Qt.ShiftModifier);
            compareDay(calendar.cursorDate, 2024, 11, 25, "a year on");
            keyClick(Qt.Key_Escape);
            compareDay(calendar.cursorDate, 2023, 11, 31, "Escape returns to the picked day");
            verify(!calendar.dateIsBeingEdited);
        }

        function test_wheelTurnsOneMonthPerNotch() {
            var picker = findChild(calendar, "datePicker");
            mouseWheel(picker, 100, 100, 0, -120);
            compare([calendar.shownYear, calendar.shownMonth], [2024, 2]);
            for (var i = 0; i < 5; ++i) {
                mouseWheel(picker, 100, 100, 0, 40);
            }
            compare([calendar.shownYear, calendar.shownMonth], [2024, 1], "five small steps make one notch");
            verify(calendar.dateIsBeingEdited);
        }

        function test_pickFifteenthOfFebruaryAfterThirtyFirstOfJanuary_data() {
            return [
            { tag: "click" },
            { tag: "function" },
            { tag: "keyboard" }
            ];
        }

        function test_pickFifteenthOfFebruaryAfterThirtyFirstOfJanuary(data) {
            calendar.updateAll(new Date(2024, 0, 31, 23, 59, 58));
            compareDay(calendar.selectedDate, 2024, 0, 31);
            mouseClick(button("nextButton"));
            compare([calendar.shownYear, calendar.shownMonth], [2024, 1], "February, not March");
            compareDay(calendar.cursorDate, 2024, 1, 29, "the cursor keeps to the end of February");
            if (data.tag === "click") {
                clickDay("2024-02-15");
            } else if (data.tag === "function") {
                verify(calendar.__set_day_of_month_in_date_picker__(15));
            } else {
                calendar.selectDatePicker();
                keyClick(Qt.Key_Home);
                for (var i = 1; i < 15; ++i) {
                    keyClick(Qt.Key_Right);
                }
                compare(selectedSpy.count, 0, "moving the cursor picks nothing");
                keyClick(Qt.Key_Return);
            }
            var picked = lastPicked();
            compareDay(picked, 2024, 1, 15, "the string names the picked day");
            compare([picked.getHours(), picked.getMinutes()], [12, 0], "read as local time");
            compareDay(calendar.selectedDate, 2024, 1, 15);
            compare([calendar.shownYear, calendar.shownMonth], [2024, 1]);
            verify(!calendar.dateIsBeingEdited, "picking ends the editing");
        }

        function test_monthStepKeepsToShortMonths() {
            calendar.updateAll(new Date(2023, 0, 31));
            calendar.selectDatePicker();
            keyClick(Qt.Key_PageDown);
            compareDay(calendar.cursorDate, 2023, 1, 28);
            keyClick(Qt.Key_PageDown);
            compareDay(calendar.cursorDate, 2023, 2, 28, "the cursor stays on the 28th");
        }

        function test_dayOfMonthThatTheMonthLacks() {
            calendar.updateAll(new Date(2023, 1, 10));
            verify(!calendar.__set_day_of_month_in_date_picker__(29), "no 29 February in 2023");
            verify(!calendar.__set_day_of_month_in_date_picker__(0));
            compare(selectedSpy.count, 0);
            compareDay(calendar.selectedDate, 2023, 1, 10, "selection unchanged");
        }

        function test_lowerLimit() {
            calendar.updateAll(new Date(1970, 0, 1));
            verify(!button("previousButton").enabled);
            mouseClick(button("previousButton"));
            compare([calendar.shownYear, calendar.shownMonth], [1970, 0]);
            calendar.selectDatePicker();
            keyClick(Qt.Key_Left);
            keyClick(Qt.Key_PageUp);
            keyClick(Qt.Key_Up);
            compareDay(calendar.cursorDate, 1970, 0, 1, "the cursor stops at the first day");
            clickDay("1969-12-31");
            compare(selectedSpy.count, 0, "a day before 1970 cannot be picked");
            calendar.showPrevious();
            compare([calendar.shownYear, calendar.shownMonth], [1970, 0]);

            calendar.updateAll(new Date(1969, 5, 1));
            compareDay(calendar.selectedDate, 1970, 0, 1, "an earlier date shows the first day");
            verify(calendar.__set_day_of_month_in_date_picker__(1));
            compareDay(lastPicked(), 1970, 0, 1);
        }

        function test_upperLimit() {
            calendar.updateAll(new Date(2106, 1, 7));
            verify(!button("nextButton").enabled);
            calendar.selectDatePicker();
            keyClick(Qt.Key_Right);
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_PageDown);
            keyClick(Qt.Key_End);
            compareDay(calendar.cursorDate, 2106, 1, 7, "the cursor stops at the last day");
            clickDay("2106-02-08");
            verify(!calendar.__set_day_of_month_in_date_picker__(8));
            compare(selectedSpy.count, 0, "no day after 7 February 2106");
            verify(calendar.__set_day_of_month_in_date_picker__(7));
            compareDay(lastPicked(), 2106, 1, 7);

            calendar.updateAll(new Date(2106, 0, 20));
            calendar.showNext();
            calendar.showNext();
            compare([calendar.shownYear, calendar.shownMonth], [2106, 1], "no month after February 2106");
            calendar.updateAll(new Date(2300, 0, 1));
            compareDay(calendar.selectedDate, 2106, 1, 7, "a later date shows the last day");
        }

        function test_monthAndYearViews() {
            var title = button("titleButton");
            mouseClick(title);
            compare(calendar.viewMode, 1);
            compare(calendar.title, "2024");
            mouseClick(findChild(calendar, "period_2"));
            compare(calendar.viewMode, 0);
            compare([calendar.shownYear, calendar.shownMonth], [2024, 2]);
            verify(calendar.dateIsBeingEdited);

            mouseClick(title);
            mouseClick(title);
            compare(calendar.viewMode, 2);
            compare(calendar.title, "2018 – 2029");
            mouseClick(button("nextButton"));
            compare(calendar.title, "2030 – 2041");
            mouseClick(findChild(calendar, "period_1"));
            compare([calendar.viewMode, calendar.shownYear], [1, 2031]);
            compare(selectedSpy.count, 0, "choosing a month or year picks no day");
        }

        function test_viewsStopAtTheLimits() {
            calendar.updateAll(new Date(2106, 1, 7));
            calendar.zoomOut();
            mouseClick(findChild(calendar, "period_5"));
            compare(calendar.viewMode, 1, "June 2106 cannot be chosen");
            mouseClick(findChild(calendar, "period_1"));
            compare([calendar.viewMode, calendar.shownYear, calendar.shownMonth], [0, 2106, 1]);
            calendar.zoomOut();
            calendar.zoomOut();
            compare(calendar.title, "2102 – 2106");
            verify(!button("nextButton").enabled);
            mouseClick(findChild(calendar, "period_6"));
            compare(calendar.viewMode, 2, "2108 cannot be chosen");
            calendar.updateAll(new Date(1975, 3, 3));
            calendar.zoomOut();
            calendar.zoomOut();
            compare(calendar.title, "1970 – 1981");
            verify(!button("previousButton").enabled);
        }

        function test_returnButtonPicksToday() {
            calendar.updateAll(new Date(2001, 4, 5));
            calendar.showNext();
            mouseClick(button("returnButton"));
            var now = new Date();
            compareDay(lastPicked(), now.getFullYear(), now.getMonth(), now.getDate());
            compare([calendar.shownYear, calendar.shownMonth], [now.getFullYear(), now.getMonth()]);
            verify(!calendar.dateIsBeingEdited);
        }

        function test_updateBaseCalendarSystemDateKeepsTheSelection() {
            calendar.updateAll(new Date(2024, 1, 15));
            calendar.updateBaseCalendarSystemDate(new Date(2024, 1, 20, 0, 0, 1));
            compareDay(calendar.todayDate, 2024, 1, 20);
            compareDay(calendar.selectedDate, 2024, 1, 15);
            var grid = findChild(calendar, "dayGrid");
            compare(grid.isoDayAt(findChild(calendar, "dayNumbers").boldIndex), "2024-02-20", "today is marked");
            compare(selectedSpy.count, 0);
        }

        function test_isSystemDateChanged() {
            calendar.savedDate = new Date();
            verify(!calendar.isSystemDateChanged());
            var yesterday = new Date();
            yesterday.setDate(yesterday.getDate() - 1);
            calendar.savedDate = yesterday;
            verify(calendar.isSystemDateChanged());
            calendar.savedDate = undefined;
            verify(calendar.isSystemDateChanged(), "no saved date yet counts as changed");
        }

        function test_updateAllEndsBrowsing() {
            calendar.showNext();
            verify(calendar.dateIsBeingEdited);
            calendar.updateAll(new Date(2020, 6, 4));
            verify(!calendar.dateIsBeingEdited);
            compare([calendar.shownYear, calendar.shownMonth, calendar.viewMode], [2020, 6, 0]);
            compareDay(calendar.selectedDate, 2020, 6, 4);
            calendar.updateAll(new Date(NaN));
            compareDay(calendar.selectedDate, 2020, 6, 4, "an invalid date is ignored");
        }

        function test_weeksStartOnMonday() {
            compare(findChild(calendar, "dayName_0").text, Qt.locale().dayName(1, Locale.ShortFormat));
            compare(findChild(calendar, "dayName_6").text, Qt.locale().dayName(0, Locale.ShortFormat));
            // 1 February 2024 is a Thursday: the grid opens on Monday 29 January.
            var grid = findChild(calendar, "dayGrid");
            compare(grid.isoDayAt(0), "2024-01-29");
            compare(grid.isoDayAt(3), "2024-02-01");
            compare(findChild(calendar, "dayNumbers").texts[3], "1");
        }

        // Run with TZ=America/Sao_Paulo, where 4 November 2018 began at 01:00:
        // every cell still holds the next day, and picking that day names it.
        function test_daylightSavingStartingAtMidnight() {
            calendar.updateAll(new Date(2018, 10, 3));
            var grid = findChild(calendar, "dayGrid");
            var expected = new Date(2018, 9, 29, 12);
            for (var i = 0; i < 42; ++i) {
                compare(grid.isoDayAt(i), Qt.formatDate(expected, "yyyy-MM-dd"));
                expected.setDate(expected.getDate() + 1);
            }
            calendar.selectDatePicker();
            keyClick(Qt.Key_Right);
            compareDay(calendar.cursorDate, 2018, 10, 4);
            keyClick(Qt.Key_Return);
            compareDay(lastPicked(), 2018, 10, 4);
            keyClick(Qt.Key_Right);
            compareDay(calendar.cursorDate, 2018, 10, 5);
        }

        function test_tabChain() {
            calendar.selectDatePicker();
            verify(findChild(calendar, "datePicker").activeFocus);
            keyClick(Qt.Key_Tab);
            compare(digitalClockSpy.count, 1, "Tab out of the days asks for the digital clock");
            verify(button("returnButton").activeFocus, "unwired, the focus chain goes on");
            keyClick(Qt.Key_Tab);
            verify(afterCalendar.activeFocus, "after the return button the calendar is left");
            keyClick(Qt.Key_Backtab);
            verify(button("returnButton").activeFocus);

            calendar.selectReturnButton();
            verify(button("returnButton").activeFocus);
            calendar.updateAll(new Date(2010, 1, 1));
            keyClick(Qt.Key_Space);
            compareDay(lastPicked(), new Date().getFullYear(), new Date().getMonth(), new Date().getDate());
        }
    }
}
