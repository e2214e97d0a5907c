#pragma once

#include <QString>

// The last synchronization of the active service, as display text.
struct LastSynchroInfo {
    QString date;
    QString time;
    QString server;
    // When it happened, for telling which of two records is newer; -1 unknown.
    qint64 utcMSecs = -1;
};
