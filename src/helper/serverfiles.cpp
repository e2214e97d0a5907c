// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "serverfiles.h"

#include "helper_debug.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

#include "configreaders.h"
#include "filewriter.h"
#include "timesyncnames.h"

namespace ServerFiles
{
using ConfigPaths::below;
using ConfigPaths::words;

namespace
{
const QByteArray header = "# Written by the date and time settings; saving there again replaces this file.\n";
constexpr int toolTimeoutMs = 30000;
// The services read their files as their own users.
constexpr int ownFileMode = 0644;

FileChange current(const QString &path)
{
    FileChange change;
    change.path = path;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        change.existed = true;
        change.before = file.readAll();
    }
    return change;
}

QList<QByteArray> splitLines(const QByteArray &data)
{
    QList<QByteArray> lines;
    int start = 0;
    while (start < data.size()) {
        const int end = data.indexOf('\n', start);
        const int next = end < 0 ? data.size() : end + 1;
        lines << data.mid(start, next - start);
        start = next;
    }
    return lines;
}

QByteArray sourceLines(const QStringList &names)
{
    QByteArray text;
    for (const QString &name : names) {
        text += "server " + name.toUtf8() + " iburst\n";
    }
    return text;
}

// A link where the helper writes is refused: its target may be any file.
QString linkRefusal(const QString &path)
{
    return QFileInfo(path).isSymLink() ? QStringLiteral("%1 is a symbolic link; the date helper writes no file through a link").arg(path) : QString();
}

Plan planTimesyncd(const QString &root, const QStringList &servers, const QStringList &fallback)
{
    Plan plan;
    if (servers.isEmpty() && fallback.isEmpty()) {
        plan.error = QStringLiteral("systemd-timesyncd would be left without any time server");
        return plan;
    }
    FileChange change = current(below(root, TimeSyncNames::timesyncdDropIn));
    plan.error = linkRefusal(change.path);
    if (!plan.error.isEmpty()) {
        return plan;
    }
    // The empty assignments drop whatever the files read before this one say.
    change.after = header + "[Time]\nNTP=\n";
    if (!servers.isEmpty()) {
        change.after += "NTP=" + servers.join(QLatin1Char(' ')).toUtf8() + '\n';
    }
    change.after += "FallbackNTP=\n";
    if (!fallback.isEmpty()) {
        change.after += "FallbackNTP=" + fallback.join(QLatin1Char(' ')).toUtf8() + '\n';
    }
    if (!change.existed || change.before != change.after) {
        plan.changes << change;
    }
    return plan;
}

Plan planChrony(const QString &root, const QStringList &servers, const QStringList &fallback)
{
    Plan plan;
    if (!fallback.isEmpty()) {
        plan.error = QStringLiteral("chrony has no fallback servers");
        return plan;
    }
    if (servers.isEmpty()) {
        plan.error = QStringLiteral("chrony would be left without any time source");
        return plan;
    }
    FileChange main = current(ChronyConfig::mainFile(root));
    if (!main.existed) {
        plan.error = QStringLiteral("chrony's configuration file was not found");
        return plan;
    }
    const ChronyConfig::Layout layout = ChronyConfig::read(root);

    // Only a sources folder below /etc: what is under /run goes at reboot and
    // /usr belongs to packages.
    QString ownPath;
    for (const QString &dir : layout.sourceDirs) {
        if (QDir::cleanPath(dir).startsWith(QLatin1String("/etc/"))) {
            ownPath = below(root, QDir::cleanPath(dir) + QLatin1Char('/') + TimeSyncNames::chronySourcesName);
            break;
        }
    }
    for (const QString &path : {main.path, ownPath}) {
        plan.error = path.isEmpty() ? QString() : linkRefusal(path);
        if (!plan.error.isEmpty()) {
            return plan;
        }
    }

    // Sources set in other files stay there; they cannot be removed from here.
    QStringList kept;
    for (const QString &path : layout.files) {
        if (path == main.path || path == ownPath) {
            continue;
        }
        for (const QString &source : ChronyConfig::sources({path})) {
            if (!servers.contains(source)) {
                plan.error = QStringLiteral("The server %1 is set in %2; change it there").arg(source, path);
                return plan;
            }
            kept << source;
        }
    }

    // The main file belongs to the distribution's package (Debian's ucf compares
    // it on upgrades): its sources no longer wanted are commented out behind our
    // marker, and come back when wanted again. Every other line stays as it is.
    const QByteArray marker(TimeSyncNames::chronyDisabledMarker.data(), TimeSyncNames::chronyDisabledMarker.size());
    QByteArray mainAfter;
    int lastSourceEnd = -1;
    for (const QByteArray &raw : splitLines(main.before)) {
        QByteArray line = raw;
        const bool disabled = line.startsWith(marker);
        const QString source = ChronyConfig::sourceName(QString::fromUtf8(disabled ? line.mid(marker.size()) : line));
        if (!source.isEmpty()) {
            const bool wanted = servers.contains(source) && !(disabled && kept.contains(source));
            if (wanted) {
                kept << source;
                line = disabled ? line.mid(marker.size()) : line;
            } else if (!disabled) {
                line.prepend(marker);
            }
        }
        mainAfter += line;
        if (!mainAfter.endsWith('\n')) {
            mainAfter += '\n';
        }
        if (!source.isEmpty()) {
            lastSourceEnd = mainAfter.size();
        }
    }
    QStringList added;
    for (const QString &server : servers) {
        if (!kept.contains(server) && !added.contains(server)) {
            added << server;
        }
    }
    if (ownPath.isEmpty()) {
        mainAfter.insert(lastSourceEnd < 0 ? mainAfter.size() : lastSourceEnd, sourceLines(added));
    } else {
        FileChange own = current(ownPath);
        own.remove = added.isEmpty();
        own.after = header + sourceLines(added);
        if (own.remove ? own.existed : own.before != own.after || !own.existed) {
            plan.changes << own;
        }
    }
    plan.needsRestart = mainAfter != main.before;
    if (plan.needsRestart) {
        main.after = mainAfter;
        plan.changes.prepend(main);
    }
    return plan;
}

bool runTool(const QString &program, const QStringList &arguments, QString *output, QString *error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(toolTimeoutMs)) {
        *error = QStringLiteral("%1 did not finish: %2").arg(program, process.errorString());
        process.kill();
        process.waitForFinished();
        return false;
    }
    *output = QString::fromUtf8(process.readAll()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("%1 failed: %2").arg(QFileInfo(program).fileName(), output->isEmpty() ? process.errorString() : *output);
        return false;
    }
    return true;
}

