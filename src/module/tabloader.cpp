#include "tabloader.h"

#include "micdetect.h"

TabLoader::TabLoader(QObject *parent)
    : QObject(parent)
{
}

bool TabLoader::isAdminMode()
{
    // Asked afresh every time: the answer is the platform's, not ours to cache.
    return MICDetect::isCurrentProcessHasMaxMIC();
}
