// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15

// The system palette, and the colour of frames and separators: the style's "mid"
// all but vanishes on dark schemes and "button" on light ones, so frames are
// drawn in the text colour, faded into the window's.
SystemPalette {
    colorGroup: SystemPalette.Active

    readonly property color frame: Qt.tint(window, Qt.rgba(windowText.r, windowText.g, windowText.b, 0.3))
}
