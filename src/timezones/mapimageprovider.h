#pragma once

#include <QQuickImageProvider>

// Serves the map pictures to the page as "image://mapimages/content/...", read
// afresh from the resources on every request.
class MapImageProvider : public QQuickImageProvider
{
public:
    MapImageProvider();
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
};
