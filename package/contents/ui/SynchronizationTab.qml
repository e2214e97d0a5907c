// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.orbadmindate 1.0
import ru.nimbolinux.kcm.orbadmindate 1.0
import org.kde.kirigami 2.20 as Kirigami
import "private" as P

// The "Synchronization" tab: an immediate synchronization against a chosen
// server, the state of the running synchronization service and its servers.
Rectangle {
    id: tabRoot

    readonly property bool needsSave: serverList.hasChanges
    // Reading the time-sync state again is slow; the first load uses what the
    // module read when it started.
    property bool firstLoad: true
    property bool serviceRunning: false
    property bool isSynchronized: false
    // loadIcons() came: the theme's icons may be asked for.
    property bool iconsLoaded: false
    // Synchronize or Return was tried with the typed name: say every fault of it,
    // not only those that more typing cannot mend.
    property bool nameTried: false
    // What the open list offers: the servers that hold the typed text.
    property var suggestions: []
    readonly property string typedServer: comboField.text
    readonly property string serverRefusal: nameCheck.refusal(typedServer, comboField.activeFocus && !nameTried)

    readonly property string goToModule: "kcm_orb_admin_time"

    // For the tests.
    readonly property alias serverCombo: serverCombo
    readonly property alias comboModel: comboModel
    readonly property alias serverModel: serverModel
    readonly property alias serverView: serverView
    readonly property alias serverListObject: serverList
    readonly property alias offsetCheck: offsetCheckRow

    // A line of text with room around it: the field, the buttons and the rows of the list.
    readonly property real rowHeight: Kirigami.Units.gridUnit + Kirigami.Units.largeSpacing + Kirigami.Units.smallSpacing

    objectName: "synchronizationTab"
    color: "transparent"

    function load() {
        if (!firstLoad) {
            serverList.load()
        }
        refreshStatus()
        refreshCombo()
        syncConfirmation.text = ""
        serviceRunning = !kcm.noActiveServices()
        refreshServers()
        firstLoad = false
    }

    function loadIcons() {
        iconsLoaded = true
    }

    // A theme icon once loadIcons() came, for the buttons of a running service.
    function buttonIcon(name) {
        return iconsLoaded && serviceRunning ? name : ""
    }

    function refreshStatus() {
        statusLabel.text = kcm.getCurrentSyncStatus()
        const iconName = kcm.currentSyncIconName()
        isSynchronized = iconName === "dialog-on"
        statusIcon.source = iconName
    }

    function refreshCombo() {
        comboModel.clear()
        const servers = kcm.getRecommendedServers()
        for (let i = 0; i < servers.length; ++i) {
            comboModel.append({"text": servers[i]})
        }
        serverCombo.currentIndex = comboModel.count > 0 ? 0 : -1
        serverCombo.editText = serverCombo.currentText
    }

    function refreshServers() {
        const current = serverView.currentIndex >= 0 && serverView.currentIndex < serverModel.count
                ? serverModel.get(serverView.currentIndex).name : ""
        serverModel.clear()
        const servers = serverList.getServers()
        let currentIndex = servers.length > 0 ? 0 : -1
        for (let i = 0; i < servers.length; ++i) {
            serverModel.append({"name": servers[i]})
            if (servers[i] === current) {
                currentIndex = i
            }
        }
        serverView.currentIndex = currentIndex
    }

    function currentServerName() {
        return serverView.currentIndex >= 0 && serverView.currentIndex < serverModel.count
                ? serverModel.get(serverView.currentIndex).name : ""
    }

    function indexOfServer(text) {
        for (let i = 0; i < comboModel.count; ++i) {
            if (comboModel.get(i).text === text) {
                return i
            }
        }
        return -1
    }

    // A typed server that is not offered yet joins the list where the current one is.
    function acceptNewServer(text) {
        if (text === "" || indexOfServer(text) >= 0 || !nameCheck.isAcceptable(text)) {
            return
        }
        const index = Math.max(serverCombo.currentIndex, 0)
        comboModel.insert(index, {"text": text})
        serverCombo.currentIndex = index
        serverCombo.editText = text
    }

    // Always the typed text, whatever the list has highlighted.
    function synchronize() {
        const server = comboField.text.trim()
        serverCombo.popup.close()
        syncConfirmation.text = ""
        if (!nameCheck.isAcceptable(server)) {
            nameTried = true
            return
        }
        if (kcm.syncNow(server)) {
            refreshStatus()
            syncConfirmation.text = i18n("Synchronized with %1", server)
        }
    }

    // The offered servers that hold the typed text; all of them for an empty text.
    function showSuggestions(text) {
        const typed = text.trim().toLowerCase()
        const names = []
        for (let i = 0; i < comboModel.count; ++i) {
            const name = comboModel.get(i).text
            if (name.toLowerCase().indexOf(typed) >= 0) {
                names.push(name)
            }
        }
        suggestions = names
        suggestionList.currentIndex = -1
        if (names.length === 0) {
            serverCombo.popup.close()
        } else if (!serverCombo.popup.visible) {
            serverCombo.popup.open()
        }
    }

    function pickServer(name) {
        serverCombo.currentIndex = indexOfServer(name)
        serverCombo.editText = name
        serverCombo.popup.close()
    }

    function moveSuggestion(step) {
        if (!serverCombo.popup.visible) {
            showSuggestions(comboField.text === serverCombo.currentText ? "" : comboField.text)
            return
        }
        suggestionList.currentIndex = Math.max(0, Math.min(suggestions.length - 1, suggestionList.currentIndex + step))
    }

    function acceptTypedText() {
        nameTried = true
        const highlighted = serverCombo.popup.visible && suggestionList.currentIndex >= 0 ? suggestions[suggestionList.currentIndex] : ""
        const text = serverCombo.contentItem.text
        serverCombo.editText = text
        const index = indexOfServer(text)
        if (highlighted !== "") {
            pickServer(highlighted)
        } else if (index < 0) {
            acceptNewServer(text)
        } else {
            serverCombo.currentIndex = index
        }
        serverCombo.contentItem.deselect()
        serverCombo.popup.close()
    }

    P.OrbPalette {
        id: palette
    }

    ServerNameCheck {
        id: nameCheck
    }

    ListModel {
        id: comboModel
    }

    ListModel {
        id: serverModel
    }

    // Tall enough for the whole column: a lower view scrolls the page instead of
    // squeezing the server list.
    implicitHeight: column.implicitHeight + column.anchors.topMargin + column.anchors.bottomMargin

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.topMargin: Kirigami.Units.largeSpacing * 2
        anchors.leftMargin: Kirigami.Units.largeSpacing
        anchors.rightMargin: Kirigami.Units.largeSpacing
        anchors.bottomMargin: Kirigami.Units.largeSpacing
        spacing: Kirigami.Units.largeSpacing

        Label {
            Layout.preferredHeight: tabRoot.rowHeight
            Layout.fillWidth: true
            verticalAlignment: Text.AlignVCenter
            font.bold: true
            text: i18n("Reference time server address:")
        }

        // The button sits beside the field: below it, the open server list would
        // cover it and a click meant for it would pick a server instead.
        RowLayout {
            Layout.fillWidth: true
            spacing: Kirigami.Units.largeSpacing

            ComboBox {
                id: serverCombo
                objectName: "serverCombo"
                Layout.fillWidth: true
                Layout.preferredHeight: tabRoot.rowHeight
                editable: true
                // The styles' own paddings would clip the text in a box one line high.
                topPadding: 0
                bottomPadding: 0
                model: comboModel
                textRole: "text"
                // The text stands as typed: the line below says what is wrong with it.

                background: Rectangle {
                    color: "transparent"
                    border.color: palette.frame
                    radius: Kirigami.Units.smallSpacing
                }

                indicator: Kirigami.Icon {
                    id: dropDownIcon
                    objectName: "dropDownIcon"
                    source: tabRoot.iconsLoaded ? "arrow-down" : ""
                    // One colour, the text's, whichever drawing is found.
                    isMask: true
                    color: Kirigami.Theme.textColor
                    width: Kirigami.Units.iconSizes.small
                    height: Kirigami.Units.iconSizes.small
                    anchors.right: parent.right
                    anchors.rightMargin: Kirigami.Units.largeSpacing
                    anchors.verticalCenter: parent.verticalCenter

                    // The arrow offers every server; typing offers those that match.
                    MouseArea {
                        anchors.fill: parent
                        anchors.margins: -Kirigami.Units.largeSpacing
                        onClicked: {
                            if (serverCombo.popup.visible) {
                                serverCombo.popup.close()
                            } else {
                                comboField.forceActiveFocus()
                                tabRoot.showSuggestions("")
                            }
                        }
                    }
                }

                popup: Popup {
                    objectName: "serverSuggestions"
                    y: serverCombo.height
                    width: serverCombo.width
                    height: Math.min(suggestionList.contentHeight + 2, Kirigami.Units.gridUnit * 16)
                    padding: 1
                    // The keys stay in the field, and pressing it keeps the list.
                    focus: false
                    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
                    Kirigami.Theme.colorSet: Kirigami.Theme.View
                    Kirigami.Theme.inherit: false
                    background: Rectangle {
                        color: Kirigami.Theme.backgroundColor
                        border.color: palette.frame
                        radius: Kirigami.Units.smallSpacing
                    }
                    contentItem: ListView {
                        id: suggestionList
                        objectName: "serverSuggestionList"
                        clip: true
                        model: tabRoot.suggestions
                        currentIndex: -1
                        boundsBehavior: Flickable.StopAtBounds
                        delegate: ItemDelegate {
                            width: suggestionList.width
                            text: modelData
                            highlighted: ListView.isCurrentItem
                            focusPolicy: Qt.NoFocus
                            onClicked: tabRoot.pickServer(modelData)
                        }
                    }
                }

                contentItem: TextField {
                    id: comboField
                    objectName: "serverComboField"
                    leftPadding: Kirigami.Units.largeSpacing
                    // Clear of the arrow.
                    rightPadding: dropDownIcon.width + dropDownIcon.anchors.rightMargin * 2 + Kirigami.Units.smallSpacing
                    topPadding: 0
                    bottomPadding: 0
                    text: serverCombo.editText
                    verticalAlignment: Text.AlignVCenter
                    selectByMouse: true
                    color: Kirigami.Theme.textColor
                    Accessible.name: i18n("Reference time server address")
                    Accessible.description: tabRoot.serverRefusal
                    background: Item {}

                    onTextEdited: {
                        tabRoot.nameTried = false
                        serverCombo.editText = text
                        tabRoot.showSuggestions(text)
                    }
                    Keys.onDownPressed: tabRoot.moveSuggestion(1)
                    Keys.onUpPressed: tabRoot.moveSuggestion(-1)
                    onActiveFocusChanged: {
                        if (!activeFocus && tabRoot.indexOfServer(text) < 0) {
                            tabRoot.acceptNewServer(text)
                        }
                    }
                    Keys.onReturnPressed: function(event) {
                        tabRoot.acceptTypedText()
                        event.accepted = true
                    }
                    Keys.onEnterPressed: function(event) {
                        tabRoot.acceptTypedText()
                        event.accepted = true
                    }
                    Keys.onReleased: function(event) {
                        if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                            event.accepted = true
                        }
                    }

                    MouseArea {
                        anchors.fill: parent
                        // A click starts the editing with the whole name selected, so that
                        // typing replaces it; the list opens once something is typed.
                        onClicked: {
                            if (!comboField.activeFocus) {
                                comboField.forceActiveFocus()
                                comboField.selectAll()
                            } else {
                                serverCombo.popup.close()
                            }
                        }
                    }
                }
            }

            P.FramedButton {
                id: syncButton
                objectName: "syncButton"
                Layout.preferredWidth: Math.max(Kirigami.Units.gridUnit * 11, implicitContentWidth + Kirigami.Units.largeSpacing * 2)
                Layout.preferredHeight: tabRoot.rowHeight
                text: i18n("Synchronize")

                onClicked: tabRoot.synchronize()
            }
        }

        Label {
            id: serverRefusalLine
            objectName: "serverRefusal"
            Layout.fillWidth: true
            visible: text !== ""
            wrapMode: Text.WordWrap
            color: Kirigami.Theme.negativeTextColor
            text: tabRoot.serverRefusal
        }

        Label {
            id: syncConfirmation
            objectName: "syncConfirmation"
            Layout.fillWidth: true
            // Always there, empty or not: a line appearing would push the end of
            // the server list below out of view.
            wrapMode: Text.WordWrap
        }

        P.OffsetCheckRow {
            id: offsetCheckRow
            Layout.fillWidth: true
            server: tabRoot.typedServer
        }

        Kirigami.Separator {
            Layout.fillWidth: true
        }

        Label {
            Layout.preferredHeight: Kirigami.Units.gridUnit
            Layout.fillWidth: true
            verticalAlignment: Text.AlignVCenter
            font.bold: true
            text: i18n("Servers and pools")
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: Kirigami.Units.largeSpacing

            Label {
                id: statusLabel
                objectName: "statusLabel"
            }

            Kirigami.Icon {
                id: statusIcon
                objectName: "statusIcon"
                Layout.preferredWidth: Kirigami.Units.iconSizes.small
                Layout.preferredHeight: Kirigami.Units.iconSizes.small

                MouseArea {
                    id: statusHover
                    objectName: "statusHover"
                    property string toolTipText: ""
                    anchors.fill: parent
                    hoverEnabled: true
                    onContainsMouseChanged: toolTipText = kcm.getLastSynchroToolTip()

                    ToolTip {
                        objectName: "statusToolTip"
                        visible: statusHover.containsMouse && tabRoot.isSynchronized && statusHover.toolTipText !== ""
                        text: statusHover.toolTipText
                    }
                }
            }

            Item {
                Layout.fillWidth: true
            }
        }

        P.SyncHealthBlock {
            Layout.fillWidth: true
        }

        Button {
            id: goButton
            objectName: "goButton"
            Layout.preferredWidth: Kirigami.Units.gridUnit * 16
            Layout.preferredHeight: tabRoot.rowHeight
            text: i18n("Go to synchronization")
            visible: tabRoot.serviceRunning
            enabled: tabRoot.serviceRunning
            onClicked: kcm.openAnotherKCMModule(tabRoot.goToModule)
        }

        Rectangle {
            id: serverArea
            Layout.fillWidth: true
            Layout.fillHeight: true
            // Four rows stay in view however much the blocks above take.
            Layout.minimumHeight: 4 * tabRoot.rowHeight + 2
            color: "transparent"
            // The list takes the keyboard focus: Up and Down pick the server the buttons act on.
            border.color: serverView.activeFocus ? Kirigami.Theme.highlightColor : palette.frame
            border.width: 1

            Item {
                id: notice
                objectName: "noServiceNotice"
                anchors.fill: parent
                // Not before the first load has asked.
                visible: !tabRoot.firstLoad && !tabRoot.serviceRunning

                Column {
                    anchors.centerIn: parent
                    spacing: Kirigami.Units.largeSpacing

                    Label {
                        width: serverArea.width * 2 / 3
                        // Narrow pages wrap the notice onto a third line.
                        height: Math.max(Kirigami.Units.gridUnit * 3, implicitHeight)
                        wrapMode: Text.WordWrap
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        text: i18n("Running persistent synchronization services not detected. To configure, go to time synchronization")
                    }

                    Button {
                        objectName: "noticeGoButton"
                        width: Kirigami.Units.gridUnit * 16
                        height: tabRoot.rowHeight
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: i18n("Go to synchronization")
                        onClicked: kcm.openAnotherKCMModule(tabRoot.goToModule)
                    }
                }
            }

            ScrollView {
                id: scrollView
                objectName: "serverScrollView"
                anchors.fill: parent
                anchors.margins: 1
                clip: true
                visible: tabRoot.serviceRunning

                ListView {
                    id: serverView
                    objectName: "serverView"
                    Accessible.role: Accessible.List
                    Accessible.name: i18n("Servers and pools")
                    model: serverModel
                    boundsBehavior: Flickable.StopAtBounds
                    activeFocusOnTab: true

                    delegate: Rectangle {
                        id: row
                        property bool isCurrent: ListView.isCurrentItem
                        width: ListView.view.width
                        height: tabRoot.rowHeight
                        // Read out as a list item, and the current one as selected.
                        Accessible.role: Accessible.ListItem
                        Accessible.name: model.name
                        Accessible.selectable: true
                        Accessible.selected: isCurrent
                        color: isCurrent ? Kirigami.Theme.highlightColor
                                         : rowHover.containsMouse ? Kirigami.ColorUtils.tintWithAlpha(Kirigami.Theme.backgroundColor, Kirigami.Theme.highlightColor, 0.3)
                                                                  : "transparent"

                        Kirigami.Icon {
                            id: serverIcon
                            objectName: "serverIcon"
                            anchors.left: parent.left
                            anchors.leftMargin: Kirigami.Units.largeSpacing
                            anchors.verticalCenter: parent.verticalCenter
                            width: Kirigami.Units.iconSizes.small
                            height: Kirigami.Units.iconSizes.small
                            source: serverList.isServerFallback(model.name) ? "qrc:/icons/16x16/no-connection.png" : "computer"
                            // The theme's one-colour icons take the text colour of the row.
                            color: row.isCurrent ? Kirigami.Theme.highlightedTextColor : Kirigami.Theme.textColor
                        }

                        Label {
                            anchors.left: serverIcon.right
                            anchors.leftMargin: Kirigami.Units.largeSpacing
                            anchors.right: parent.right
                            anchors.verticalCenter: parent.verticalCenter
                            elide: Text.ElideRight
                            text: model.name
                            color: row.isCurrent ? Kirigami.Theme.highlightedTextColor : Kirigami.Theme.textColor
                        }

                        MouseArea {
                            id: rowHover
                            anchors.fill: parent
                            hoverEnabled: true
                            onClicked: serverView.currentIndex = index
                        }
                    }
                }
            }
        }

        RowLayout {
            id: buttonRow
            objectName: "serverButtons"
            Layout.alignment: Qt.AlignRight
            spacing: Kirigami.Units.smallSpacing
            visible: tabRoot.serviceRunning
            enabled: tabRoot.serviceRunning

            ServerList {
                id: serverList
                // The list as edited through the service's dialogs, kept current.
                onServersChanged: tabRoot.refreshServers()
            }

            P.ServerButton {
                id: addButton
                objectName: "addServerButton"
                text: i18n("Add server")
                iconSource: tabRoot.buttonIcon("list-add")
                onClicked: serverList.addServer()
            }

            P.ServerButton {
                id: removeButton
                objectName: "removeServerButton"
                text: i18n("Remove server")
                iconSource: tabRoot.buttonIcon("list-remove")
                onClicked: serverList.removeServer(tabRoot.currentServerName())
            }

            P.ServerButton {
                id: configureButton
                objectName: "configureServerButton"
                text: i18n("Server settings")
                iconSource: tabRoot.buttonIcon("configure")
                onClicked: serverList.openServerSettings(tabRoot.currentServerName())
            }

            P.ServerButton {
                id: fallbackButton
                objectName: "fallbackButton"
                visible: serverList.fallbackSwitchable
                enabled: visible
                iconSource: tabRoot.buttonIcon(serverList.fallbackShown ? "view-visible" : "view-hidden")
                toolTipText: serverList.fallbackToolTip
                text: toolTipText
                ToolTip.delay: 1000
                onClicked: serverList.changeFallbackVisibility()
            }
        }
    }
}
