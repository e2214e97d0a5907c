import QtQuick 2.15
import QtQuick.Controls 2.15

// Placeholder page: its content comes with its own subsystem.
Rectangle {
    id: tabRoot
    property bool isLight: true
    property bool needsSave: false

    function load() {}
    function update() {}
    function loadIcons() {}

    color: "transparent"
}
