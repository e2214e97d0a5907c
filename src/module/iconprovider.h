#pragma once

#include <QQuickImageProvider>

// Serves themed icons to the page as "image://themeIcons/<name>".
class IconProvider : public QQuickImageProvider
{
public:
    IconProvider();
    QPixmap requestPixmap(const QString &id, QSize *size, const QSize &requestedSize) override;
};
