#pragma once

#include <QString>

// The last synchronization of the active service, as display text.
struct LastSynchroInfo
{
    QString date;
    QString time;
    QString server;
};
