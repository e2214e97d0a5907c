#pragma once

#include <QByteArray>
#include <QString>

// Why a file could not be written: the step that failed, the path it worked on and
// the system's error number of that step.
struct FileWriteError
{
    QString step; // "write", "create the folder", ...
    QString path;
    int code = 0; // errno, 0 when the step gave none
    QString detail; // Qt's text, used when there is no errno

    // The system's reason ("No space left on device"); never empty once set.
    QString reason() const;
    // "cannot write /a/b: No space left on device", for the log.
    QString toString() const;
};

// Replaces the content of the file at `path` in one step: the new content goes to a
// temporary file beside it, is flushed and synced to the disk, and only then takes
// the old file's place. On any failure the old file is left byte for byte and
// `error` (if given) says what failed. A symbolic link stays a link: its target is
// written. The folder is made when missing.
bool WriteFileAtomically(const QString &path, const QByteArray &content, FileWriteError *error = nullptr);

// Where WriteFileAtomically() puts the content of `path`: the final target of a
// chain of symbolic links, or `path` itself.
QString ResolvedWriteTarget(const QString &path);