bool checkChrony(const QString &root, const Plan &plan, const QString &chronyd, QString *error)
{
    // The whole configuration as chronyd reads it: the main file with its
    // includes and confdir files.
    QFile main(ChronyConfig::mainFile(root));
    QTemporaryFile copy;
    if (!main.open(QIODevice::ReadOnly) || !copy.open() || copy.write(ChronyConfig::rootedCopy(root, main.readAll())) < 0 || !copy.flush()) {
        *error = QStringLiteral("Cannot check chrony's configuration: %1").arg(copy.errorString());
        return false;
    }
    QString output;
    if (!runTool(chronyd, {QStringLiteral("-p"), QStringLiteral("-f"), copy.fileName()}, &output, error)) {
        return false;
    }
    // chronyd reads only source lines from a sources file, at run time; its
    // parser takes any directive, so each line it prints must be a source.
    for (const FileChange &change : plan.changes) {
        if (change.remove || !change.path.endsWith(QLatin1String(".sources"))) {
            continue;
        }
        if (!runTool(chronyd, {QStringLiteral("-p"), QStringLiteral("-f"), change.path}, &output, error)) {
            return false;
        }
        for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (ChronyConfig::sourceName(line).isEmpty()) {
                *error = QStringLiteral("%1 would hold a line chrony does not take in a sources file: %2").arg(change.path, line.left(200));
                return false;
            }
        }
    }
    return true;
}

