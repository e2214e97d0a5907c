import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import ru.nimbolinux.orbadmindate 1.0
import ru.nimbolinux.kcm.orbadmindate 1.0
import "private" as P

// The "Synchronization" tab: an immediate synchronization against a chosen
// server, the state of the running synchronization service and its servers.
Rectangle {
    id: tabRoot

    property bool isLight: true
    property bool needsSave: false
    // Reading the time-sync state again is slow; the first load uses what the
    // module read when it started.
    property bool firstLoad: true
    property bool serviceRunning: false
    property bool isSynchronized: false
    property bool serversLoaded: false

    readonly property string goToModule: "kcm_orb_admin_time"

    // For the tests.
    readonly property alias serverCombo: serverCombo
    readonly property alias comboModel: comboModel
    readonly property alias serverModel: serverModel
    readonly property alias serverView: serverView
    readonly property alias serverListObject: serverList
    readonly property alias offsetCheck: offsetCheckRow

    objectName: "synchronizationTab"
    color: "transparent"

    function themeIcon(name) {
        return "image://themeIcons/" + name + (isLight ? "-black" : "-white")
    }

    function load() {
        if (!firstLoad) {
            serverList.load()
        }
        refreshStatus()
        refreshCombo()
        syncConfirmation.text = ""
        serviceRunning = !kcm.noActiveServices()
        if (serviceRunning) {
            loadButtonIcons()
        }
        refreshServers()
        needsSave = false
        firstLoad = false
    }

    function loadIcons() {
        dropDownIcon.source = themeIcon("arrow-down")
        if (serviceRunning) {
            loadButtonIcons()
        }
    }

    function loadButtonIcons() {
        addButton.iconSource = themeIcon("list-add")
        removeButton.iconSource = themeIcon("list-remove")
        configureButton.iconSource = themeIcon("configure")
        refreshFallbackButton()
    }

    function refreshStatus() {
        statusLabel.text = kcm.getCurrentSyncStatus()
        const iconName = kcm.currentSyncIconName()
        isSynchronized = iconName === "dialog-on"
        statusIcon.source = iconName === "" ? "" : themeIcon(iconName)
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
        serversLoaded = false
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
        serversLoaded = true
    }

    function refreshFallbackButton() {
        const shown = serverList.isSystemdActiveService()
        fallbackButton.enabled = shown
        fallbackButton.visible = shown
        fallbackButton.iconSource = themeIcon(serverList.isFallbackVisible() ? "view-visible" : "view-hidden")
        fallbackButton.toolTipText = serverList.getFallbackVisiblityToolTip()
    }

    function currentServerName() {
        return serverView.currentIndex >= 0 && serverView.currentIndex < serverModel.count
                ? serverModel.get(serverView.currentIndex).name : ""
    }

    // After an edit through the service's dialogs.
    function afterEdit() {
        refreshServers()
        needsSave = serverList.needsSave()
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
        if (text === "" || indexOfServer(text) >= 0) {
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
        if (kcm.syncNow(server)) {
            refreshStatus()
            syncConfirmation.text = i18n("Synchronized with %1", server)
        }
    }

    function acceptTypedText() {
        const highlighted = serverCombo.highlightedIndex
        const text = serverCombo.contentItem.text
        serverCombo.editText = text
        const index = indexOfServer(text)
        if (index < 0) {
            acceptNewServer(text)
        } else if (serverCombo.popup.visible && highlighted >= 0) {
            serverCombo.currentIndex = highlighted
        } else {
            serverCombo.currentIndex = index
        }
        serverCombo.contentItem.deselect()
        serverCombo.popup.close()
    }

    P.OrbPalette {
        id: palette
    }

    ListModel {
        id: comboModel
    }

    ListModel {
        id: serverModel
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.topMargin: 15
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        anchors.bottomMargin: 10
        spacing: 10

        Label {
            Layout.preferredHeight: 30
            Layout.fillWidth: true
            verticalAlignment: Text.AlignVCenter
            font.bold: true
            text: i18n("Reference time server address:")
        }

        // The button sits beside the field: below it, the open server list would
        // cover it and a click meant for it would pick a server instead.
        RowLayout {
            Layout.fillWidth: true
            spacing: 10

            ComboBox {
                id: serverCombo
                objectName: "serverCombo"
                Layout.fillWidth: true
                Layout.preferredHeight: 30
                editable: true
                // The styles' own paddings would clip the text in a 30 pixel box.
                topPadding: 0
                bottomPadding: 0
                model: comboModel
                textRole: "text"
                // A word character first, then letters, digits, "_", "." or "-":
                // text that can still become such a name stands while typing.
                // A front filter only: what it lets through is checked with the
                // shared server name rule when the page synchronizes. ":" and
                // brackets let IPv6 addresses through.
                validator: RegularExpressionValidator {
                    regularExpression: /^[\w\[][A-Za-z0-9_.:\[\]-]+$/
                }

                background: Rectangle {
                    color: "transparent"
                    border.color: "#7E7E7E"
                    radius: 3
                }

                indicator: Image {
                    id: dropDownIcon
                    objectName: "dropDownIcon"
                    width: 16
                    height: 16
                    sourceSize: Qt.size(16, 16)
                    anchors.right: parent.right
                    anchors.rightMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                }

                contentItem: TextField {
                    id: comboField
                    objectName: "serverComboField"
                    leftPadding: 8
                    rightPadding: 36
                    topPadding: 0
                    bottomPadding: 0
                    text: serverCombo.editText
                    validator: serverCombo.validator
                    verticalAlignment: Text.AlignVCenter
                    selectByMouse: true
                    color: palette.text
                    background: Item {}

                    onTextEdited: serverCombo.editText = text
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
                        onClicked: {
                            if (!serverCombo.popup.visible) {
                                serverCombo.popup.open()
                                comboField.forceActiveFocus()
                                comboField.selectAll()
                            } else {
                                comboField.focus = false
                                serverCombo.popup.close()
                            }
                        }
                    }
                }
            }

            Button {
                id: syncButton
                objectName: "syncButton"
                Layout.preferredWidth: Math.max(200, implicitContentWidth + 20)
                Layout.preferredHeight: 30
                text: i18n("Synchronize")

                // Some styles draw the label as part of the background they paint.
                contentItem: Label {
                    text: syncButton.text
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    color: palette.buttonText
                }
                background: Rectangle {
                    color: syncButton.pressed ? palette.dark : palette.button
                    border.color: syncButton.visualFocus ? palette.highlight : palette.mid
                    radius: 3
                    Behavior on color {
                        ColorAnimation {
                            duration: 100
                        }
                    }
                }

                onClicked: tabRoot.synchronize()
            }
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
            server: serverCombo.editText
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 1
            color: palette.frame
        }

        Label {
            Layout.preferredHeight: 20
            Layout.fillWidth: true
            verticalAlignment: Text.AlignVCenter
            font.bold: true
            text: i18n("Servers and pools")
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 8

            Label {
                id: statusLabel
                objectName: "statusLabel"
            }

            Image {
                id: statusIcon
                objectName: "statusIcon"
                Layout.preferredWidth: 16
                Layout.preferredHeight: 16
                sourceSize: Qt.size(16, 16)

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

        Button {
            id: goButton
            objectName: "goButton"
            Layout.preferredWidth: 300
            Layout.preferredHeight: 30
            text: i18n("Go to synchronization")
            visible: tabRoot.serviceRunning
            enabled: tabRoot.serviceRunning
            onClicked: kcm.openAnotherKCMModule(tabRoot.goToModule)
        }

        Rectangle {
            id: serverArea
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: "transparent"
            // The list takes the keyboard focus: Up and Down pick the server the buttons act on.
            border.color: serverView.activeFocus ? palette.highlight : palette.frame
            border.width: 1

            Item {
                id: notice
                objectName: "noServiceNotice"
                anchors.fill: parent
                // Not before the first load has asked.
                visible: !tabRoot.firstLoad && !tabRoot.serviceRunning

                Column {
                    anchors.centerIn: parent
                    spacing: 10

                    Label {
                        width: serverArea.width * 2 / 3
                        // Narrow pages wrap the notice onto a third line.
                        height: Math.max(50, implicitHeight)
                        wrapMode: Text.WordWrap
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        text: i18n("Running persistent synchronization services not detected. To configure, go to time synchronization")
                    }

                    Button {
                        objectName: "noticeGoButton"
                        width: 300
                        height: 30
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
                    model: serverModel
                    boundsBehavior: Flickable.StopAtBounds
                    activeFocusOnTab: true

                    delegate: Rectangle {
                        id: row
                        property bool isCurrent: ListView.isCurrentItem
                        width: ListView.view.width
                        height: 30
                        color: isCurrent ? palette.highlight
                                         : rowHover.containsMouse ? Qt.rgba(palette.highlight.r, palette.highlight.g, palette.highlight.b, 0.3)
                                                                  : "transparent"

                        Image {
                            objectName: "serverIcon"
                            anchors.left: parent.left
                            anchors.leftMargin: 10
                            anchors.verticalCenter: parent.verticalCenter
                            width: 16
                            height: 16
                            sourceSize: Qt.size(16, 16)
                            source: tabRoot.serversLoaded
                                    ? (serverList.isServerFallback(model.name) ? "qrc:/icons/16x16/no-connection.png" : tabRoot.themeIcon("computer"))
                                    : ""
                        }

                        Label {
                            anchors.left: parent.left
                            anchors.leftMargin: 36
                            anchors.right: parent.right
                            anchors.verticalCenter: parent.verticalCenter
                            elide: Text.ElideRight
                            text: model.name
                            color: row.isCurrent ? palette.highlightedText : palette.buttonText
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
            spacing: 6
            visible: tabRoot.serviceRunning
            enabled: tabRoot.serviceRunning

            ServerList {
                id: serverList
            }

            ServerButton {
                id: addButton
                objectName: "addServerButton"
                onClicked: {
                    serverList.addServer()
                    tabRoot.afterEdit()
                }
            }

            ServerButton {
                id: removeButton
                objectName: "removeServerButton"
                onClicked: {
                    serverList.removeServer(tabRoot.currentServerName())
                    tabRoot.afterEdit()
                }
            }

            ServerButton {
                id: configureButton
                objectName: "configureServerButton"
                onClicked: {
                    serverList.openServerSettings(tabRoot.currentServerName())
                    tabRoot.afterEdit()
                }
            }

            ServerButton {
                id: fallbackButton
                objectName: "fallbackButton"
                visible: false
                enabled: false
                ToolTip.visible: hovered && toolTipText !== ""
                ToolTip.delay: 1000
                ToolTip.timeout: 5000
                ToolTip.text: toolTipText
                onClicked: {
                    serverList.changeFallbackVisibility()
                    tabRoot.refreshServers()
                    tabRoot.refreshFallbackButton()
                }
            }
        }
    }

    // A square tool button whose border lights up while pressed.
    component ServerButton: Button {
        id: button
        property alias iconSource: buttonIcon.source
        property string toolTipText: ""
        Layout.preferredWidth: 32
        Layout.preferredHeight: 32
        hoverEnabled: true
        contentItem: Item {
            Image {
                id: buttonIcon
                anchors.centerIn: parent
                width: 16
                height: 16
                sourceSize: Qt.size(16, 16)
            }
        }
        background: Rectangle {
            color: button.hovered ? Qt.rgba(palette.highlight.r, palette.highlight.g, palette.highlight.b, 0.15) : "transparent"
            border.color: button.pressed || button.visualFocus ? palette.highlight : "transparent"
            radius: 3
        }
    }
}
