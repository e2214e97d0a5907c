#include "fallbackicons.h"

#include <QIcon>
#include <QStringList>

namespace FallbackIcons
{
void install()
{
    const QString path = QStringLiteral(":/icons/fallback");
    QStringList paths = QIcon::fallbackSearchPaths();
    if (!paths.contains(path)) {
        paths.append(path);
        QIcon::setFallbackSearchPaths(paths);
    }
}
}
