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
        leftPadding: control.indicator.width
        verticalAlignment: Text.AlignVCenter
        wrapMode: Text.WordWrap
        elide: Text.ElideMiddle
    }
}
