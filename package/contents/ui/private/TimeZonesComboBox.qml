import QtQuick 2.15
import QtQuick.Controls 2.15

// The zone chooser of the "Time zone" tab: a text field that shows the chosen zone
// and filters a pop-up list of zone lines as the user types. A line holds either
// one zone ("id;offset name") or the Russian zones sharing an offset
// ("offset id, name;id, name..."); every zone of a line is picked on its own.
Rectangle {
    id: comboBox

    property int popupHeight: 370
    property int buttonHeight: 30
    property bool allTimeZonesToDisplay: true
    property int maxItemCount: 12
    property int delegateHeight: 30
    property bool isLight: true
    property var timeZonesProvider: null
    property string displayTimeZoneString: ""
    property string fullSelectedZoneName: ""

    // False from the first edit of the filter until the field loses focus: only
    // then do the rows colour the zones the typed text finds.
    property bool colorsReset: true
    // Zone ids found by the current filter text, as the keys of an object.
    property var highlightedIds: ({})

    readonly property alias field: filterField
    readonly property alias popup: zonesPopup
    readonly property alias list: zonesList
    readonly property alias arrowIcon: arrow

    signal timeZoneSelected(string timeZone)

    implicitHeight: buttonHeight

    function loadIcons() {
        arrow.source = isLight ? "image://themeIcons/arrow-down-black" : "image://themeIcons/arrow-down-white"
    }

    function load() {
        zonesPopup.close()
        filterField.focus = false
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
        filterField.placeholderText = text
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

    function setModel(lines) {
        zonesList.model = lines
        updateHighlight()
    }

    function updateHighlight() {
        const ids = {}
        const text = filterField.text
        if (!colorsReset && text !== "" && timeZonesProvider) {
            const lines = zonesList.model
            for (let i = 0; i < lines.length; ++i) {
                // Every line of the filtered list matched; a single zone's line is
                // found as a whole, even when its name has a comma of its own.
                const found = isMerged(lines[i]) ? timeZonesProvider.getFullZoneNamesByFilter(lines[i], text)
                                                 : [lines[i].substring(0, lines[i].indexOf(";"))]
                for (let j = 0; j < found.length; ++j) {
                    ids[found[j]] = true
                }
            }
        }
        highlightedIds = ids
    }

    function isHighlighted(id) {
        return highlightedIds[id] === true
    }

    function filter(text) {
        colorsReset = false
        if (!zonesPopup.opened) {
            zonesPopup.open()
        }
        setModel(timeZonesProvider.getFilteredTimeZones(text))
        const rows = zonesList.count
        if (rows === 0) {
            // One row saying that nothing matches.
            zonesPopup.height = delegateHeight + 20
        } else if (rows <= maxItemCount) {
            zonesPopup.height = delegateHeight * rows + 20
        } else {
            zonesPopup.height = popupHeight
        }
        // Return then picks the first line the text finds.
        zonesList.currentIndex = rows > 0 ? 0 : -1
        zonesList.positionViewAtBeginning()
    }

    function closeList() {
        zonesPopup.close()
        filterField.focus = false
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

    function pickCurrentRow() {
        if (!zonesPopup.opened || zonesList.currentIndex < 0) {
            return
        }
        // The view keeps its current row made even while it is scrolled away.
        if (zonesList.currentItem) {
            pickRow(zonesList.currentItem)
        }
    }

    function rowIndexOf(id) {
        const lines = zonesList.model
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

    function updateFieldColors() {
        if (filterField.activeFocus) {
            fieldBackground.color = systemPalette.base
            fieldBackground.border.color = systemPalette.buttonText
            filterField.placeholderTextColor = "gray"
        } else {
            fieldBackground.color = systemPalette.button
            fieldBackground.border.color = systemPalette.button
            filterField.placeholderTextColor = systemPalette.buttonText
        }
    }

    SystemPalette {
        id: systemPalette
        colorGroup: SystemPalette.Active
        onPaletteChanged: comboBox.updateFieldColors()
    }

    TextField {
        id: filterField
        objectName: "timeZonesField"
        width: comboBox.width
        height: comboBox.buttonHeight
        placeholderTextColor: systemPalette.buttonText
        color: systemPalette.text
        rightPadding: arrow.width + 20
        Accessible.name: i18n("Time zone")
        Accessible.description: comboBox.displayTimeZoneString

        background: Rectangle {
            id: fieldBackground
            radius: 5
            color: systemPalette.button
            border.color: systemPalette.button
        }

        onPressed: zonesPopup.open()
        onTextEdited: comboBox.filter(text)
        onActiveFocusChanged: {
            if (activeFocus) {
                // Start from the shown choice, all selected: typing replaces it.
                text = placeholderText
                placeholderText = ""
                selectAll()
            } else {
                placeholderText = comboBox.displayTimeZoneString
                text = ""
                comboBox.setModel(comboBox.timeZonesProvider ? comboBox.timeZonesProvider.getFilteredTimeZones("") : [])
                zonesPopup.height = comboBox.popupHeight
                comboBox.colorsReset = true
                comboBox.updateHighlight()
            }
            comboBox.updateFieldColors()
        }

        // The list stays usable without a pointer: arrows move through the lines,
        // Return picks one, Escape closes the list.
        Keys.onDownPressed: {
            if (!zonesPopup.opened) {
                zonesPopup.open()
            } else {
                zonesList.incrementCurrentIndex()
            }
        }
        Keys.onUpPressed: {
            if (zonesPopup.opened) {
                zonesList.decrementCurrentIndex()
            }
        }
        Keys.onPressed: {
            if (!zonesPopup.opened) {
                return
            }
            const page = Math.max(1, Math.floor(zonesPopup.height / comboBox.delegateHeight) - 1)
            if (event.key === Qt.Key_PageDown) {
                zonesList.currentIndex = Math.min(zonesList.count - 1, zonesList.currentIndex + page)
                event.accepted = true
            } else if (event.key === Qt.Key_PageUp) {
                zonesList.currentIndex = Math.max(0, zonesList.currentIndex - page)
                event.accepted = true
            }
        }
        Keys.onReturnPressed: comboBox.pickCurrentRow()
        Keys.onEnterPressed: comboBox.pickCurrentRow()
        Keys.onEscapePressed: {
            if (zonesPopup.opened || filterField.activeFocus) {
                comboBox.closeList()
            } else {
                event.accepted = false
            }
        }

        Image {
            id: arrow
            objectName: "timeZonesArrow"
            width: 16
            height: 16
            sourceSize: Qt.size(16, 16)
            anchors.right: parent.right
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            visible: !filterField.activeFocus
        }
    }

    Popup {
        id: zonesPopup
        objectName: "timeZonesPopup"
        y: filterField.height
        width: filterField.width
        height: comboBox.popupHeight
        padding: 10
        modal: true
        dim: false
        // The typed filter goes to the field: the list must not take the keys away.
        focus: false
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        visible: false

        onAboutToShow: {
            // Open at the chosen zone, unless a filter is being typed.
            if (filterField.text === "" || comboBox.colorsReset) {
                zonesList.currentIndex = comboBox.rowIndexOf(comboBox.fullSelectedZoneName)
                if (zonesList.currentIndex >= 0) {
                    zonesList.positionViewAtIndex(zonesList.currentIndex, ListView.Center)
                }
            }
        }
        onClosed: filterField.focus = false

        background: Rectangle {
            color: systemPalette.base
            border.color: systemPalette.mid
            radius: 5
        }

        contentItem: ScrollView {
            id: scrollView
            clip: true
            ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
            ScrollBar.vertical.policy: ScrollBar.AsNeeded

            ListView {
                id: zonesList
                objectName: "timeZonesList"
                boundsBehavior: Flickable.StopAtBounds
                highlightMoveDuration: 0
                keyNavigationEnabled: false
                model: []

                delegate: zonesPopup.visible ? rowDelegate : closedRow

                Label {
                    objectName: "noMatchLabel"
                    visible: zonesList.count === 0
                    width: zonesList.width
                    height: comboBox.delegateHeight
                    leftPadding: 6
                    verticalAlignment: Text.AlignVCenter
                    text: i18n("No time zone matches")
                    color: systemPalette.buttonText
                }

                // A closed list makes only stand-ins of its rows: nobody sees them, and the
                // real ones would cost more than the rest of the page's field.
                Component {
                    id: closedRow
                    Item {
                        width: zonesList.width
                        height: comboBox.delegateHeight
                    }
                }

                Component {
                    id: rowDelegate

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

                        width: zonesList.width
                        height: comboBox.delegateHeight
                        padding: 0
                        leftPadding: 6
                        rightPadding: 6
                        hoverEnabled: true
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
                                // cut, so that each of its zones stays visible and clickable.
                                transformOrigin: Item.Left
                                scale: implicitWidth > 0 ? Math.max(0.6, Math.min(1, parent.width / implicitWidth)) : 1

                                Label {
                                    id: offsetLabel
                                    text: row.parsed.offset + " "
                                    color: systemPalette.buttonText
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
                                        color: found ? systemPalette.highlight : systemPalette.buttonText

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
                            color: row.highlighted ? Qt.rgba(systemPalette.highlight.r, systemPalette.highlight.g, systemPalette.highlight.b, 0.25)
                                                   : row.hovered ? Qt.rgba(systemPalette.highlight.r, systemPalette.highlight.g, systemPalette.highlight.b, 0.12)
                                                                 : "transparent"
                            radius: 3
                        }

                        onClicked: comboBox.pickRow(row)
                    }
                }
            }
        }
    }
}
