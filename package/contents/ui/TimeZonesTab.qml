// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import org.kde.kirigami 2.20 as Kirigami
import "private" as P

// "Time zone": the system time zone, picked from the list or on the map of offset
// bands. The page only chooses; the module applies the choice on Apply.
Rectangle {
    id: tabRoot

    readonly property bool needsSave: mapController.hasChanges

    readonly property alias provider: timeZonesProvider
    readonly property alias controller: mapController
    readonly property alias comboBox: timeZonesComboBox
    readonly property alias showAllCheckBox: showAllBox
    readonly property alias mapView: mapArea
    readonly property alias mapImage: mapImage
    readonly property alias highlightImage: highlightImage
    readonly property alias zoneDetails: zoneDetails

    // A line of text with room around it: the list's field and its rows.
    readonly property real rowHeight: Kirigami.Units.gridUnit + Kirigami.Units.largeSpacing + Kirigami.Units.smallSpacing

    objectName: "timeZonesTab"
    color: "transparent"

    function loadIcons() {
        timeZonesComboBox.loadIcons()
    }

    function load() {
        mapController.load()
        const saved = mapController.getSavedTimeZoneName()
        const savedIsRussian = timeZonesProvider.isRussianTimeZone(saved)
        if ((!savedIsRussian && !timeZonesProvider.isAllTimeZonesProvided()) || kcm.loadShowAllTimeZonesForMap()) {
            timeZonesProvider.setAllTimeZonesProvided()
        } else {
            timeZonesProvider.setRussianTimeZonesProvided()
        }
        if (!savedIsRussian && !timeZonesComboBox.allTimeZonesToDisplay) {
            kcm.saveShowAllTimeZonesForMap(true)
            timeZonesComboBox.allTimeZonesToDisplay = kcm.loadShowAllTimeZonesForMap()
        }
        showAllBox.checked = kcm.loadShowAllTimeZonesForMap()
        timeZonesComboBox.select(saved)
        timeZonesComboBox.load()
        // An Apply that failed to change the zone keeps the pick for another try.
        const kept = kcm.keptTimeZone()
        if (kept !== "" && kept !== saved) {
            if (!timeZonesProvider.isRussianTimeZone(kept) && !showAllBox.checked) {
                showAllBox.checked = true
            }
            timeZonesComboBox.select(kept)
            mapArea.selectTimeZone(kept)
        }
    }

    // Once a second: follow a system zone that was changed outside the page.
    function update() {
        zoneDetails.update()
        const system = mapController.getSystemTimeZoneName()
        if (system === mapController.getSavedTimeZoneName()) {
            return
        }
        if (!timeZonesProvider.isRussianTimeZone(system) && !showAllBox.checked) {
            showAllBox.checked = true
        }
        timeZonesComboBox.select(system)
        mapArea.selectTimeZone(system)
        mapController.load()
    }

    // Made first: its tables are made on the pool while the zone list makes its names.
    MapController {
        id: mapController
        onSelectedChanged: highlightImage.source = pathToSelectedTimeZoneImage
    }

    MapTimeZonesProvider {
        id: timeZonesProvider
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.topMargin: Kirigami.Units.largeSpacing * 2
        anchors.leftMargin: Kirigami.Units.largeSpacing
        anchors.rightMargin: Kirigami.Units.largeSpacing
        anchors.bottomMargin: Kirigami.Units.largeSpacing
        spacing: Kirigami.Units.largeSpacing

        Label {
            text: i18n("Choose time zone from the list")
            font.bold: true
        }

        P.TimeZonesComboBox {
            id: timeZonesComboBox
            objectName: "timeZonesComboBox"
            Layout.fillWidth: true
            Layout.preferredHeight: tabRoot.rowHeight
            // The open list lies over the items below.
            z: 1
            Kirigami.Theme.colorSet: Kirigami.Theme.View
            Kirigami.Theme.inherit: false
            color: Kirigami.Theme.backgroundColor
            maxItemCount: 10
            popupHeight: maxItemCount * delegateHeight + Kirigami.Units.gridUnit
            buttonHeight: tabRoot.rowHeight
            delegateHeight: tabRoot.rowHeight
            timeZonesProvider: timeZonesProvider
            allTimeZonesToDisplay: kcm.loadShowAllTimeZonesForMap()

            onFullSelectedZoneNameChanged: kcm.setSelectedTimeZone(fullSelectedZoneName)
            onTimeZoneSelected: mapArea.selectTimeZone(fullSelectedZoneName)
        }

        P.ZoneDetailsBlock {
            id: zoneDetails
            Layout.fillWidth: true
            zoneId: timeZonesComboBox.fullSelectedZoneName
        }

        P.OrbCheckBox {
            id: showAllBox
            objectName: "timeZonesShowAll"
            Layout.alignment: Qt.AlignLeft | Qt.AlignBottom
            text: i18n("Show all time zones")

            // The pick the Russian list could not show, and what it showed instead:
            // checking the box again brings the pick back unless the user picked since.
            property string hiddenPick: ""
            property string shownInstead: ""

            onCheckedChanged: {
                kcm.saveShowAllTimeZonesForMap(checked)
                const saved = mapController.getSavedTimeZoneName()
                const selected = mapController.getSelectedTimeZoneName()
                if (checked) {
                    timeZonesComboBox.showAllTimeZones()
                    if (hiddenPick !== "" && selected === shownInstead) {
                        timeZonesComboBox.select(hiddenPick)
                        mapArea.selectTimeZone(hiddenPick)
                    }
                    hiddenPick = ""
                    shownInstead = ""
                } else {
                    hiddenPick = timeZonesProvider.isRussianTimeZone(selected) ? "" : selected
                    timeZonesComboBox.showRussianTimeZones()
                    // The Russian list cannot show a zone from elsewhere.
                    if (timeZonesProvider.isRussianTimeZone(selected)) {
                        timeZonesComboBox.select(selected)
                    } else if (timeZonesProvider.isRussianTimeZone(saved)) {
                        timeZonesComboBox.select(saved)
                    } else {
                        timeZonesComboBox.select("Europe/Kaliningrad")
                    }
                    mapArea.selectTimeZone(timeZonesComboBox.fullSelectedZoneName)
                    shownInstead = timeZonesComboBox.fullSelectedZoneName
                }
            }
        }

        Item {
            id: mapArea
            objectName: "timeZonesMapArea"
            Layout.fillWidth: true
            Layout.fillHeight: true
            activeFocusOnTab: true
            Accessible.role: Accessible.Graphic
            Accessible.name: i18n("Time zone map")
            Accessible.description: describe(pointedZone)

            // The zone the arrow keys have moved to; Return or Space selects it.
            property string keyboardZone: ""
            // The tooltip's zone: the pointer's, else the keyboard's.
            readonly property bool pointedByKeyboard: !mapMouseArea.containsMouse && activeFocus
            readonly property string pointedZone: pointedByKeyboard ? keyboardZone : mapMouseArea.hoverZone

            function selectTimeZone(id) {
                mapController.setSelectedTimeZone(id)
            }

            // After a pick on the map, by mouse or keyboard: the list follows a new zone.
            function followPick(previousZone) {
                const id = mapController.getSelectedTimeZoneName()
                if (id !== previousZone) {
                    if (!timeZonesProvider.isRussianTimeZone(id) && !showAllBox.checked) {
                        showAllBox.checked = true
                    }
                    timeZonesComboBox.select(id)
                }
            }

            // Where a point of the picture (1771 x 986) is painted in this item.
            function toItem(location) {
                const scale = mapImage.sourceSize.width > 0 ? mapImage.paintedWidth / mapImage.sourceSize.width : 0
                return Qt.point(mapImage.x + (mapImage.width - mapImage.paintedWidth) / 2 + location.x * scale,
                                mapImage.y + (mapImage.height - mapImage.paintedHeight) / 2 + location.y * scale)
            }

            // Name and offset, as the closed list shows a zone, with its id.
            function describe(id) {
                if (id === "") {
                    return ""
                }
                return timeZonesProvider.zoneTitle(id) + "\n" + id
            }

            // The keys start from the selected zone, shown at once in the tooltip.
            onActiveFocusChanged: keyboardZone = activeFocus ? mapController.getSelectedTimeZoneName() : ""

            Keys.onPressed: {
                const from = keyboardZone !== "" ? keyboardZone : mapController.getSelectedTimeZoneName()
                switch (event.key) {
                case Qt.Key_Left:
                case Qt.Key_Right:
                    keyboardZone = mapController.neighbourBandZone(from, event.key === Qt.Key_Left ? -1 : 1)
                    break
                case Qt.Key_Up:
                case Qt.Key_Down:
                    keyboardZone = mapController.nextZoneInBand(from, event.key === Qt.Key_Up ? -1 : 1)
                    break
                case Qt.Key_Return:
                case Qt.Key_Enter:
                case Qt.Key_Space: {
                    const previous = mapController.getSelectedTimeZoneName()
                    mapController.setSelectedTimeZone(from)
                    followPick(previous)
                    break
                }
                default:
                    return
                }
                event.accepted = true
            }

            Image {
                id: mapImage
                objectName: "timeZonesMap"
                anchors.fill: parent
                // Once the tab is built, so that its build has the cores to itself.
                source: mapController.mapSource
                fillMode: Image.PreserveAspectFit
                smooth: true
                // Decoding a picture takes tens of milliseconds: off the GUI thread.
                asynchronous: true

                MouseArea {
                    id: mapMouseArea
                    objectName: "timeZonesMapMouseArea"
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    hoverEnabled: true

                    // A click changes which of two overlapping bands the next click picks.
                    property int clicks: 0
                    // The zone a click here would select.
                    readonly property string hoverZone: containsMouse && clicks >= 0
                        ? mapController.zoneAt(mouseX, mouseY, mapImage.width, mapImage.height, mapImage.x, mapImage.y) : ""

                    onClicked: {
                        const previous = mapController.getSelectedTimeZoneName()
                        mapController.setSelectedTimeZone(mouse.x, mouse.y, mapImage.width, mapImage.height, mapImage.x, mapImage.y)
                        mapArea.followPick(previous)
                        ++clicks
                    }
                }
            }

            Image {
                id: highlightImage
                objectName: "timeZonesHighlight"
                anchors.fill: parent
                fillMode: Image.PreserveAspectFit
                smooth: true
                asynchronous: true
            }

            Rectangle {
                id: selectedMarker
                objectName: "timeZonesMapMarker"
                readonly property point at: mapArea.toItem(mapController.selectedLocation)
                visible: mapController.selectedLocation.x >= 0 && mapImage.status === Image.Ready
                x: at.x - width / 2
                y: at.y - height / 2
                width: Kirigami.Units.largeSpacing + Kirigami.Units.smallSpacing / 2
                height: width
                radius: width / 2
                // Stands out on the map's land and sea in either scheme.
                color: Kirigami.Theme.negativeTextColor
                border.color: "white"
                border.width: 2
            }

            Rectangle {
                id: keyboardMarker
                readonly property point location: mapController.zoneLocation(mapArea.keyboardZone)
                readonly property point at: mapArea.toItem(location)
                visible: mapArea.activeFocus && location.x >= 0 && mapImage.status === Image.Ready
                x: at.x - width / 2
                y: at.y - height / 2
                width: Kirigami.Units.iconSizes.small
                height: width
                radius: width / 2
                color: "transparent"
                border.color: Kirigami.Theme.highlightColor
                border.width: 2
            }

            Rectangle {
                objectName: "timeZonesMapFocusFrame"
                anchors.fill: parent
                visible: mapArea.activeFocus
                color: "transparent"
                border.color: Kirigami.Theme.highlightColor
                border.width: 2
                radius: Kirigami.Units.smallSpacing
            }

            // Made when first needed, and kept.
            Loader {
                active: mapArea.pointedZone !== "" || status === Loader.Ready
                sourceComponent: ToolTip {
                    objectName: "timeZonesMapToolTip"
                    parent: mapArea
                    readonly property point anchor: mapArea.pointedByKeyboard ? keyboardMarker.at : Qt.point(mapMouseArea.mouseX, mapMouseArea.mouseY)
                    // Only the pointer and the keyboard show or hide it.
                    closePolicy: Popup.NoAutoClose
                    visible: mapArea.pointedZone !== ""
                    text: mapArea.describe(mapArea.pointedZone)
                    // Below and right of the pointer, clear of its arrow; above it near the bottom.
                    readonly property real gap: Kirigami.Units.iconSizes.small
                    x: Math.min(Math.max(0, anchor.x + gap * 3 / 4), mapArea.width - width)
                    y: anchor.y + gap + height <= mapArea.height ? anchor.y + gap : anchor.y - gap / 2 - height
                }
            }
        }
    }
}
