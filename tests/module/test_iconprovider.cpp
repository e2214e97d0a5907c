#include <QIcon>
#include <QTest>

#include "iconprovider.h"

class TestIconProvider : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // A theme we control, so that the sizes rendered are not those of a random desktop.
        QIcon::setThemeSearchPaths({QStringLiteral("/usr/share/icons")});
        QIcon::setThemeName(QStringLiteral("breeze"));
    }

    void sizes_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("rendered");
        QTest::newRow("nothing requested") << QSize(0, 0) << QSize(16, 16);
        QTest::newRow("invalid") << QSize(-1, -1) << QSize(16, 16);
        QTest::newRow("width only") << QSize(24, 0) << QSize(24, 16);
        QTest::newRow("height only") << QSize(0, 32) << QSize(16, 32);
        QTest::newRow("both") << QSize(22, 22) << QSize(22, 22);
    }

    void sizes()
    {
        QFETCH(QSize, requested);
        QFETCH(QSize, rendered);
        IconProvider provider;
        QSize reported(-5, -5);
        const QPixmap pixmap = provider.requestPixmap(QStringLiteral("document-save"), &reported, requested);
        QVERIFY(!pixmap.isNull());
        // The icon keeps its aspect ratio inside the box it is rendered into.
        QVERIFY(pixmap.width() <= rendered.width() && pixmap.height() <= rendered.height());
        QVERIFY(pixmap.width() == rendered.width() || pixmap.height() == rendered.height());
        QCOMPARE(reported, QSize(16, 16));
    }

    void unknownNameGivesNullPixmap()
    {
        IconProvider provider;
        const QPixmap pixmap = provider.requestPixmap(QStringLiteral("no-such-icon-anywhere-xyz"), nullptr, QSize());
        QVERIFY(pixmap.isNull());
    }
};

QTEST_MAIN(TestIconProvider)
#include "test_iconprovider.moc"
