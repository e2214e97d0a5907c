import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0

import "private"

// What the panel clock shows: seconds, the parts of the date and the tooltip.
// Every group always keeps something to show: the rules below check another box
// when the last one of a group is unchecked.
Rectangle {
    id: tabRoot

    property bool isLight: true
    // Indexed by TrayDisplay.DisplayOption.
    property var checkboxes: []
    property bool needsSave: false
    // While load() puts the stored state into the boxes, their handlers only
    // enable and disable: loading must not edit the formats.
    property bool loading: false

    readonly property alias preview: clockPreview

    signal error(string title, string message)

    objectName: "trayDisplayTab"

    // The window's colour, like every other tab.
    color: "transparent"

    function load() {
        trayDisplay.loadSettings()
        const stored = trayDisplay.savedDisplayFormatToCheckBoxes()
        const boxes = []
        for (let i = 0; i < trayDisplay.numberOfDisplayOptions(); ++i) {
            boxes.push(!!stored[i])
        }
        checkboxes = boxes

        loading = true
        for (let option = 0; option < boxes.length; ++option) {
            box(option).setCheckedIfEnabled(boxes[option])
        }
        loading = false
        needsSave = false
        clockPreview.refresh()
    }

    // The refresh tick: the preview shows the running time.
    function update() {
        clockPreview.refresh()
    }

    function save(option, value) {
        if (loading) {
            return
        }
        checkboxes[option] = value
        trayDisplay.saveDisplayFormat(checkboxes)
        needsSave = trayDisplay.needsSave()
        clockPreview.refresh()
    }

    function box(option) {
        switch (option) {
        case TrayDisplay.DisplaySecondsTime: return timeSeconds
        case TrayDisplay.DisplayDateInStandartFormatDate: return dateStandard
        case TrayDisplay.DisplayDayOfWeekDate: return dateDayOfWeek
        case TrayDisplay.DisplayMonthDate: return dateMonth
        case TrayDisplay.DisplayDayOfMonthDate: return dateDayOfMonth
        case TrayDisplay.DisplayYearDate: return dateYear
        case TrayDisplay.DisplayTimeTip: return tipTime
        case TrayDisplay.DisplaySecondsTip: return tipSeconds
        case TrayDisplay.DisplayDateTip: return tipDate
        case TrayDisplay.DisplayDateInStandartFormatTip: return tipStandard
        case TrayDisplay.DisplayDayOfWeekTip: return tipDayOfWeek
        case TrayDisplay.DisplayMonthTip: return tipMonth
        case TrayDisplay.DisplayDayOfMonthTip: return tipDayOfMonth
        case TrayDisplay.DisplayYearTip: return tipYear
        }
        return null
    }

    function dateElements() {
        return [dateDayOfWeek, dateMonth, dateDayOfMonth, dateYear]
    }

    function tipElements() {
        return [tipDayOfWeek, tipMonth, tipDayOfMonth, tipYear]
    }

    function anyChecked(boxes) {
        return boxes.some(b => b.checked)
    }

    // Date column: the standard form or at least one element.
    function dateStandardChanged() {
        save(TrayDisplay.DisplayDateInStandartFormatDate, dateStandard.checked)
        if (!loading && !dateStandard.checked && !anyChecked(dateElements())) {
            dateDayOfWeek.checked = true
            dateDayOfWeek.forceActiveFocus()
        }
    }

    function dateElementChanged(element, option) {
        save(option, element.checked)
        if (!loading && !dateStandard.checked && !anyChecked(dateElements())) {
            dateStandard.checked = true
            dateStandard.forceActiveFocus()
        }
    }

    // Tip column: the time, the date or both; a date in the standard form or with
    // at least one element.
    function tipTimeChanged() {
        save(TrayDisplay.DisplayTimeTip, tipTime.checked)
        if (!loading && !tipTime.checked) {
            tipDate.checked = true
        }
    }

    function tipDateChanged() {
        save(TrayDisplay.DisplayDateTip, tipDate.checked)
        if (loading) {
            return
        }
        if (!tipDate.checked) {
            tipTime.checked = true
        } else if (!tipStandard.checked && !anyChecked(tipElements())) {
            // A date with nothing in it would leave the tooltip empty, and an
            // empty format is never stored.
            tipStandard.checked = true
        }
    }

    function tipStandardChanged() {
        save(TrayDisplay.DisplayDateInStandartFormatTip, tipStandard.checked)
        if (!loading && tipDate.checked && !tipStandard.checked && !anyChecked(tipElements())) {
            tipDayOfWeek.checked = true
            tipDayOfWeek.forceActiveFocus()
        }
    }

    function tipElementChanged(element, option) {
        save(option, element.checked)
        if (!loading && tipDate.checked && !tipStandard.checked && !anyChecked(tipElements())) {
            tipStandard.checked = true
            tipStandard.forceActiveFocus()
        }
    }

    TrayDisplay {
        id: trayDisplay
        objectName: "trayDisplay"
        onError: function(title, message) {
            tabRoot.error(title, message)
        }
    }

    FontSettingsOpener {
        id: fontSettingsOpener
        onError: function(title, message) {
            tabRoot.error(title, message)
        }
    }

    SystemPalette {
        id: systemPalette
        colorGroup: SystemPalette.Active
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.topMargin: 15
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        anchors.bottomMargin: 10
        spacing: 10

        Label {
            Layout.fillWidth: true
            // Two lines on a narrow page must not run into the headings.
            Layout.preferredHeight: Math.max(30, implicitHeight)
            color: "gray"
            wrapMode: Text.WordWrap
            text: i18n("Choose the date and time format, as well as the tooltip content for the clock on the taskbar.")
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 5

            ColumnLayout {
                Layout.preferredWidth: Math.round(tabRoot.width / 3) - 10
                Layout.fillWidth: false
                Layout.alignment: Qt.AlignTop

                Label {
                    id: timeHeading
                    font.bold: true
                    color: systemPalette.buttonText
                    text: i18n("Time:")
                }
                OrbCheckBox {
                    id: timeSeconds
                    objectName: "timeSeconds"
                    group: timeHeading.text
                    Layout.fillWidth: true
                    text: i18n("display seconds")
                    onClicked: tabRoot.save(TrayDisplay.DisplaySecondsTime, checked)
                }
                // The time column has room to spare below its one box.
                ClockPreviewBlock {
                    id: clockPreview
                    Layout.fillWidth: true
                    Layout.topMargin: 20
                }
            }

            ColumnLayout {
                Layout.preferredWidth: Math.round(tabRoot.width / 3) - 10
                Layout.fillWidth: false
                Layout.alignment: Qt.AlignTop

                Label {
                    id: dateHeading
                    font.bold: true
                    color: systemPalette.buttonText
                    text: i18n("Date:")
                }
                OrbCheckBox {
                    id: dateStandard
                    objectName: "dateStandard"
                    group: dateHeading.text
                    Layout.fillWidth: true
                    text: i18n("display date in format dd.mm.yyyy")
                    onCheckedChanged: tabRoot.dateStandardChanged()
                }
                OrbCheckBox {
                    id: dateDayOfWeek
                    objectName: "dateDayOfWeek"
                    group: dateHeading.text
                    Layout.fillWidth: true
                    enabled: !dateStandard.checked
                    text: i18n("display day of week")
                    onCheckedChanged: tabRoot.dateElementChanged(dateDayOfWeek, TrayDisplay.DisplayDayOfWeekDate)
                    onEnabledChanged: if (enabled) tabRoot.save(TrayDisplay.DisplayDayOfWeekDate, checked)
                }
                OrbCheckBox {
                    id: dateMonth
                    objectName: "dateMonth"
                    group: dateHeading.text
                    Layout.fillWidth: true
                    enabled: !dateStandard.checked
                    text: i18n("display month")
                    onCheckedChanged: tabRoot.dateElementChanged(dateMonth, TrayDisplay.DisplayMonthDate)
                    onEnabledChanged: if (enabled) tabRoot.save(TrayDisplay.DisplayMonthDate, checked)
                }
                OrbCheckBox {
                    id: dateDayOfMonth
                    objectName: "dateDayOfMonth"
                    group: dateHeading.text
                    Layout.fillWidth: true
                    enabled: !dateStandard.checked
                    text: i18n("display day of month")
                    onCheckedChanged: tabRoot.dateElementChanged(dateDayOfMonth, TrayDisplay.DisplayDayOfMonthDate)
                    onEnabledChanged: if (enabled) tabRoot.save(TrayDisplay.DisplayDayOfMonthDate, checked)
                }
                OrbCheckBox {
                    id: dateYear
                    objectName: "dateYear"
                    group: dateHeading.text
                    Layout.fillWidth: true
                    enabled: !dateStandard.checked
                    text: i18n("display year")
                    onCheckedChanged: tabRoot.dateElementChanged(dateYear, TrayDisplay.DisplayYearDate)
                    onEnabledChanged: if (enabled) tabRoot.save(TrayDisplay.DisplayYearDate, checked)
                }
            }

            ColumnLayout {
                Layout.preferredWidth: Math.round(tabRoot.width / 3) - 10
                Layout.fillWidth: false
                Layout.alignment: Qt.AlignTop

                Label {
                    id: tipHeading
                    font.bold: true
                    color: systemPalette.buttonText
                    text: i18n("Tip:")
                }
                OrbCheckBox {
                    id: tipTime
                    objectName: "tipTime"
                    group: tipHeading.text
                    Layout.fillWidth: true
                    text: i18n("display time")
                    onCheckedChanged: tabRoot.tipTimeChanged()
                }
                OrbCheckBox {
                    id: tipSeconds
                    objectName: "tipSeconds"
                    group: tipHeading.text
                    Layout.fillWidth: true
                    enabled: tipTime.checked
                    Layout.leftMargin: 20
                    text: i18n("display seconds")
                    onCheckedChanged: tabRoot.save(TrayDisplay.DisplaySecondsTip, checked)
                    onEnabledChanged: if (enabled) tabRoot.save(TrayDisplay.DisplaySecondsTip, checked)
                }
                OrbCheckBox {
                    id: tipDate
                    objectName: "tipDate"
                    group: tipHeading.text
                    Layout.fillWidth: true
                    text: i18n("display date")
                    onCheckedChanged: tabRoot.tipDateChanged()
                }
                OrbCheckBox {
                    id: tipStandard
                    objectName: "tipStandard"
                    group: tipHeading.text
                    Layout.fillWidth: true
                    enabled: tipDate.checked
                    Layout.leftMargin: 20
                    text: i18n("display date in format dd.mm.yyyy")
                    onCheckedChanged: tabRoot.tipStandardChanged()
                    onEnabledChanged: if (enabled) tabRoot.save(TrayDisplay.DisplayDateInStandartFormatTip, checked)
                }
                OrbCheckBox {
                    id: tipDayOfWeek
                    objectName: "tipDayOfWeek"
                    group: tipHeading.text
                    Layout.fillWidth: true
                    enabled: tipDate.checked && !tipStandard.checked
                    Layout.leftMargin: 20
                    text: i18n("display day of week")
                    onCheckedChanged: tabRoot.tipElementChanged(tipDayOfWeek, TrayDisplay.DisplayDayOfWeekTip)
                    onEnabledChanged: if (enabled) tabRoot.save(TrayDisplay.DisplayDayOfWeekTip, checked)
                }
                OrbCheckBox {
                    id: tipMonth
                    objectName: "tipMonth"
                    group: tipHeading.text
                    Layout.fillWidth: true
                    enabled: tipDate.checked && !tipStandard.checked
                    Layout.leftMargin: 20
                    text: i18n("display month")
                    onCheckedChanged: tabRoot.tipElementChanged(tipMonth, TrayDisplay.DisplayMonthTip)
                    onEnabledChanged: if (enabled) tabRoot.save(TrayDisplay.DisplayMonthTip, checked)
                }
                OrbCheckBox {
                    id: tipDayOfMonth
                    objectName: "tipDayOfMonth"
                    group: tipHeading.text
                    Layout.fillWidth: true
                    enabled: tipDate.checked && !tipStandard.checked
                    Layout.leftMargin: 20
                    text: i18n("display day of month")
                    onCheckedChanged: tabRoot.tipElementChanged(tipDayOfMonth, TrayDisplay.DisplayDayOfMonthTip)
                    onEnabledChanged: if (enabled) tabRoot.save(TrayDisplay.DisplayDayOfMonthTip, checked)
                }
                OrbCheckBox {
                    id: tipYear
                    objectName: "tipYear"
                    group: tipHeading.text
                    Layout.fillWidth: true
                    enabled: tipDate.checked && !tipStandard.checked
                    Layout.leftMargin: 20
                    text: i18n("display year")
                    onCheckedChanged: tabRoot.tipElementChanged(tipYear, TrayDisplay.DisplayYearTip)
                    onEnabledChanged: if (enabled) tabRoot.save(TrayDisplay.DisplayYearTip, checked)
                }
            }
        }

        Item {
            Layout.fillHeight: true
        }

        Button {
            id: fontSettingsButton
            objectName: "fontSettingsButton"
            // Flush with the headings and boxes above it.
            Layout.preferredWidth: contentItem.implicitWidth
            Layout.preferredHeight: 30
            Layout.alignment: Qt.AlignLeft | Qt.AlignBottom
            flat: true
            hoverEnabled: true
            leftPadding: 0
            rightPadding: 0
            text: i18n("Go to font settings")
            background: Rectangle {
                color: "transparent"
            }
            contentItem: Text {
                text: fontSettingsButton.text
                font.pointSize: fontSettingsButton.font.pointSize
                font.underline: fontSettingsButton.hovered || fontSettingsButton.visualFocus
                color: systemPalette.highlight
                horizontalAlignment: Text.AlignLeft
                verticalAlignment: Text.AlignVCenter
            }
            onClicked: fontSettingsOpener.open()
        }
    }
}
