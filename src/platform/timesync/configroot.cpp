#include "configroot.h"

#include <QDir>

namespace TimeSync {
QString rootDirectory()
{
    const QString root = qEnvironmentVariable("ORB_TIMESYNC_ROOT");
    return root.isEmpty() ? QStringLiteral("/") : root;
}

QString rooted(const QString &absolutePath)
{
    return QDir::cleanPath(rootDirectory() + QLatin1Char('/') + absolutePath);
}
}
