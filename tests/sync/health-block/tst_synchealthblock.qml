// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.15
import org.kde.kirigami 2.20 as Kirigami
import orb.testsupport 1.0
import "qrc:/package/contents/ui/private" as P

// The health block against the real services of run-with-time-services, whose
// NTP responder is 2.5 s ahead of this clock; ORB_HEALTH_EXPECT names the
// service that runs ("none" for none).
TestCase {
    id: testCase
    name: "SyncHealthBlock"
    when: windowShown
    width: 640
    height: 240
    visible: true

    readonly property string expected: orbTest.environment("ORB_HEALTH_EXPECT")

    Rectangle {
        id: background
        anchors.fill: parent
        Kirigami.Theme.colorSet: Kirigami.Theme.Window
        Kirigami.Theme.inherit: false
        color: Kirigami.Theme.backgroundColor

        P.SyncHealthBlock {
            id: block
            x: 10
            y: 10
            width: parent.width - 20
        }
    }

    function test_block() {
        const health = block.health
        verify(health.active)
        if (expected === "none") {
            tryCompare(health, "message", "No synchronization service is running.", 5000)
            verify(!health.hasSample)
            verify(findChild(block, "healthMessage").visible)
            verify(!findChild(block, "offsetPlot").visible)
            return
        }
        // timesyncd answers at once, chrony after its first polls.
        tryCompare(health, "hasSample", true, 20000)
        compare(health.service, expected)
        compare(health.message, "")
        verify(!findChild(block, "healthMessage").visible)
        compare(health.details.length, 6)
        verify(/(^|\s)2[.,][45] /.test(health.details[0].value), health.details[0].value)
        const history = health.history
        verify(history.length >= 1)
        fuzzyCompare(history[history.length - 1].y, -2.5, 0.1)
        verify(health.serverText.indexOf("127.0.0.1") >= 0, health.serverText)
        const inUse = health.servers.filter(server => server.name === "127.0.0.1")
        compare(inUse.length, 1)
        verify(inUse[0].answers)
        if (expected === "chrony") {
            // The second server never answers.
            const silent = health.servers.filter(server => server.name === "127.0.0.2")
            compare(silent.length, 1)
            verify(!silent[0].answers)
            // Each new sample joins the plot once, however often it is read.
            tryVerify(() => health.history.length >= 2, 15000)
            const points = health.history
            verify(points[1].x > points[0].x)
        }
        const tag = expected === "chrony" ? "chrony-ru" : "timesyncd"
        // In the shade of the run: dark in the desktop style with a dark scheme.
        waitForRendering(block)
        orbTest.screenshot(background, "synchealth-" + tag + "-" + (orbTest.environment("ORB_TEST_COLOR_SCHEME") === "" ? "light" : "dark"))

        // Off screen it reads nothing.
        block.visible = false
        verify(!health.active)
        block.visible = true
        verify(health.active)
    }
}
