// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "filewriter.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString FileWriteError::reason() const
{
    if (code != 0) {
        return qt_error_string(code);
    }
    if (!detail.isEmpty()) {
        return detail;
    }
    return QStringLiteral("cannot %1 %2").arg(step, path);
}

QString FileWriteError::toString() const
{
    return QStringLiteral("cannot %1 %2: %3").arg(step, path, code != 0 || !detail.isEmpty() ? reason() : QStringLiteral("failed"));
}

QString ResolvedWriteTarget(const QString &path)
{
    // A bounded walk rather than canonicalFilePath(): a dangling link still names
    // the file to create, and a loop must not hang.
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth) {
        info.setFile(info.symLinkTarget());
    }
    return info.filePath();
}

namespace
{
bool writeAll(int fd, const QByteArray &content, off_t offset = -1)
{
    qint64 done = 0;
    while (done < content.size()) {
        const ssize_t n = offset < 0 ? ::write(fd, content.constData() + done, content.size() - done)
                                     : ::pwrite(fd, content.constData() + done, content.size() - done, offset + done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        done += n;
    }
    return true;
}

// The whole new size is reserved before the first byte changes.
bool overwriteInPlace(const QByteArray &target, const QByteArray &content, FileWriteError *failure)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *failure = {QStringLiteral("open"), QString::fromLocal8Bit(target), errno, QString()};
        return false;
    }
    QString step;
    const int reserved = content.isEmpty() ? 0 : ::posix_fallocate(fd, 0, content.size());
    if (reserved != 0 && reserved != EOPNOTSUPP) {
        errno = reserved;
        step = QStringLiteral("write");
    } else if (!writeAll(fd, content, 0) || ::ftruncate(fd, content.size()) != 0 || ::fsync(fd) != 0) {
        step = QStringLiteral("write");
    }
    const int code = errno;
    if (::close(fd) != 0 && step.isEmpty()) {
        step = QStringLiteral("write");
    }
    if (!step.isEmpty()) {
        *failure = {step, QString::fromLocal8Bit(target), code ? code : EIO, QString()};
        return false;
    }
    return true;
}
}

bool WriteFileAtomically(const QString &path, const QByteArray &content, FileWriteError *error, const FileWriteOptions &options)
{
    FileWriteError failure;
    const auto fail = [&failure, error](const QString &step, const QString &where, int code, const QString &detail = QString()) {
        failure = FileWriteError{step, where, code, detail};
        if (error) {
            *error = failure;
        }
        return false;
    };

    const QString target = options.replaceLinks ? QFileInfo(path).absoluteFilePath() : ResolvedWriteTarget(path);
    const QByteArray nativeTarget = QFile::encodeName(target);
    const QString folder = QFileInfo(target).absolutePath();
    errno = 0;
    if (!QDir().mkpath(folder)) {
        return fail(QStringLiteral("create the folder"), folder, errno ? errno : ENOTDIR);
    }

    // What the file has now and keeps: mode, owner and group. A link being
    // replaced hands on nothing of its target.
    struct stat existing = {};
    const bool exists = ::lstat(nativeTarget.constData(), &existing) == 0 && !S_ISLNK(existing.st_mode);
    if (exists && !S_ISREG(existing.st_mode)) {
        return fail(QStringLiteral("replace"), target, S_ISDIR(existing.st_mode) ? EISDIR : EINVAL);
    }
    mode_t mode;
    if (exists) {
        mode = existing.st_mode & 07777;
    } else if (options.newFileMode >= 0) {
        mode = mode_t(options.newFileMode);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    QTemporaryFile file(folder + QStringLiteral("/.") + QFileInfo(target).fileName() + QStringLiteral(".XXXXXX"));
    errno = 0;
    if (!file.open()) {
        const int code = errno;
        if (options.inPlaceWhenFolderReadOnly && exists && (code == EROFS || code == EACCES || code == EPERM)) {
            if (overwriteInPlace(nativeTarget, content, &failure)) {
                return true;
            }
            return fail(failure.step, failure.path, failure.code, failure.detail);
        }
        // A read-only folder leaves Qt's text empty; errno still says why.
        return fail(QStringLiteral("create a temporary file in"), folder, code, file.errorString());
    }
    // A failed final flush or sync must stop the rename: the short file would
    // otherwise take the old one's place.
    errno = 0;
    if (file.write(content) != content.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        const int code = errno;
        return fail(QStringLiteral("write"), target, code ? code : EIO, file.errorString());
    }
    if (::fsync(file.handle()) != 0) {
        return fail(QStringLiteral("write"), target, errno);
    }
    if (::fchmod(file.handle(), mode) != 0) {
        return fail(QStringLiteral("set the mode of"), target, errno);
    }
    struct stat written = {};
    if (exists && ::fstat(file.handle(), &written) == 0 && (written.st_uid != existing.st_uid || written.st_gid != existing.st_gid)
        && ::fchown(file.handle(), existing.st_uid, existing.st_gid) != 0) {
        return fail(QStringLiteral("keep the owner of"), target, errno);
    }
    // rename() replaces a link itself, never its target.
    if (::rename(QFile::encodeName(file.fileName()).constData(), nativeTarget.constData()) != 0) {
        return fail(QStringLiteral("replace"), target, errno);
    }
    file.setAutoRemove(false);
    // The new name is on the disk only once the folder is; the file has been
    // replaced by now, so a failure here is not one of the write.
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}
