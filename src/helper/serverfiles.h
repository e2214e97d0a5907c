// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The time servers of the machine's time service, as the date helper writes
    them: into a file of its own where the service reads drop-ins or sources,
    checked with the service's own reading before it takes effect, and put back
    as they were when anything fails.
*/

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace ServerFiles
{
struct FileChange {
    QString path; ///< below the root
    bool existed = false;
    QByteArray before;
    bool remove = false; ///< the file goes; otherwise `after` is its content
    QByteArray after;
};

struct Plan {
    QString error; ///< why the list cannot be saved; empty when it can
    QList<FileChange> changes;
    /// chrony reads a changed main file only when it starts again; a changed
    /// sources file is enough for "chronyc reload sources".
    bool needsRestart = true;
};

/// What saving `servers` and `fallback` (checked names) for `service`
/// ("systemd-timesyncd" or "chrony") below `root` changes. Refuses a list that
/// leaves the service without any source, and a symbolic link where it writes.
/// chrony's main file keeps its unwanted sources behind
/// TimeSyncNames::chronyDisabledMarker, so that they can come back.
Plan plan(const QString &root, const QString &service, const QStringList &servers, const QStringList &fallback);

/// Writes every change through the one checked writer: a new file gets mode
/// 0644, an existing one keeps its mode, owner and group, a link is never
/// written through. On failure the files written so far are put back.
bool apply(const QList<FileChange> &changes, QString *error);
/// Puts every file back as it was before apply().
void restore(const QList<FileChange> &changes);

/// Reads the written configuration as the service would: chronyd's own parser
/// (`chronyd -p -f FILE`, `chronyd` the program to run) on the whole
/// configuration, and on each written sources file, which may hold sources only;
/// for systemd-timesyncd, the files in systemd's order
/// (`systemd-analyze cat-config`), whose servers must be exactly the saved ones.
bool check(const QString &root,
           const QString &service,
           const Plan &plan,
           const QStringList &servers,
           const QStringList &fallback,
           const QString &chronyd,
           QString *error);
}
