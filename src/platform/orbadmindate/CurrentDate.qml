// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import org.kde.kirigami 2.20 as Kirigami

// Today's date in the locale's long format, on one line. It follows the system
// date, which may change at midnight or when the date is set.
Item {
    id: root

    property int fontSize: 15
    // The day shown; refreshed from the system clock.
    property var date: new Date()
    readonly property string text: label.text

    implicitWidth: label.implicitWidth
    implicitHeight: label.implicitHeight

    Text {
        id: label
        anchors.fill: parent
        text: {
            var formatted = root.date.toLocaleDateString(Qt.locale(), Locale.LongFormat);
            // Some locales start the long format with a lower-case weekday.
            return formatted.charAt(0).toLocaleUpperCase() + formatted.slice(1);
        }
        // A touch softer than body text, so that the calendar stays the eye-catcher.
        color: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.12)
        font.pixelSize: root.fontSize
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    Timer {
        interval: 1000
        repeat: true
        running: root.visible
        triggeredOnStart: true
        onTriggered: {
            var now = new Date();
            if (now.toDateString() !== root.date.toDateString()) {
                root.date = now;
            }
        }
    }
}
