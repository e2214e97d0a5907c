#include "mapimageprovider.h"

#include <QDebug>

#include <limits>

MapImageProvider::MapImageProvider()
    : QQuickImageProvider(QQmlImageProviderBase::Image)
{
}

QImage MapImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const QString path = QStringLiteral(":/%1").arg(id);
    QImage image(path);
    if (image.isNull()) {
        qWarning() << "Unable to load image:" << path;
        return {};
    }

    if (requestedSize.isValid() && !requestedSize.isNull()) {
        // A zero dimension is one the page left free (a source size set on one axis
        // only): scale to the other one instead of to nothing.
        constexpr int unbounded = std::numeric_limits<int>::max();
        const QSize box(requestedSize.width() > 0 ? requestedSize.width() : unbounded, requestedSize.height() > 0 ? requestedSize.height() : unbounded);
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::FastTransformation);
    }
    if (size) {
        *size = image.size();
    }
    // Half the memory of 32-bit pixels; the bands are flat colours with soft edges.
    return image.convertToFormat(QImage::Format_ARGB4444_Premultiplied);
}
