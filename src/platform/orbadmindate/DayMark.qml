// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import org.kde.kirigami 2.20 as Kirigami

// A mark on one cell of the calendar's days, under its number. Its own file, not
// an inline component: the engine's disk cache rejects a file that declares one
// on every start, and compiles it again.
Rectangle {
    property Item picker
    property int index: -1
    z: -1
    visible: index >= 0
    // A little apart from its neighbours.
    readonly property int inset: Math.round(Kirigami.Units.smallSpacing / 2)
    x: (index % 7) * picker.cellWidth + inset
    y: Math.floor(index / 7) * picker.cellHeight + inset
    width: picker.cellWidth - 2 * inset
    height: picker.cellHeight - 2 * inset
    radius: picker.cellRadius
    color: "transparent"
}
