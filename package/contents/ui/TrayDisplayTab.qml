// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import org.kde.kirigami 2.20 as Kirigami

import "private"

// What the panel clock shows: seconds, the parts of the date and the tooltip.
// Every group always keeps something to show: TrayDisplay checks another box
// when the last one of a group is unchecked.
Rectangle {
    id: tabRoot

    readonly property bool needsSave: trayDisplay.hasChanges

    readonly property alias preview: clockPreview
    // For the boxes, which live in a file of their own.
    readonly property alias display: trayDisplay

    signal error(string title, string message)

    objectName: "trayDisplayTab"

    // The window's colour, like every other tab.
    color: "transparent"

    function load() {
        trayDisplay.loadSettings()
    }

    // The refresh tick: the preview shows the running time.
    function update() {
        clockPreview.refresh()
    }

    // A box the user set; a box checked for it, to keep its group showing
    // something, takes the keyboard focus.
    function toggle(option, checked) {
        const checkedForIt = trayDisplay.setBox(option, checked)
        if (checkedForIt >= 0) {
            box(checkedForIt).forceActiveFocus()
        }
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

    TrayDisplay {
        id: trayDisplay
        objectName: "trayDisplay"
        onError: function(title, message) {
            tabRoot.error(title, message)
        }
        onBoxesChanged: clockPreview.refresh()
    }

    FontSettingsOpener {
        id: fontSettingsOpener
        onError: function(title, message) {
            tabRoot.error(title, message)
        }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.topMargin: Kirigami.Units.largeSpacing * 2
        anchors.leftMargin: Kirigami.Units.largeSpacing
        anchors.rightMargin: Kirigami.Units.largeSpacing
        anchors.bottomMargin: Kirigami.Units.largeSpacing
        spacing: Kirigami.Units.largeSpacing

        Label {
            Layout.fillWidth: true
            // Two lines on a narrow page must not run into the headings.
            Layout.preferredHeight: Math.max(Kirigami.Units.gridUnit * 2, implicitHeight)
            // An explanation, quieter than the settings, yet more than disabled text.
            color: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.4)
            wrapMode: Text.WordWrap
            text: i18n("Choose the date and time format, as well as the tooltip content for the clock on the taskbar.")
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: Kirigami.Units.smallSpacing

            ColumnLayout {
                Layout.preferredWidth: Math.round(tabRoot.width / 3) - Kirigami.Units.largeSpacing
                Layout.fillWidth: false
                Layout.alignment: Qt.AlignTop

                Label {
                    id: timeHeading
                    font.bold: true
                    text: i18n("Time:")
                }
                TrayBox {
                    id: timeSeconds
                    objectName: "timeSeconds"
                    tab: tabRoot
                    option: TrayDisplay.DisplaySecondsTime
                    group: timeHeading.text
                    text: i18n("display seconds")
                }
                // The time column has room to spare below its one box.
                ClockPreviewBlock {
                    id: clockPreview
                    Layout.fillWidth: true
                    Layout.topMargin: Kirigami.Units.gridUnit
                }
            }

            ColumnLayout {
                Layout.preferredWidth: Math.round(tabRoot.width / 3) - Kirigami.Units.largeSpacing
                Layout.fillWidth: false
                Layout.alignment: Qt.AlignTop

                Label {
                    id: dateHeading
                    font.bold: true
                    text: i18n("Date:")
                }
                TrayBox {
                    id: dateStandard
                    objectName: "dateStandard"
                    tab: tabRoot
                    option: TrayDisplay.DisplayDateInStandartFormatDate
                    group: dateHeading.text
                    text: i18n("display date in format dd.mm.yyyy")
                }
                TrayBox {
                    id: dateDayOfWeek
                    objectName: "dateDayOfWeek"
                    tab: tabRoot
                    option: TrayDisplay.DisplayDayOfWeekDate
                    group: dateHeading.text
                    text: i18n("display day of week")
                }
                TrayBox {
                    id: dateMonth
                    objectName: "dateMonth"
                    tab: tabRoot
                    option: TrayDisplay.DisplayMonthDate
                    group: dateHeading.text
                    text: i18n("display month")
                }
                TrayBox {
                    id: dateDayOfMonth
                    objectName: "dateDayOfMonth"
                    tab: tabRoot
                    option: TrayDisplay.DisplayDayOfMonthDate
                    group: dateHeading.text
                    text: i18n("display day of month")
                }
                TrayBox {
                    id: dateYear
                    objectName: "dateYear"
                    tab: tabRoot
                    option: TrayDisplay.DisplayYearDate
                    group: dateHeading.text
                    text: i18n("display year")
                }
            }

            ColumnLayout {
                Layout.preferredWidth: Math.round(tabRoot.width / 3) - Kirigami.Units.largeSpacing
                Layout.fillWidth: false
                Layout.alignment: Qt.AlignTop

                Label {
                    id: tipHeading
                    font.bold: true
                    text: i18n("Tip:")
                }
                TrayBox {
                    id: tipTime
                    objectName: "tipTime"
                    tab: tabRoot
                    option: TrayDisplay.DisplayTimeTip
                    group: tipHeading.text
                    text: i18n("display time")
                }
                TrayBox {
                    id: tipSeconds
                    objectName: "tipSeconds"
                    tab: tabRoot
                    option: TrayDisplay.DisplaySecondsTip
                    group: tipHeading.text
                    Layout.leftMargin: Kirigami.Units.gridUnit
                    text: i18n("display seconds")
                }
                TrayBox {
                    id: tipDate
                    objectName: "tipDate"
                    tab: tabRoot
                    option: TrayDisplay.DisplayDateTip
                    group: tipHeading.text
                    text: i18n("display date")
                }
                TrayBox {
                    id: tipStandard
                    objectName: "tipStandard"
                    tab: tabRoot
                    option: TrayDisplay.DisplayDateInStandartFormatTip
                    group: tipHeading.text
                    Layout.leftMargin: Kirigami.Units.gridUnit
                    text: i18n("display date in format dd.mm.yyyy")
                }
                TrayBox {
                    id: tipDayOfWeek
                    objectName: "tipDayOfWeek"
                    tab: tabRoot
                    option: TrayDisplay.DisplayDayOfWeekTip
                    group: tipHeading.text
                    Layout.leftMargin: Kirigami.Units.gridUnit
                    text: i18n("display day of week")
                }
                TrayBox {
                    id: tipMonth
                    objectName: "tipMonth"
                    tab: tabRoot
                    option: TrayDisplay.DisplayMonthTip
                    group: tipHeading.text
                    Layout.leftMargin: Kirigami.Units.gridUnit
                    text: i18n("display month")
                }
                TrayBox {
                    id: tipDayOfMonth
                    objectName: "tipDayOfMonth"
                    tab: tabRoot
                    option: TrayDisplay.DisplayDayOfMonthTip
                    group: tipHeading.text
                    Layout.leftMargin: Kirigami.Units.gridUnit
                    text: i18n("display day of month")
                }
                TrayBox {
                    id: tipYear
                    objectName: "tipYear"
                    tab: tabRoot
                    option: TrayDisplay.DisplayYearTip
                    group: tipHeading.text
                    Layout.leftMargin: Kirigami.Units.gridUnit
                    text: i18n("display year")
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
            Layout.preferredHeight: Kirigami.Units.gridUnit + Kirigami.Units.largeSpacing + Kirigami.Units.smallSpacing
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
                color: Kirigami.Theme.linkColor
                horizontalAlignment: Text.AlignLeft
                verticalAlignment: Text.AlignVCenter
            }
            onClicked: fontSettingsOpener.open()
        }
    }
}
