// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// Why a file could not be written: the step that failed, the path it worked on and
// the system's error number of that step.
struct FileWriteError {
    QString step; // "write", "create the folder", ...
    QString path;
    int code = 0; // errno, 0 when the step gave none
    QString detail; // Qt's text, used when there is no errno

    // The system's reason ("No space left on device"); never empty once set.
    QString reason() const;
    // "cannot write /a/b: No space left on device", for the log.
    QString toString() const;
};

struct FileWriteOptions {
    // A symbolic link at the path: the user's own files may be links into a
    // dotfiles folder, whose target is then written; a privileged writer must
    // replace the link with a file and leave its target alone.
    bool replaceLinks = false;
    // Mode of a new file; an existing file keeps its mode, owner and group.
    // -1: 0666 less the umask.
    int newFileMode = -1;
    // When the folder takes no new file (a service may write only the file itself),
    // the file is overwritten in place, its whole size reserved first, so that a
    // full disk still leaves it unchanged.
    bool inPlaceWhenFolderReadOnly = false;
};

// Replaces the content of the file at `path` in one step: the new content goes to a
// temporary file beside it, is flushed and synced to the disk, takes the old file's
// mode, owner and group, and only then its place. On any failure the old file is
// left byte for byte and `error` (if given) says what failed. The folder is made
// when missing.
bool WriteFileAtomically(const QString &path, const QByteArray &content, FileWriteError *error = nullptr, const FileWriteOptions &options = {});

// Where WriteFileAtomically() puts the content of `path` by default: the final
// target of a chain of symbolic links, or `path` itself.
QString ResolvedWriteTarget(const QString &path);
