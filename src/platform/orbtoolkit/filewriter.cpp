#include "filewriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
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

bool WriteFileAtomically(const QString &path, const QByteArray &content, FileWriteError *error)
{
    const auto fail = [error](const QString &step, const QString &where, int code, const QString &detail = QString()) {
        if (error) {
            *error = FileWriteError{step, where, code, detail};
        }
        return false;
    };

    const QString target = ResolvedWriteTarget(path);
    const QString folder = QFileInfo(target).absolutePath();
    errno = 0;
    if (!QDir().mkpath(folder)) {
        return fail(QStringLiteral("create the folder"), folder, errno ? errno : ENOTDIR);
    }

    QSaveFile file(target);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        // A read-only folder leaves Qt's text empty; errno still says why.
        return fail(QStringLiteral("create a temporary file in"), folder, errno, file.errorString());
    }
    // QSaveFile::commit() neither reports a failed final flush nor a failed sync, and
    // would then rename a short file over the old one: check both before committing.
    errno = 0;
    if (file.write(content) != content.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        const int code = errno;
        file.cancelWriting();
        return fail(QStringLiteral("write"), target, code ? code : EIO, file.errorString());
    }
    if (::fsync(file.handle()) != 0) {
        const int code = errno;
        file.cancelWriting();
        return fail(QStringLiteral("write"), target, code);
    }
    errno = 0;
    if (!file.commit()) {
        return fail(QStringLiteral("replace"), target, errno, file.errorString());
    }
    return true;
}
