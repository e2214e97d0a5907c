// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtTest 1.2
import org.kde.kirigami 2.20 as Kirigami
import "qrc:/package/contents/ui/private"

Item {
    width: 300
    height: 100

    OrbCheckBox {
        id: box
        text: "Display seconds"
    }

    TestCase {
        name: "OrbCheckBox"
        when: windowShown

        function init() {
            box.enabled = true
            box.checked = false
        }

        function test_setsOnlyWhileEnabled() {
            box.setCheckedIfEnabled(true)
            verify(box.checked)
            box.enabled = false
            box.setCheckedIfEnabled(false)
            verify(box.checked, "a disabled box keeps its state")
            box.checked = false
            box.setCheckedIfEnabled(true)
            verify(!box.checked)
        }

        function test_indicatorFollowsEnabled() {
            box.enabled = false
            verify(!box.indicator.enabled)
            box.enabled = true
            verify(box.indicator.enabled)
        }

        function test_labelGreysOutWhenDisabled() {
            box.enabled = false
            verify(Qt.colorEqual(box.contentItem.color, box.Kirigami.Theme.disabledTextColor))
            compare(box.contentItem.text, "Display seconds")
            box.enabled = true
            verify(!Qt.colorEqual(box.contentItem.color, box.Kirigami.Theme.disabledTextColor))
            // Spaced from the box, as the desktop style spaces its own labels.
            compare(box.contentItem.leftPadding, box.indicator.width + box.spacing)
        }
    }
}
