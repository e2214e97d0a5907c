// Test-only QML plug-in "orb.testsupport": switches the application palette so
// that screenshots can show the items on a light and on a dark scheme, reads
// pixels of grabbed images, tells where screenshots go, and gives runners
// without a localized context i18n().

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExtensionPlugin>

#include <KLocalizedContext>

namespace {
QPalette schemePalette(const QColor &window, const QColor &base, const QColor &text, const QColor &disabledText)
{
    const QColor highlight(0x3d, 0xae, 0xe9);
    QPalette palette(text, window);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor &shownText = group == QPalette::Disabled ? disabledText : text;
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, shownText);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, window);
        palette.setColor(group, QPalette::Text, shownText);
        palette.setColor(group, QPalette::Button, window);
        palette.setColor(group, QPalette::ButtonText, shownText);
        palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(group, QPalette::HighlightedText, QColor(0xfc, 0xfc, 0xfc));
        palette.setColor(group, QPalette::ToolTipBase, window);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, disabledText);
    }
    return palette;
}
}

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
            QGuiApplication::setPalette(schemePalette(QColor(0xef, 0xf0, 0xf1), QColor(0xfc, 0xfc, 0xfc), QColor(0x23, 0x26, 0x29), QColor(0xa0, 0xa4, 0xa8)));
        } else if (name == QLatin1String("dark")) {
            QGuiApplication::setPalette(schemePalette(QColor(0x31, 0x36, 0x3b), QColor(0x23, 0x26, 0x29), QColor(0xef, 0xf0, 0xf1), QColor(0x6e, 0x73, 0x78)));
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

class TestSupportPlugin : public QQmlExtensionPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QQmlExtensionInterface_iid)
public:
    void registerTypes(const char *uri) override
    {
        qmlRegisterSingletonType<TestSupport>(uri, 1, 0, "TestSupport", [](QQmlEngine *, QJSEngine *) -> QObject * { return new TestSupport; });
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
