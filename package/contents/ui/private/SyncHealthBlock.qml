// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import QtQuick.Window 2.15
import org.kde.kirigami 2.20 as Kirigami
import ru.nimbolinux.kcm.orbadmindate 1.0

// How well the running synchronization service keeps the clock: the server in
// use, the last sample's figures, which servers answer and the offset over the
// samples seen. It reads the service only while it is on screen.
ColumnLayout {
    id: block

    readonly property alias health: health
    // Built hidden or not yet placed in a window: not on screen.
    readonly property bool onScreen: visible && Window.window !== null && Window.visibility !== Window.Hidden && Window.visibility !== Window.Minimized
    // The age of the sample moves on by itself, between two readings.
    property double now: Date.now()

    objectName: "syncHealthBlock"
    spacing: 4
    Accessible.role: Accessible.Grouping
    Accessible.name: i18n("Synchronization health")

    OrbPalette {
        id: colours
    }

    SyncHealth {
        id: health
        active: block.onScreen
    }

    Timer {
        interval: 1000
        repeat: true
        running: health.active && health.hasSample
        triggeredOnStart: true
        onTriggered: block.now = Date.now()
    }

    Label {
        objectName: "healthMessage"
        Layout.fillWidth: true
        visible: !health.hasSample && text !== ""
        wrapMode: Text.WordWrap
        color: colours.windowText
        text: health.message
    }

    Label {
        objectName: "healthNow"
        Layout.fillWidth: true
        visible: health.hasSample
        elide: Text.ElideRight
        color: colours.windowText
        text: i18n("Now: %1, last sample %2", health.serverText, health.ageText(block.now))
    }

    // The figures at the left, the plot beside them.
    RowLayout {
        Layout.fillWidth: true
        visible: health.hasSample
        spacing: 16

        GridLayout {
            id: figures
            objectName: "healthFigures"
            Layout.alignment: Qt.AlignTop
            // Two figures a row where the page is wide enough, so that the server list keeps its room.
            columns: block.width >= 760 ? 4 : 2
            columnSpacing: 8
            rowSpacing: 2

            Repeater {
                // Label and value of each figure.
                model: {
                    const cells = []
                    for (const row of health.details) {
                        cells.push({"text": row.label, "isLabel": true}, {"text": row.value, "isLabel": false})
                    }
                    return cells
                }
                delegate: Label {
                    Layout.rightMargin: modelData.isLabel ? 0 : 16
                    text: modelData.text
                    color: modelData.isLabel ? Qt.tint(colours.windowText, Qt.rgba(colours.window.r, colours.window.g, colours.window.b, 0.35))
                                             : colours.windowText
                }
            }
        }

        OffsetPlot {
            id: plot
            objectName: "offsetPlot"
            Layout.fillWidth: true
            Layout.preferredHeight: Math.max(figures.implicitHeight, 4 * Kirigami.Units.gridUnit)
            visible: health.hasSample
            samples: health.history
            lineColor: colours.highlight
            zeroColor: colours.frame
            textColor: colours.windowText
            font: Kirigami.Theme.smallFont
            Accessible.role: Accessible.Chart
            Accessible.name: i18np("Offset of the clock over %1 sample", "Offset of the clock over %1 samples", health.history.length)
            Accessible.description: i18n("From %1 to %2", "-" + health.formatSeconds(plot.range), "+" + health.formatSeconds(plot.range))
        }
    }

    Flow {
        objectName: "healthServers"
        Layout.fillWidth: true
        visible: health.servers.length > 0
        spacing: 14

        Label {
            color: colours.windowText
            text: health.service === "chrony" ? i18n("Servers, answers to the last 8 polls:") : i18n("Servers:")
        }

        Repeater {
            model: health.servers
            delegate: Row {
                objectName: "healthServer"
                spacing: 5
                Accessible.role: Accessible.StaticText
                Accessible.name: modelData.name + ": " + modelData.text

                // Filled: the server answers.
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 8
                    height: 8
                    radius: 4
                    color: modelData.answers ? colours.highlight : "transparent"
                    border.color: modelData.answers ? colours.highlight : colours.frame
                    border.width: 1
                }

                Label {
                    color: colours.windowText
                    // The server in use stands out.
                    font.bold: modelData.inUse
                    text: i18nc("@info server and its state", "%1 %2", modelData.name, modelData.brief)
                }
            }
        }
    }
}
