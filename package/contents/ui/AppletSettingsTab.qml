// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import org.kde.kirigami 2.20 as Kirigami
import "private" as P

// "Other time zones": the zones whose clocks the panel's clock applet shows. The
// choice lives in the settings file the applet reads too; while nothing is pending
// here the page follows that file, so what the applet changes shows up at once.
Rectangle {
    id: tabRoot

    readonly property bool needsSave: timeZonesProvider.hasChanges

    readonly property alias provider: timeZonesProvider
    readonly property alias comboBox: zonesComboBox
    readonly property alias showAllCheckBox: showAllBox
    readonly property alias chosenList: chosenZonesList
    readonly property alias systemZoneLabel: systemZone

    // A line of text with room around it: the list's field and its rows.
    readonly property real rowHeight: Kirigami.Units.gridUnit + Kirigami.Units.largeSpacing + Kirigami.Units.smallSpacing

    objectName: "appletSettingsTab"
    // The window's colour, like every other tab.
    color: "transparent"

    function load() {
        systemZone.text = zoneDetails.systemZoneLine()
    }

    function loadIcons() {
        zonesComboBox.loadIcons()
    }

    // While nothing is pending here the page follows the file: the lists are
    // bound to the provider, which tells only of a real change.
    function update() {
        // The system's zone may be changed on another tab or elsewhere meanwhile.
        systemZone.text = zoneDetails.systemZoneLine()
        if (!needsSave) {
            kcm.updateAppletSettings()
        }
    }

    P.OrbPalette {
        id: palette
    }

    SettingsForAppletProvider {
        id: timeZonesProvider
    }

    ZoneDetails {
        id: zoneDetails
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.topMargin: Kirigami.Units.largeSpacing * 2
        anchors.leftMargin: Kirigami.Units.largeSpacing
        anchors.rightMargin: Kirigami.Units.largeSpacing
        anchors.bottomMargin: Kirigami.Units.largeSpacing
        spacing: Kirigami.Units.largeSpacing

        // Users who may not change it still see what the system keeps.
        Label {
            id: systemZone
            objectName: "systemZoneLine"
            Layout.fillWidth: true
            font.bold: true
            elide: Text.ElideRight
        }

        Label {
            Layout.fillWidth: true
            text: i18n("Select time zones from the list to be displayed as clocks. By default, only time zones of the Russian Federation are listed, but you can add more by clicking «Show all time zones».")
            // An explanation, quieter than the settings, yet more than disabled text.
            color: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.4)
            wrapMode: Text.WordWrap
        }

        Label {
            text: i18n("Time zones:")
            font.bold: true
        }

        P.AppletSettingsComboBox {
            id: zonesComboBox
            objectName: "appletTimeZonesComboBox"
            Layout.fillWidth: true
            Layout.preferredHeight: tabRoot.rowHeight
            z: 1
            Kirigami.Theme.colorSet: Kirigami.Theme.View
            Kirigami.Theme.inherit: false
            color: Kirigami.Theme.backgroundColor
            maxItemCount: 11
            popupHeight: maxItemCount * delegateHeight + Kirigami.Units.gridUnit
            buttonHeight: tabRoot.rowHeight
            delegateHeight: tabRoot.rowHeight
            timeZonesProvider: timeZonesProvider
            chosenTimeZones: timeZonesProvider.chosenTimeZones
            allTimeZonesToDisplay: timeZonesProvider.allTimeZonesShown

            onAddTimeZone: chosenZonesList.addToChosenList(timeZone)
            onRemoveTimeZone: chosenZonesList.removeFromChosenList(timeZone)
        }

        P.OrbCheckBox {
            id: showAllBox
            objectName: "appletShowAllCheckBox"
            text: i18n("Show all time zones")
            checked: timeZonesProvider.allTimeZonesShown

            onToggled: {
                if (checked) {
                    zonesComboBox.showAllTimeZones()
                } else {
                    zonesComboBox.showRussianTimeZones()
                }
            }
        }

        Label {
            text: i18n("Chosen time zones:")
            font.bold: true
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: "transparent"
            border.color: palette.frame

            ScrollView {
                anchors.fill: parent
                anchors.margins: 1
                clip: true
                ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

                ListView {
                    id: chosenZonesList
                    objectName: "appletChosenList"
                    boundsBehavior: Flickable.StopAtBounds
                    model: timeZonesProvider.chosenTimeZones

                    // The choice in list order, handed to the provider through the combo box.
                    function save() {
                        zonesComboBox.setChosenTimeZones(timeZonesProvider.chosenTimeZones)
                    }

                    function addToChosenList(timeZone) {
                        timeZonesProvider.addChosenTimeZone(timeZone)
                    }

                    function removeFromChosenList(timeZone) {
                        timeZonesProvider.removeChosenTimeZone(timeZone)
                    }

                    delegate: Rectangle {
                        id: chosenRow

                        width: chosenZonesList.width
                        height: tabRoot.rowHeight + Kirigami.Units.smallSpacing
                        color: rowArea.pressed ? Kirigami.Theme.highlightColor
                                               : rowArea.containsMouse ? Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.highlightColor, 0.3)
                                                                       : "transparent"

                        MouseArea {
                            id: rowArea
                            anchors.fill: parent
                            hoverEnabled: true
                        }

                        Label {
                            anchors.left: parent.left
                            anchors.leftMargin: Kirigami.Units.largeSpacing
                            anchors.right: removeButton.left
                            anchors.rightMargin: Kirigami.Units.largeSpacing
                            anchors.verticalCenter: parent.verticalCenter
                            text: timeZonesProvider.entryText(modelData)
                            elide: Text.ElideRight
                        }

                        Button {
                            id: removeButton
                            objectName: "appletRemoveZoneButton"
                            width: Kirigami.Units.iconSizes.smallMedium
                            height: Kirigami.Units.iconSizes.smallMedium
                            anchors.right: parent.right
                            anchors.rightMargin: Kirigami.Units.largeSpacing
                            anchors.verticalCenter: parent.verticalCenter
                            padding: 0
                            hoverEnabled: true
                            Accessible.name: i18n("Remove %1", timeZonesProvider.entryText(modelData))

                            Kirigami.Theme.colorSet: Kirigami.Theme.Button
                            Kirigami.Theme.inherit: false
                            background: Rectangle {
                                radius: Kirigami.Units.smallSpacing
                                color: Kirigami.Theme.backgroundColor
                                border.color: removeButton.activeFocus ? Kirigami.Theme.focusColor : "transparent"
                            }

                            contentItem: Item {
                                Kirigami.Icon {
                                    anchors.centerIn: parent
                                    width: Kirigami.Units.iconSizes.small
                                    height: Kirigami.Units.iconSizes.small
                                    source: "qrc:/icons/16x16/trash-empty-red.png"
                                }
                            }

                            onClicked: chosenZonesList.removeFromChosenList(modelData)
                        }
                    }
                }
            }
        }
    }
}
