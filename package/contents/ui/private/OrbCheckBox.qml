import QtQuick 2.15
import QtQuick.Controls 2.15

CheckBox {
    id: control

    function setCheckedIfEnabled(isCheck) {
        if (control.enabled) {
            control.checked = isCheck
        }
    }

    onEnabledChanged: indicator.enabled = enabled

    SystemPalette {
        id: checkBoxPalette
        colorGroup: SystemPalette.Active
    }

    contentItem: Label {
        text: control.text
        color: control.enabled ? checkBoxPalette.buttonText : "gray"
        // The label starts where the box ends; the style's spacing keeps them apart.
        leftPadding: control.indicator.width + control.spacing
        verticalAlignment: Text.AlignVCenter
        wrapMode: Text.WordWrap
        elide: Text.ElideMiddle
    }
}
