// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import org.kde.kirigami 2.20 as Kirigami
import ru.nimbolinux.kcm.orbadmindate 1.0

// What the two zone choosers share: a text field that filters a pop-up list of
// the provider's zone rows as the user types, the arrow, the list with its height
// rule, and the keys. Each chooser supplies its row and says what picking a row means.
Rectangle {
    id: comboBox

    property int buttonHeight: Kirigami.Units.gridUnit + 2 * Kirigami.Units.smallSpacing
    property int delegateHeight: buttonHeight
    property int maxItemCount: 12
    property int popupHeight: delegateHeight * maxItemCount + 2 * zonesPopup.padding
    // Which of the provider's lists the rows come from.
    property bool allTimeZonesToDisplay: true
    property var timeZonesProvider: null

    // What the field shows while nothing is typed, unfocused and focused.
    property string placeholder: ""
    property string focusedPlaceholder: ""
    property string accessibleName: ""
    property string accessibleDescription: ""
    // A row of the open list; a closed list makes only stand-ins.
    property Component rowDelegate: null
    // What the list says when the typed text finds nothing.
    property string noMatchText: i18n("No time zone matches")
    // Space picks like Return, when the field has no use for a typed blank.
    property bool spacePicks: false

    readonly property alias field: filterField
    readonly property alias popup: zonesPopup
    readonly property alias list: zonesList
    // The rows of the chosen list, and those the typed text finds (the list's model).
    readonly property alias zones: zoneRows
    readonly property alias rows: foundRows
    readonly property alias arrowIcon: arrow
    readonly property alias systemColors: systemPalette
    // From the first edit of the text until the field loses the focus.
    property bool filtering: false
    // The edited text, which the rows are found by: the field's own text is also
    // the shown choice while nothing is typed.
    property string typedText: ""

    // The field took the focus or lost it; the list is already reset on the way out.
    signal fieldEntered()
    signal fieldLeft()
    // The text was edited and the list shows what it finds.
    signal filtered(string text)
    // Return (or Space, see spacePicks) on the row the keys are on.
    signal rowPicked(int index)
    // The list is about to open on the whole list: no row is under the keys yet.
    signal opening()

    implicitHeight: buttonHeight

    function loadIcons() {
        arrow.source = "arrow-down"
    }

    // The smallest scale at which text in `font` is still no smaller than the
    // desktop's small font: rows that scale their text down stop there.
    function minimumTextScale(font) {
        const small = Kirigami.Theme.smallFont
        if (font.pointSize > 0 && small.pointSize > 0) {
            return Math.min(1, small.pointSize / font.pointSize)
        }
        if (font.pixelSize > 0 && small.pixelSize > 0) {
            return Math.min(1, small.pixelSize / font.pixelSize)
        }
        return 1
    }

    function closeList() {
        zonesPopup.close()
        filterField.focus = false
    }

    function fitPopupTo(rows) {
        const frame = 2 * zonesPopup.padding
        if (rows === 0) {
            // One row saying that nothing matches.
            zonesPopup.height = delegateHeight + frame
        } else if (rows <= maxItemCount) {
            zonesPopup.height = delegateHeight * rows + frame
        } else {
            zonesPopup.height = popupHeight
        }
    }

    // No row is under the keys until they move.
    function filter(text) {
        filtering = true
        typedText = text
        if (!zonesPopup.opened) {
            zonesPopup.open()
        }
        zonesList.currentIndex = -1
        fitPopupTo(zonesList.count)
        filtered(text)
    }

    function moveKeyRow(step) {
        if (zonesList.count === 0) {
            return
        }
        zonesList.currentIndex = Math.max(0, Math.min(zonesList.count - 1, zonesList.currentIndex + step))
        zonesList.positionViewAtIndex(zonesList.currentIndex, ListView.Contain)
    }

    // The list stays usable without a pointer: the arrows and the page keys move
    // through the lines, Return picks one, Escape closes the list.
    function handleKey(event) {
        const open = zonesPopup.opened
        const page = Math.max(1, Math.floor(zonesPopup.height / delegateHeight) - 1)
        switch (event.key) {
        case Qt.Key_Down:
            if (!open) {
                zonesPopup.open()
            }
            // Opening may already put the keys on the chosen row.
            if (open || zonesList.currentIndex < 0) {
                moveKeyRow(1)
            }
            break
        case Qt.Key_Up:
        case Qt.Key_PageUp:
        case Qt.Key_PageDown:
            if (!open) {
                return
            }
            moveKeyRow(event.key === Qt.Key_Up ? -1 : event.key === Qt.Key_PageUp ? -page : page)
            break
        case Qt.Key_Space:
            if (!spacePicks) {
                return
            }
            // Space picks like Return.
        case Qt.Key_Return:
        case Qt.Key_Enter:
            if (open && zonesList.currentIndex >= 0) {
                rowPicked(zonesList.currentIndex)
            }
            break
        case Qt.Key_Escape:
            if (!open && !filterField.activeFocus) {
                return
            }
            closeList()
            break
        default:
            return
        }
        event.accepted = true
    }

    OrbPalette {
        id: systemPalette
    }

    TimeZonesModel {
        id: zoneRows
        provider: comboBox.timeZonesProvider
        allZones: comboBox.allTimeZonesToDisplay
    }

    // The rows are made a moment after the field is first shown, so that its tab's
    // first frame does not wait for them; a list opened or searched sooner makes
    // them then.
    Timer {
        interval: 150
        running: comboBox.visible
        onTriggered: zoneRows.makeRows()
    }

    TimeZonesFilterModel {
        id: foundRows
        sourceModel: zoneRows
        filterText: comboBox.typedText
    }

    TextField {
        id: filterField
        width: comboBox.width
        height: comboBox.buttonHeight
        placeholderText: activeFocus ? comboBox.focusedPlaceholder : comboBox.placeholder
        placeholderTextColor: activeFocus ? "gray" : systemPalette.buttonText
        color: systemPalette.text
        rightPadding: arrow.width + 2 * Kirigami.Units.largeSpacing
        Accessible.name: comboBox.accessibleName
        Accessible.description: comboBox.accessibleDescription

        background: Rectangle {
            radius: Kirigami.Units.smallSpacing
            color: filterField.activeFocus ? systemPalette.base : systemPalette.button
            border.color: filterField.activeFocus ? systemPalette.buttonText : systemPalette.button
        }

        onPressed: zonesPopup.open()
        onTextEdited: comboBox.filter(text)
        Keys.onPressed: function(event) {
            comboBox.handleKey(event)
        }
        onActiveFocusChanged: {
            if (activeFocus) {
                comboBox.fieldEntered()
                return
            }
            // The open list covers the controls below: whatever takes the focus
            // (Tab, a click elsewhere) must be able to see them.
            zonesPopup.close()
            text = ""
            comboBox.filtering = false
            comboBox.typedText = ""
            zonesList.currentIndex = -1
            zonesPopup.height = comboBox.popupHeight
            comboBox.fieldLeft()
        }

        Kirigami.Icon {
            id: arrow
            // One colour, the text's, whichever drawing is found.
            isMask: true
            color: Kirigami.Theme.textColor
            width: Kirigami.Units.iconSizes.small
            height: Kirigami.Units.iconSizes.small
            anchors.right: parent.right
            anchors.rightMargin: Kirigami.Units.largeSpacing
            anchors.verticalCenter: parent.verticalCenter
            visible: !filterField.activeFocus
        }
    }

    Popup {
        id: zonesPopup
        y: filterField.height
        width: filterField.width
        height: comboBox.popupHeight
        padding: Kirigami.Units.largeSpacing
        modal: true
        dim: false
        // The typed filter goes to the field: the list must not take the keys away
        // from it, and pressing the field itself must not close the list.
        focus: false
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        visible: false

        onAboutToShow: {
            // Made when first seen, not with the page.
            zoneRows.makeRows()
            if (!comboBox.filtering) {
                zonesList.currentIndex = -1
                comboBox.opening()
            }
        }
        onClosed: filterField.focus = false

        background: Rectangle {
            color: systemPalette.base
            border.color: systemPalette.frame
            radius: Kirigami.Units.smallSpacing
        }

        contentItem: ScrollView {
            clip: true
            ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
            ScrollBar.vertical.policy: ScrollBar.AsNeeded

            ListView {
                id: zonesList
                boundsBehavior: Flickable.StopAtBounds
                highlightMoveDuration: 0
                keyNavigationEnabled: false
                // Rows are made as they come into view: the typed text changes the
                // rows at every key, which would drop a row still being made ahead.
                cacheBuffer: 0
                model: foundRows

                delegate: zonesPopup.visible ? comboBox.rowDelegate : closedRow

                Label {
                    objectName: "noMatchLabel"
                    visible: zonesList.count === 0
                    width: zonesList.width
                    height: comboBox.delegateHeight
                    leftPadding: Kirigami.Units.smallSpacing
                    verticalAlignment: Text.AlignVCenter
                    text: comboBox.noMatchText
                    elide: Text.ElideRight
                    color: systemPalette.text
                }

                // Nobody sees the rows of a closed list, and real ones would cost
                // more than the rest of the page.
                Component {
                    id: closedRow
                    Item {
                        width: zonesList.width
                        height: comboBox.delegateHeight
                    }
                }
            }
        }
    }
}
