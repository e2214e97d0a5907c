#include "uidriver.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

QQuickItem *findVisibleItem(QQuickItem *root, const QString &name)
{
    if (!root) {
        return nullptr;
    }
    if (root->objectName() == name && root->isVisible()) {
        return root;
    }
    const QList<QQuickItem *> children = root->childItems();
    for (QQuickItem *child : children) {
        if (QQuickItem *found = findVisibleItem(child, name)) {
            return found;
        }
    }
    return nullptr;
}

void clickItem(QQuickWindow *window, QQuickItem *item)
{
    const QPoint centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre);
}

void typeText(QQuickWindow *window, const QString &text)
{
    for (const QChar c : text) {
        QTest::keyClick(window, c.toLatin1());
    }
}

QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x20, 0x23, 0x26));
    palette.setColor(QPalette::WindowText, QColor(0xfc, 0xfc, 0xfc));
    palette.setColor(QPalette::Base, QColor(0x14, 0x16, 0x18));
    palette.setColor(QPalette::AlternateBase, QColor(0x1d, 0x1f, 0x22));
    palette.setColor(QPalette::Text, QColor(0xfc, 0xfc, 0xfc));
    palette.setColor(QPalette::Button, QColor(0x29, 0x2c, 0x30));
    palette.setColor(QPalette::ButtonText, QColor(0xfc, 0xfc, 0xfc));
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    palette.setColor(QPalette::HighlightedText, QColor(0xfc, 0xfc, 0xfc));
    palette.setColor(QPalette::Mid, QColor(0x40, 0x44, 0x48));
    palette.setColor(QPalette::Light, QColor(0x40, 0x44, 0x48));
    palette.setColor(QPalette::Dark, QColor(0x10, 0x10, 0x10));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x70, 0x70, 0x70));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x70, 0x70, 0x70));
    return palette;
}

QPoint mapPicturePoint(QQuickItem *map, int px, int py, int pictureWidth, int pictureHeight)
{
    const qreal paintedWidth = map->property("paintedWidth").toReal();
    const qreal paintedHeight = map->property("paintedHeight").toReal();
    const qreal left = (map->width() - paintedWidth) / 2;
    const qreal top = (map->height() - paintedHeight) / 2;
    const QPointF local(left + (px + 0.5) * paintedWidth / pictureWidth, top + (py + 0.5) * paintedHeight / pictureHeight);
    return map->mapToScene(local).toPoint();
}
