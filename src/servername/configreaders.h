// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    How the time services read their configuration, in one place for the page and
    the date helper: which files, in which order, and which lines name servers.
    Paths in the files are absolute; they are looked up below a root directory
    ("/" on a running system).
*/

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ConfigPaths
{
/// `absolutePath` below `root`.
QString below(const QString &root, const QString &absolutePath);
/// Whitespace-separated words of `text`.
QStringList words(const QString &text);
/// Each string once, in order of first appearance.
QStringList unique(const QStringList &list);
}

namespace TimesyncdConfig
{
struct Servers {
    QStringList ntp;
    QStringList fallback;
    bool fallbackAssigned = false; ///< FallbackNTP= occurs, even empty
};

/// The main file, then the drop-ins sorted by file name, a drop-in hiding one of
/// the same name in a folder of lower priority: the order systemd reads them.
QStringList files(const QString &root);

/// Adds the [Time] NTP= and FallbackNTP= assignments of `text` (one file, or
/// `systemd-analyze cat-config` output) to `servers`: an empty assignment drops
/// what came before, others add to it.
void parse(const QString &text, Servers *servers);

/// Everything files(root) assign.
Servers read(const QString &root);
}

namespace ChronyConfig
{
/// A line chrony skips: empty, or its first non-blank character one of "#;!%".
bool isComment(const QString &line);

/// The name a source line ("server", "pool" or "peer", in any case) gives,
/// empty for any other line; `directive` gets the directive in lower case.
QString sourceName(const QString &line, QString *directive = nullptr);

/// The main file below `root`: the first of the candidates that exists, else the
/// first candidate.
QString mainFile(const QString &root);

struct Layout {
    /// Every file chronyd reads, in its order: the main file, each "include" match
    /// and "confdir" file where the directive stands, then the "sourcedir" files.
    QStringList files;
    /// The "sourcedir" folders as written (absolute, not below the root).
    QStringList sourceDirs;
};

/// The files below `root` as chronyd reads them. In "confdir" and "sourcedir" the
/// files of all named folders are taken in file-name order, a name found in an
/// earlier folder hiding it in later ones; "include" takes a pattern.
Layout read(const QString &root);

/// The names of every source line of `files`.
QStringList sources(const QStringList &files);

/// `content` of a chrony file with the paths of its "include", "confdir" and
/// "sourcedir" lines moved below `root`, so that chronyd itself, given the copy,
/// reads the same files as read(root).
QByteArray rootedCopy(const QString &root, const QByteArray &content);
}

namespace NtpsecConfig
{
/// The name a "server", "pool" or "peer" line of ntpd's file gives; "#" comments.
QString sourceName(const QString &line);
/// The servers of the main file below `root`.
QStringList sources(const QString &root);
}
