// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class KCModuleQML;
class QQuickItem;
class QQuickWindow;

// Hosts the whole module the way the settings centre does: the module object made
// from the plug-in's metadata, its page from mainUi(), shown in a window.
// The module's code is the test's own (linked statically), so class-wide state
// seen by the test is the state the page uses.
class ModuleHost : public QObject
{
    Q_OBJECT
public:
    explicit ModuleHost(QObject *parent = nullptr);
    ~ModuleHost() override;

    // Creates the module and its page and shows it at the given size, every tab
    // shown once so that all are built (or only the first, as a host opens it);
    // false with a warning when the page cannot be created.
    bool create(const QSize &size = QSize(900, 700), bool buildEveryTab = true);

    KCModuleQML *module() const;
    QQuickItem *page() const;
    QQuickWindow *window() const;

    // The first item below the page whose objectName is `name`.
    QQuickItem *findItem(const QString &name) const;
    // The page of the tab at `index` of the bar, once it is built.
    QQuickItem *tabPage(int index) const;
    // Shows the tab of that number (KCModuleQML::Tab) and returns its page once it
    // is built and on show; null when the bar has no such tab.
    QQuickItem *showTab(int tab);
    // Reads a property of the page's root item (e.g. "isAdminMode").
    QVariant pageProperty(const char *name) const;

    // Lets the event loop run until `condition` holds or `timeoutMs` passes.
    template<typename Condition>
    bool waitFor(Condition condition, int timeoutMs = 5000);

    QImage grab() const;
    // Writes a PNG into $ORB_SCREENSHOT_DIR (or the working folder); returns the path.
    QString saveScreenshot(const QString &name) const;

    static QString pluginFile();

private:
    void processEvents(int ms);

    std::unique_ptr<KCModuleQML> m_module;
    std::unique_ptr<QQuickWindow> m_window;
    QPointer<QQuickItem> m_page;
};

template<typename Condition>
bool ModuleHost::waitFor(Condition condition, int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        if (condition()) {
            return true;
        }
        processEvents(10);
    }
    return condition();
}

// Screen-grabs a window (works on the offscreen platform too).
QImage grabWindow(QQuickWindow *window);
QString screenshotPath(const QString &name);
