// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import "private" as P

// "Other time zones": the zones whose clocks the panel's clock applet shows. The
// choice lives in the settings file the applet reads too; while nothing is pending
// here the page follows that file, so what the applet changes shows up at once.
Rectangle {
    id: tabRoot

    property bool isLight: true
    readonly property bool needsSave: timeZonesProvider.hasChanges

    readonly property alias provider: timeZonesProvider
    readonly property alias comboBox: zonesComboBox
    readonly property alias showAllCheckBox: showAllBox
    readonly property alias chosenList: chosenZonesList
    readonly property alias systemZoneLabel: systemZone

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
        id: systemPalette
    }

    SettingsForAppletProvider {
        id: timeZonesProvider
    }

    ZoneDetails {
        id: zoneDetails
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.topMargin: 15
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        anchors.bottomMargin: 10
        spacing: 8

        // Users who may not change it still see what the system keeps.
        Label {
            id: systemZone
            objectName: "systemZoneLine"
            Layout.fillWidth: true
            font.bold: true
            color: systemPalette.windowText
            elide: Text.ElideRight
        }

        Label {
            Layout.fillWidth: true
            text: i18n("Select time zones from the list to be displayed as clocks. By default, only time zones of the Russian Federation are listed, but you can add more by clicking «Show all time zones».")
            color: "gray"
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
            Layout.preferredHeight: 30
            z: 1
            color: systemPalette.base
            popupHeight: 350
            buttonHeight: 30
            maxItemCount: 11
            delegateHeight: 30
            isLight: tabRoot.isLight
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
            border.color: systemPalette.frame

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
                        height: 36
                        color: rowArea.pressed ? systemPalette.highlight
                                               : rowArea.containsMouse ? Qt.rgba(systemPalette.highlight.r, systemPalette.highlight.g, systemPalette.highlight.b, 0.3)
                                                                       : "transparent"

                        MouseArea {
                            id: rowArea
                            anchors.fill: parent
                            hoverEnabled: true
                        }

                        Label {
                            anchors.left: parent.left
                            anchors.leftMargin: 10
                            anchors.right: removeButton.left
                            anchors.rightMargin: 10
                            anchors.verticalCenter: parent.verticalCenter
                            text: timeZonesProvider.entryText(modelData)
                            elide: Text.ElideRight
                        }

                        Button {
                            id: removeButton
                            objectName: "appletRemoveZoneButton"
                            width: 24
                            height: 24
                            anchors.right: parent.right
                            anchors.rightMargin: 10
                            anchors.verticalCenter: parent.verticalCenter
                            padding: 0
                            hoverEnabled: true
                            Accessible.name: i18n("Remove %1", timeZonesProvider.entryText(modelData))

                            background: Rectangle {
                                radius: 3
                                color: systemPalette.button
                                border.color: removeButton.activeFocus ? systemPalette.highlight : "transparent"
                            }

                            contentItem: Item {
                                Image {
                                    anchors.centerIn: parent
                                    width: 16
                                    height: 16
                                    sourceSize: Qt.size(16, 16)
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
