// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import org.kde.kirigami 2.20 as Kirigami

// A search field with a popup list of catalogue entries, each with a check box.
// Checking or unchecking an entry only emits addTimeZone/removeTimeZone: the page
// owns the chosen list and tells this component about it through setChosenTimeZones.
ZoneComboBoxBase {
    id: comboBox

    property var chosenTimeZones: []
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
    noMatchText: allTimeZonesToDisplay ? i18n("No time zone matches") : i18n("No time zone matches. Tick «Show all time zones» to search every zone.")
    rowDelegate: rowComponent

    // Entries are matched by zone id: the settings file may hold a chosen zone
    // with the text of another language or of the other side of a DST change.
    function isChosen(id) {
        return timeZonesProvider !== null && timeZonesProvider.chosenZoneIds.indexOf(id) >= 0
    }

    function getChosenTimeZones() {
        return chosenTimeZones
    }

    // The boxes follow the provider's choice, which the page binds to.
    function setChosenTimeZones(zones) {
        timeZonesProvider.setChosenTimeZones(zones)
    }

    function uncheckComboBox(timeZone) {
        timeZonesProvider.removeChosenTimeZone(timeZone)
    }

    // The rows follow allTimeZonesToDisplay, which the page binds to the provider.
    function showAllTimeZones() {
        timeZonesProvider.setAllTimeZonesProvided()
    }

    function showRussianTimeZones() {
        timeZonesProvider.setRussianTimeZonesProvided()
    }

    function emitAddTimeZone(timeZone) {
        addTimeZone(timeZone)
    }

    function emitRemoveTimeZone(timeZone) {
        removeTimeZone(timeZone)
    }

    function toggle(entry, id) {
        if (isChosen(id)) {
            emitRemoveTimeZone(entry)
        } else {
            emitAddTimeZone(entry)
        }
    }

    onRowPicked: function(index) {
        const row = rows.get(index)
        toggle(row.entry, row.zoneId)
    }

    Component {
        id: rowComponent

        ItemDelegate {
            id: row

            readonly property string entry: model.entry
            readonly property string zoneId: model.zoneId
            readonly property alias boxChecked: rowCheckBox.checked

            width: comboBox.list.width
            height: comboBox.delegateHeight
            padding: 0
            hoverEnabled: true
            // The keys stay with the field: leaving it closes the list.
            focusPolicy: Qt.NoFocus
            highlighted: ListView.isCurrentItem

            contentItem: Row {
                id: rowContent
                spacing: Kirigami.Units.smallSpacing
                CheckBox {
                    id: rowCheckBox
                    anchors.verticalCenter: parent.verticalCenter
                    focusPolicy: Qt.NoFocus
                    checked: comboBox.isChosen(row.zoneId)
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
                    width: row.width - rowCheckBox.width - rowContent.spacing
                    text: model.display
                    color: row.highlighted ? comboBox.systemColors.highlightedText : comboBox.systemColors.text
                    elide: Text.ElideRight
                }
            }

            onClicked: {
                comboBox.toggle(row.entry, row.zoneId)
                comboBox.popup.close()
            }
        }
    }
}
