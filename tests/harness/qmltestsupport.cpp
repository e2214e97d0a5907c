// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "qmltestsupport.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSaveFile>

#include "modulehost.h"

static QImage grabItem(QQuickItem *item)
{
    if (!item || !item->window()) {
        return {};
    }
    const QImage whole = grabWindow(item->window());
    const QRectF rect = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    const qreal dpr = whole.devicePixelRatio();
    return whole.copy(QRectF(rect.topLeft() * dpr, rect.size() * dpr).toRect());
}

QString QmlTestSupport::screenshot(QQuickItem *item, const QString &name) const
{
    const QString path = screenshotPath(name);
    grabItem(item).save(path);
    return path;
}

QString QmlTestSupport::environment(const QString &name) const
{
    return qEnvironmentVariable(name.toLocal8Bit().constData());
}

QString QmlTestSupport::readFile(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

bool QmlTestSupport::writeFile(const QString &path, const QString &text) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(text.toUtf8());
    return file.commit();
}

QVariant QmlTestSupport::pixel(QQuickItem *item, int x, int y) const
{
    const QImage image = grabItem(item);
    if (!image.valid(x, y)) {
        return QVariant();
    }
    return QColor(image.pixel(x, y));
}
