// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import org.kde.kirigami 2.20 as Kirigami

CheckBox {
    id: control

    // The heading of the box's group ("Date:"): boxes of two groups share their
    // texts, and a screen reader reads the box alone.
    property string group: ""

    Accessible.name: group === "" ? text : group + " " + text

    function setCheckedIfEnabled(isCheck) {
        if (control.enabled) {
            control.checked = isCheck
        }
    }

    onEnabledChanged: indicator.enabled = enabled

    contentItem: Label {
        text: control.text
        color: control.enabled ? Kirigami.Theme.textColor : Kirigami.Theme.disabledTextColor
        // The label starts where the box ends; the style's spacing keeps them apart.
        leftPadding: control.indicator.width + control.spacing
        verticalAlignment: Text.AlignVCenter
        wrapMode: Text.WordWrap
        elide: Text.ElideMiddle

        // The keyboard's place: the label replaces the style's own, focus frame included.
        Rectangle {
            objectName: "focusFrame"
            x: parent.leftPadding - Kirigami.Units.smallSpacing
            width: parent.width - x
            height: parent.height
            radius: Kirigami.Units.smallSpacing
            color: "transparent"
            border.color: Kirigami.Theme.focusColor
            visible: control.visualFocus
        }
    }
}
