// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import "qrc:/package/contents/ui"

// The "Other time zones" page against the real module object and a real settings
// file in the test's own configuration folder.
TestCase {
    id: testCase
    name: "AppletSettingsTab"
    when: windowShown
    width: 640
    height: 560
    visible: true

    property var tab: null
    property var russian: []
    property int writes: 0

    Component {
        id: tabComponent
        AppletSettingsTab {
            width: testCase.width
            height: testCase.height
        }
    }

    // The main view's one-second refresh.
    Timer {
        id: refresh
        interval: 1000
        repeat: true
        onTriggered: if (testCase.tab) testCase.tab.update()
    }

    function settingsFile() {
        return orbTest.environment("XDG_CONFIG_HOME") + "/ru.nimbolinux/kcm_orb_admin_date.conf"
    }

    // Writes the file the way the clock applet's process would.
    function writeSettings(allZones, chosen) {
        // File times are coarse: make sure a rewrite is seen as one.
        wait(30)
        let text = "[General]\nallTimeZonesToDisplay=" + (allZones ? "true" : "false") + "\n"
        if (chosen.length > 0) {
            text += "chosenTimeZones=" + chosen.map(function (e) { return "\"" + e + "\"" }).join(", ") + "\n"
        }
        text += "# write " + (++writes) + "\n"
        verify(orbTest.writeFile(settingsFile(), text))
    }

    function chosenShown() {
        const zones = []
        const model = tab.chosenList.model
        for (let i = 0; i < model.length; ++i) {
            zones.push(model[i])
        }
        return zones
    }

    function openPage(allZones, chosen) {
        refresh.stop()
        writeSettings(allZones, chosen)
        kcm.updateAppletSettings()
        tab = createTemporaryObject(tabComponent, testCase)
        verify(tab)
        tab.loadIcons()
        tab.load()
        compare(tab.provider.russianTimeZonesWithOffsets(), russian)
    }

    function comboRow(entry) {
        const list = tab.comboBox.list
        let index = -1
        for (let i = 0; i < list.count && index < 0; ++i) {
            index = list.model.get(i).entry === entry ? i : -1
        }
        verify(index >= 0, "not listed: " + entry)
        list.positionViewAtIndex(index, ListView.Center)
        // Rows are made at the next polish.
        tryVerify(function () { return list.itemAtIndex(index) !== null }, 1000, "no row for " + entry)
        return list.itemAtIndex(index)
    }

    function chosenRowButton(index) {
        tryVerify(function () { return tab.chosenList.itemAtIndex(index) !== null }, 1000)
        const row = tab.chosenList.itemAtIndex(index)
        const button = findChild(row, "appletRemoveZoneButton")
        verify(button)
        return button
    }

    function openPopup() {
        mouseClick(tab.comboBox.field)
        tryCompare(tab.comboBox.popup, "opened", true)
    }

    function type(text) {
        for (let i = 0; i < text.length; ++i) {
            keyClick(text[i])
        }
    }

    // The entries are needed before a page exists.
    SettingsForAppletProvider {
        id: catalogue
    }

    function initTestCase() {
        russian = catalogue.russianTimeZonesWithOffsets()
        verify(russian.length >= 5)
    }

    function init() {
        // Each test starts from a file with nothing chosen and the Russian list.
        writeSettings(false, [])
        kcm.updateAppletSettings()
    }

    function cleanup() {
        refresh.stop()
        if (tab) {
            tab.comboBox.popup.close()
        }
        tab = null
    }

    // The rows are made when the list first opens or is searched, not with the page.
    function test_listUsedBeforeItsRows_data() {
        return [{tag: "opened", text: "", rows: russian.length}, {tag: "searched", text: "Moscow", rows: 1}]
    }
    function test_listUsedBeforeItsRows(data) {
        tab = createTemporaryObject(tabComponent, testCase)
        if (data.text === "") {
            tab.comboBox.popup.open()
        } else {
            tab.comboBox.field.forceActiveFocus()
            type(data.text)
        }
        verify(tab.comboBox.popup.opened)
        compare(tab.comboBox.list.count, data.rows)
    }

    function test_addingAChosenZoneAgainChangesNothing() {
        openPage(false, [russian[0], russian[1]])
        tab.comboBox.addTimeZone(russian[0])
        compare(chosenShown(), [russian[0], russian[1]])
        compare(tab.needsSave, false)

        tab.comboBox.addTimeZone(russian[2])
        compare(tab.needsSave, true)
        tab.comboBox.addTimeZone(russian[2])
        compare(chosenShown(), [russian[0], russian[1], russian[2]])
        compare(tab.needsSave, true)
    }

    function test_removeAndChooseAgain_data() {
        return [
            {tag: "last", index: 2, changed: false},
            {tag: "middle", index: 1, changed: true},
        ]
    }

    function test_removeAndChooseAgain(data) {
        const chosen = russian.slice(0, 3)
        openPage(false, chosen)
        const entry = chosen[data.index]

        openPopup()
        verify(comboRow(entry).boxChecked)
        tab.comboBox.popup.close()

        mouseClick(chosenRowButton(data.index))
        verify(chosenShown().indexOf(entry) < 0)
        compare(tab.provider.getChosenTimeZones().indexOf(entry), -1)
        compare(tab.needsSave, true)

        // The trash button cleared the box, so a click on the row chooses it again.
        openPopup()
        const row = comboRow(entry)
        compare(row.boxChecked, false)
        mouseClick(row)
        tryCompare(tab.comboBox.popup, "opened", false)
        compare(chosenShown()[chosenShown().length - 1], entry)
        compare(chosenShown().length, 3)
        compare(tab.needsSave, data.changed)
    }

    function test_filterThatMatchesNothingSaysSo() {
        openPage(false, [])
        openPopup()
        const noMatch = findChild(tab.comboBox.list, "noMatchLabel")
        verify(noMatch)
        compare(noMatch.visible, false)
        type("qqzz")
        compare(tab.comboBox.list.count, 0)
        compare(tab.comboBox.popup.height, tab.comboBox.delegateHeight + 20)
        compare(noMatch.visible, true)
    }

    function test_popupHeightFollowsTheRows_data() {
        return [
            {tag: "exactly maxItemCount", extra: 0},
            {tag: "one more", extra: 1},
        ]
    }

    function test_popupHeightFollowsTheRows(data) {
        openPage(false, [])
        const text = "+7"
        const rows = tab.provider.getFilteredTimeZones(text).length
        verify(rows >= 2, "too few rows for " + text)
        tab.comboBox.maxItemCount = rows - data.extra
        openPopup()
        type(text)
        compare(tab.comboBox.list.count, rows)
        compare(tab.comboBox.popup.height, data.extra === 0 ? tab.comboBox.delegateHeight * rows + 20 : tab.comboBox.popupHeight)
        compare(tab.comboBox.popup.opened, true)

        // Leaving the field drops the filter and restores the whole list.
        tab.comboBox.popup.close()
        tryCompare(tab.comboBox.field, "text", "")
        compare(tab.comboBox.list.count, russian.length)
        compare(tab.comboBox.popup.height, tab.comboBox.popupHeight)
    }

    function test_zoneFromTheAllZonesListStaysChosen() {
        openPage(false, [])
        mouseClick(tab.showAllCheckBox)
        compare(tab.provider.isAllTimeZonesProvided(), true)
        compare(tab.needsSave, true)
        compare(tab.comboBox.list.count, tab.provider.allTimeZonesWithOffsets().length)

        openPopup()
        type("Europe/Paris")
        compare(tab.comboBox.list.count, 1)
        const paris = tab.comboBox.list.model.get(0).entry
        verify(paris.endsWith(";Europe/Paris"))
        mouseClick(tab.comboBox.list.itemAtIndex(0))
        tryCompare(tab.comboBox.popup, "opened", false)
        compare(chosenShown(), [paris])

        mouseClick(tab.showAllCheckBox)
        compare(tab.provider.isAllTimeZonesProvided(), false)
        compare(tab.comboBox.list.count, russian.length)
        compare(chosenShown(), [paris])
        compare(tab.provider.getChosenTimeZones(), [paris])
        compare(tab.needsSave, true)

        // Apply writes it, and the page shows it afterwards with nothing pending.
        kcm.save()
        tab.load()
        compare(tab.needsSave, false)
        compare(chosenShown(), [paris])
        verify(orbTest.readFile(settingsFile()).indexOf("Europe/Paris") >= 0)
        orbTest.screenshot(tab, "applet-settings-tab.png")
    }

    function test_fileChangesAppearOnlyWhileNothingIsPending() {
        openPage(false, [russian[0]])
        refresh.start()

        writeSettings(false, [russian[3], russian[1]])
        tryVerify(function () { return chosenShown().length === 2 && chosenShown()[0] === russian[3] }, 1500)
        compare(tab.comboBox.getChosenTimeZones(), [russian[3], russian[1]])
        compare(tab.needsSave, false)

        // Once the search list was used its model no longer follows a binding.
        openPopup()
        tab.comboBox.popup.close()
        writeSettings(true, [russian[3], russian[1]])
        tryCompare(tab.showAllCheckBox, "checked", true, 1500)
        compare(tab.comboBox.list.count, tab.provider.allTimeZonesWithOffsets().length)

        tab.comboBox.addTimeZone(russian[0])
        compare(tab.needsSave, true)
        writeSettings(false, [russian[4]])
        wait(2500)
        compare(chosenShown(), [russian[3], russian[1], russian[0]])
        compare(tab.showAllCheckBox.checked, true)
        compare(tab.provider.getChosenTimeZones(), [russian[3], russian[1], russian[0]])

        // After a reset by the host the page follows the file again.
        kcm.load()
        tab.load()
        compare(tab.needsSave, false)
        tryVerify(function () { return chosenShown().length === 1 && chosenShown()[0] === russian[4] }, 1500)
        compare(tab.showAllCheckBox.checked, false)
    }

    function test_idleRefreshLeavesTheListsAlone() {
        // Enough chosen zones to scroll, and the search list open on top.
        openPage(false, russian)
        const chosenList = tab.chosenList
        tryVerify(function () { return chosenList.contentHeight > chosenList.height }, 1000)
        chosenList.positionViewAtEnd()
        const chosenScrolled = chosenList.contentY
        verify(chosenScrolled > 0)
        const lastChosenRow = chosenList.itemAtIndex(russian.length - 1)
        verify(lastChosenRow)

        refresh.start()
        openPopup()
        const list = tab.comboBox.list
        list.positionViewAtIndex(russian.length - 1, ListView.End)
        const scrolled = list.contentY
        verify(scrolled > 0)
        const lastRow = list.itemAtIndex(russian.length - 1)
        wait(2300)
        compare(tab.comboBox.popup.opened, true)
        compare(list.contentY, scrolled)
        compare(list.itemAtIndex(russian.length - 1), lastRow)
        compare(chosenList.contentY, chosenScrolled)
        compare(chosenList.itemAtIndex(russian.length - 1), lastChosenRow)
        orbTest.screenshot(tab, "applet-settings-tab-popup.png")
    }

    function test_resetClearsBoxesOfZonesNoLongerChosen() {
        openPage(false, [])
        openPopup()
        const entry = russian[2]
        mouseClick(comboRow(entry))
        compare(chosenShown(), [entry])
        compare(tab.needsSave, true)

        kcm.load()
        tab.load()
        compare(chosenShown(), [])
        compare(tab.needsSave, false)
        openPopup()
        compare(comboRow(entry).boxChecked, false)
    }

    // The file holds the text of another language or season: the zone id decides.
    function test_chosenZoneRecognisedByItsId() {
        const moscow = russian.filter(function (e) { return e.endsWith(";Europe/Moscow") })[0]
        verify(moscow)
        openPage(false, ["(UTC+04:00) Moskauer Zeit;Europe/Moscow"])
        compare(chosenShown(), [moscow])
        compare(tab.needsSave, false)

        openPopup()
        verify(comboRow(moscow).boxChecked)
        tab.comboBox.addTimeZone(moscow)
        compare(chosenShown(), [moscow])
        compare(tab.needsSave, false)

        kcm.save()
        verify(orbTest.readFile(settingsFile()).indexOf(moscow) >= 0)
        verify(orbTest.readFile(settingsFile()).indexOf("Moskauer") < 0)
    }

    function test_keyboardInTheOpenList() {
        openPage(false, [])
        const box = tab.comboBox
        box.field.forceActiveFocus()
        keyClick(Qt.Key_Down)
        tryCompare(box.popup, "opened", true)
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Up)
        keyClick(Qt.Key_Down)
        compare(box.keyIndex, 1)
        keyClick(Qt.Key_Space)
        compare(chosenShown(), [russian[1]])
        compare(box.field.text, "")
        keyClick(Qt.Key_Return)
        compare(chosenShown(), [])
        keyClick(Qt.Key_Space)
        keyClick(Qt.Key_Escape)
        tryCompare(box.popup, "opened", false)
        compare(chosenShown(), [russian[1]])

        // Leaving the field closes the list: nothing under it can get the keys.
        box.field.forceActiveFocus()
        keyClick(Qt.Key_Down)
        tryCompare(box.popup, "opened", true)
        keyClick(Qt.Key_Tab)
        tryCompare(box.popup, "opened", false)
        verify(!box.field.activeFocus)
    }
}
