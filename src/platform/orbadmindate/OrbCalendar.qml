// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
// Qualified: importing its own module unqualified would hide the private files next to it.
import ru.nimbolinux.orbadmindate 1.0 as Orb
import org.kde.kirigami 2.20 as Kirigami
import "calendarlogic.js" as Logic

// Month calendar for picking the system date. Weeks start on Monday; the title
// switches between the days of a month, the months of a year and a block of
// twelve years. Only the days the system clock can be set to are offered.
FocusScope {
    id: root

    property bool isApplet: false
    property int fontSize: 13
    // The system's date as last loaded; marked with a ring.
    property var savedDate: new Date()
    property color borderColor: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.textColor, 0.3)
    property int buttonsRadius: Kirigami.Units.smallSpacing
    // True while the user browses or moves the keyboard cursor without having picked a day.
    property bool dateIsBeingEdited: false

    readonly property int shownYear: d.shownYear
    readonly property int shownMonth: d.shownMonth
    // 0: days of a month, 1: months of a year, 2: twelve years.
    readonly property int viewMode: d.viewMode
    readonly property var cursorDate: Logic.toDate(d.cursor)
    readonly property var selectedDate: Logic.toDate(d.committed)
    readonly property var todayDate: Logic.toDate(d.today)
    readonly property var minimumDate: Logic.toDate(Logic.minimum)
    readonly property var maximumDate: Logic.toDate(Logic.maximum)
    readonly property string title: header.titleText

    signal newDateSelected(string newDateString)
    signal selectDigitalClock

    implicitWidth: Math.round(fontSize * 28)
    implicitHeight: Math.round(fontSize * 24)
    // A view's colours on its own sheet; in an applet it has no sheet and takes its host's.
    Kirigami.Theme.colorSet: Kirigami.Theme.View
    Kirigami.Theme.inherit: isApplet

    function updateAll(date) {
        if (!Logic.isValidDate(date)) {
            return;
        }
        d.setDay("today", Logic.fromDate(new Date()));
        var day = Logic.clamped(Logic.fromDate(date));
        d.setDay("committed", day);
        d.moveCursor(day);
        d.viewMode = 0;
        dateIsBeingEdited = false;
    }

    function isSystemDateChanged() {
        if (!Logic.isValidDate(savedDate)) {
            return true;
        }
        return !Logic.sameDay(Logic.fromDate(new Date()), Logic.fromDate(savedDate));
    }

    function updateBaseCalendarSystemDate(date) {
        if (Logic.isValidDate(date)) {
            d.setDay("today", Logic.fromDate(date));
        }
    }

    function selectDatePicker() {
        datePicker.forceActiveFocus(Qt.TabFocusReason);
    }

    function selectReturnButton() {
        returnButton.forceActiveFocus(Qt.TabFocusReason);
    }

    // Picks a day of the month on show; false (and nothing emitted) when the
    // month has no such day or the day cannot be set.
    function __set_day_of_month_in_date_picker__(dayOfMonth) {
        var day = Number(dayOfMonth);
        if (!Number.isInteger(day) || day < 1 || day > Logic.daysInMonth(d.shownYear, d.shownMonth)) {
            return false;
        }
        return d.pick(Logic.makeDay(d.shownYear, d.shownMonth, day));
    }

    function goToToday() {
        d.pick(Logic.clamped(d.today));
    }

    function showPrevious() {
        d.step(-1);
    }

    function showNext() {
        d.step(1);
    }

    function zoomOut() {
        if (d.viewMode < 2) {
            d.viewMode += 1;
            d.cursorIndex = d.viewMode === 1 ? d.shownMonth : d.shownYear - d.yearBlock;
            dateIsBeingEdited = true;
        }
    }

    QtObject {
        id: d

        property int shownYear: Logic.clamped(Logic.fromDate(new Date())).year
        property int shownMonth: Logic.clamped(Logic.fromDate(new Date())).month
        property var today: Logic.fromDate(new Date())
        property var cursor: Logic.clamped(today)
        property var committed: cursor
        property int viewMode: 0
        // Keyboard cursor in the months and years views (0..11).
        property int cursorIndex: 0
        property int yearBlock: Logic.yearBlockStart(shownYear)
        readonly property int margin: root.isApplet ? 0 : Math.round(root.fontSize * 0.8)

        readonly property bool canGoBack: {
            if (viewMode === 0) {
                return Logic.monthInRange(shownYear, shownMonth - 1) || (shownMonth === 0 && Logic.monthInRange(shownYear - 1, 11));
            }
            if (viewMode === 1) {
                return Logic.yearInRange(shownYear - 1);
            }
            return Logic.yearInRange(yearBlock - 1);
        }
        readonly property bool canGoForward: {
            if (viewMode === 0) {
                return Logic.monthInRange(shownYear, shownMonth + 1) || (shownMonth === 11 && Logic.monthInRange(shownYear + 1, 0));
            }
            if (viewMode === 1) {
                return Logic.yearInRange(shownYear + 1);
            }
            return Logic.yearInRange(yearBlock + 12);
        }

        // Some locales write month names in lower case; as a heading they start with a capital.
        function monthName(month) {
            var name = Qt.locale().standaloneMonthName(month, Locale.LongFormat);
            return name.charAt(0).toLocaleUpperCase() + name.slice(1);
        }

        // A day is replaced only by another: the tab refreshes once a second, and
        // each new copy of the same day would make everything that shows it again.
        function setDay(name, day) {
            if (!Logic.sameDay(d[name], day)) {
                d[name] = day;
            }
        }

        function moveCursor(day) {
            setDay("cursor", Logic.clamped(day));
            shownYear = cursor.year;
            shownMonth = cursor.month;
            yearBlock = Logic.yearBlockStart(shownYear);
        }

        function pick(day) {
            if (!Logic.inRange(day)) {
                return false;
            }
            committed = day;
            moveCursor(day);
            viewMode = 0;
            root.dateIsBeingEdited = false;
            root.newDateSelected(Logic.isoString(day));
            return true;
        }

        // Browsing: the cursor moves along, so the keyboard goes on from the month on show.
        function browse(day) {
            moveCursor(day);
            root.dateIsBeingEdited = true;
        }

        function step(direction) {
            if (direction < 0 ? !canGoBack : !canGoForward) {
                return;
            }
            if (viewMode === 0) {
                browse(Logic.addMonths(cursor, direction));
            } else if (viewMode === 1) {
                browse(Logic.addMonths(cursor, 12 * direction));
            } else {
                yearBlock += 12 * direction;
                cursorIndex = Math.max(0, Math.min(cursorIndex, Logic.maximum.year - yearBlock));
                root.dateIsBeingEdited = true;
            }
        }

        function chooseMonth(month) {
            if (!Logic.monthInRange(shownYear, month)) {
                return;
            }
            browse(Logic.clamped(Logic.makeDay(shownYear, month, Math.min(cursor.day, Logic.daysInMonth(shownYear, month)))));
            viewMode = 0;
        }

        function chooseYear(year) {
            if (!Logic.yearInRange(year)) {
                return;
            }
            browse(Logic.addMonths(cursor, 12 * (year - cursor.year)));
            viewMode = 1;
            cursorIndex = shownMonth;
        }

        function moveIndex(delta) {
            var index = cursorIndex + delta;
            if (index < 0 || index > 11) {
                return;
            }
            if (viewMode === 1 ? Logic.monthInRange(shownYear, index) : Logic.yearInRange(yearBlock + index)) {
                cursorIndex = index;
                root.dateIsBeingEdited = true;
            }
        }

        function handleKey(event) {
            var shift = event.modifiers & Qt.ShiftModifier;
            switch (event.key) {
            case Qt.Key_Tab:
                leaveForward();
                return true;
            case Qt.Key_Backtab:
                return false;
            case Qt.Key_Escape:
                if (viewMode > 0) {
                    viewMode -= 1;
                    cursorIndex = viewMode === 1 ? shownMonth : 0;
                    return true;
                }
                if (root.dateIsBeingEdited) {
                    moveCursor(committed);
                    root.dateIsBeingEdited = false;
                    return true;
                }
                return false;
            }
            if (viewMode > 0) {
                var columns = 3;
                switch (event.key) {
                case Qt.Key_Left:
                    moveIndex(-1);
                    return true;
                case Qt.Key_Right:
                    moveIndex(1);
                    return true;
                case Qt.Key_Up:
                    moveIndex(-columns);
                    return true;
                case Qt.Key_Down:
                    moveIndex(columns);
                    return true;
                case Qt.Key_PageUp:
                    step(-1);
                    return true;
                case Qt.Key_PageDown:
                    step(1);
                    return true;
                case Qt.Key_Return:
                case Qt.Key_Enter:
                case Qt.Key_Space:
                    if (viewMode === 1) {
                        chooseMonth(cursorIndex);
                    } else {
                        chooseYear(yearBlock + cursorIndex);
                    }
                    return true;
                }
                return false;
            }
            switch (event.key) {
            case Qt.Key_Left:
                browse(Logic.addDays(cursor, -1));
                return true;
            case Qt.Key_Right:
                browse(Logic.addDays(cursor, 1));
                return true;
            case Qt.Key_Up:
                browse(Logic.addDays(cursor, -7));
                return true;
            case Qt.Key_Down:
                browse(Logic.addDays(cursor, 7));
                return true;
            case Qt.Key_PageUp:
                browse(Logic.addMonths(cursor, shift ? -12 : -1));
                return true;
            case Qt.Key_PageDown:
                browse(Logic.addMonths(cursor, shift ? 12 : 1));
                return true;
            case Qt.Key_Home:
                browse(Logic.makeDay(cursor.year, cursor.month, 1));
                return true;
            case Qt.Key_End:
                browse(Logic.makeDay(cursor.year, cursor.month, Logic.daysInMonth(cursor.year, cursor.month)));
                return true;
            case Qt.Key_Return:
            case Qt.Key_Enter:
            case Qt.Key_Space:
                pick(cursor);
                return true;
            }
            return false;
        }

        // Tab out of the days: the digital clock takes over when it is wired to
        // us; otherwise the window's focus chain goes on.
        function leaveForward() {
            root.selectDigitalClock();
            if (datePicker.activeFocus) {
                var next = datePicker.nextItemInFocusChain(true);
                if (next) {
                    next.forceActiveFocus(Qt.TabFocusReason);
                }
            }
        }
    }

    QtObject {
        id: colors

        readonly property color text: Kirigami.Theme.textColor
        readonly property color secondary: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.5)
        readonly property color faint: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.75)
        readonly property color hover: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.highlightColor, 0.15)
        readonly property color cursor: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.highlightColor, 0.3)
    }

    Rectangle {
        id: frame
        anchors.fill: parent
        color: root.isApplet ? "transparent" : Kirigami.Theme.backgroundColor
        border.width: root.isApplet ? 0 : 1
        border.color: root.borderColor
        radius: root.buttonsRadius
    }

    // Items are declared in the order of the Tab chain: title, previous, next,
    // the days, then (after the digital clock) the return-to-today button.
    Item {
        id: header

        readonly property string titleText: {
            if (d.viewMode === 0) {
                return i18nd("kcm_orb_admin_date", "%1 %2", d.monthName(d.shownMonth), String(d.shownYear));
            }
            if (d.viewMode === 1) {
                return String(d.shownYear);
            }
            return i18nd("kcm_orb_admin_date", "%1 – %2", String(d.yearBlock), String(Math.min(d.yearBlock + 11, Logic.maximum.year)));
        }

        x: d.margin
        y: d.margin
        width: root.width - 2 * d.margin
        height: Math.round(root.fontSize * 2.4)
    }

    CalendarButton {
        id: titleButton
        objectName: "titleButton"
        anchors.left: header.left
        anchors.verticalCenter: header.verticalCenter
        width: Math.min(implicitWidth, previousButton.x - Math.round(root.fontSize * 0.5))
        height: header.height
        text: header.titleText
        bold: true
        fontSize: Math.round(root.fontSize * 1.25)
        borderColor: root.borderColor
        radius: root.buttonsRadius
        Accessible.description: i18nd("kcm_orb_admin_date", "Choose month and year")
        onClicked: root.zoomOut()
    }

    CalendarButton {
        id: previousButton
        objectName: "previousButton"
        anchors.right: returnButton.left
        anchors.verticalCenter: header.verticalCenter
        height: header.height
        arrow: -1
        text: d.viewMode === 0 ? i18nd("kcm_orb_admin_date", "Previous month") : d.viewMode === 1 ? i18nd("kcm_orb_admin_date", "Previous year") : i18nd("kcm_orb_admin_date", "Previous years")
        fontSize: root.fontSize
        borderColor: root.borderColor
        radius: root.buttonsRadius
        enabled: d.canGoBack
        onClicked: root.showPrevious()
    }

    CalendarButton {
        id: nextButton
        objectName: "nextButton"
        anchors.right: header.right
        anchors.verticalCenter: header.verticalCenter
        height: header.height
        arrow: 1
        text: d.viewMode === 0 ? i18nd("kcm_orb_admin_date", "Next month") : d.viewMode === 1 ? i18nd("kcm_orb_admin_date", "Next year") : i18nd("kcm_orb_admin_date", "Next years")
        fontSize: root.fontSize
        borderColor: root.borderColor
        radius: root.buttonsRadius
        enabled: d.canGoForward
        onClicked: root.showNext()
    }

    FocusScope {
        id: datePicker
        objectName: "datePicker"

        readonly property int rows: d.viewMode === 0 ? 6 : 4
        readonly property int columns: d.viewMode === 0 ? 7 : 3
        readonly property real namesHeight: d.viewMode === 0 ? Math.round(root.fontSize * 2.2) : 0
        readonly property real cellWidth: Math.floor(width / columns)
        readonly property real cellHeight: Math.floor((height - namesHeight) / rows)
        readonly property int cellRadius: root.buttonsRadius

        x: d.margin
        y: header.y + header.height + Math.round(root.fontSize * 0.6)
        width: root.width - 2 * d.margin
        height: root.height - y - d.margin
        activeFocusOnTab: true

        Accessible.role: Accessible.Table
        Accessible.name: header.titleText
        // The days are drawn, not items of their own: the keyboard cursor's day is told here.
        Accessible.description: d.viewMode === 0 ? Logic.toDate(d.cursor).toLocaleDateString(Qt.locale(), Locale.LongFormat) : ""

        Keys.onPressed: event.accepted = d.handleKey(event)

        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.NoButton
            // Touchpads send many small steps: one month per notch of a wheel.
            property int pendingDelta: 0
            onWheel: {
                pendingDelta += wheel.angleDelta.y;
                while (pendingDelta >= 120) {
                    pendingDelta -= 120;
                    root.showPrevious();
                }
                while (pendingDelta <= -120) {
                    pendingDelta += 120;
                    root.showNext();
                }
            }
        }

        Row {
            id: dayNames
            visible: d.viewMode === 0
            height: datePicker.namesHeight
            Repeater {
                model: 7
                Text {
                    objectName: "dayName_" + index
                    width: datePicker.cellWidth
                    height: datePicker.namesHeight
                    // Monday first: the locale counts days from Sunday (0).
                    text: Qt.locale().dayName((index + 1) % 7, Locale.ShortFormat)
                    color: colors.secondary
                    font.pixelSize: Math.max(8, root.fontSize - 1)
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    // Not elided: a short name fits a seventh of the calendar's least
                    // width, and an elided text is laid out again at every resize.
                }
            }
        }

        // The days' numbers are drawn by one item; the marks (picked day, keyboard
        // cursor, saved day, the day under the mouse) are one rectangle each, moved
        // to their day, and one mouse area serves the whole grid.
        Item {
            id: dayGrid
            objectName: "dayGrid"

            // The six weeks on show, Monday first.
            readonly property var days: Logic.monthGrid(d.shownYear, d.shownMonth)
            // The cell under the mouse, -1 when none.
            readonly property int hoveredIndex: dayMouse.containsMouse ? cellAt(dayMouse.mouseX, dayMouse.mouseY) : -1
            readonly property int committedIndex: indexOf(d.committed)
            readonly property int cursorIndex: indexOf(d.cursor)
            readonly property int savedIndex: Logic.isValidDate(root.savedDate) ? indexOf(Logic.fromDate(root.savedDate)) : -1
            readonly property int todayIndex: days.findIndex(day => Logic.sameDay(day, d.today))

            visible: d.viewMode === 0
            y: datePicker.namesHeight
            width: 7 * datePicker.cellWidth
            height: 6 * datePicker.cellHeight

            function cellAt(x, y) {
                var column = Math.floor(x / datePicker.cellWidth);
                var row = Math.floor(y / datePicker.cellHeight);
                return column >= 0 && column < 7 && row >= 0 && row < 6 ? row * 7 + column : -1;
            }

            // The cell of a day of the shown month, -1 for any other day.
            function indexOf(day) {
                if (day.year !== d.shownYear || day.month !== d.shownMonth) {
                    return -1;
                }
                return Logic.leadingDays(d.shownYear, d.shownMonth) + day.day - 1;
            }

            function dayAt(index) {
                return days[index];
            }

            // The day of a cell as "yyyy-MM-dd".
            function isoDayAt(index) {
                return Logic.isoString(days[index]).substring(0, 10);
            }

            // The centre of a day's cell ("yyyy-MM-dd"); undefined when it is not on show.
            function dayCentre(isoDay) {
                for (var index = 0; index < days.length; ++index) {
                    if (isoDayAt(index) === isoDay) {
                        return Qt.point((index % 7 + 0.5) * datePicker.cellWidth, (Math.floor(index / 7) + 0.5) * datePicker.cellHeight);
                    }
                }
                return undefined;
            }

            function colorOf(day, index) {
                if (!Logic.inRange(day)) {
                    return colors.faint;
                }
                if (index === committedIndex) {
                    return Kirigami.Theme.highlightedTextColor;
                }
                if (day.month !== d.shownMonth) {
                    return colors.secondary;
                }
                return index === todayIndex ? Kirigami.Theme.highlightColor : colors.text;
            }

            Orb.DayGrid {
                id: dayNumbers
                objectName: "dayNumbers"
                width: parent.width
                height: parent.height
                texts: dayGrid.days.map(day => String(day.day))
                colors: dayGrid.days.map((day, index) => dayGrid.colorOf(day, index))
                boldIndex: dayGrid.todayIndex
                font.pixelSize: root.fontSize
            }

            DayMark {
                picker: datePicker
                objectName: "hoverMark"
                index: dayGrid.hoveredIndex >= 0 && Logic.inRange(dayGrid.dayAt(dayGrid.hoveredIndex)) ? dayGrid.hoveredIndex : -1
                color: colors.hover
            }
            DayMark {
                picker: datePicker
                objectName: "savedMark"
                index: dayGrid.savedIndex
                border.width: 1
                border.color: Kirigami.Theme.highlightColor
            }
            DayMark {
                picker: datePicker
                objectName: "committedMark"
                index: dayGrid.committedIndex
                color: Kirigami.Theme.highlightColor
            }
            DayMark {
                picker: datePicker
                objectName: "cursorMark"
                readonly property bool onCommitted: index === dayGrid.committedIndex
                readonly property bool focused: datePicker.activeFocus
                index: focused || root.dateIsBeingEdited ? dayGrid.cursorIndex : -1
                color: root.dateIsBeingEdited && !onCommitted ? colors.cursor : "transparent"
                border.width: focused ? 2 : (index === dayGrid.savedIndex ? 1 : 0)
                border.color: focused && onCommitted ? Kirigami.Theme.highlightedTextColor : Kirigami.Theme.highlightColor
            }

            MouseArea {
                id: dayMouse
                anchors.fill: parent
                hoverEnabled: true
                onClicked: {
                    var index = dayGrid.cellAt(mouse.x, mouse.y);
                    if (index < 0 || !Logic.inRange(dayGrid.dayAt(index))) {
                        return;
                    }
                    datePicker.forceActiveFocus(Qt.MouseFocusReason);
                    d.pick(dayGrid.dayAt(index));
                }
            }
        }

        // The months of a year and the blocks of years: made the first time they are asked for.
        Loader {
            id: periodGrid
            objectName: "periodGrid"
            active: d.viewMode > 0 || status === Loader.Ready
            visible: d.viewMode > 0
            sourceComponent: Item {
                Repeater {
                    model: 12
                    delegate: Item {
                        id: periodCell

                        readonly property int value: d.viewMode === 1 ? index : d.yearBlock + index
                        readonly property bool selectable: d.viewMode === 1 ? Logic.monthInRange(d.shownYear, index) : Logic.yearInRange(value)
                        readonly property bool isCurrent: d.viewMode === 1 ? (d.shownYear === d.committed.year && index === d.committed.month) : value === d.committed.year
                        readonly property bool isCursor: index === d.cursorIndex

                        objectName: "period_" + index
                        x: (index % 3) * datePicker.cellWidth
                        y: Math.floor(index / 3) * datePicker.cellHeight
                        width: datePicker.cellWidth
                        height: datePicker.cellHeight

                        Rectangle {
                            anchors.fill: parent
                            anchors.margins: Math.round(root.fontSize * 0.4)
                            radius: root.buttonsRadius
                            color: periodCell.isCurrent ? Kirigami.Theme.highlightColor : (periodMouse.containsMouse && periodCell.selectable ? colors.hover : "transparent")
                            border.width: periodCell.isCursor && datePicker.activeFocus ? 2 : 0
                            border.color: periodCell.isCurrent ? Kirigami.Theme.highlightedTextColor : Kirigami.Theme.highlightColor
                        }

                        Text {
                            anchors.fill: parent
                            anchors.margins: Kirigami.Units.smallSpacing
                            text: d.viewMode === 1 ? d.monthName(index) : String(periodCell.value)
                            visible: d.viewMode === 1 || periodCell.value <= Logic.maximum.year
                            font.pixelSize: root.fontSize
                            color: !periodCell.selectable ? colors.faint : (periodCell.isCurrent ? Kirigami.Theme.highlightedTextColor : colors.text)
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                            elide: Text.ElideRight
                        }

                        MouseArea {
                            id: periodMouse
                            anchors.fill: parent
                            hoverEnabled: true
                            enabled: periodCell.selectable
                            onClicked: {
                                datePicker.forceActiveFocus(Qt.MouseFocusReason);
                                if (d.viewMode === 1) {
                                    d.chooseMonth(index);
                                } else {
                                    d.chooseYear(periodCell.value);
                                }
                            }
                        }
                    }
                }
            }
        }
    }

    CalendarButton {
        id: returnButton
        objectName: "returnButton"
        anchors.right: nextButton.left
        anchors.verticalCenter: header.verticalCenter
        height: header.height
        text: i18nd("kcm_orb_admin_date", "Today")
        fontSize: root.fontSize
        borderColor: root.borderColor
        radius: root.buttonsRadius
        Accessible.description: i18nd("kcm_orb_admin_date", "Show and pick today's date")
        onClicked: root.goToToday()
    }
}
