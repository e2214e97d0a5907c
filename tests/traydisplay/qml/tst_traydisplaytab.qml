// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import "qrc:/package/contents/ui"

TestCase {
    id: testCase
    name: "TrayDisplayTab"
    when: windowShown
    // The size the main view gives its pages by default.
    width: 640
    height: 560
    visible: true

    Component {
        id: tabComponent
        TrayDisplayTab {
            width: testCase.width
            height: testCase.height
        }
    }

    // The class-wide state that the tab edits.
    TrayDisplay {
        id: store
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    function vector(on) {
        const boxes = []
        for (let i = 0; i < store.numberOfDisplayOptions(); ++i) {
            boxes.push(on.indexOf(i) >= 0)
        }
        return boxes
    }

    // What the edited formats read back as, as a list of the options that are on.
    function edited() {
        const boxes = store.savedDisplayFormatToCheckBoxes()
        const on = []
        for (let i = 0; i < boxes.length; ++i) {
            if (boxes[i]) {
                on.push(i)
            }
        }
        return on
    }

    // Stores the formats built from `on` (the window manager cannot be told here,
    // which the store reports, but it keeps the formats).
    function storeFormats(on) {
        store.saveDisplayFormat(vector(on))
        store.apply()
        store.loadSettings()
        verify(!store.needsSave())
    }

    // A disabled box keeps its state through loads, for every tab: each test
    // leaves the boxes that may be disabled unchecked.
    function cleanup() {
        store.setBox(TrayDisplay.DisplayDateTip, false)
        for (const option of [TrayDisplay.DisplaySecondsTip, TrayDisplay.DisplayDateInStandartFormatTip, TrayDisplay.DisplayDayOfWeekTip,
                              TrayDisplay.DisplayMonthTip, TrayDisplay.DisplayDayOfMonthTip, TrayDisplay.DisplayYearTip,
                              TrayDisplay.DisplayDayOfWeekDate, TrayDisplay.DisplayMonthDate, TrayDisplay.DisplayDayOfMonthDate,
                              TrayDisplay.DisplayYearDate]) {
            store.setBox(option, false)
        }
    }

    function createTab() {
        const tab = createTemporaryObject(tabComponent, testCase)
        verify(tab)
        tab.load()
        return tab
    }

    function box(tab, name) {
        const item = findChild(tab, name)
        verify(item, name)
        return item
    }

    function checkedNames(tab) {
        const names = ["timeSeconds", "dateStandard", "dateDayOfWeek", "dateMonth", "dateDayOfMonth", "dateYear",
                       "tipTime", "tipSeconds", "tipDate", "tipStandard", "tipDayOfWeek", "tipMonth", "tipDayOfMonth", "tipYear"]
        return names.filter(function (name) { return box(tab, name).checked })
    }

    function click(tab, name) {
        const item = box(tab, name)
        verify(item.enabled, name + " is enabled")
        mouseClick(item, 10, item.height / 2)
    }

    // Runs first: the theme file did not exist when the library was loaded.
    function test_01_firstLoadShowsTheStoredFormats() {
        const tab = createTab()
        compare(checkedNames(tab), ["tipDate", "tipDayOfWeek", "tipMonth", "tipDayOfMonth", "tipYear"])
        verify(!box(tab, "tipSeconds").enabled)
        verify(box(tab, "tipStandard").enabled)
        verify(box(tab, "tipMonth").enabled)
        verify(box(tab, "dateDayOfWeek").enabled)
        verify(!tab.needsSave)
        // Loading shows the formats; it does not edit them.
        verify(!store.needsSave())

        const path = orbTest.screenshot(tab, "traydisplay-tab")
        verify(orbTest.readFile(path).length > 0)
        // The tab paints the palette's base colour, not a transparent hole.
        compare(orbTest.pixel(tab, tab.width - 5, tab.height / 2).a, 1)
    }

    function test_previewFollowsTheBoxes() {
        storeFormats([1, 6, 8, 9])
        const tab = createTab()
        const timeAndDate = /^\d\d:\d\d\n\d\d\.\d\d\.\d{4}$/
        verify(timeAndDate.test(tab.preview.clockText), tab.preview.clockText)
        verify(timeAndDate.test(tab.preview.tipText), tab.preview.tipText)
        click(tab, "timeSeconds")
        verify(/^\d\d:\d\d:\d\d\n/.test(tab.preview.clockText), tab.preview.clockText)
        orbTest.screenshot(tab, "traydisplay-tab-preview")
    }

    function test_dateColumnAlwaysShowsSomething() {
        storeFormats([2, 6])
        const tab = createTab()
        compare(checkedNames(tab), ["dateDayOfWeek", "tipTime"])

        // The last element brings back dd.mm.yyyy, which disables the elements.
        click(tab, "dateDayOfWeek")
        verify(box(tab, "dateStandard").checked)
        verify(box(tab, "dateStandard").activeFocus)
        verify(!box(tab, "dateMonth").enabled)
        compare(edited().filter(function (o) { return o >= 1 && o <= 5 }), [1, 4])
        verify(tab.needsSave)

        // Unchecking dd.mm.yyyy with no element checked brings back day of week.
        click(tab, "dateStandard")
        verify(box(tab, "dateDayOfWeek").checked)
        verify(box(tab, "dateDayOfWeek").activeFocus)
        verify(box(tab, "dateMonth").enabled)
        // Back at the stored formats.
        verify(!tab.needsSave)
    }

    function test_standardFormKeepsTheElementsStates() {
        storeFormats([2, 3, 6])
        const tab = createTab()
        click(tab, "dateStandard")
        verify(!box(tab, "dateDayOfWeek").enabled)
        verify(box(tab, "dateDayOfWeek").checked)
        verify(box(tab, "dateMonth").checked)
        // The date is dd.mm.yyyy whatever the elements say.
        compare(edited().filter(function (o) { return o >= 1 && o <= 5 }), [1, 4])

        // Enabled again, the elements count again.
        click(tab, "dateStandard")
        compare(edited().filter(function (o) { return o >= 1 && o <= 5 }), [2, 3])
        verify(!tab.needsSave)
    }

    function test_disabledBoxesKeepTheirStateOnLoad() {
        // dd.mm.yyyy also reads back as "day of month" (it contains %d); that box
        // is disabled behind the standard form and stays unchecked.
        storeFormats([1, 6, 7, 8, 9])
        const tab = createTab()
        compare(checkedNames(tab), ["dateStandard", "tipTime", "tipSeconds", "tipDate", "tipStandard"])
        verify(!box(tab, "dateDayOfMonth").enabled)
        verify(!box(tab, "tipDayOfMonth").enabled)
        verify(!tab.needsSave)

        // The page is loaded again after an Apply: boxes disabled now keep their state.
        click(tab, "dateStandard")
        verify(box(tab, "dateDayOfWeek").checked)
        click(tab, "tipStandard")
        verify(box(tab, "tipDayOfWeek").checked)
        storeFormats([1, 6, 7, 8, 9])
        tab.load()
        compare(checkedNames(tab), ["dateStandard", "dateDayOfWeek", "tipTime", "tipSeconds", "tipDate", "tipStandard", "tipDayOfWeek"])
        verify(!tab.needsSave)
        verify(!store.needsSave())
    }

    function test_tipShowsTimeDateOrBoth() {
        storeFormats([2, 6, 7])
        const tab = createTab()
        verify(box(tab, "tipSeconds").enabled)
        verify(!box(tab, "tipStandard").enabled)

        // No time: the date comes on, with something in it.
        click(tab, "tipTime")
        verify(box(tab, "tipDate").checked)
        verify(!box(tab, "tipSeconds").enabled)
        verify(box(tab, "tipSeconds").checked)
        verify(box(tab, "tipStandard").checked)
        compare(edited().filter(function (o) { return o >= 6 }), [8, 9, 12, 13])

        // The time back, then no date: the time stays.
        click(tab, "tipTime")
        verify(box(tab, "tipSeconds").enabled)
        click(tab, "tipDate")
        verify(box(tab, "tipTime").checked)
        verify(!box(tab, "tipStandard").enabled)
        // Seconds were kept while disabled and count again.
        compare(edited().filter(function (o) { return o >= 6 }), [6, 7])
        verify(!tab.needsSave)

        // No date: unchecking the time checks the date.
        click(tab, "tipTime")
        verify(box(tab, "tipDate").checked)
        click(tab, "tipDate")
        verify(box(tab, "tipTime").checked)
    }

    function test_tipDateAlwaysShowsSomething() {
        storeFormats([2, 6, 8, 11])
        const tab = createTab()
        verify(box(tab, "tipMonth").checked)

        click(tab, "tipMonth")
        verify(box(tab, "tipStandard").checked)
        verify(box(tab, "tipStandard").activeFocus)
        verify(!box(tab, "tipMonth").enabled)

        click(tab, "tipStandard")
        verify(box(tab, "tipDayOfWeek").checked)
        verify(box(tab, "tipDayOfWeek").activeFocus)
        compare(edited().filter(function (o) { return o >= 6 }), [6, 8, 10])

        click(tab, "tipMonth")
        click(tab, "tipDayOfWeek")
        verify(!tab.needsSave)
    }

    function test_needsSaveFollowsTheStoredFormats() {
        storeFormats([0, 2, 4, 6, 8, 12, 13])
        const tab = createTab()
        const changes = createTemporaryObject(spyComponent, testCase, {target: tab, signalName: "needsSaveChanged"})
        click(tab, "timeSeconds")
        verify(tab.needsSave)
        compare(edited().indexOf(0), -1)
        click(tab, "timeSeconds")
        verify(!tab.needsSave)
        click(tab, "dateYear")
        verify(tab.needsSave)
        click(tab, "tipYear")
        click(tab, "dateYear")
        verify(tab.needsSave)
        click(tab, "tipYear")
        verify(!tab.needsSave)
        compare(changes.count, 4)

        // load() clears it, and the edited formats are the stored ones again.
        click(tab, "tipDayOfWeek")
        verify(tab.needsSave)
        tab.load()
        verify(!tab.needsSave)
        verify(!box(tab, "tipDayOfWeek").checked)
        verify(!store.needsSave())
    }

    function test_storeFailuresReachTheTab() {
        storeFormats([2, 6])
        const tab = createTab()
        const errors = createTemporaryObject(spyComponent, testCase, {target: tab, signalName: "error"})
        click(tab, "timeSeconds")
        click(tab, "dateMonth")
        store.apply()
        compare(errors.count, 1)
        compare(errors.signalArguments[0][0], "Error")
        // No window manager to tell under the test's display.
        compare(errors.signalArguments[0][1], "Unable to set clock display format.\nUnable to set date display format.")
        tab.load()
        compare(checkedNames(tab), ["timeSeconds", "dateDayOfWeek", "dateMonth", "tipTime"])
    }

    function test_fontSettingsLink() {
        const tab = createTab()
        const errors = createTemporaryObject(spyComponent, testCase, {target: tab, signalName: "error"})
        const link = findChild(tab, "fontSettingsButton")
        verify(link)
        compare(link.text, "Go to font settings")
        // At the bottom left of the tab, flush with the headings above it.
        const corner = link.mapToItem(tab, 0, link.height)
        compare(corner.x, findChild(tab, "timeSeconds").mapToItem(tab, 0, 0).x)
        verify(corner.y > tab.height - 40)
        mouseClick(link)
        compare(errors.count, 1)
        compare(errors.signalArguments[0][0], "Error")
        compare(errors.signalArguments[0][1],
                "File /nonexistent/orb-admin-theme not found. Probably missing orb-admin-theme package.")
    }
}
