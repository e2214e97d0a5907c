// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// Test-only QML plug-in "orb.testsupport": switches the application palette so
// that screenshots can show the items on a light and on a dark scheme, reads
// pixels of grabbed images, tells where screenshots go, changes what the
// process takes for the system time zone, and gives runners without a
// localized context i18n().

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExtensionPlugin>
#include <QTimeZone>

#include <KLocalizedContext>

#include "palettes.h"

class TestSupport : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // "light", "dark", or anything else for the palette the application started with.
    Q_INVOKABLE void usePalette(const QString &name)
    {
        static const QPalette original = QGuiApplication::palette();
        if (name == QLatin1String("light")) {
            QGuiApplication::setPalette(lightPalette());
        } else if (name == QLatin1String("dark")) {
            QGuiApplication::setPalette(darkPalette());
        } else {
            QGuiApplication::setPalette(original);
        }
    }

    // A pixel of an image grabbed with grabToImage(): offscreen windows cannot be
    // grabbed by the test runner itself.
    Q_INVOKABLE QColor pixel(const QVariant &image, int x, int y) const
    {
        const QImage picture = image.value<QImage>();
        if (!picture.valid(x, y)) {
            return QColor();
        }
        return picture.pixelColor(x, y);
    }

    // The folder for screenshots ($ORB_SCREENSHOT_DIR, else the temporary folder), created if needed.
    Q_INVOKABLE QString screenshotDir() const
    {
        QString dir = qEnvironmentVariable("ORB_SCREENSHOT_DIR");
        if (dir.isEmpty()) {
            dir = QDir::tempPath();
        }
        QDir().mkpath(dir);
        return dir;
    }
};

// As if an administrator had changed the system zone elsewhere.
class SystemZone : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The toolkit reads TZ afresh on every query of the system zone; returns the
    // id it reads now, so a test sees at once whether the change took.
    Q_INVOKABLE QString set(const QString &zoneId)
    {
        qputenv("TZ", zoneId.toUtf8());
        return QString::fromUtf8(QTimeZone::systemTimeZoneId());
    }
};

class TestSupportPlugin : public QQmlExtensionPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QQmlExtensionInterface_iid)
public:
    void registerTypes(const char *uri) override
    {
        qmlRegisterSingletonType<TestSupport>(uri, 1, 0, "TestSupport", [](QQmlEngine *, QJSEngine *) -> QObject * {
            return new TestSupport;
        });
        qmlRegisterSingletonType<SystemZone>(uri, 1, 0, "SystemZone", [](QQmlEngine *, QJSEngine *) -> QObject * {
            return new SystemZone;
        });
    }

    void initializeEngine(QQmlEngine *engine, const char *uri) override
    {
        Q_UNUSED(uri)
        // A host that provides i18n() already (KDE's own engines) keeps it.
        if (!engine->rootContext()->contextObject()) {
            auto context = new KLocalizedContext(engine);
            context->setTranslationDomain(QStringLiteral("kcm_orb_admin_date"));
            engine->rootContext()->setContextObject(context);
        }
    }
};

#include "orbtestsupportplugin.moc"
