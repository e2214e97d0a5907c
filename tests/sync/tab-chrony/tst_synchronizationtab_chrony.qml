// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.15
import "qrc:/package/contents/ui"

// chrony runs but does not answer: running, not synchronized.
TestCase {
    id: testCase
    name: "SynchronizationTabChrony"
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

    function test_noFallbackButtonForChrony() {
        const tab = createTemporaryObject(tabComponent, testCase)
        tab.loadIcons()
        tab.load()
        compare(findChild(tab, "statusLabel").text, "Current service: chrony (not synced)")
        compare(findChild(tab, "statusIcon").source, "dialog-warning")
        verify(findChild(tab, "serverScrollView").visible)
        verify(findChild(tab, "serverButtons").visible)
        verify(findChild(tab, "addServerButton").visible)
        verify(!findChild(tab, "fallbackButton").visible)
        compare(tab.serverModel.count, 3)

        mouseMove(findChild(tab, "statusIcon"), 8, 8)
        wait(100)
        verify(!findChild(tab, "statusToolTip").visible)
    }
}