bool write(const QString &path, const QByteArray &content, QString *error)
{
    // A service may be allowed to write only the file itself (chrony's main
    // file), not its folder: then it is overwritten in place, its size reserved.
    FileWriteOptions options;
    options.replaceLinks = true;
    options.newFileMode = ownFileMode;
    options.inPlaceWhenFolderReadOnly = true;
    FileWriteError failure;
    if (WriteFileAtomically(path, content, &failure, options)) {
        return true;
    }
    *error = QStringLiteral("Cannot write %1: %2").arg(path, failure.reason());
    return false;
}
}

Plan plan(const QString &root, const QString &service, const QStringList &servers, const QStringList &fallback)
{
    if (service == TimeSyncNames::timesyncdService) {
        return planTimesyncd(root, servers, fallback);
    }
    if (service == TimeSyncNames::chronyService) {
        return planChrony(root, servers, fallback);
    }
    Plan refused;
    refused.error = QStringLiteral("The servers of \"%1\" cannot be set here").arg(service.left(100));
    return refused;
}

bool apply(const QList<FileChange> &changes, QString *error)
{
    for (int i = 0; i < changes.size(); ++i) {
        const FileChange &change = changes.at(i);
        bool ok = true;
        if (change.remove) {
            ok = !QFileInfo::exists(change.path) || QFile::remove(change.path);
            if (!ok) {
                *error = QStringLiteral("Cannot remove %1").arg(change.path);
            }
        } else {
            // The services read their folder as their own users, and the unit's
            // umask would leave a new folder to root alone.
            const QString folder = QFileInfo(change.path).path();
            if (!QFileInfo(folder).isDir()
                && !(QDir().mkpath(folder)
                     && QFile::setPermissions(folder,
                                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                                  | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther))) {
                *error = QStringLiteral("Cannot create the folder %1").arg(folder);
                ok = false;
            } else {
                ok = write(change.path, change.after, error);
            }
        }
        if (!ok) {
            restore(changes.mid(0, i));
            return false;
        }
    }
    return true;
}

void restore(const QList<FileChange> &changes)
{
    for (const FileChange &change : changes) {
        QString error;
        if (!change.existed) {
            if (QFileInfo::exists(change.path) && !QFile::remove(change.path)) {
                qCWarning(ORB_HELPER, "Cannot remove %s again", qPrintable(change.path));
            }
        } else if (!write(change.path, change.before, &error)) {
            qCWarning(ORB_HELPER, "Cannot put back %s: %s", qPrintable(change.path), qPrintable(error));
        }
    }
}

bool check(const QString &root,
           const QString &service,
           const Plan &plan,
           const QStringList &servers,
           const QStringList &fallback,
           const QString &chronyd,
           QString *error)
{
    if (service == TimeSyncNames::chronyService) {
        return checkChrony(root, plan, chronyd, error);
    }
    QString output;
    if (!runTool(QStringLiteral("systemd-analyze"),
                 {QStringLiteral("cat-config"), QStringLiteral("systemd/timesyncd.conf"), QStringLiteral("--no-pager"), QStringLiteral("--root=") + root},
                 &output,
                 error)) {
        return false;
    }
    TimesyncdConfig::Servers read;
    TimesyncdConfig::parse(output, &read);
    if (read.ntp != servers || read.fallback != fallback) {
        *error = QStringLiteral("Another timesyncd.conf drop-in overrides the saved servers; systemd-timesyncd would use \"%1\" and fallback \"%2\"")
                     .arg(read.ntp.join(QLatin1Char(' ')), read.fallback.join(QLatin1Char(' ')));
        return false;
    }
    return true;
}

}
