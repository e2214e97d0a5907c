import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Dialogs 1.3
import QtQuick.Layouts 1.15
import org.kde.kcm 1.2 as KCM
import ru.nimbolinux.kcm.orbadmindate 1.0

KCM.SimpleKCM {
    id: page

    property bool isAdminMode: tabLoader.isAdminMode()
    readonly property var tab: ({
        "DateTime": 0,
        "TimeZones": 1,
        "Synchronization": 2,
        "AppletSettings": 3,
        "TrayDisplayTab": 4
    })
    // Exposed for the tests and for hosts that want to inspect the page.
    readonly property alias tabBar: bar
    readonly property alias stack: stackLayout
    readonly property alias flickable: flick
    readonly property alias refreshTimer: updater
    readonly property alias warningDialog: errorDialog

    implicitWidth: 640
    implicitHeight: 620
    verticalScrollBarPolicy: Qt.ScrollBarAlwaysOff
    leftPadding: 0
    rightPadding: 0
    topPadding: 0
    bottomPadding: 0

    function load() {
        if (isAdminMode) {
            dateTimeTab.load()
            timeZonesTab.load()
            syncTab.load()
        }
        appletSettingsTab.load()
        displayFormatTab.load()
    }

    function loadIcons() {
        if (isAdminMode) {
            timeZonesTab.loadIcons()
            syncTab.loadIcons()
        }
        appletSettingsTab.loadIcons()
    }

    function isLightTheme() {
        const c = systemPalette.window
        return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b > 0.5
    }

    function updateGeometry() {
        const actual = flick.height - stackLayout.topMargin - stackLayout.bottomMargin
        stackLayout.height = actual <= 500 ? 500 : actual
        const minimum = stackLayout.height + bar.height
        flick.contentHeight = flick.height <= minimum ? minimum : flick.height
        flick.contentWidth = flick.width <= bar.contentWidth - 50 ? bar.contentWidth : flick.width
    }

    TabLoader {
        id: tabLoader

        Component.onCompleted: {
            if (page.isAdminMode) {
                page.addTab(i18n("Date and time"), dateTimeTab)
                page.addTab(i18n("Time zone"), timeZonesTab)
                page.addTab(i18n("Synchronization"), syncTab)
            }
            page.addTab(i18n("Other time zones"), appletSettingsTab)
            page.addTab(i18n("Tray display"), displayFormatTab)
        }
    }

    function addTab(text, tabPage) {
        bar.addItem(tabButton.createObject(bar, {"text": text}))
        tabPage.parent = stackLayout
        tabPage.visible = true
    }

    Component {
        id: tabButton
        TabButton {
            width: implicitWidth
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
        onTriggered: {
            if (page.isAdminMode) {
                dateTimeTab.update()
                timeZonesTab.update()
            }
            appletSettingsTab.update()
            displayFormatTab.update()
        }
    }

    MessageDialog {
        id: errorDialog
        standardButtons: StandardButton.Close
        icon: StandardIcon.Warning
        width: 320
        height: 240

        function showError(title, message) {
            errorDialog.title = title
            errorDialog.text = message
            errorDialog.open()
        }
    }

    DateTimeTab {
        id: dateTimeTab
        visible: false
        enabled: page.isAdminMode
        isLight: root.isLight
        Layout.preferredWidth: parent ? parent.width : 0
        Layout.preferredHeight: parent ? parent.height : 0
        onNeedsSaveChanged: kcm.setChanged(page.tab.DateTime, needsSave)
        onError: errorDialog.showError(title, message)
    }

    TimeZonesTab {
        id: timeZonesTab
        visible: false
        enabled: page.isAdminMode
        isLight: root.isLight
        Layout.preferredWidth: parent ? parent.width : 0
        Layout.preferredHeight: parent ? parent.height : 0
        onNeedsSaveChanged: kcm.setChanged(page.tab.TimeZones, needsSave)
    }

    SynchronizationTab {
        id: syncTab
        visible: false
        enabled: page.isAdminMode
        isLight: root.isLight
        Layout.preferredWidth: parent ? parent.width : 0
        Layout.preferredHeight: parent ? parent.height : 0
        onNeedsSaveChanged: kcm.setChanged(page.tab.Synchronization, needsSave)
    }

    AppletSettingsTab {
        id: appletSettingsTab
        visible: false
        isLight: root.isLight
        Layout.preferredWidth: parent ? parent.width : 0
        Layout.preferredHeight: parent ? parent.height : 0
        onNeedsSaveChanged: kcm.setChanged(page.tab.AppletSettings, needsSave)
    }

    TrayDisplayTab {
        id: displayFormatTab
        visible: false
        isLight: root.isLight
        Layout.preferredWidth: parent ? parent.width : 0
        Layout.preferredHeight: parent ? parent.height : 0
        onNeedsSaveChanged: kcm.setChanged(page.tab.TrayDisplayTab, needsSave)
        onError: errorDialog.showError(title, message)
    }

    Rectangle {
        id: root

        property bool isLight: page.isLightTheme()

        implicitWidth: page.width
        // The page's area below its title: the whole page height would push the
        // bottom of every tab out of sight, and the page itself does not scroll.
        implicitHeight: page.contentItem ? page.contentItem.height : page.height
        color: "transparent"

        SystemPalette {
            id: systemPalette
            colorGroup: SystemPalette.Active
        }

        ScrollView {
            id: scrollView
            anchors.fill: parent
            clip: false

            Flickable {
                id: flick
                boundsBehavior: Flickable.StopAtBounds

                onWidthChanged: page.updateGeometry()
                onHeightChanged: page.updateGeometry()
                Component.onCompleted: page.updateGeometry()

                TabBar {
                    id: bar
                    anchors.top: parent.top
                    anchors.left: parent.left
                    width: flick.contentWidth
                    onContentWidthChanged: page.updateGeometry()
                    onHeightChanged: page.updateGeometry()
                }

                StackLayout {
                    id: stackLayout
                    readonly property real topMargin: bar.height
                    readonly property real bottomMargin: 20
                    y: topMargin
                    width: flick.width
                    currentIndex: bar.currentIndex
                }
            }
        }
    }
}
