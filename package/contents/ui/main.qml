// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import org.kde.kcm 1.2 as KCM
import org.kde.kirigami 2.20 as Kirigami
import ru.nimbolinux.kcm.orbadmindate 1.0

KCM.SimpleKCM {
    id: page

    property bool isAdminMode: tabLoader.isAdminMode()
    // Exposed for the tests and for hosts that want to inspect the page.
    readonly property alias tabBar: bar
    readonly property alias stack: stackLayout
    readonly property alias flickable: flick
    readonly property alias refreshTimer: updater
    readonly property alias warningDialog: errorDialog

    // Wide enough for every tab button, in every language: hosts open the page at
    // its implicit size, and a cut-off last tab is easy to miss.
    implicitWidth: Math.max(Kirigami.Units.gridUnit * 36, Math.ceil(bar.contentWidth))
    implicitHeight: Kirigami.Units.gridUnit * 34
    verticalScrollBarPolicy: Qt.ScrollBarAlwaysOff
    leftPadding: 0
    rightPadding: 0
    topPadding: 0
    bottomPadding: 0

    // Every tab in the order of the bar, the one place that names them: its number
    // (the module's KCModuleQML.Tab), its title, its file, whether only
    // administrators see it, whether it has icons to load and whether the
    // one-second tick refreshes it. The bar, load(), loadIcons() and the tick all go
    // through this table.
    readonly property var tabs: [
        {"number": KCModuleQML.DateTime, "title": i18n("Date and time"), "source": "DateTimeTab.qml", "admin": true, "icons": false, "ticks": true},
        {"number": KCModuleQML.TimeZones, "title": i18n("Time zone"), "source": "TimeZonesTab.qml", "admin": true, "icons": true, "ticks": true},
        {"number": KCModuleQML.Synchronization, "title": i18n("Synchronization"), "source": "SynchronizationTab.qml", "admin": true, "icons": true, "ticks": false},
        {"number": KCModuleQML.AppletSetings, "title": i18n("Other time zones"), "source": "AppletSettingsTab.qml", "admin": false, "icons": true, "ticks": true},
        {"number": KCModuleQML.TrayDisplayTab, "title": i18n("Tray display"), "source": "TrayDisplayTab.qml", "admin": false, "icons": false, "ticks": true}
    ].filter(entry => page.isAdminMode || !entry.admin)
    // The loaders of the tabs on show, in the order of the bar.
    property var tabLoaders: []
    // The first reloadQml and loadIcons have come: a tab built later catches up.
    property bool loaded: false
    property bool iconsLoaded: false
    readonly property bool allTabsBuilt: tabLoaders.length > 0 && tabLoaders.every(loader => loader.status === Loader.Ready)

    function forEachTab(wanted, action) {
        for (const loader of tabLoaders) {
            if (loader.item && wanted(loader.entry)) {
                action(loader.item)
            }
        }
    }

    // Shows the tab of that number (KCModuleQML.Tab); false when it is not on the bar.
    function showTab(number) {
        const index = tabs.findIndex(entry => entry.number === number)
        if (index >= 0) {
            bar.currentIndex = index
        }
        return index >= 0
    }

    function load() {
        loaded = true
        forEachTab(entry => true, item => item.load())
    }

    function loadIcons() {
        iconsLoaded = true
        forEachTab(entry => entry.icons, item => item.loadIcons())
    }

    function tick() {
        forEachTab(entry => entry.ticks, item => item.update())
    }

    // The tab a loader just built catches up with what the others already had.
    function tabBuilt(loader) {
        if (iconsLoaded && loader.entry.icons) {
            loader.item.loadIcons()
        }
        if (loaded) {
            loader.item.load()
        }
    }

    TabLoader {
        id: tabLoader

        Component.onCompleted: {
            const loaders = []
            for (const entry of page.tabs) {
                bar.addItem(tabButton.createObject(bar, {"text": entry.title}))
                loaders.push(tabPage.createObject(stackLayout, {"entry": entry, "index": loaders.length}))
            }
            page.tabLoaders = loaders
        }
    }

    Component {
        id: tabButton
        TabButton {
            width: implicitWidth
        }
    }

    // A tab is built the first time it is shown, and kept from then on: the opening
    // builds the first tab only, in every host. Nothing waits for a signal of the
    // window, which a host that draws the page into a widget never sends.
    Component {
        id: tabPage
        Loader {
            id: loader

            property var entry
            property int index
            readonly property bool onShow: index === stackLayout.currentIndex

            Layout.preferredWidth: parent ? parent.width : 0
            Layout.preferredHeight: parent ? parent.height : 0
            active: onShow || status === Loader.Ready
            source: entry.source
            onLoaded: page.tabBuilt(loader)

            Connections {
                target: loader.item
                ignoreUnknownSignals: true
                function onNeedsSaveChanged() {
                    kcm.setChanged(loader.entry.number, loader.item.needsSave)
                }
                function onError(title, message) {
                    errorDialog.showError(title, message)
                }
                function onShowSynchronization() {
                    page.showTab(KCModuleQML.Synchronization)
                }
            }
        }
    }

    Connections {
        target: kcm
        function onReloadQml() {
            page.load()
            if (!updater.running) {
                updater.start()
            }
            kcm.needsSave = false
        }
        function onShowMessage(title, message) {
            errorDialog.showError(title, message)
        }
        function onLoadIcons() {
            page.loadIcons()
        }
    }

    Timer {
        id: updater
        interval: 1000
        repeat: true
        running: false
        // Held while a request is outstanding: the page's state is about to be reloaded.
        onTriggered: {
            if (!kcm.busy) {
                page.tick()
            }
        }
    }

    // The warning, drawn by the page itself over the whole page. A native message
    // box reads its texts only when it opens, so a message arriving while it is
    // open would never be seen; and a Qt Quick popup is placed by the window's
    // overlay, which in kcmshell5's widget is not the size of the page.
    FocusScope {
        id: errorDialog

        property string title
        property string text
        readonly property bool opened: visible
        readonly property Item textItem: content.item ? content.item.textItem : null

        function showError(title, message) {
            errorDialog.title = title
            errorDialog.text = message
            open()
        }
        function open() {
            visible = true
            content.item.closeButton.forceActiveFocus()
        }
        function close() {
            visible = false
        }

        parent: page
        anchors.fill: parent
        z: 100
        visible: false
        Keys.onEscapePressed: close()

        // Made the first time a warning shows: most openings never need it.
        Loader {
            id: content
            anchors.fill: parent
            active: errorDialog.visible || status === Loader.Ready
            sourceComponent: Item {
                readonly property alias textItem: messageLabel
                readonly property alias closeButton: closeButton

                // Modal: the page below takes no input while the warning is up.
                Rectangle {
                    anchors.fill: parent
                    color: Qt.rgba(0, 0, 0, 0.3)
                }
                MouseArea {
                    anchors.fill: parent
                    hoverEnabled: true
                    acceptedButtons: Qt.AllButtons
                    onWheel: wheel.accepted = true
                }

                // The message's own width, unwrapped: the box is sized to the text.
                Label {
                    id: messageMeasure
                    visible: false
                    text: errorDialog.text
                }

                Pane {
                    id: messageBox
                    anchors.centerIn: parent
                    padding: Kirigami.Units.largeSpacing * 2
                    Kirigami.Theme.colorSet: Kirigami.Theme.Window
                    Kirigami.Theme.inherit: false
                    background: Rectangle {
                        color: Kirigami.Theme.backgroundColor
                        // Seen on light and dark schemes alike.
                        border.color: Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.textColor, 0.3)
                        radius: Kirigami.Units.smallSpacing
                    }

                    ColumnLayout {
                        spacing: Kirigami.Units.largeSpacing + Kirigami.Units.smallSpacing

                        Label {
                            text: errorDialog.title
                            font.bold: true
                            elide: Text.ElideRight
                            visible: text !== ""
                        }
                        RowLayout {
                            id: messageRow
                            spacing: Kirigami.Units.largeSpacing + Kirigami.Units.smallSpacing

                            Kirigami.Icon {
                                id: warningIcon
                                Layout.alignment: Qt.AlignTop
                                implicitWidth: Kirigami.Units.iconSizes.medium
                                implicitHeight: Kirigami.Units.iconSizes.medium
                                source: "dialog-warning"
                            }
                            Label {
                                id: messageLabel
                                objectName: "warningDialogText"
                                // From the message alone, never from the box: the height then
                                // follows from the wrapping once.
                                Layout.preferredWidth: Math.max(Math.min(messageMeasure.implicitWidth + 1, Kirigami.Units.gridUnit * 27,
                                                                         errorDialog.width - Kirigami.Units.gridUnit * 2 - 2 * messageBox.padding
                                                                         - warningIcon.width - messageRow.spacing),
                                                                Kirigami.Units.gridUnit * 13)
                                text: errorDialog.text
                                wrapMode: Text.Wrap
                            }
                        }
                        Button {
                            id: closeButton
                            objectName: "warningDialogClose"
                            Layout.alignment: Qt.AlignRight
                            text: i18n("Close")
                            onClicked: errorDialog.close()
                        }
                    }
                }
            }
        }
    }

    // Made while a request is outstanding only: most openings never need it.
    Loader {
        parent: page.Overlay.overlay
        anchors.centerIn: parent
        z: 1
        active: kcm.busy === true
        sourceComponent: BusyIndicator {
            objectName: "busyIndicator"
            running: true
        }
    }

    Rectangle {
        id: root

        implicitWidth: page.width
        // The page's area below its title: the whole page height would push the
        // bottom of every tab out of sight, and the page itself does not scroll.
        implicitHeight: page.contentItem ? page.contentItem.height : page.height
        // The tabs draw in the window's colours: so does the ground under and
        // beside them, whatever the host's own background.
        Kirigami.Theme.colorSet: Kirigami.Theme.Window
        Kirigami.Theme.inherit: false
        color: Kirigami.Theme.backgroundColor

        ScrollView {
            id: scrollView
            anchors.fill: parent
            clip: false

            Flickable {
                id: flick
                // How much wider than the view the buttons may be before it scrolls sideways.
                readonly property real sidewaysSlack: Kirigami.Units.gridUnit * 3
                boundsBehavior: Flickable.StopAtBounds
                // The stack has a least height: a lower view scrolls instead. Sideways
                // only once the buttons are a few letters wider than the view.
                contentHeight: Math.max(flick.height, stackLayout.height + bar.height)
                contentWidth: flick.width <= bar.contentWidth - sidewaysSlack ? bar.contentWidth : flick.width

                TabBar {
                    id: bar
                    anchors.top: parent.top
                    anchors.left: parent.left
                    // Under the room the view keeps for its scroll bar too: the
                    // strip's background spans the window.
                    width: Math.max(flick.contentWidth, root.width)

                    // The styles' bars grow an invisible highlight under the current
                    // button, which keeps drawing frames for a third of a second after
                    // the opening and after every switch of tab.
                    Binding {
                        target: bar.contentItem
                        property: "highlightResizeDuration"
                        value: 0
                    }
                }

                StackLayout {
                    id: stackLayout
                    readonly property real topMargin: bar.height
                    readonly property real bottomMargin: Kirigami.Units.gridUnit
                    readonly property real minimumHeight: Kirigami.Units.gridUnit * 28
                    y: topMargin
                    width: flick.width
                    // A tab taller than the view (its implicit height) scrolls.
                    readonly property real tabHeight: children[currentIndex] ? children[currentIndex].implicitHeight : 0
                    height: Math.max(minimumHeight, flick.height - topMargin - bottomMargin, tabHeight)
                    currentIndex: bar.currentIndex
                }
            }
        }
    }
}
