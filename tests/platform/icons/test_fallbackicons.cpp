// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include <QBitArray>
#include <QIcon>
#include <QTest>

#include "fallbackicons.h"
#include "qmltypes.h"

class TestFallbackIcons : public QObject
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
        // A theme we control, so that the pictures are not those of a random desktop.
        QIcon::setThemeSearchPaths({QStringLiteral("/usr/share/icons")});
        QIcon::setThemeName(QStringLiteral("breeze"));
        initOrbAdminDateResources();
        FallbackIcons::install();
    }

    void namesTheThemeLacksFallBackToOurDrawings()
    {
        for (const char *name : {"dialog-on", "dialog-off"}) {
            const QString id = QString::fromLatin1(name);
            const QImage found = QIcon::fromTheme(id).pixmap(16, 16).toImage();
            QVERIFY2(!found.isNull(), name);
            const QImage ours = QIcon(QStringLiteral(":/icons/fallback/%1.svg").arg(id)).pixmap(16, 16).toImage();
            QCOMPARE(coverage(found), coverage(ours));
        }
    }

    void themeIconsWinOverOurDrawings()
    {
        for (const char *name : {"arrow-down", "computer", "dialog-warning", "go-next"}) {
            const QString id = QString::fromLatin1(name);
            const QImage found = QIcon::fromTheme(id).pixmap(16, 16).toImage();
            const QImage ours = QIcon(QStringLiteral(":/icons/fallback/%1.svg").arg(id)).pixmap(16, 16).toImage();
            QVERIFY2(!found.isNull(), name);
            QVERIFY2(coverage(found) != coverage(ours), name);
        }
    }
};

QTEST_MAIN(TestFallbackIcons)
#include "test_fallbackicons.moc"
