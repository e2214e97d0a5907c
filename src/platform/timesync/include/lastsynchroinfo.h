// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

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
