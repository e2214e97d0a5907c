// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import orb.testsupport 1.0
import org.kde.kirigami 2.20 as Kirigami
import "qrc:/package/contents/ui"

// The "Time zone" page with the real list provider, map controller and module
// object. One page serves every test, reloaded as the module reloads it after
// Apply; the system zone is this process's own, set per test.
TestCase {
    id: testCase
    name: "TimeZonesTab"
    when: windowShown
    width: 640
    // Taller than the map is wide: a margin stays above and below it.
    height: 640
    visible: true

    property var tab: null

    // Pixels of the map picture (1771 x 986) inside one band only.
    readonly property var newYork: [521, 394] // -05:00
    readonly property var honshu: [1566, 423] // +09:00, nearest Tokyo
    readonly property var seoul: [1510, 414] // +09:00
    readonly property var novosibirsk: [1293, 293] // +07:00

    Component {
        id: tabComponent
        TimeZonesTab {
            width: testCase.width
            height: testCase.height
        }
    }

    SystemPalette {
        id: palette
        colorGroup: SystemPalette.Active
    }

    SignalSpy {
        id: pickedSpy
        signalName: "timeZoneSelected"
    }

    function initTestCase() {
        tab = tabComponent.createObject(testCase)
        verify(tab)
        pickedSpy.target = tab.comboBox
        tab.loadIcons()
    }

    function cleanupTestCase() {
        tab.destroy()
    }

    function cleanup() {
        tab.comboBox.popup.close()
        compare(SystemZone.set("Europe/Moscow"), "Europe/Moscow")
    }

    function openTab(systemZone, showAll) {
        compare(SystemZone.set(systemZone), systemZone)
        kcm.saveShowAllTimeZonesForMap(showAll)
        tab.load()
        tryCompare(tab.mapImage, "status", Image.Ready)
        verify(tab.mapImage.paintedWidth > 0)
        compare(tab.needsSave, false)
        pickedSpy.clear()
    }

    // Where pixel (px, py) of the picture is painted in the letterboxed map item.
    function mapPoint(pixel) {
        const map = tab.mapImage
        const left = (map.width - map.paintedWidth) / 2
        const top = (map.height - map.paintedHeight) / 2
        return Qt.point(left + (pixel[0] + 0.5) * map.paintedWidth / 1771, top + (pixel[1] + 0.5) * map.paintedHeight / 986)
    }

    function clickMap(pixel) {
        const point = mapPoint(pixel)
        mouseClick(tab.mapImage, point.x, point.y)
    }

    function highlightPath() {
        return String(tab.highlightImage.source)
    }

    function band(name) {
        return "image://mapimages/content/" + name + ".png"
    }

    function type(text) {
        for (let i = 0; i < text.length; ++i) {
            keyClick(text[i])
        }
    }

    function openList() {
        mouseClick(tab.comboBox.field)
        tryCompare(tab.comboBox.popup, "opened", true)
    }

    // The rows of the list as the provider's string lists give them, as the list
    // would show them opened.
    function shownLines() {
        tab.comboBox.zones.makeRows()
        const lines = []
        for (let i = 0; i < tab.comboBox.list.count; ++i) {
            lines.push(tab.comboBox.list.model.get(i).entry)
        }
        return lines
    }

    function row(index) {
        const list = tab.comboBox.list
        list.positionViewAtIndex(index, ListView.Contain)
        tryVerify(function () { return list.itemAtIndex(index) !== null }, 1000, "no row " + index)
        return list.itemAtIndex(index)
    }

    function zoneLabels(rowItem) {
        const labels = []
        const stack = [rowItem]
        while (stack.length > 0) {
            const item = stack.pop()
            if (item.objectName === "timeZoneLabel") {
                labels.push(item)
            }
            for (let i = item.children.length - 1; i >= 0; --i) {
                stack.push(item.children[i])
            }
        }
        labels.sort(function (a, b) { return a.x - b.x })
        return labels
    }

    function labelOf(rowItem, id) {
        const labels = zoneLabels(rowItem)
        for (let i = 0; i < labels.length; ++i) {
            if (labels[i].zoneId === id) {
                return labels[i]
            }
        }
        fail("no label for " + id)
    }

    function test_clickOnForeignBandShowsAllZones() {
        openTab("Europe/Moscow", false)
        compare(tab.showAllCheckBox.checked, false)
        compare(shownLines(), tab.provider.russianTimeZonesWithOffsets())
        compare(tab.comboBox.fullSelectedZoneName, "Europe/Moscow")
        compare(highlightPath(), band("+03_00"))
        openList()
        orbTest.screenshot(tab, "timezonestab-russian-list")
        tab.comboBox.popup.close()

        clickMap(newYork)
        const id = tab.controller.getSelectedTimeZoneName()
        verify(id !== "" && !tab.provider.isRussianTimeZone(id), id)
        compare(tab.showAllCheckBox.checked, true)
        compare(kcm.loadShowAllTimeZonesForMap(), true)
        compare(tab.provider.isAllTimeZonesProvided(), true)
        compare(shownLines(), tab.provider.allTimeZonesWithOffsets())
        compare(tab.comboBox.fullSelectedZoneName, id)
        const line = tab.provider.getDisplayString(id)
        compare(tab.comboBox.displayTimeZoneString, line.substring(line.indexOf(";") + 1))
        compare(tab.comboBox.field.placeholderText, tab.comboBox.displayTimeZoneString)
        compare(highlightPath(), band("-05_00"))
        compare(tab.needsSave, true)
        // The map announces nothing: the list only reports what the user picks in it.
        compare(pickedSpy.count, 0)
        wait(50)
        orbTest.screenshot(tab, "timezonestab-highlighted-band")

        // A reload takes the system zone again and forgets the pending choice.
        tab.load()
        compare(tab.needsSave, false)
        compare(tab.comboBox.fullSelectedZoneName, "Europe/Moscow")
        compare(tab.controller.getSelectedTimeZoneName(), "Europe/Moscow")
        compare(highlightPath(), band("+03_00"))
    }

    function test_detailsFollowTheSelectedZone() {
        openTab("Europe/Moscow", false)
        compare(tab.zoneDetails.nextChangeText, "No daylight-saving time")
        verify(tab.zoneDetails.summaryText.indexOf("(UTC+03:00), standard time") > 0, tab.zoneDetails.summaryText)

        clickMap(newYork)
        verify(/^Clocks go (forward|back) 1 hour on /.test(tab.zoneDetails.nextChangeText), tab.zoneDetails.nextChangeText)
        orbTest.screenshot(tab, "timezonestab-zone-details")
    }

    function test_showAllFollowsAForeignSavedZone() {
        openTab("Europe/Moscow", false)
        compare(tab.comboBox.allTimeZonesToDisplay, false)
        // A saved zone from elsewhere cannot be shown in the Russian list.
        compare(SystemZone.set("Asia/Tokyo"), "Asia/Tokyo")
        tab.load()
        compare(tab.needsSave, false)
        compare(kcm.loadShowAllTimeZonesForMap(), true)
        compare(tab.showAllCheckBox.checked, true)
        compare(tab.comboBox.allTimeZonesToDisplay, true)
        compare(tab.comboBox.fullSelectedZoneName, "Asia/Tokyo")
        compare(shownLines(), tab.provider.allTimeZonesWithOffsets())
    }

    function test_uncheckingShowAllKeepsARussianZone_data() {
        return [
            {tag: "foreign zone picked, foreign zone saved", system: "Europe/Berlin", click: newYork, unchecked: "Europe/Kaliningrad",
                uncheckedBand: "+02_00", unsavedAfterUncheck: true},
            {tag: "foreign zone picked, Russian zone saved", system: "Asia/Vladivostok", click: newYork, unchecked: "Asia/Vladivostok",
                uncheckedBand: "+10_00", unsavedAfterUncheck: false},
            {tag: "Russian zone picked, foreign zone saved", system: "Europe/Berlin", click: novosibirsk, unchecked: "",
                uncheckedBand: "+07_00", unsavedAfterUncheck: true},
        ]
    }

    function test_uncheckingShowAllKeepsARussianZone(data) {
        openTab(data.system, true)
        clickMap(data.click)
        const clicked = tab.controller.getSelectedTimeZoneName()
        compare(tab.comboBox.fullSelectedZoneName, clicked)
        const expected = data.unchecked === "" ? clicked : data.unchecked
        verify(tab.provider.isRussianTimeZone(expected))

        mouseClick(tab.showAllCheckBox)
        compare(tab.showAllCheckBox.checked, false)
        compare(kcm.loadShowAllTimeZonesForMap(), false)
        compare(shownLines(), tab.provider.russianTimeZonesWithOffsets())
        compare(tab.comboBox.fullSelectedZoneName, expected)
        compare(tab.controller.getSelectedTimeZoneName(), expected)
        compare(highlightPath(), band(data.uncheckedBand))
        compare(tab.needsSave, data.unsavedAfterUncheck)

        // Checking again brings the pick back.
        mouseClick(tab.showAllCheckBox)
        compare(kcm.loadShowAllTimeZonesForMap(), true)
        compare(shownLines(), tab.provider.allTimeZonesWithOffsets())
        compare(tab.comboBox.fullSelectedZoneName, clicked)
        compare(tab.controller.getSelectedTimeZoneName(), clicked)
        compare(tab.needsSave, true)
    }

    function test_listHeightFollowsTheFilter_data() {
        return [
            {tag: "nothing found", text: "qqzz", rows: 0},
            {tag: "one line", text: "Kaliningrad", rows: 1},
            {tag: "more lines than fit", text: "UTC+", rows: -1},
        ]
    }

    function test_listHeightFollowsTheFilter(data) {
        openTab("Europe/Moscow", true)
        openList()
        type(data.text)
        const rows = tab.provider.getFilteredTimeZones(data.text).length
        if (data.rows >= 0) {
            compare(rows, data.rows)
        } else {
            verify(rows > tab.comboBox.maxItemCount)
        }
        compare(tab.comboBox.list.count, rows)
        // One line, or as many as fit.
        compare(tab.comboBox.popup.height, data.rows < 0 ? tab.comboBox.popupHeight : tab.comboBox.delegateHeight + 20)
        compare(tab.comboBox.list.currentIndex, rows > 0 ? 0 : -1)
        compare(findChild(tab.comboBox.list, "noMatchLabel").visible, rows === 0)

        // Leaving the field drops the filter and shows the whole list again.
        tab.comboBox.popup.close()
        compare(tab.comboBox.field.activeFocus, false)
        compare(tab.comboBox.field.text, "")
        compare(shownLines(), tab.provider.allTimeZonesWithOffsets())
        compare(tab.comboBox.popup.height, tab.comboBox.popupHeight)
        compare(tab.comboBox.fullSelectedZoneName, "Europe/Moscow")
    }

    function test_fieldFocusStates() {
        openTab("Europe/Moscow", true)
        const field = tab.comboBox.field
        const shown = tab.comboBox.displayTimeZoneString
        verify(shown.indexOf("Moscow") >= 0, shown)
        compare(field.text, "")
        compare(field.placeholderText, shown)
        verify(Qt.colorEqual(field.background.color, palette.button))
        verify(Qt.colorEqual(field.background.border.color, palette.button))
        verify(Qt.colorEqual(field.placeholderTextColor, palette.buttonText))
        verify(tab.comboBox.arrowIcon.visible)

        openList()
        compare(field.activeFocus, true)
        compare(field.text, shown)
        compare(field.selectedText, shown)
        compare(field.placeholderText, "")
        verify(Qt.colorEqual(field.background.color, palette.base))
        verify(Qt.colorEqual(field.background.border.color, palette.buttonText))
        verify(Qt.colorEqual(field.placeholderTextColor, "gray"))
        verify(!tab.comboBox.arrowIcon.visible)
        // The list opens at the chosen zone.
        const current = tab.comboBox.list.currentIndex
        verify(current >= 0)
        verify(tab.comboBox.list.model.get(current).entry.indexOf("Europe/Moscow,") >= 0)

        // Typing replaces the selected text.
        type("Omsk")
        compare(field.text, "Omsk")
        compare(tab.comboBox.list.count, 1)

        keyClick(Qt.Key_Escape)
        tryCompare(tab.comboBox.popup, "opened", false)
        compare(field.activeFocus, false)
        compare(field.text, "")
        compare(field.placeholderText, shown)
        verify(Qt.colorEqual(field.background.color, palette.button))
        verify(Qt.colorEqual(field.placeholderTextColor, palette.buttonText))
        verify(tab.comboBox.arrowIcon.visible)
        compare(tab.comboBox.fullSelectedZoneName, "Europe/Moscow")
        compare(pickedSpy.count, 0)
    }

    function test_pickingInTheList() {
        openTab("Europe/Moscow", false)
        openList()
        type("Kirov")
        compare(tab.comboBox.list.count, 1)
        let line = row(0)
        const ids = zoneLabels(line).map(function (label) { return label.zoneId })
        compare(ids, ["Europe/Volgograd", "Europe/Simferopol", "Europe/Moscow", "Europe/Kirov"])
        // The typed text finds Kirov's part of the line only.
        for (const label of zoneLabels(line)) {
            verify(Qt.colorEqual(label.color, label.zoneId === "Europe/Kirov" ? palette.highlight : palette.buttonText), label.zoneId)
            compare(label.font.bold, label.zoneId === "Europe/Moscow")
        }
        compare(zoneLabels(line)[0].text, "Volgograd Time, ")
        compare(zoneLabels(line)[3].text, "Kirov Time")
        const display = line.displayString
        compare(display, "(UTC+03:00) Volgograd Time, Simferopol Time, Moscow Time, Kirov Time")

        // A click on a zone picks it and leaves the list open.
        mouseClick(labelOf(line, "Europe/Volgograd"))
        compare(tab.comboBox.fullSelectedZoneName, "Europe/Volgograd")
        compare(tab.comboBox.displayTimeZoneString, display)
        compare(pickedSpy.count, 1)
        compare(pickedSpy.signalArguments[0][0], "Europe/Volgograd")
        compare(tab.controller.getSelectedTimeZoneName(), "Europe/Volgograd")
        compare(tab.comboBox.popup.opened, true)
        verify(labelOf(line, "Europe/Volgograd").font.bold)
        verify(!labelOf(line, "Europe/Moscow").font.bold)
        // Same offset, same band: the page still has something to apply.
        compare(highlightPath(), band("+03_00"))
        compare(tab.needsSave, true)

        // A double click picks and closes.
        mouseDoubleClickSequence(labelOf(line, "Europe/Simferopol"))
        tryCompare(tab.comboBox.popup, "opened", false)
        compare(tab.comboBox.field.activeFocus, false)
        compare(tab.comboBox.fullSelectedZoneName, "Europe/Simferopol")
        compare(tab.comboBox.field.placeholderText, display)

        // A click beside the names picks the zone the text found...
        openList()
        type("Kirov")
        line = row(0)
        mouseClick(line, 4, line.height / 2)
        tryCompare(tab.comboBox.popup, "opened", false)
        compare(tab.comboBox.fullSelectedZoneName, "Europe/Kirov")
        compare(pickedSpy.signalArguments[pickedSpy.count - 1][0], "Europe/Kirov")
        compare(tab.controller.getSelectedTimeZoneName(), "Europe/Kirov")

        // ... or, without a filter, the line's first zone.
        openList()
        const lines = shownLines()
        let index = -1
        for (let i = 0; i < lines.length; ++i) {
            if (lines[i].indexOf("Asia/Vladivostok,") >= 0) {
                index = i
            }
        }
        verify(index >= 0)
        line = row(index)
        const first = zoneLabels(line)[0].zoneId
        mouseClick(line, 4, line.height / 2)
        tryCompare(tab.comboBox.popup, "opened", false)
        compare(tab.comboBox.fullSelectedZoneName, first)
        compare(tab.controller.getSelectedTimeZoneName(), first)
        compare(highlightPath(), band("+10_00"))
        compare(tab.needsSave, true)
    }

    function test_filterByOffsetFindsEveryZoneOfALine() {
        openTab("Europe/Moscow", false)
        openList()
        type("UTC+07")
        compare(tab.comboBox.list.count, 1)
        const labels = zoneLabels(row(0))
        verify(labels.length >= 2)
        for (const label of labels) {
            verify(Qt.colorEqual(label.color, palette.highlight), label.zoneId)
        }
    }

    function test_keyboardAlone() {
        openTab("Europe/Moscow", true)
        const field = tab.comboBox.field
        field.forceActiveFocus()
        compare(tab.comboBox.popup.opened, false)
        keyClick(Qt.Key_Down)
        tryCompare(tab.comboBox.popup, "opened", true)

        const expected = tab.provider.getFilteredTimeZones("Asia/Ta")
        verify(expected.length >= 2)
        type("Asia/Ta")
        compare(tab.comboBox.list.count, expected.length)
        compare(tab.comboBox.list.currentIndex, 0)
        keyClick(Qt.Key_Up)
        compare(tab.comboBox.list.currentIndex, 0)
        keyClick(Qt.Key_Down)
        compare(tab.comboBox.list.currentIndex, 1)
        keyClick(Qt.Key_Return)
        tryCompare(tab.comboBox.popup, "opened", false)
        const id = expected[1].substring(0, expected[1].indexOf(";"))
        compare(tab.comboBox.fullSelectedZoneName, id)
        compare(tab.controller.getSelectedTimeZoneName(), id)
        compare(pickedSpy.count, 1)
        compare(field.activeFocus, false)
        compare(tab.needsSave, true)

        // Escape leaves without picking.
        field.forceActiveFocus()
        type("Asia/Tok")
        tryCompare(tab.comboBox.popup, "opened", true)
        keyClick(Qt.Key_Escape)
        tryCompare(tab.comboBox.popup, "opened", false)
        compare(tab.comboBox.fullSelectedZoneName, id)
        compare(pickedSpy.count, 1)
    }

    function test_clickThatKeepsTheSelection() {
        openTab("Asia/Tokyo", true)
        const index = tab.controller.getSelectedTimeZone()
        verify(index >= 0)
        compare(highlightPath(), band("+09_00"))

        // Seoul shares Tokyo's band.
        openList()
        type("Asia/Seoul")
        keyClick(Qt.Key_Return)
        tryCompare(tab.comboBox.popup, "opened", false)
        compare(tab.comboBox.fullSelectedZoneName, "Asia/Seoul")
        compare(tab.controller.getSelectedTimeZone(), index)
        compare(tab.needsSave, true)
        const shown = tab.comboBox.displayTimeZoneString

        // A click on the selected place changes nothing.
        clickMap(seoul)
        compare(tab.controller.getSelectedTimeZone(), index)
        compare(tab.comboBox.fullSelectedZoneName, "Asia/Seoul")
        compare(tab.comboBox.displayTimeZoneString, shown)
        compare(tab.needsSave, true)

        // So does a click in the margin beside the painted map.
        const top = (tab.mapImage.height - tab.mapImage.paintedHeight) / 2
        verify(top > 4)
        mouseClick(tab.mapImage, tab.mapImage.width / 2, 2)
        compare(tab.controller.getSelectedTimeZone(), index)
        compare(tab.comboBox.fullSelectedZoneName, "Asia/Seoul")
        compare(tab.needsSave, true)

        // Another place of the same band: the list follows, the band stays.
        clickMap(honshu)
        compare(tab.controller.getSelectedTimeZone(), index)
        compare(tab.comboBox.fullSelectedZoneName, "Asia/Tokyo")
        compare(tab.needsSave, false)
    }

    // The pointer's tooltip names the zone a click would pick; the keyboard walks
    // the map and picks as a click does.
    function test_mapTooltipAndKeyboard() {
        openTab("America/New_York", true)
        const point = mapPoint(newYork)
        mouseMove(tab.mapImage, point.x, point.y)
        const tip = findChild(tab, "timeZonesMapToolTip")
        tryCompare(tip, "visible", true)
        verify(tip.text.indexOf("America/New_York") >= 0, tip.text)
        verify(findChild(tab, "timeZonesMapMarker").visible)
        mouseMove(tab, 2, 2)
        tryCompare(tip, "visible", false)

        tab.showAllCheckBox.forceActiveFocus()
        keyClick(Qt.Key_Tab)
        verify(tab.mapView.activeFocus)
        verify(findChild(tab, "timeZonesMapFocusFrame").visible)
        compare(tab.mapView.keyboardZone, "America/New_York")
        keyClick(Qt.Key_Left)
        const west = tab.mapView.keyboardZone
        compare(west, tab.controller.neighbourBandZone("America/New_York", -1))
        keyClick(Qt.Key_Down)
        const south = tab.mapView.keyboardZone
        compare(south, tab.controller.nextZoneInBand(west, 1))
        tryCompare(tip, "visible", true)
        verify(tip.text.indexOf(south) >= 0, tip.text)
        // Moving does not pick.
        compare(tab.comboBox.fullSelectedZoneName, "America/New_York")

        keyClick(Qt.Key_Space)
        compare(tab.controller.getSelectedTimeZoneName(), south)
        compare(tab.comboBox.fullSelectedZoneName, south)
        compare(highlightPath(), band("-06_00"))
        compare(tab.needsSave, true)
    }

    function test_systemZoneChangedElsewhere_data() {
        return [
            {tag: "to a foreign zone", zone: "Asia/Tokyo", showAll: true, band: "+09_00"},
            {tag: "to a Russian zone", zone: "Asia/Vladivostok", showAll: false, band: "+10_00"},
        ]
    }

    function test_systemZoneChangedElsewhere(data) {
        openTab("Europe/Moscow", false)
        tab.update()
        compare(tab.needsSave, false)
        compare(tab.comboBox.fullSelectedZoneName, "Europe/Moscow")

        compare(SystemZone.set(data.zone), data.zone)
        tab.update()
        compare(tab.showAllCheckBox.checked, data.showAll)
        compare(kcm.loadShowAllTimeZonesForMap(), data.showAll)
        compare(tab.comboBox.fullSelectedZoneName, data.zone)
        compare(tab.controller.getSelectedTimeZoneName(), data.zone)
        compare(tab.controller.getSavedTimeZoneName(), data.zone)
        compare(highlightPath(), band(data.band))
        // The page shows what the system has: Apply has nothing to do.
        compare(tab.needsSave, false)
        // The next tick finds nothing new.
        tab.update()
        compare(tab.comboBox.fullSelectedZoneName, data.zone)
        compare(tab.needsSave, false)
    }

    function test_selectShowsTheZonesLine_data() {
        return [
            {tag: "Russian zone", zone: "Europe/Kirov", text: "(UTC+03:00) Volgograd Time, Simferopol Time, Moscow Time, Kirov Time"},
            {tag: "Russian zone alone at its offset", zone: "Asia/Omsk", text: "(UTC+06:00) Omsk Time"},
            {tag: "other zone", zone: "Asia/Tokyo", text: "(UTC+09:00) Japan Time"},
        ]
    }

    function test_selectShowsTheZonesLine(data) {
        openTab("Europe/Moscow", true)
        tab.comboBox.select(data.zone)
        compare(tab.comboBox.fullSelectedZoneName, data.zone)
        compare(tab.comboBox.displayTimeZoneString, data.text)
        compare(tab.comboBox.field.placeholderText, data.text)
        compare(pickedSpy.count, 0)
    }

    // A narrow page draws a long line of zones smaller, but never below the
    // desktop's small font.
    function test_narrowListKeepsTheSmallFont() {
        openTab("Europe/Moscow", false)
        tab.width = 260
        openList()
        type("Kirov")
        const labels = zoneLabels(row(0))
        const drawn = labels[0].font.pointSize * labels[0].parent.scale
        tab.width = testCase.width
        verify(labels[0].parent.scale < 1, "the line fits unscaled")
        verify(drawn >= Kirigami.Theme.smallFont.pointSize - 0.01,
               drawn + " pt drawn, small font " + Kirigami.Theme.smallFont.pointSize + " pt")
    }

    function test_screenshots() {
        openTab("Europe/Berlin", true)
        openList()
        compare(shownLines(), tab.provider.allTimeZonesWithOffsets())
        wait(50)
        orbTest.screenshot(tab, "timezonestab-all-zones")
        type("Samara")
        wait(50)
        orbTest.screenshot(tab, "timezonestab-filter")
        tab.comboBox.popup.close()
    }

    function test_arrowIconIsTheThemes() {
        tab.loadIcons()
        compare(String(tab.comboBox.arrowIcon.source), "arrow-down")
        verify(tab.comboBox.arrowIcon.valid)
    }
}
