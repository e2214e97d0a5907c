#include "servername.h"

#include <QDir>

namespace TimeSync {
namespace {
bool isAsciiLetterOrDigit(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

bool isValid(const QString &name, bool allowBrackets)
{
    constexpr int maxLength = 253;
    if (name.isEmpty() || name.size() > maxLength) {
        return false;
    }
    const QChar first = name.front();
    if (!isAsciiLetterOrDigit(first) && !(allowBrackets && first == QLatin1Char('['))) {
        return false;
    }
    for (const QChar c : name) {
        if (isAsciiLetterOrDigit(c) || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char(':')) {
            continue;
        }
        if (allowBrackets && (c == QLatin1Char('[') || c == QLatin1Char(']'))) {
            continue;
        }
        return false;
    }
    return true;
}
}

bool isValidServerName(const QString &name)
{
    return isValid(name, true);
}

bool isValidConfigServerName(const QString &name)
{
    return isValid(name, false);
}

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
