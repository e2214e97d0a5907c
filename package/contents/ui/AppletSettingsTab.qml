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
    property bool needsSave: false

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
        zonesComboBox.load()
        chosenZonesList.load()
        showAllBox.load()
        needsSave = false
    }

    function loadIcons() {
        zonesComboBox.loadIcons()
    }

    function update() {
        // The system's zone may be changed on another tab or elsewhere meanwhile.
        systemZone.text = zoneDetails.systemZoneLine()
        if (needsSave) {
            return
        }
        kcm.updateAppletSettings()
        // Rebuilding the lists every second would reset them under the user's
        // pointer; only do it when the file says something else than the page shows.
        if (!showsProviderState()) {
            load()
        }
    }

    function showsProviderState() {
        if (!chosenZonesList.loaded) {
            return false
        }
        if (showAllBox.checked !== timeZonesProvider.isAllTimeZonesProvided()
                || zonesComboBox.allTimeZonesToDisplay !== timeZonesProvider.isAllTimeZonesProvided()) {
            return false
        }
        const chosen = timeZonesProvider.getChosenTimeZones()
        const shown = zonesComboBox.getChosenTimeZones()
        if (chosen.length !== shown.length || chosenZonesModel.count !== chosen.length) {
            return false
        }
        for (let i = 0; i < chosen.length; ++i) {
            if (chosen[i] !== shown[i] || chosen[i] !== chosenZonesModel.get(i).timeZone) {
                return false
            }
        }
        return true
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
            chosenTimeZones: timeZonesProvider.getChosenTimeZones()
            allTimeZonesToDisplay: timeZonesProvider.isAllTimeZonesProvided()

            onAddTimeZone: chosenZonesList.addToChosenList(timeZone)
            onRemoveTimeZone: chosenZonesList.removeFromChosenList(timeZone)
        }

        P.OrbCheckBox {
            id: showAllBox
            objectName: "appletShowAllCheckBox"
            text: i18n("Show all time zones")
            checked: zonesComboBox.allTimeZonesToDisplay

            function load() {
                checked = zonesComboBox.allTimeZonesToDisplay
            }

            onClicked: {
                if (checked) {
                    zonesComboBox.showAllTimeZones()
                } else {
                    zonesComboBox.showRussianTimeZones()
                }
                tabRoot.needsSave = timeZonesProvider.needsSave()
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
                    // Hidden tabs report visible false too, so keep our own flag.
                    property bool loaded: false
                    visible: loaded
                    boundsBehavior: Flickable.StopAtBounds
                    model: ListModel {
                        id: chosenZonesModel
                    }

                    function load() {
                        chosenZonesModel.clear()
                        const chosen = zonesComboBox.getChosenTimeZones()
                        for (let i = 0; i < chosen.length; ++i) {
                            chosenZonesModel.append({"timeZone": chosen[i]})
                        }
                        loaded = true
                    }

                    function save() {
                        const zones = []
                        for (let i = 0; i < chosenZonesModel.count; ++i) {
                            zones.push(chosenZonesModel.get(i).timeZone)
                        }
                        zonesComboBox.setChosenTimeZones(zones)
                        tabRoot.needsSave = timeZonesProvider.needsSave()
                    }

                    function indexOf(timeZone) {
                        const id = zonesComboBox.zoneIdOf(timeZone)
                        for (let i = 0; i < chosenZonesModel.count; ++i) {
                            if (zonesComboBox.zoneIdOf(chosenZonesModel.get(i).timeZone) === id) {
                                return i
                            }
                        }
                        return -1
                    }

                    function addToChosenList(timeZone) {
                        if (indexOf(timeZone) >= 0) {
                            return
                        }
                        chosenZonesModel.append({"timeZone": timeZone})
                        save()
                    }

                    function removeFromChosenList(timeZone) {
                        const index = indexOf(timeZone)
                        if (index >= 0) {
                            chosenZonesModel.remove(index)
                        }
                        save()
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
                            text: zonesComboBox.displayText(model.timeZone)
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
                            Accessible.name: i18n("Remove %1", zonesComboBox.displayText(model.timeZone))

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

                            onClicked: {
                                // Removing the entry destroys this row: keep what is needed afterwards.
                                const timeZone = model.timeZone
                                const list = chosenZonesList
                                zonesComboBox.uncheckComboBox(timeZone)
                                list.removeFromChosenList(timeZone)
                                list.save()
                            }
                        }
                    }
                }
            }
        }
    }
}
