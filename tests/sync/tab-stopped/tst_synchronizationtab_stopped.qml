// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.15
import "qrc:/package/contents/ui"

// The synchronization services are installed, none runs.
TestCase {
    id: testCase
    name: "SynchronizationTabStopped"
    when: windowShown
    width: 640
    height: 560
    visible: true

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

    function test_noServiceView() {
        const tab = createTab()
        compare(findChild(tab, "statusLabel").text, "All services stopped")
        compare(findChild(tab, "statusIcon").source, "dialog-off")
        verify(findChild(tab, "noServiceNotice").visible)
        verify(findChild(tab, "noticeGoButton").visible)
        verify(!findChild(tab, "serverScrollView").visible)
        verify(!findChild(tab, "goButton").visible)
        verify(!findChild(tab, "serverButtons").visible)
        verify(!findChild(tab, "serverButtons").enabled)
        verify(!findChild(tab, "fallbackButton").visible)
        compare(tab.serverModel.count, 0)
        orbTest.screenshot(tab, "synchronization-tab-stopped")
    }

    function test_onlyRecommendedServersInStableOrder() {
        const tab = createTab()
        const texts = []
        for (let i = 0; i < tab.comboModel.count; ++i) {
            texts.push(tab.comboModel.get(i).text)
        }
        compare(texts, ["ntp1.vniiftri.ru", "ntp2.vniiftri.ru", "ntp3.vniiftri.ru", "ntp4.vniiftri.ru", "ntp21.vniiftri.ru",
                        "ntp1.niiftri.irkutsk.ru", "vniiftri.khv.ru"])
        compare(tab.serverCombo.editText, "ntp1.vniiftri.ru")
    }

    function test_noToolTipWhileNotSynchronized() {
        const tab = createTab()
        mouseMove(findChild(tab, "statusIcon"), 8, 8)
        wait(100)
        verify(!findChild(tab, "statusToolTip").visible)
    }

    function test_goToSynchronization() {
        const tab = createTab()
        // The module's switcher runs ORB_KCMSHELL (here a no-op) with the module id.
        verify(findChild(tab, "noticeGoButton").enabled)
        compare(tab.goToModule, "kcm_orb_admin_time")
        mouseClick(findChild(tab, "noticeGoButton"))
    }
}
