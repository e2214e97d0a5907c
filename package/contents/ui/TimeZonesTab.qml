import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import "private" as P

// "Time zone": the system time zone, picked from the list or on the map of offset
// bands. The page only chooses; the module applies the choice on Apply.
Rectangle {
    id: tabRoot

    property bool isLight: true
    property bool needsSave: false

    readonly property alias provider: timeZonesProvider
    readonly property alias controller: mapController
    readonly property alias comboBox: timeZonesComboBox
    readonly property alias showAllCheckBox: showAllBox
    readonly property alias mapView: mapArea
    readonly property alias mapImage: mapImage
    readonly property alias highlightImage: highlightImage
    readonly property alias zoneDetails: zoneDetails

    objectName: "timeZonesTab"
    color: "transparent"

    function loadIcons() {
        timeZonesComboBox.loadIcons()
    }

    function load() {
        mapImage.source = mapController.getPathToMap()
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
        needsSave = false
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

    function updateNeedsSave() {
        needsSave = mapController.getSavedTimeZoneName() !== mapController.getSelectedTimeZoneName()
    }

    SystemPalette {
        id: systemPalette
        colorGroup: SystemPalette.Active
    }

    MapTimeZonesProvider {
        id: timeZonesProvider
    }

    MapController {
        id: mapController
        onSelectedChanged: highlightImage.source = pathToSelectedTimeZoneImage
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.topMargin: 15
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        anchors.bottomMargin: 10
        spacing: 8

        Label {
            text: i18n("Choose time zone from the list")
            font.bold: true
            color: systemPalette.buttonText
        }

        P.TimeZonesComboBox {
            id: timeZonesComboBox
            objectName: "timeZonesComboBox"
            Layout.fillWidth: true
            Layout.preferredHeight: 30
            // The open list lies over the items below.
            z: 1
            color: systemPalette.base
            popupHeight: 320
            maxItemCount: 10
            buttonHeight: 30
            delegateHeight: 30
            isLight: tabRoot.isLight
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

            onCheckedChanged: {
                kcm.saveShowAllTimeZonesForMap(checked)
                const saved = mapController.getSavedTimeZoneName()
                const selected = mapController.getSelectedTimeZoneName()
                if (checked) {
                    timeZonesComboBox.showAllTimeZones()
                    if (!timeZonesProvider.isRussianTimeZone(saved) && timeZonesProvider.isRussianTimeZone(selected)) {
                        timeZonesComboBox.select(saved)
                        mapArea.selectTimeZone(saved)
                    }
                } else {
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
                }
            }
        }

        Item {
            id: mapArea
            objectName: "timeZonesMapArea"
            Layout.fillWidth: true
            Layout.fillHeight: true

            function selectTimeZone(id) {
                mapController.setSelectedTimeZone(id)
                tabRoot.updateNeedsSave()
            }

            Image {
                id: mapImage
                objectName: "timeZonesMap"
                anchors.fill: parent
                fillMode: Image.PreserveAspectFit
                smooth: true
                // Decoding a picture takes tens of milliseconds: off the GUI thread.
                asynchronous: true

                MouseArea {
                    id: mapMouseArea
                    objectName: "timeZonesMapMouseArea"
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor

                    onClicked: {
                        const previous = mapController.getSelectedTimeZone()
                        mapController.setSelectedTimeZone(mouse.x, mouse.y, mapImage.width, mapImage.height, mapImage.x, mapImage.y)
                        if (mapController.getSelectedTimeZone() !== previous) {
                            const id = mapController.getSelectedTimeZoneName()
                            if (!timeZonesProvider.isRussianTimeZone(id) && !showAllBox.checked) {
                                showAllBox.checked = true
                            }
                            timeZonesComboBox.select(id)
                        }
                        tabRoot.updateNeedsSave()
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
        }
    }
}
