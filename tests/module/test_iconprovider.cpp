// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include <QBitArray>
#include <QIcon>
#include <QTest>

#include "fallbackicons.h"
#include "iconprovider.h"
#include "qmltypes.h"

class TestIconProvider : public QObject
{
    Q_OBJECT
private:
    // Which pixels a picture paints at all.
    static QBitArray coverage(const QImage &image)
    {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        QBitArray bits(argb.width() * argb.height());
        for (int y = 0; y < argb.height(); ++y) {
            for (int x = 0; x < argb.width(); ++x) {
                bits.setBit(y * argb.width() + x, qAlpha(argb.pixel(x, y)) > 0);
            }
        }
        return bits;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // A theme we control, so that the sizes rendered are not those of a random desktop.
        QIcon::setThemeSearchPaths({QStringLiteral("/usr/share/icons")});
        QIcon::setThemeName(QStringLiteral("breeze"));
        initOrbAdminDateResources();
        FallbackIcons::install();
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

    void platformNamesFallBackToOurDrawings()
    {
        IconProvider provider;
        for (const char *name : {"arrow-down-black", "arrow-down-white", "dialog-on", "dialog-off-black", "list-add-white", "view-hidden-black"}) {
            const QString id = QString::fromLatin1(name);
            const QImage fromProvider = provider.requestPixmap(id, nullptr, QSize(16, 16)).toImage();
            QVERIFY2(!fromProvider.isNull(), name);
            const QImage ours = QIcon(QStringLiteral(":/icons/fallback/%1.svg").arg(id)).pixmap(16, 16).toImage();
            QCOMPARE(coverage(fromProvider), coverage(ours));
        }
    }

    void themeIconsWinOverOurDrawings()
    {
        // The theme has these names: its pictures are used, not ours.
        IconProvider provider;
        for (const char *name : {"arrow-down", "computer", "dialog-warning"}) {
            const QString id = QString::fromLatin1(name);
            const QImage fromProvider = provider.requestPixmap(id, nullptr, QSize(16, 16)).toImage();
            const QImage ours = QIcon(QStringLiteral(":/icons/fallback/%1.svg").arg(id)).pixmap(16, 16).toImage();
            QVERIFY2(!fromProvider.isNull(), name);
            QVERIFY2(coverage(fromProvider) != coverage(ours), name);
        }
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
