// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.15
import "qrc:/package/contents/ui"

// systemd-timesyncd runs and is synchronized (timedated says so, timesync1
// names ntp1.vniiftri.ru); the configuration root is a copy of the fixture tree.
TestCase {
    id: testCase
    name: "SynchronizationTabRunning"
    when: windowShown
    width: 640
    height: 560
    visible: true

    readonly property var recommended: ["ntp1.vniiftri.ru", "ntp2.vniiftri.ru", "ntp3.vniiftri.ru", "ntp4.vniiftri.ru",
        "ntp21.vniiftri.ru", "ntp1.niiftri.irkutsk.ru", "vniiftri.khv.ru"]
    readonly property string extraDropIn: orbTest.environment("ORB_TIMESYNC_ROOT") + "/etc/systemd/timesyncd.conf.d/60-later.conf"

    Component {
        id: tabComponent
        SynchronizationTab {
            width: testCase.width
            height: testCase.height
        }
    }

    function createTab() {
        const tab = createTemporaryObject(tabComponent, testCase)
        verify(tab)
        tab.loadIcons()
        tab.load()
        waitForRendering(tab)
        return tab
    }

    function comboTexts(tab) {
        const texts = []
        for (let i = 0; i < tab.comboModel.count; ++i) {
            texts.push(tab.comboModel.get(i).text)
        }
        return texts
    }

    function servers(tab) {
        const names = []
        for (let i = 0; i < tab.serverModel.count; ++i) {
            names.push(tab.serverModel.get(i).name)
        }
        return names
    }

    function clearAndType(tab, text) {
        const field = tab.serverCombo.contentItem
        field.forceActiveFocus()
        field.selectAll()
        keyClick(Qt.Key_Delete)
        for (let i = 0; i < text.length; ++i) {
            const c = text[i]
            if (c === " ") {
                keyClick(Qt.Key_Space)
            } else {
                keyClick(c)
            }
        }
        return field.text
    }

    function test_firstLoadDoesNotReload() {
        // Written after the module read the state: only a reload shows it.
        verify(orbTest.writeFile(extraDropIn, "[Time]\nNTP=later.example\n"))
        const tab = createTab()
        verify(servers(tab).indexOf("later.example") < 0)
        tab.load()
        verify(servers(tab).indexOf("later.example") >= 0)

        verify(orbTest.writeFile(extraDropIn, "# nothing\n"))
        tab.load()
        verify(servers(tab).indexOf("later.example") < 0)
    }

    function test_runningView() {
        const tab = createTab()
        compare(findChild(tab, "statusLabel").text, "Current service: systemd-timesyncd (synced)")
        compare(findChild(tab, "statusIcon").source, "dialog-on")
        verify(findChild(tab, "serverScrollView").visible)
        verify(!findChild(tab, "noServiceNotice").visible)
        verify(findChild(tab, "goButton").visible)
        verify(findChild(tab, "serverButtons").visible)
        verify(findChild(tab, "serverButtons").enabled)
        compare(findChild(tab, "dropDownIcon").source, "arrow-down")

        // Recommended first, in their fixed order, then the service's own; the first is preselected.
        compare(comboTexts(tab), recommended.concat(["time.office.example", "0.debian.pool.ntp.org", "1.debian.pool.ntp.org",
                                                     "2.debian.pool.ntp.org", "3.debian.pool.ntp.org"]))
        compare(tab.serverCombo.currentIndex, 0)
        compare(tab.serverCombo.editText, "ntp1.vniiftri.ru")

        compare(servers(tab), ["ntp1.vniiftri.ru", "ntp2.vniiftri.ru", "time.office.example", "0.debian.pool.ntp.org",
                               "1.debian.pool.ntp.org", "2.debian.pool.ntp.org", "3.debian.pool.ntp.org"])
        // Fallback servers carry their own icon.
        const rows = tab.serverView.contentItem.children
        let fallbackIcons = 0
        let computerIcons = 0
        for (let i = 0; i < rows.length; ++i) {
            const icon = findChild(rows[i], "serverIcon")
            if (!icon) {
                continue
            }
            if (icon.source.toString() === "qrc:/icons/16x16/no-connection.png") {
                ++fallbackIcons
            } else if (icon.source === "computer") {
                ++computerIcons
            }
        }
        compare(fallbackIcons, 4)
        compare(computerIcons, 3)
        orbTest.screenshot(tab, "synchronization-tab-running")
    }

    function test_lastSynchronizationToolTip() {
        const tab = createTab()
        const icon = findChild(tab, "statusIcon")
        const toolTip = findChild(tab, "statusToolTip")
        verify(!toolTip.visible)
        mouseMove(icon, 8, 8)
        tryCompare(toolTip, "visible", true)
        compare(toolTip.text.split("\n").length, 4)
        compare(toolTip.text.split("\n")[0], "Last synchronization")
        compare(toolTip.text.split("\n")[2], "Time: 10:00:05")
        compare(toolTip.text.split("\n")[3], "Server: ntp1.vniiftri.ru")
        mouseMove(tab, 600, 500)
        tryCompare(toolTip, "visible", false)
    }

    // The text stands as typed; what cannot be a server name is refused with a reason,
    // while typing only for faults more typing cannot mend, and on Synchronize for all.
    function test_typedNames_data() {
        return [
            {tag: "blank inside", typed: "time 5.example", typing: "Spaces are not allowed.", tried: "Spaces are not allowed."},
            {tag: "leading hyphen", typed: "-x", typing: "A name cannot start with \"-\".", tried: "A name cannot start with \"-\"."},
            {tag: "port", typed: "time.example:123", typing: "A port cannot be given here.", tried: "A port cannot be given here."},
            {tag: "too long", typed: "a".repeat(254), typing: "At most 253 characters.", tried: "At most 253 characters."},
            {tag: "IPv6 on its way", typed: "2001:", typing: "", tried: "Enter a host name or an IP address."},
            {tag: "IPv6 loopback", typed: "::1", typing: "", tried: ""},
            {tag: "IPv6", typed: "2001:db8::1", typing: "", tried: ""},
            {tag: "IPv6 in brackets", typed: "[2001:db8::5]", typing: "", tried: ""},
        ]
    }

    function test_typedNames(data) {
        const tab = createTab()
        compare(clearAndType(tab, data.typed), data.typed)
        const refusal = findChild(tab, "serverRefusal")
        compare(refusal.text, data.typing)
        const before = orbTest.readFile(orbTest.environment("ORB_STANDIN_JOURNAL")).split("NTPSync").length
        mouseClick(findChild(tab, "syncButton"))
        compare(refusal.text, data.tried)
        compare(refusal.visible, data.tried !== "")
        // A refused name never reaches the helper.
        const after = orbTest.readFile(orbTest.environment("ORB_STANDIN_JOURNAL")).split("NTPSync").length
        compare(after > before, data.tried === "")
    }

    // Typing offers the servers that hold the text; a click in the field opens nothing.
    function test_typingFiltersTheServers() {
        const tab = createTab()
        mouseClick(tab.serverCombo.contentItem)
        verify(!tab.serverCombo.popup.visible)
        clearAndType(tab, "vniiftri.r")
        tryCompare(tab.serverCombo.popup, "opened", true)
        compare(tab.suggestions, ["ntp1.vniiftri.ru", "ntp2.vniiftri.ru", "ntp3.vniiftri.ru", "ntp4.vniiftri.ru", "ntp21.vniiftri.ru"])
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Return)
        compare(tab.serverCombo.editText, "ntp2.vniiftri.ru")
        compare(tab.serverCombo.currentIndex, 1)
        verify(!tab.serverCombo.popup.visible)
        clearAndType(tab, "nothing.like.it")
        verify(!tab.serverCombo.popup.visible)
    }

    function test_returnAddsTypedServer() {
        const tab = createTab()
        const before = tab.comboModel.count
        tab.serverCombo.currentIndex = 2
        clearAndType(tab, "my.server.example")
        keyClick(Qt.Key_Return)
        compare(tab.comboModel.count, before + 1)
        // At the current index, and current.
        compare(tab.comboModel.get(2).text, "my.server.example")
        compare(tab.comboModel.get(3).text, "ntp3.vniiftri.ru")
        compare(tab.serverCombo.currentIndex, 2)
        compare(tab.serverCombo.editText, "my.server.example")

        // An existing name is only selected.
        clearAndType(tab, "ntp21.vniiftri.ru")
        keyClick(Qt.Key_Return)
        compare(tab.comboModel.count, before + 1)
        compare(tab.serverCombo.currentIndex, 5)
        compare(tab.serverCombo.editText, "ntp21.vniiftri.ru")
    }

    function test_focusLossAddsTypedServer() {
        const tab = createTab()
        const before = tab.comboModel.count
        clearAndType(tab, "focus.example")
        compare(tab.comboModel.count, before)
        tab.serverView.forceActiveFocus()
        verify(!tab.serverCombo.contentItem.activeFocus)
        compare(tab.comboModel.count, before + 1)
        compare(tab.comboModel.get(0).text, "focus.example")
        compare(tab.comboModel.get(1).text, "ntp1.vniiftri.ru")
    }

    function test_fallbackButton() {
        const tab = createTab()
        const button = findChild(tab, "fallbackButton")
        verify(button.visible)
        verify(button.enabled)
        compare(button.iconSource, "view-visible")
        compare(button.toolTipText, "Hide fallback servers")

        mouseClick(button)
        compare(servers(tab), ["ntp1.vniiftri.ru", "ntp2.vniiftri.ru", "time.office.example"])
        compare(button.iconSource, "view-hidden")
        compare(button.toolTipText, "Show fallback servers")

        mouseClick(button)
        compare(tab.serverModel.count, 7)
        compare(button.iconSource, "view-visible")
    }

    function test_rowsBecomeCurrentOnClick() {
        const tab = createTab()
        compare(tab.serverView.currentIndex, 0)
        const row = tab.serverView.itemAtIndex(2)
        verify(row)
        mouseClick(row)
        compare(tab.serverView.currentIndex, 2)
        compare(tab.currentServerName(), "time.office.example")
        // A reload keeps the current server.
        tab.load()
        compare(tab.currentServerName(), "time.office.example")
    }

    // The server list open over the page while typing: a click on Synchronize
    // still takes the typed name, and the tab then shows what happened.
    function test_synchronizeUsesTheTypedServer() {
        const tab = createTab()
        clearAndType(tab, "ntp")
        tryCompare(tab.serverCombo.popup, "opened", true)
        clearAndType(tab, "typed.example")
        mouseClick(findChild(tab, "syncButton"))
        tryCompare(tab.serverCombo.popup, "visible", false)

        const calls = orbTest.readFile(orbTest.environment("ORB_STANDIN_JOURNAL")).split("\n")
            .filter(function (line) { return line.indexOf('"member": "NTPSync"') >= 0 })
        verify(calls.length > 0)
        compare(JSON.parse(calls[calls.length - 1]).args, ["typed.example"])
        compare(findChild(tab, "syncConfirmation").text, "Synchronized with typed.example")

        mouseMove(findChild(tab, "statusIcon"), 8, 8)
        const toolTip = findChild(tab, "statusToolTip")
        tryCompare(toolTip, "visible", true)
        compare(toolTip.text.split("\n")[3], "Server: typed.example")
        orbTest.screenshot(tab, "synchronization-tab-synchronized")
    }

    // A check's answer is about the server it was asked for, not about one typed since.
    function test_checkResultGoesWithItsServer() {
        const tab = createTab()
        clearAndType(tab, "")
        keyClick(Qt.Key_Escape)
        tryCompare(tab.serverCombo.popup, "visible", false)
        mouseClick(findChild(tab, "offsetCheckButton"))
        const result = findChild(tab, "offsetCheckResult")
        compare(result.text, "Enter a time server to check against.")
        clearAndType(tab, "other.example")
        compare(result.text, "")
    }
}
