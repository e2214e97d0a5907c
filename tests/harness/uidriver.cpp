// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

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

bool clickDay(QQuickWindow *window, QQuickItem *root, const QDate &day)
{
    QQuickItem *grid = findVisibleItem(root, QStringLiteral("dayGrid"));
    QVariant centre;
    if (!grid || !QMetaObject::invokeMethod(grid, "dayCentre", Q_RETURN_ARG(QVariant, centre), Q_ARG(QVariant, day.toString(Qt::ISODate)))
        || !centre.canConvert<QPointF>()) {
        return false;
    }
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, grid->mapToScene(centre.toPointF()).toPoint());
    return true;
}

void typeText(QQuickWindow *window, const QString &text)
{
    for (const QChar c : text) {
        QTest::keyClick(window, c.toLatin1());
    }
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
