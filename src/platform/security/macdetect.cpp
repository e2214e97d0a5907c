#include "macdetect.h"

#include <QByteArray>

namespace MACDetect
{
bool isCurrentProcessHasEmptyMAC()
{
    return qgetenv("ORB_EMPTY_MAC") != "0";
}
}
