// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15

// The zone chooser of the "Time zone" tab: the field shows the chosen zone. A line
// of the list holds either one zone ("id;offset name") or the Russian zones
// sharing an offset ("offset id, name;id, name..."); every zone of a line is
// picked on its own.
ZoneComboBoxBase {
    id: comboBox

    property string displayTimeZoneString: ""
    property string fullSelectedZoneName: ""

    // Zone ids found by the current filter text, as the keys of an object.
    property var highlightedIds: ({})

    signal timeZoneSelected(string timeZone)

    field.objectName: "timeZonesField"
    popup.objectName: "timeZonesPopup"
    list.objectName: "timeZonesList"
    arrowIcon.objectName: "timeZonesArrow"
    placeholder: displayTimeZoneString
    accessibleName: i18n("Time zone")
    accessibleDescription: displayTimeZoneString
    rowDelegate: rowComponent

    function load() {
        closeList()
        allTimeZonesToDisplay = timeZonesProvider.isAllTimeZonesProvided()
        setModel(timeZonesProvider.getFilteredTimeZones(""))
    }

    function showAllTimeZones() {
        timeZonesProvider.setAllTimeZonesProvided()
        allTimeZonesToDisplay = true
        setModel(timeZonesProvider.allTimeZonesWithOffsets())
    }

    function showRussianTimeZones() {
        timeZonesProvider.setRussianTimeZonesProvided()
        allTimeZonesToDisplay = false
        setModel(timeZonesProvider.russianTimeZonesWithOffsets())
    }

    // Shows zone `id` in the closed field without announcing it as the user's pick.
    function select(id) {
        const text = timeZonesProvider.isRussianTimeZone(id) ? timeZonesProvider.getFilteredTimeZones(id).join(",")
                                                             : timeZonesProvider.getDisplayString(id)
        show(formatLine(text), id)
    }

    function show(text, id) {
        displayTimeZoneString = text
        fullSelectedZoneName = id
    }

    // A line holds several zones when it has a comma and its first piece starts
    // with the offset; a single zone's name may have a comma of its own.
    function isMerged(line) {
        return line.indexOf(",") >= 0 && line.split(";")[0].indexOf(" ") >= 0
    }

    // The line as the closed field shows it: the offset and the zones' names, no ids.
    function formatLine(line) {
        if (!isMerged(line)) {
            return line.substring(line.indexOf(";") + 1)
        }
        const pieces = line.split(";")
        const words = pieces[0].split(" ")
        let text = [words[0]].concat(words.slice(2)).join(" ")
        text += pieces.length > 1 ? ", " : " "
        const names = []
        for (let i = 1; i < pieces.length; ++i) {
            names.push(zoneOfPiece(pieces[i]).name)
        }
        return text + names.join(", ")
    }

    function zoneOfPiece(piece) {
        const comma = piece.indexOf(", ")
        return comma < 0 ? {"id": piece, "name": ""} : {"id": piece.substring(0, comma), "name": piece.substring(comma + 2)}
    }

    // The offset label and the zones (id and name) of one line of the list.
    function parseLine(line) {
        const pieces = line.split(";")
        const first = pieces[0]
        if (isMerged(line)) {
            const words = first.split(" ")
            let id = words[1]
            if (id.endsWith(",")) {
                id = id.substring(0, id.length - 1)
            }
            const zones = [{"id": id, "name": words.slice(2).join(" ")}]
            for (let i = 1; i < pieces.length; ++i) {
                zones.push(zoneOfPiece(pieces[i]))
            }
            return {"offset": words[0], "zones": zones}
        }
        const rest = line.substring(line.indexOf(";") + 1)
        const space = rest.indexOf(" ")
        return {
            "offset": space < 0 ? rest : rest.substring(0, space),
            "zones": [{"id": first, "name": space < 0 ? "" : rest.substring(space + 1)}]
        }
    }

    function updateHighlight() {
        const ids = {}
        const text = field.text
        if (filtering && text !== "" && timeZonesProvider) {
            const lines = list.model
            for (let i = 0; i < lines.length; ++i) {
                // Every line of the filtered list matched; a single zone's line is
                // found as a whole, even when its name has a comma of its own.
                const found = isMerged(lines[i]) ? timeZonesProvider.getFullZoneNamesByFilter(lines[i], text)
                                                 : [lines[i].substring(0, lines[i].indexOf(";"))]
                for (const id of found) {
                    ids[id] = true
                }
            }
        }
        highlightedIds = ids
    }

    function isHighlighted(id) {
        return highlightedIds[id] === true
    }

    // A zone label of a row picked: the row's text with that zone as the selection.
    function pickZone(row, id, closing) {
        const text = row.displayString
        show(text, id)
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
            if (isHighlighted(zones[i].id)) {
                id = zones[i].id
                break
            }
        }
        // Closing resets the list, which takes the row away: read it first.
        closeList()
        show(text, id)
        timeZoneSelected(id)
    }

    function rowIndexOf(id) {
        const lines = list.model
        for (let i = 0; i < lines.length; ++i) {
            const zones = parseLine(lines[i]).zones
            for (let j = 0; j < zones.length; ++j) {
                if (zones[j].id === id) {
                    return i
                }
            }
        }
        return -1
    }

    // Start from the shown choice, all selected: typing replaces it.
    onFieldEntered: {
        field.text = displayTimeZoneString
        field.selectAll()
    }
    onFieldLeft: updateHighlight()
    // Return then picks the first line the text finds.
    onFiltered: {
        updateHighlight()
        list.currentIndex = list.count > 0 ? 0 : -1
        list.positionViewAtBeginning()
    }
    // Open at the chosen zone.
    onOpening: {
        list.currentIndex = rowIndexOf(fullSelectedZoneName)
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

        ItemDelegate {
            id: row

            readonly property string line: modelData
            // Made once per row: the line does not change under a delegate.
            readonly property var parsed: comboBox.parseLine(modelData)
            readonly property var zones: parsed.zones
            readonly property string displayString: {
                let text = parsed.offset + " "
                for (let i = 0; i < zones.length; ++i) {
                    text += zones[i].name + (i < zones.length - 1 ? ", " : "")
                }
                return text
            }

            width: comboBox.list.width
            height: comboBox.delegateHeight
            padding: 0
            leftPadding: 6
            rightPadding: 6
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

                    Label {
                        id: offsetLabel
                        text: row.parsed.offset + " "
                        color: comboBox.systemColors.buttonText
                    }

                    Repeater {
                        model: row.zones
                        delegate: Label {
                            id: zoneLabel
                            objectName: "timeZoneLabel"
                            readonly property string zoneId: modelData.id
                            readonly property bool found: comboBox.isHighlighted(zoneId)
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
                radius: 3
            }

            onClicked: comboBox.pickRow(row)
        }
    }
}
