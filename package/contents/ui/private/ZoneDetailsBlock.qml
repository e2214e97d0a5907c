// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.kcm.orbadmindate 1.0
import org.kde.kirigami 2.20 as Kirigami

// A zone in detail: its local time, offset and daylight-saving state, and the
// next change of its clocks. The texts only change with the minute, so the
// once-a-second tick recomputes them only then.
ColumnLayout {
    id: block

    property string zoneId: ""
    property int shownMinute: -1
    readonly property alias summaryText: summary.text
    readonly property alias nextChangeText: nextChange.text

    spacing: Kirigami.Units.smallSpacing / 2

    function refresh() {
        const details = backend.describe(zoneId)
        summary.text = details.summary
        nextChange.text = details.nextChange
        shownMinute = Math.floor(Date.now() / 60000)
    }

    function update() {
        if (Math.floor(Date.now() / 60000) !== shownMinute) {
            refresh()
        }
    }

    onZoneIdChanged: refresh()

    ZoneDetails {
        id: backend
    }

    Label {
        id: summary
        objectName: "zoneDetailsSummary"
        Layout.fillWidth: true
        elide: Text.ElideRight
    }

    Label {
        id: nextChange
        objectName: "zoneDetailsNextChange"
        Layout.fillWidth: true
        elide: Text.ElideRight
    }
}
