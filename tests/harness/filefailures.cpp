// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "filefailures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace
{
constexpr uid_t nobodyId = 65534;
}

FileFailures::SmallDisk::SmallDisk(const QString &folder)
    : m_folder(folder)
{
    static bool ownNamespace = false;
    if (!ownNamespace) {
        // Private propagation, so that the mount never reaches the host's namespace.
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            m_failure = QStringLiteral("no private mount namespace: %1").arg(qt_error_string(errno));
            return;
        }
        ownNamespace = true;
    }
    QDir().mkpath(folder);
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0755") != 0) {
        m_failure = QStringLiteral("cannot mount a tmpfs: %1").arg(qt_error_string(errno));
    }
}

FileFailures::SmallDisk::~SmallDisk()
{
    if (m_failure.isEmpty()) {
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }
}

QString FileFailures::SmallDisk::failure() const
{
    return m_failure;
}

void FileFailures::SmallDisk::fillUp()
{
    QFile filler(m_folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return;
    }
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size()) { }
    // A last partial block may still fit.
    while (filler.write("x", 1) == 1) { }
}

QString FileFailures::cannotRunAsOtherUser()
{
    if (::geteuid() != 0) {
        return QStringLiteral("only root can run a program as another user");
    }
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
        return QStringLiteral("setpriv is not installed");
    }
    return QString();
}

int FileFailures::saveAsNobody(const QStringList &arguments, QString *output, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QString id = QString::number(nobodyId);
    process.start(
        QStringLiteral("setpriv"),
        QStringList{QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id, QStringLiteral("--clear-groups"), QStringLiteral(ORB_SAVECHECK_EXE)}
            + arguments);
    process.waitForFinished(30000);
    *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool FileFailures::giveToNobody(const QString &path)
{
    return ::chown(QFile::encodeName(path).constData(), nobodyId, nobodyId) == 0;
}
