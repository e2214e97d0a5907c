// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Templates 2.15 as T
import org.kde.kirigami 2.20 as Kirigami

// The zone chooser of the "Time zone" tab: the field shows the chosen zone. A row
// of the list holds either one zone or the Russian zones sharing an offset; every
// zone of a row is picked on its own.
ZoneComboBoxBase {
    id: comboBox

    property string displayTimeZoneString: ""
    property string fullSelectedZoneName: ""

    signal timeZoneSelected(string timeZone)

    field.objectName: "timeZonesField"
    popup.objectName: "timeZonesPopup"
    list.objectName: "timeZonesList"
    arrowIcon.objectName: "timeZonesArrow"
    placeholder: displayTimeZoneString
    accessibleName: i18n("Time zone")
    accessibleDescription: displayTimeZoneString
    rowDelegate: rowComponent

    // The rows follow allTimeZonesToDisplay.
    function load() {
        closeList()
        allTimeZonesToDisplay = timeZonesProvider.isAllTimeZonesProvided()
    }

    function showAllTimeZones() {
        timeZonesProvider.setAllTimeZonesProvided()
        allTimeZonesToDisplay = true
    }

    function showRussianTimeZones() {
        timeZonesProvider.setRussianTimeZonesProvided()
        allTimeZonesToDisplay = false
    }

    // Shows zone `id` in the closed field, with the zones of its row, without
    // announcing it as the user's pick.
    function select(id) {
        show(zones.displayOfZone(id), id)
    }

    function show(text, id) {
        displayTimeZoneString = text
        fullSelectedZoneName = id
    }

    // A zone label of a row picked: the row's text with that zone as the selection.
    function pickZone(row, id, closing) {
        show(row.displayString, id)
        timeZoneSelected(id)
        if (closing) {
            closeList()
        }
    }

    // A row picked as a whole: its first zone the filter found, else its first zone.
    function pickRow(row) {
        const zones = row.zones
        const text = row.displayString
        let id = zones.length > 0 ? zones[0].id : ""
        for (let i = 0; i < zones.length; ++i) {
            if (row.foundZones.indexOf(zones[i].id) >= 0) {
                id = zones[i].id
                break
            }
        }
        // Closing resets the list, which takes the row away: read it first.
        closeList()
        show(text, id)
        timeZoneSelected(id)
    }

    // Start from the shown choice, all selected: typing replaces it.
    onFieldEntered: {
        field.text = displayTimeZoneString
        field.selectAll()
    }
    // Return then picks the first row the text finds.
    onFiltered: {
        list.currentIndex = list.count > 0 ? 0 : -1
        list.positionViewAtBeginning()
    }
    // Open at the chosen zone.
    onOpening: {
        list.currentIndex = rows.rowOfZone(fullSelectedZoneName)
        if (list.currentIndex >= 0) {
            list.positionViewAtIndex(list.currentIndex, ListView.Center)
        }
    }
    // The view keeps its current row made even while it is scrolled away.
    onRowPicked: {
        if (list.currentItem) {
            pickRow(list.currentItem)
        }
    }

    Component {
        id: rowComponent

        T.ItemDelegate {
            id: row

            readonly property string offsetText: model.offsetText
            readonly property var zones: model.zones
            readonly property var foundZones: model.foundZones
            readonly property string displayString: model.display

            width: comboBox.list.width
            height: comboBox.delegateHeight
            padding: 0
            leftPadding: Kirigami.Units.smallSpacing
            rightPadding: Kirigami.Units.smallSpacing
            hoverEnabled: true
            // The keys stay with the field: leaving it closes the list.
            focusPolicy: Qt.NoFocus
            highlighted: ListView.isCurrentItem
            ToolTip.text: displayString
            ToolTip.visible: hovered && zoneRow.width * zoneRow.scale > row.availableWidth
            ToolTip.delay: 600

            contentItem: Item {
                clip: true
                Row {
                    id: zoneRow
                    anchors.verticalCenter: parent.verticalCenter
                    // A long line of merged zones is drawn smaller rather than
                    // cut, so that each of its zones stays visible and clickable;
                    // never below the desktop's small font, past which it is cut
                    // and the tooltip shows it whole.
                    transformOrigin: Item.Left
                    scale: implicitWidth > 0 ? Math.max(comboBox.minimumTextScale(offsetLabel.font), Math.min(1, parent.width / implicitWidth)) : 1

                    Text {
                        id: offsetLabel
                        text: row.offsetText + " "
                        color: comboBox.systemColors.buttonText
                    }

                    Repeater {
                        model: row.zones
                        delegate: Text {
                            id: zoneLabel
                            objectName: "timeZoneLabel"
                            readonly property string zoneId: modelData.id
                            readonly property bool found: row.foundZones.indexOf(zoneId) >= 0
                            text: modelData.name + (index < row.zones.length - 1 ? ", " : "")
                            font.bold: zoneId === comboBox.fullSelectedZoneName
                            color: found ? comboBox.systemColors.highlight : comboBox.systemColors.buttonText

                            MouseArea {
                                anchors.fill: parent
                                onClicked: comboBox.pickZone(row, zoneLabel.zoneId, false)
                                onDoubleClicked: comboBox.pickZone(row, zoneLabel.zoneId, true)
                            }
                        }
                    }
                }
            }

            background: Rectangle {
                color: row.highlighted ? Qt.rgba(comboBox.systemColors.highlight.r, comboBox.systemColors.highlight.g, comboBox.systemColors.highlight.b, 0.25)
                                       : row.hovered ? Qt.rgba(comboBox.systemColors.highlight.r, comboBox.systemColors.highlight.g, comboBox.systemColors.highlight.b, 0.12)
                                                     : "transparent"
                radius: Kirigami.Units.smallSpacing / 2
            }

            onClicked: comboBox.pickRow(row)
        }
    }
}
