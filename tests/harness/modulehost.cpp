// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "modulehost.h"

#include <KPluginMetaData>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTest>

#include <algorithm>

#include "kcmoduleqml.h"
#include "qmltypes.h"

ModuleHost::ModuleHost(QObject *parent)
    : QObject(parent)
{
    initOrbAdminDateResources();
}

ModuleHost::~ModuleHost()
{
    if (m_page) {
        m_page->setParentItem(nullptr);
    }
    m_window.reset();
    m_module.reset();
}

QString ModuleHost::pluginFile()
{
    return qEnvironmentVariable("ORB_PLUGIN_FILE");
}

bool ModuleHost::create(const QSize &size, bool buildEveryTab)
{
    const KPluginMetaData metaData(pluginFile());
    if (!metaData.isValid()) {
        qWarning() << "No plug-in metadata in" << pluginFile();
        return false;
    }
    m_module = std::make_unique<KCModuleQML>(nullptr, metaData, QVariantList());
    m_page = m_module->mainUi();
    if (!m_page) {
        qWarning() << "The page could not be created:" << m_module->errorString();
        return false;
    }
    m_window = std::make_unique<QQuickWindow>();
    m_window->resize(size);
    m_page->setParentItem(m_window->contentItem());
    m_page->setSize(size);
    QObject::connect(m_window.get(), &QQuickWindow::widthChanged, m_page, [this](int w) {
        m_page->setWidth(w);
    });
    QObject::connect(m_window.get(), &QQuickWindow::heightChanged, m_page, [this](int h) {
        m_page->setHeight(h);
    });
    m_window->show();
    m_window->requestActivate();
    if (!QTest::qWaitForWindowExposed(m_window.get())) {
        qWarning() << "The window was not exposed";
    }
    if (!buildEveryTab) {
        return true;
    }
    // A tab is built when first shown; the tests use them all, so each is shown once.
    auto *bar = m_page->property("tabBar").value<QObject *>();
    const int count = bar ? bar->property("count").toInt() : 0;
    for (int index = count - 1; index >= 0; --index) {
        bar->setProperty("currentIndex", index);
    }
    if (!QTest::qWaitFor(
            [this] {
                return m_page->property("allTabsBuilt").toBool();
            },
            10000)) {
        qWarning() << "Not every tab was built";
    }
    return true;
}

KCModuleQML *ModuleHost::module() const
{
    return m_module.get();
}

QQuickItem *ModuleHost::page() const
{
    return m_page;
}

QQuickWindow *ModuleHost::window() const
{
    return m_window.get();
}

QQuickItem *ModuleHost::findItem(const QString &name) const
{
    return m_page ? m_page->findChild<QQuickItem *>(name) : nullptr;
}

QQuickItem *ModuleHost::tabPage(int index) const
{
    auto *stack = m_page ? m_page->property("stack").value<QQuickItem *>() : nullptr;
    if (!stack || index < 0 || index >= stack->childItems().size()) {
        return nullptr;
    }
    return stack->childItems().at(index)->property("item").value<QQuickItem *>();
}

QQuickItem *ModuleHost::showTab(int tab)
{
    QVariant shown;
    if (!m_page || !QMetaObject::invokeMethod(m_page, "showTab", Q_RETURN_ARG(QVariant, shown), Q_ARG(QVariant, tab)) || !shown.toBool()) {
        return nullptr;
    }
    auto *bar = m_page->property("tabBar").value<QQuickItem *>();
    const int index = bar ? bar->property("currentIndex").toInt() : -1;
    QQuickItem *item = nullptr;
    waitFor([&] {
        item = tabPage(index);
        return item && item->isVisible() && item->height() > 0;
    });
    return item && item->isVisible() ? item : nullptr;
}

QVariant ModuleHost::pageProperty(const char *name) const
{
    return m_page ? m_page->property(name) : QVariant();
}

void ModuleHost::processEvents(int ms)
{
    QTest::qWait(ms);
}

QImage ModuleHost::grab() const
{
    return grabWindow(m_window.get());
}

QString ModuleHost::saveScreenshot(const QString &name) const
{
    const QString path = screenshotPath(name);
    grab().save(path);
    return path;
}

namespace
{
bool anyImageLoading(QQuickItem *item)
{
    // QQuickImageBase::Loading
    constexpr int loading = 2;
    if (item->metaObject()->indexOfProperty("status") >= 0 && item->inherits("QQuickImageBase") && item->property("status").toInt() == loading) {
        return true;
    }
    const auto children = item->childItems();
    return std::any_of(children.cbegin(), children.cend(), anyImageLoading);
}
}

QImage grabWindow(QQuickWindow *window)
{
    if (!window || !window->screen()) {
        return {};
    }
    // Pictures still decoding in the background would be missing from the grab.
    QElapsedTimer limit;
    limit.start();
    while (anyImageLoading(window->contentItem()) && limit.elapsed() < 5000) {
        QTest::qWait(10);
    }
    // Let pending frames render first.
    QTest::qWait(50);
    QImage image = window->grabWindow();
    if (image.isNull()) {
        image = window->screen()->grabWindow(window->winId()).toImage();
    }
    return image;
}

QString screenshotPath(const QString &name)
{
    QString dir = qEnvironmentVariable("ORB_SCREENSHOT_DIR");
    if (dir.isEmpty()) {
        dir = QDir::currentPath();
    }
    QDir().mkpath(dir);
    return QDir(dir).filePath(name.endsWith(QLatin1String(".png")) ? name : name + QStringLiteral(".png"));
}
