#include "displayformat.h"

static QString withoutSpaces(QString text)
{
    return text.remove(QLatin1Char(' '));
}

bool DisplayFormat::isEqual(const DisplayFormat &other) const
{
    return withoutSpaces(clockFormat) == withoutSpaces(other.clockFormat) && withoutSpaces(dateFormat) == withoutSpaces(other.dateFormat)
        && withoutSpaces(clockMessageFormat) == withoutSpaces(other.clockMessageFormat);
}
