// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15

// A search field with a popup list of catalogue entries, each with a check box.
// Checking or unchecking an entry only emits addTimeZone/removeTimeZone: the page
// owns the chosen list and tells this component about it through setChosenTimeZones.
ZoneComboBoxBase {
    id: comboBox

    property var chosenTimeZones: []

    // Whether the list's model currently comes from the all-zones list.
    property bool listShowsAllZones: allTimeZonesToDisplay
    // The row the arrow keys are on, -1 while none is: Space then types a blank.
    readonly property int keyIndex: list.currentIndex

    signal addTimeZone(string timeZone)
    signal removeTimeZone(string timeZone)

    field.objectName: "appletZoneField"
    popup.objectName: "appletZonePopup"
    list.objectName: "appletZoneList"
    accessibleName: i18n("Other time zones")
    placeholder: i18n("Choose from the list")
    focusedPlaceholder: i18n("Find...")
    spacePicks: true
    // The Russian list lacks most zones: say where the others are.
    noMatchText: listShowsAllZones ? i18n("No time zone matches") : i18n("No time zone matches. Tick «Show all time zones» to search every zone.")
    rowDelegate: rowComponent

    function displayText(entry) {
        const separator = entry.indexOf(";")
        return separator < 0 ? entry : entry.substring(0, separator)
    }

    // Entries are matched by zone id: the settings file may hold a chosen zone
    // with the text of another language or of the other side of a DST change.
    function zoneIdOf(entry) {
        return entry.substring(entry.lastIndexOf(";") + 1)
    }

    function isChosen(entry) {
        const id = zoneIdOf(entry)
        return chosenTimeZones.some(chosen => zoneIdOf(chosen) === id)
    }

    function getChosenTimeZones() {
        return chosenTimeZones
    }

    // The boxes follow `chosenTimeZones`, which the page binds to the provider.
    function setChosenTimeZones(zones) {
        timeZonesProvider.setChosenTimeZones(zones)
    }

    function uncheckComboBox(timeZone) {
        timeZonesProvider.removeChosenTimeZone(timeZone)
    }

    function showAllTimeZones() {
        timeZonesProvider.setAllTimeZonesProvided()
        setLines(timeZonesProvider.allTimeZonesWithOffsets(), true)
    }

    function showRussianTimeZones() {
        timeZonesProvider.setRussianTimeZonesProvided()
        setLines(timeZonesProvider.russianTimeZonesWithOffsets(), false)
    }

    function emitAddTimeZone(timeZone) {
        addTimeZone(timeZone)
    }

    function emitRemoveTimeZone(timeZone) {
        removeTimeZone(timeZone)
    }

    function setLines(entries, allZones) {
        listShowsAllZones = allZones
        setModel(entries)
    }

    function toggleRow(index) {
        const entry = list.model[index]
        if (isChosen(entry)) {
            emitRemoveTimeZone(entry)
        } else {
            emitAddTimeZone(entry)
        }
    }

    // The file may name the other list than the one shown (first load, a reset,
    // or the applet switched it): show the list the choice refers to.
    onAllTimeZonesToDisplayChanged: {
        if (timeZonesProvider && listShowsAllZones !== allTimeZonesToDisplay) {
            setLines(timeZonesProvider.getFilteredTimeZones(field.text), allTimeZonesToDisplay)
        }
    }

    // The filter and the reset on leaving take the provider's current list.
    onFiltered: listShowsAllZones = timeZonesProvider.isAllTimeZonesProvided()
    onFieldLeft: listShowsAllZones = timeZonesProvider.isAllTimeZonesProvided()
    onRowPicked: function(index) {
        toggleRow(index)
    }

    Component.onCompleted: {
        if (timeZonesProvider) {
            setLines(allTimeZonesToDisplay ? timeZonesProvider.allTimeZonesWithOffsets() : timeZonesProvider.russianTimeZonesWithOffsets(),
                     allTimeZonesToDisplay)
        }
    }

    Component {
        id: rowComponent

        ItemDelegate {
            id: row

            readonly property string entry: modelData
            readonly property alias boxChecked: rowCheckBox.checked

            width: comboBox.list.width
            height: comboBox.delegateHeight
            padding: 0
            hoverEnabled: true
            // The keys stay with the field: leaving it closes the list.
            focusPolicy: Qt.NoFocus
            highlighted: ListView.isCurrentItem

            contentItem: Row {
                spacing: 4
                CheckBox {
                    id: rowCheckBox
                    anchors.verticalCenter: parent.verticalCenter
                    focusPolicy: Qt.NoFocus
                    checked: comboBox.isChosen(row.entry)
                    onToggled: {
                        if (checked) {
                            comboBox.emitAddTimeZone(row.entry)
                        } else {
                            comboBox.emitRemoveTimeZone(row.entry)
                        }
                    }
                }
                Label {
                    anchors.verticalCenter: parent.verticalCenter
                    width: row.width - rowCheckBox.width - 4
                    text: comboBox.displayText(row.entry)
                    color: row.highlighted ? comboBox.systemColors.highlightedText : comboBox.systemColors.text
                    elide: Text.ElideRight
                }
            }

            onClicked: {
                comboBox.toggleRow(index)
                comboBox.popup.close()
            }
        }
    }
}
