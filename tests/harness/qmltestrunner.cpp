// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// Qt Quick Test runner for the module's pages: the back-end types registered,
// i18n() available, a real module object as `kcm` whose first-load
// initialization ran against the test engine.
#include <KLocalizedContext>
#include <KLocalizedString>
#include <KPluginMetaData>

#include <QApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

#include "kcmoduleqml.h"
#include "modulehost.h"
#include "qmltestsupport.h"
#include "qmltypes.h"

class Setup : public QObject
{
    Q_OBJECT
public Q_SLOTS:
    void applicationAvailable()
    {
        KLocalizedString::setApplicationDomain("kcm_orb_admin_date");
        initOrbAdminDateResources();
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        auto *context = new KLocalizedContext(engine);
        context->setTranslationDomain(QStringLiteral("kcm_orb_admin_date"));
        engine->rootContext()->setContextObject(context);

        // A fresh module per test file, as a fresh page would get one.
        const KPluginMetaData metaData(ModuleHost::pluginFile());
        auto *module = new KCModuleQML(engine, metaData, QVariantList());
        module->initializeWithEngine(engine);
        engine->rootContext()->setContextProperty(QStringLiteral("kcm"), module);
        engine->rootContext()->setContextProperty(QStringLiteral("orbTest"), new QmlTestSupport(engine));
    }
};

int main(int argc, char **argv)
{
    // Widgets: the page's message dialog is a native one in a widgets host.
    QApplication app(argc, argv);
    Setup setup;
    QTEST_SET_MAIN_SOURCE_PATH
    return quick_test_main_with_setup(argc, argv, "orb", nullptr, &setup);
}

#include "qmltestrunner.moc"
