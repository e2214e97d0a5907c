#include "mapimageprovider.h"

MapImageProvider::MapImageProvider()
    : QQuickImageProvider(QQmlImageProviderBase::Image)
{
}

QImage MapImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    Q_UNUSED(requestedSize)
    QImage image(QStringLiteral(":/%1").arg(id));
    if (size) {
        *size = image.size();
    }
    return image;
}
