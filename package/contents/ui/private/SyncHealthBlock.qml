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
    spacing: Kirigami.Units.smallSpacing
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
        text: health.message
    }

    Label {
        objectName: "healthNow"
        Layout.fillWidth: true
        visible: health.hasSample
        elide: Text.ElideRight
        text: i18n("Now: %1, last sample %2", health.serverText, health.ageText(block.now))
    }

    // The figures at the left, the plot beside them.
    RowLayout {
        Layout.fillWidth: true
        visible: health.hasSample
        spacing: Kirigami.Units.largeSpacing * 2

        GridLayout {
            id: figures
            objectName: "healthFigures"
            Layout.alignment: Qt.AlignTop
            // Two figures a row where the page is wide enough, so that the server list keeps its room.
            columns: block.width >= Kirigami.Units.gridUnit * 42 ? 4 : 2
            columnSpacing: Kirigami.Units.largeSpacing
            rowSpacing: Kirigami.Units.smallSpacing / 2

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
                    Layout.rightMargin: modelData.isLabel ? 0 : Kirigami.Units.largeSpacing * 2
                    text: modelData.text
                    // The names recede behind the figures.
                    color: modelData.isLabel ? Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.textColor, Kirigami.Theme.backgroundColor, 0.35)
                                             : Kirigami.Theme.textColor
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
            lineColor: Kirigami.Theme.highlightColor
            zeroColor: colours.frame
            textColor: Kirigami.Theme.textColor
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
        spacing: Kirigami.Units.largeSpacing + Kirigami.Units.smallSpacing

        Label {
            text: health.service === "chrony" ? i18n("Servers, answers to the last 8 polls:") : i18n("Servers:")
        }

        Repeater {
            model: health.servers
            delegate: Row {
                objectName: "healthServer"
                spacing: Kirigami.Units.smallSpacing
                Accessible.role: Accessible.StaticText
                Accessible.name: modelData.name + ": " + modelData.text

                // Filled: the server answers.
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: Kirigami.Units.largeSpacing
                    height: width
                    radius: width / 2
                    color: modelData.answers ? Kirigami.Theme.highlightColor : "transparent"
                    border.color: modelData.answers ? Kirigami.Theme.highlightColor : colours.frame
                    border.width: 1
                }

                Label {
                    // The server in use stands out.
                    font.bold: modelData.inUse
                    text: i18nc("@info server and its state", "%1 %2", modelData.name, modelData.brief)
                }
            }
        }
    }
}
