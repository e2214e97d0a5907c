// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import org.kde.kirigami 2.20 as Kirigami

// The system palette, and the colour of frames: the text colour faded into the
// background, seen on light and dark schemes alike.
SystemPalette {
    colorGroup: SystemPalette.Active

    readonly property color frame: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.textColor, 0.3)
}
