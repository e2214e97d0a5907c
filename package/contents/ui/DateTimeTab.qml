// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import ru.nimbolinux.orbadmindate 1.0
import org.kde.kirigami 2.20 as Kirigami

// The "Date and time" tab: a calendar, an analog and an editable digital clock,
// and the hardware-clock mode. Edits go to the class-wide date state at once;
// the module's save writes them.
Rectangle {
    id: tabRoot
    objectName: "dateTimeTab"

    // The date-time the tab shows: the live one, or the edited one running on.
    property var date: new Date()
    readonly property bool needsSave: dateTimeProvider.hasChanges
    property int fontAdd: width <= __minWidth__ ? 0 : Math.floor((width - __minWidth__) / 300)
    // The digital clock has the focus: the ticks must not overwrite what is typed.
    property bool timeIsEdited: false
    property int __minWidth__: 800
    readonly property int sideMargin: Kirigami.Units.largeSpacing * 2

    // Exposed for the tests and for hosts that inspect the tab.
    readonly property alias provider: dateTimeProvider
    readonly property alias calendarItem: calendar
    readonly property alias clockItem: clock
    readonly property alias digitalClockItem: digitalClock
    readonly property alias utcCheckBoxItem: utcCheckBox
    readonly property alias ntpSwitchItem: ntpSwitch
    // The system synchronizes the clock (or will, once applied): only the live time is shown.
    readonly property bool automatic: ntpSwitch.checked

    signal error(string title, string message)
    // The link under the switch: the main view shows the Synchronization tab.
    signal showSynchronization()

    // The window's colour, like every other tab.
    color: "transparent"

    // Captions and explanations: quieter than the settings, yet more than disabled text.
    readonly property color quietTextColor: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.4)

    function load() {
        // Focus first: leaving the digital clock may enter what was typed, which the
        // provider's load then discards.
        if (tabRoot.visible) {
            tabRoot.forceActiveFocus();
        }
        dateTimeProvider.load();
        // After a failed Apply the provider keeps the edits, and so does the tab:
        // the picked date and time stay on show for another try.
        if (!dateTimeProvider.changed(DateTimeProvider.Date) && !dateTimeProvider.changed(DateTimeProvider.Time)) {
            showLiveTime();
        }
        digitalClock.focus = false;
    }

    // Back to the live date and time, dropping what was typed or picked.
    function showLiveTime() {
        // Only a shown tab may take the focus; a hidden one would steal it from the tab on show.
        if (tabRoot.visible) {
            tabRoot.forceActiveFocus();
        }
        tabRoot.date = new Date();
        calendar.updateAll(tabRoot.date);
        calendar.savedDate = tabRoot.date;
        digitalClock.date = tabRoot.date;
        digitalClock.updateTime(tabRoot.date.getHours(), tabRoot.date.getMinutes(), tabRoot.date.getSeconds());
        clock.update(tabRoot.date.getHours(), tabRoot.date.getMinutes(), tabRoot.date.getSeconds());
    }

    // The refresh tick, once a second.
    function update() {
        var now;
        if (dateTimeProvider.changed(DateTimeProvider.Time)) {
            // The entered time runs on by itself, whatever the system clock does.
            var advanced = new Date(tabRoot.date.getTime());
            advanced.setSeconds(advanced.getSeconds() + 1);
            tabRoot.date = advanced;
            if (calendar.isSystemDateChanged()) {
                now = new Date();
                if (dateTimeProvider.changed(DateTimeProvider.Date)) {
                    // Keep the picked day on show: it is the one that will be written.
                    calendar.updateBaseCalendarSystemDate(now);
                } else {
                    calendar.updateAll(now);
                }
                calendar.savedDate = now;
            }
        } else if (!dateTimeProvider.changed(DateTimeProvider.Date)) {
            tabRoot.date = new Date();
            if (!calendar.dateIsBeingEdited) {
                calendar.updateAll(tabRoot.date);
                calendar.savedDate = tabRoot.date;
            }
        } else {
            now = new Date();
            if (calendar.isSystemDateChanged()) {
                calendar.updateBaseCalendarSystemDate(now);
                calendar.savedDate = now;
            }
            var edited = new Date(tabRoot.date.getTime());
            edited.setHours(now.getHours(), now.getMinutes(), now.getSeconds(), now.getMilliseconds());
            tabRoot.date = edited;
        }

        if (tabRoot.timeIsEdited) {
            return;
        }
        var hours = tabRoot.date.getHours();
        var minutes = tabRoot.date.getMinutes();
        var seconds = tabRoot.date.getSeconds();
        digitalClock.updateTime(hours, minutes, seconds);
        clock.update(hours, minutes, seconds);
        if (dateTimeProvider.changed(DateTimeProvider.Time)) {
            dateTimeProvider.setTime(hours, minutes, seconds);
        }
    }

    function __set_day_of_month_in_date_picker__(dayOfMonth) {
        return calendar.__set_day_of_month_in_date_picker__(dayOfMonth);
    }

    function updateScale() {
        var minWidth = tabRoot.__minWidth__;
        var maxWidth = 1800;
        var maxScale = 2;
        var calendarHeightCoefficient = 0.7;
        var s = 1 + (tabRoot.width - minWidth) / (maxWidth - minWidth);
        var wanted;
        if (tabRoot.width >= maxWidth && clock.height * maxScale < calendar.height * calendarHeightCoefficient) {
            wanted = maxScale;
        } else if (clock.height * s < calendar.height * calendarHeightCoefficient) {
            wanted = s;
        } else {
            wanted = calendar.height * calendarHeightCoefficient / clock.height;
        }
        // A tab squeezed below the calendar's own size would give a mirrored clock.
        clock.scale = Math.max(0, wanted);
        digitalClock.width = clock.width * clock.scale;
    }

    onWidthChanged: updateScale()
    Component.onCompleted: {
        updateScale();
        // The hands start at the time the first load shows: it then moves nothing.
        clock.update(date.getHours(), date.getMinutes(), date.getSeconds());
    }

    DateTimeProvider {
        id: dateTimeProvider
        onShowMessage: tabRoot.error(title, message)
        // Switched on elsewhere and followed (the user had not chosen here): the live time shows.
        onNtpChanged: {
            if (on && !dateTimeProvider.changed(DateTimeProvider.NTP)) {
                tabRoot.showLiveTime();
            }
        }
    }

    Column {
        id: todayBlock
        objectName: "todayBlock"
        width: Kirigami.Units.gridUnit * 20
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        anchors.topMargin: Kirigami.Units.largeSpacing * 2
        spacing: Kirigami.Units.smallSpacing

        Label {
            width: parent.width
            text: i18n("Today")
            horizontalAlignment: Text.AlignHCenter
            font: Kirigami.Theme.smallFont
            color: tabRoot.quietTextColor
        }

        CurrentDate {
            objectName: "currentDate"
            width: parent.width
            height: implicitHeight
        }
    }

    Column {
        id: column
        anchors.top: todayBlock.bottom
        anchors.topMargin: Kirigami.Units.largeSpacing
        anchors.verticalCenter: parent.verticalCenter
        anchors.left: parent.left
        anchors.right: parent.right

        Row {
            id: row

            Item {
                id: leftCell
                width: Math.round(tabRoot.width * 2 / 3)
                height: tabRoot.height - todayBlock.height - controls.height - Kirigami.Units.largeSpacing * 4

                OrbCalendar {
                    id: calendar
                    objectName: "calendar"
                    anchors.fill: parent
                    // Off the page's edge, in line with the check box below.
                    anchors.leftMargin: tabRoot.sideMargin
                    isApplet: false
                    enabled: !tabRoot.automatic
                    // Dimmed: it shows, but does not take, the date.
                    opacity: enabled ? 1 : 0.6
                    fontSize: 13 + tabRoot.fontAdd

                    onHeightChanged: tabRoot.updateScale()
                    onSelectDigitalClock: digitalClock.focusOnHourBox()
                    onNewDateSelected: {
                        var picked = new Date(newDateString);
                        if (isNaN(picked.getTime())) {
                            return;
                        }
                        // Year, month and day together: 15 February set one by one
                        // on 31 January would pass through 31 February, i.e. March.
                        var changedDate = new Date(tabRoot.date.getTime());
                        changedDate.setFullYear(picked.getFullYear(), picked.getMonth(), picked.getDate());
                        tabRoot.date = changedDate;
                        digitalClock.date = tabRoot.date;
                        dateTimeProvider.setDate(changedDate.getFullYear(), changedDate.getMonth(), changedDate.getDate());
                    }
                }
            }

            Item {
                id: rightCell
                width: Math.round(tabRoot.width / 3)
                height: leftCell.height

                Clock {
                    id: clock
                    objectName: "clock"
                    anchors.centerIn: parent
                }

                DigitalClock {
                    id: digitalClock
                    objectName: "digitalClock"
                    anchors.horizontalCenter: parent.horizontalCenter
                    y: calendar.y + calendar.height - height
                    height: Math.round(calendar.height / 10)
                    editable: !tabRoot.automatic
                    enabled: !tabRoot.automatic
                    opacity: enabled ? 1 : 0.6
                    fontSize: 13 + tabRoot.fontAdd
                    borderColor: isInFocus ? Kirigami.Theme.focusColor : calendar.borderColor
                    radius: calendar.buttonsRadius
                    date: new Date()

                    // The hands follow the digits as they are typed.
                    function showTyped() {
                        if (tabRoot.timeIsEdited) {
                            clock.update(hours, minutes, seconds);
                        }
                    }
                    onHoursChanged: showTyped()
                    onMinutesChanged: showTyped()
                    onSecondsChanged: showTyped()
                    onSelectDatePicker: calendar.selectDatePicker()
                    onSelectReturnButton: calendar.selectReturnButton()
                    onNewTimeEntered: {
                        var entered = new Date(tabRoot.date.getTime());
                        entered.setHours(hours, minutes, seconds);
                        tabRoot.date = entered;
                        clock.update(hours, minutes, seconds);
                        calendar.updateAll(tabRoot.date);
                        dateTimeProvider.setTime(hours, minutes, seconds);
                        // Entering the current time still counts as a change.
                        dateTimeProvider.setChanged(DateTimeProvider.Time, true);
                    }
                    onIsInFocusChanged: {
                        if (isInFocus) {
                            tabRoot.timeIsEdited = true;
                            return;
                        }
                        digitalClock.date = tabRoot.date;
                        var hours = tabRoot.date.getHours();
                        var minutes = tabRoot.date.getMinutes();
                        var seconds = tabRoot.date.getSeconds();
                        digitalClock.updateTime(hours, minutes, seconds);
                        clock.update(hours, minutes, seconds);
                        tabRoot.timeIsEdited = false;
                    }
                }
            }
        }

        Column {
            id: controls
            spacing: Kirigami.Units.smallSpacing

            Row {
                spacing: Kirigami.Units.largeSpacing * 2

                CheckBox {
                    id: utcCheckBox
                    objectName: "utcCheckBox"
                    leftPadding: tabRoot.sideMargin
                    text: i18n("System clock is set to utc")
                    checked: dateTimeProvider.utc
                    onToggled: dateTimeProvider.setUTC(checked)

                    // The text follows the theme, also when it changes while the page is open.
                    contentItem: Label {
                        text: utcCheckBox.text
                        color: utcCheckBox.enabled ? Kirigami.Theme.textColor : Kirigami.Theme.disabledTextColor
                        leftPadding: utcCheckBox.indicator.width + utcCheckBox.spacing
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                    }
                }

                Switch {
                    id: ntpSwitch
                    objectName: "ntpSwitch"
                    text: i18n("Set date and time automatically")
                    enabled: dateTimeProvider.ntpSwitchable
                    checked: dateTimeProvider.ntp
                    onToggled: {
                        dateTimeProvider.setNTP(checked);
                        if (checked) {
                            tabRoot.showLiveTime();
                        }
                    }

                    contentItem: Label {
                        text: ntpSwitch.text
                        color: ntpSwitch.enabled ? Kirigami.Theme.textColor : Kirigami.Theme.disabledTextColor
                        leftPadding: ntpSwitch.indicator.width + ntpSwitch.spacing
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                    }
                }
            }

            // What the two controls above mean, in one line each.
            Label {
                objectName: "localRtcWarning"
                visible: !utcCheckBox.checked
                leftPadding: tabRoot.sideMargin
                width: tabRoot.width - tabRoot.sideMargin
                wrapMode: Text.WordWrap
                color: Kirigami.Theme.neutralTextColor
                // Hidden, it has no text to wrap again at every resize.
                text: visible ? i18n("A hardware clock kept in local time causes trouble at time zone and daylight saving time changes.") : ""
            }

            Label {
                objectName: "ntpNote"
                leftPadding: tabRoot.sideMargin
                width: tabRoot.width - tabRoot.sideMargin
                wrapMode: Text.WordWrap
                color: tabRoot.quietTextColor
                textFormat: Text.StyledText
                linkColor: Kirigami.Theme.linkColor
                text: i18n("Automatic setting uses network time from the servers on the %1 tab.", "<a href=\"#\">" + i18n("Synchronization") + "</a>")
                onLinkActivated: tabRoot.showSynchronization()

                HoverHandler {
                    cursorShape: parent.hoveredLink !== "" ? Qt.PointingHandCursor : Qt.ArrowCursor
                }
            }
        }
    }
}
