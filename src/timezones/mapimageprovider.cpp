// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "mapimageprovider.h"

#include <QDebug>
#include <QFuture>
#include <QMutex>
#include <QtConcurrent>

#include <limits>

namespace
{
const QString s_baseMapId = QStringLiteral("content/all.png");

struct BaseMap {
    QMutex mutex;
    QFuture<QImage> decoding;
    bool started = false;
};

BaseMap &baseMap()
{
    static BaseMap map;
    return map;
}

// The one decoding of the base map, started by the first to ask. Waiting for its
// result runs it in the waiting thread when the pool has not started it yet.
QFuture<QImage> baseMapDecoding()
{
    BaseMap &map = baseMap();
    QMutexLocker lock(&map.mutex);
    if (!map.started) {
        map.decoding = QtConcurrent::run(&MapImageProvider::m_decode, s_baseMapId);
        map.started = true;
    }
    return map.decoding;
}
}

MapImageProvider::MapImageProvider()
    : QQuickImageProvider(QQmlImageProviderBase::Image)
{
}

void MapImageProvider::preload()
{
    baseMapDecoding();
}

QImage MapImageProvider::m_decode(const QString &id)
{
    const QImage image(QStringLiteral(":/%1").arg(id));
    // Half the memory of 32-bit pixels; the bands are flat colours with soft edges.
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB4444_Premultiplied);
}

QImage MapImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    QImage image = id == s_baseMapId ? baseMapDecoding().result() : m_decode(id);
    if (image.isNull()) {
        qWarning() << "Unable to load image:" << QStringLiteral(":/%1").arg(id);
        return {};
    }

    if (requestedSize.isValid() && !requestedSize.isNull()) {
        // A zero dimension is one the page left free (a source size set on one axis
        // only): scale to the other one instead of to nothing.
        constexpr int unbounded = std::numeric_limits<int>::max();
        const QSize box(requestedSize.width() > 0 ? requestedSize.width() : unbounded, requestedSize.height() > 0 ? requestedSize.height() : unbounded);
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::FastTransformation).convertToFormat(QImage::Format_ARGB4444_Premultiplied);
    }
    if (size) {
        *size = image.size();
    }
    return image;
}
