// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The "mapimages" provider: the pictures at their size or scaled, in 16 bits.
#include "mapimageprovider.h"
#include "qmltypes.h"

#include <QSet>
#include <QtTest>

namespace
{
QSet<QRgb> colours(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> set;
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        set.unite(QSet<QRgb>(line, line + argb.width()));
    }
    return set;
}
}

class TestMapImageProvider : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        initOrbAdminDateResources();
    }

    void sizes_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("expected");
        const QString map = QStringLiteral("content/all.png");
        QTest::newRow("natural size") << map << QSize() << QSize(1771, 986);
        QTest::newRow("band, natural size") << QStringLiteral("content/+05_30.png") << QSize(-1, -1) << QSize(1771, 986);
        // Kept aspect ratio: the smaller fit wins.
        QTest::newRow("square box") << map << QSize(885, 885) << QSize(885, 492);
        QTest::newRow("wide box") << map << QSize(2000, 493) << QSize(885, 493);
        QTest::newRow("larger") << map << QSize(3542, 1972) << QSize(3542, 1972);
        // A dimension of 0 is left free.
        QTest::newRow("width only") << map << QSize(400, 0) << QSize(400, 222);
        QTest::newRow("height only") << map << QSize(0, 493) << QSize(885, 493);
        QTest::newRow("neither") << map << QSize(0, 0) << QSize(1771, 986);
    }

    void sizes()
    {
        QFETCH(QString, id);
        QFETCH(QSize, requested);
        QFETCH(QSize, expected);
        MapImageProvider provider;
        QCOMPARE(provider.imageType(), QQmlImageProviderBase::Image);
        QSize size;
        const QImage image = provider.requestImage(id, &size, requested);
        QCOMPARE(image.size(), expected);
        QCOMPARE(size, expected);
        QCOMPARE(image.format(), QImage::Format_ARGB4444_Premultiplied);
        // Also without anyone asking for the size.
        QCOMPARE(provider.requestImage(id, nullptr, requested).size(), expected);
    }

    // The picture itself, to 4 bits a channel (one step is 17): an opaque land pixel of Moscow.
    void pixelsSurviveSixteenBits()
    {
        MapImageProvider provider;
        const QImage original(QStringLiteral(":/content/+03_00.png"));
        const QImage served = provider.requestImage(QStringLiteral("content/+03_00.png"), nullptr, QSize());
        const QRgb a = original.pixel(1070, 288);
        const QRgb b = served.pixel(1070, 288);
        QCOMPARE(qAlpha(a), 255);
        QCOMPARE(qAlpha(b), 255);
        QVERIFY(qAbs(qRed(a) - qRed(b)) <= 17);
        QVERIFY(qAbs(qGreen(a) - qGreen(b)) <= 17);
        QVERIFY(qAbs(qBlue(a) - qBlue(b)) <= 17);
        QCOMPARE(served.pixel(0, 0), 0u);
    }

    // Nearest pixel: scaling invents no colour that the picture did not have.
    void scalingPicksPixels()
    {
        MapImageProvider provider;
        const QString id = QStringLiteral("content/+05_30.png");
        const QSet<QRgb> before = colours(provider.requestImage(id, nullptr, QSize()));
        const QSet<QRgb> after = colours(provider.requestImage(id, nullptr, QSize(700, 700)));
        QVERIFY(after.size() > 2);
        QVERIFY(before.contains(after));
    }

    // The base map decoded ahead of time is the picture itself, and every request
    // after it still gets its own size.
    void preloadedBaseMap()
    {
        MapImageProvider::preload();
        MapImageProvider provider;
        const QString id = QStringLiteral("content/all.png");
        const QImage served = provider.requestImage(id, nullptr, QSize());
        QCOMPARE(served, MapImageProvider::m_decode(id));
        QCOMPARE(provider.requestImage(id, nullptr, QSize(400, 0)).size(), QSize(400, 222));
        QCOMPARE(provider.requestImage(id, nullptr, QSize()), served);
    }

    void missingPicture()
    {
        MapImageProvider provider;
        QSize size(7, 7);
        QTest::ignoreMessage(QtWarningMsg, "Unable to load image: \":/content/nothing.png\"");
        const QImage image = provider.requestImage(QStringLiteral("content/nothing.png"), &size, QSize(100, 100));
        QVERIFY(image.isNull());
        QCOMPARE(size, QSize(7, 7));
    }
};

QTEST_GUILESS_MAIN(TestMapImageProvider)
#include "test_mapimageprovider.moc"
