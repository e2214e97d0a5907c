import QtQuick 2.15
import QtQuick.Controls 2.15

// A search field with a popup list of catalogue entries, each with a check box.
// Checking or unchecking an entry only emits addTimeZone/removeTimeZone: the page
// owns the chosen list and tells this component about it through setChosenTimeZones.
Rectangle {
    id: comboBox

    property int popupHeight: 370
    property int buttonHeight: 30
    property bool allTimeZonesToDisplay: true
    property int maxItemCount: 12
    property int delegateHeight: 30
    property bool isLight: true
    property var chosenTimeZones: []
    property var timeZonesProvider: null

    // Whether the list's model currently comes from the all-zones list.
    property bool listShowsAllZones: allTimeZonesToDisplay

    readonly property alias field: searchField
    readonly property alias popup: zonesPopup
    readonly property alias list: zonesList

    signal addTimeZone(string timeZone)
    signal removeTimeZone(string timeZone)

    implicitHeight: buttonHeight

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
        for (let i = 0; i < chosenTimeZones.length; ++i) {
            if (zoneIdOf(chosenTimeZones[i]) === id) {
                return true
            }
        }
        return false
    }

    function loadIcons() {
        arrow.source = isLight ? "image://themeIcons/arrow-down-black" : "image://themeIcons/arrow-down-white"
    }

    function load() {
        allTimeZonesToDisplay = timeZonesProvider.isAllTimeZonesProvided()
        searchField.placeholderText = i18n("Choose from the list")
        chosenTimeZones = timeZonesProvider.getChosenTimeZones()
        // The file may name the other list than the one shown (first load, or
        // the applet switched it): show the list the choice refers to.
        if (listShowsAllZones !== allTimeZonesToDisplay) {
            setModel(timeZonesProvider.getFilteredTimeZones(searchField.text), allTimeZonesToDisplay)
        }
        // Clearing too, not only checking: after a reset or a change made by the
        // applet a box must not stay checked for a zone that is no longer chosen.
        // Stand-ins of a closed list have no box: its rows start right when made.
        for (let i = 0; i < zonesList.count; ++i) {
            const row = zonesList.itemAtIndex(i)
            if (row && row.entry !== undefined) {
                row.boxChecked = isChosen(row.entry)
            }
        }
    }

    function getChosenTimeZones() {
        return chosenTimeZones
    }

    function setChosenTimeZones(list) {
        timeZonesProvider.setChosenTimeZones(list)
        chosenTimeZones = list
    }

    function uncheckComboBox(timeZone) {
        for (let i = 0; i < zonesList.count; ++i) {
            if (zoneIdOf(zonesList.model[i]) === zoneIdOf(timeZone)) {
                const row = zonesList.itemAtIndex(i)
                if (row && row.entry !== undefined) {
                    row.boxChecked = false
                }
                return
            }
        }
    }

    function showAllTimeZones() {
        timeZonesProvider.setAllTimeZonesProvided()
        setModel(timeZonesProvider.allTimeZonesWithOffsets(), true)
    }

    function showRussianTimeZones() {
        timeZonesProvider.setRussianTimeZonesProvided()
        setModel(timeZonesProvider.russianTimeZonesWithOffsets(), false)
    }

    function emitAddTimeZone(timeZone) {
        addTimeZone(timeZone)
    }

    function emitRemoveTimeZone(timeZone) {
        removeTimeZone(timeZone)
    }

    function setModel(entries, allZones) {
        listShowsAllZones = allZones
        zonesList.model = entries
        keyIndex = -1
    }

    // The row the arrow keys are on, -1 while none is: Space then types a blank.
    property int keyIndex: -1

    function moveKeyIndex(step) {
        if (zonesList.count === 0) {
            return
        }
        keyIndex = Math.max(0, Math.min(zonesList.count - 1, keyIndex + step))
        zonesList.positionViewAtIndex(keyIndex, ListView.Contain)
    }

    function toggleRow(index) {
        const entry = zonesList.model[index]
        const chosen = isChosen(entry)
        const row = zonesList.itemAtIndex(index)
        if (row && row.entry !== undefined) {
            row.boxChecked = !chosen
        }
        if (chosen) {
            emitRemoveTimeZone(entry)
        } else {
            emitAddTimeZone(entry)
        }
    }

    function handleKey(event) {
        const open = zonesPopup.opened
        switch (event.key) {
        case Qt.Key_Down:
            if (!open) {
                zonesPopup.open()
            }
            moveKeyIndex(1)
            break
        case Qt.Key_Up:
            if (!open) {
                return
            }
            moveKeyIndex(-1)
            break
        case Qt.Key_Space:
        case Qt.Key_Return:
        case Qt.Key_Enter:
            if (!open || keyIndex < 0) {
                return
            }
            toggleRow(keyIndex)
            break
        case Qt.Key_Escape:
            if (!open) {
                return
            }
            zonesPopup.close()
            break
        default:
            return
        }
        event.accepted = true
    }

    function filter(text) {
        if (!zonesPopup.opened) {
            zonesPopup.open()
        }
        setModel(timeZonesProvider.getFilteredTimeZones(text), timeZonesProvider.isAllTimeZonesProvided())
        const rows = zonesList.count
        if (rows === 0) {
            // One row saying that nothing matches.
            zonesPopup.height = delegateHeight + 20
        } else if (rows <= maxItemCount) {
            zonesPopup.height = delegateHeight * rows + 20
        } else {
            zonesPopup.height = popupHeight
        }
    }

    function updateFieldColors() {
        if (searchField.activeFocus) {
            searchField.placeholderText = i18n("Find...")
            fieldBackground.color = systemPalette.base
            fieldBackground.border.color = systemPalette.buttonText
            searchField.placeholderTextColor = "gray"
        } else {
            fieldBackground.color = systemPalette.button
            fieldBackground.border.color = systemPalette.button
            searchField.placeholderText = i18n("Choose from the list")
            searchField.placeholderTextColor = systemPalette.buttonText
        }
    }

    SystemPalette {
        id: systemPalette
        colorGroup: SystemPalette.Active
        onBaseChanged: comboBox.updateFieldColors()
    }

    TextField {
        id: searchField
        objectName: "appletZoneField"
        width: comboBox.width
        height: comboBox.buttonHeight
        placeholderText: i18n("Choose from the list")
        placeholderTextColor: systemPalette.buttonText
        color: systemPalette.text
        rightPadding: arrow.width + 20

        background: Rectangle {
            id: fieldBackground
            radius: 5
            color: systemPalette.button
            border.color: systemPalette.button
        }

        onPressed: zonesPopup.open()
        onTextEdited: comboBox.filter(text)
        Keys.onPressed: function(event) {
            comboBox.handleKey(event)
        }
        onActiveFocusChanged: {
            comboBox.updateFieldColors()
            if (!activeFocus) {
                // The open list covers the controls below: whatever takes the
                // focus (Tab, a click elsewhere) must be able to see them.
                zonesPopup.close()
                text = ""
                comboBox.setModel(comboBox.timeZonesProvider.getFilteredTimeZones(""), comboBox.timeZonesProvider.isAllTimeZonesProvided())
                zonesPopup.height = comboBox.popupHeight
            }
        }

        Image {
            id: arrow
            width: 16
            height: 16
            sourceSize: Qt.size(16, 16)
            anchors.right: parent.right
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            visible: !searchField.activeFocus
        }
    }

    Popup {
        id: zonesPopup
        objectName: "appletZonePopup"
        y: searchField.height
        width: searchField.width
        height: comboBox.popupHeight
        padding: 10
        modal: true
        dim: false
        // The typed filter goes to the field: the popup must not take the keys away
        // from it, and pressing the field itself must not close the list.
        focus: false
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        visible: false

        onClosed: searchField.focus = false
        onOpened: comboBox.keyIndex = -1

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
                objectName: "appletZoneList"
                boundsBehavior: Flickable.StopAtBounds
                model: !comboBox.timeZonesProvider ? [] : comboBox.allTimeZonesToDisplay ? comboBox.timeZonesProvider.allTimeZonesWithOffsets() : comboBox.timeZonesProvider.russianTimeZonesWithOffsets()

                delegate: zonesPopup.visible ? rowDelegate : closedRow

                Label {
                    objectName: "noMatchLabel"
                    visible: zonesList.count === 0
                    width: zonesList.width
                    height: comboBox.delegateHeight
                    leftPadding: 6
                    verticalAlignment: Text.AlignVCenter
                    text: i18n("No time zone matches")
                    color: systemPalette.text
                }

                // A closed list makes only stand-ins of its rows: nobody sees them, and the
                // real ones would cost more than the rest of the page's field.
                Component {
                    id: closedRow
                    Item {
                        width: searchField.width - 20
                        height: comboBox.delegateHeight
                    }
                }

                Component {
                    id: rowDelegate

                    ItemDelegate {
                        id: row

                        readonly property string entry: modelData
                        property alias boxChecked: rowCheckBox.checked

                        width: searchField.width - 20
                        height: comboBox.delegateHeight
                        padding: 0
                        hoverEnabled: true
                        // The keys stay with the search field, or the list would close.
                        focusPolicy: Qt.NoFocus
                        highlighted: index === comboBox.keyIndex

                        contentItem: Row {
                            spacing: 4
                            CheckBox {
                                id: rowCheckBox
                                anchors.verticalCenter: parent.verticalCenter
                                focusPolicy: Qt.NoFocus
                                onClicked: {
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
                                color: row.highlighted ? systemPalette.highlightedText : systemPalette.text
                                elide: Text.ElideRight
                            }
                        }

                        onClicked: {
                            if (rowCheckBox.checked) {
                                rowCheckBox.checked = false
                                comboBox.emitRemoveTimeZone(row.entry)
                            } else {
                                rowCheckBox.checked = true
                                comboBox.emitAddTimeZone(row.entry)
                            }
                            zonesPopup.close()
                        }

                        Component.onCompleted: rowCheckBox.checked = comboBox.isChosen(entry)
                    }
                }
            }
        }
    }
}
