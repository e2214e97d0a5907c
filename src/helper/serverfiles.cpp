#include "serverfiles.h"

#include "helper_debug.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>

#include "servername.h"

namespace ServerFiles
{
using ServerName::chronySourcesName;
using ServerName::timesyncdDropIn;

namespace
{
const QByteArray header = "# Written by the date and time settings; saving there again replaces this file.\n";
constexpr int toolTimeoutMs = 30000;

QString below(const QString &root, const QString &absolutePath)
{
    return QDir::cleanPath(root + QLatin1Char('/') + absolutePath);
}

QStringList words(const QString &line)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return line.split(blanks, Qt::SkipEmptyParts);
}

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

// The name a chrony source line names, empty for other lines.
QString chronySource(const QByteArray &line)
{
    const QStringList parts = words(QString::fromUtf8(line));
    if (parts.size() < 2 || QStringLiteral("#!;%").contains(parts.front().front())) {
        return QString();
    }
    const QString directive = parts.front().toLower();
    return directive == QLatin1String("server") || directive == QLatin1String("pool") || directive == QLatin1String("peer") ? parts.at(1) : QString();
}

QStringList directiveArguments(const QList<QByteArray> &lines, const QString &directive)
{
    QStringList arguments;
    for (const QByteArray &line : lines) {
        const QStringList parts = words(QString::fromUtf8(line));
        if (parts.size() >= 2 && parts.front().toLower() == directive) {
            arguments << parts.mid(1);
        }
    }
    return arguments;
}

QByteArray sourceLines(const QStringList &names)
{
    QByteArray text;
    for (const QString &name : names) {
        text += "server " + name.toUtf8() + " iburst\n";
    }
    return text;
}

Plan planTimesyncd(const QString &root, const QStringList &servers, const QStringList &fallback)
{
    Plan plan;
    if (servers.isEmpty() && fallback.isEmpty()) {
        plan.error = QStringLiteral("systemd-timesyncd would be left without any time server");
        return plan;
    }
    FileChange change = current(below(root, timesyncdDropIn));
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
    FileChange main = current(below(root, QStringLiteral("/etc/chrony/chrony.conf")));
    if (!main.existed) {
        main = current(below(root, QStringLiteral("/etc/chrony.conf")));
    }
    if (!main.existed) {
        plan.error = QStringLiteral("chrony's configuration file was not found");
        return plan;
    }
    const QList<QByteArray> lines = splitLines(main.before);

    // Only a sources folder below /etc: what is under /run goes at reboot and
    // /usr belongs to packages.
    QString ownPath;
    const QStringList sourceDirs = directiveArguments(lines, QStringLiteral("sourcedir"));
    for (const QString &dir : sourceDirs) {
        if (QDir::cleanPath(dir).startsWith(QLatin1String("/etc/"))) {
            ownPath = below(root, QDir::cleanPath(dir) + QLatin1Char('/') + chronySourcesName);
            break;
        }
    }

    // Sources set in other files stay there; they cannot be removed from here.
    QStringList kept;
    const auto readOthers = [&](const QStringList &dirs, const QString &suffix) {
        for (const QString &dir : dirs) {
            const QDir folder(below(root, dir));
            for (const QString &name : folder.entryList({QLatin1Char('*') + suffix}, QDir::Files, QDir::Name)) {
                const QString path = folder.filePath(name);
                if (path == ownPath) {
                    continue;
                }
                QFile file(path);
                if (!file.open(QIODevice::ReadOnly)) {
                    continue;
                }
                for (const QByteArray &line : splitLines(file.readAll())) {
                    const QString source = chronySource(line);
                    if (source.isEmpty()) {
                        continue;
                    }
                    if (!servers.contains(source)) {
                        plan.error = QStringLiteral("The server %1 is set in %2; change it there").arg(source, path);
                        return;
                    }
                    kept << source;
                }
            }
        }
    };
    readOthers(directiveArguments(lines, QStringLiteral("confdir")), QStringLiteral(".conf"));
    readOthers(sourceDirs, QStringLiteral(".sources"));
    if (!plan.error.isEmpty()) {
        return plan;
    }

    // The main file loses the sources no longer wanted and keeps every other line.
    QByteArray mainAfter;
    int lastSourceEnd = -1;
    for (const QByteArray &line : lines) {
        const QString source = chronySource(line);
        if (!source.isEmpty() && !servers.contains(source)) {
            continue;
        }
        if (!source.isEmpty()) {
            kept << source;
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
}

Plan plan(const QString &root, const QString &service, const QStringList &servers, const QStringList &fallback)
{
    if (service == QLatin1String("systemd-timesyncd")) {
        return planTimesyncd(root, servers, fallback);
    }
    if (service == QLatin1String("chrony")) {
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
                restore(changes.mid(0, i));
                return false;
            }
            QSaveFile file(change.path);
            ok = file.open(QIODevice::WriteOnly) && file.write(change.after) == change.after.size()
                && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther) && file.commit();
            if (!ok) {
                *error = QStringLiteral("Cannot write %1: %2").arg(change.path, file.errorString());
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
        if (!change.existed) {
            QFile::remove(change.path);
            continue;
        }
        QSaveFile file(change.path);
        if (!file.open(QIODevice::WriteOnly) || file.write(change.before) != change.before.size() || !file.commit()) {
            qCWarning(ORB_HELPER, "Cannot put back %s: %s", qPrintable(change.path), qPrintable(file.errorString()));
        }
    }
}

void timesyncdServers(const QString &catConfig, QStringList *servers, QStringList *fallback, bool *fallbackAssigned)
{
    servers->clear();
    fallback->clear();
    *fallbackAssigned = false;
    QString section;
    for (const QString &raw : catConfig.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (section != QLatin1String("Time") || equals < 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        QStringList *list = key == QLatin1String("NTP") ? servers : key == QLatin1String("FallbackNTP") ? fallback : nullptr;
        if (!list) {
            continue;
        }
        *fallbackAssigned = *fallbackAssigned || list == fallback;
        const QStringList values = words(line.mid(equals + 1));
        if (values.isEmpty()) {
            list->clear();
        }
        *list << values;
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
    QString output;
    if (service == QLatin1String("chrony")) {
        for (const FileChange &change : plan.changes) {
            if (!change.remove && !runTool(chronyd, {QStringLiteral("-p"), QStringLiteral("-f"), change.path}, &output, error)) {
                return false;
            }
        }
        return true;
    }
    if (!runTool(QStringLiteral("systemd-analyze"),
                 {QStringLiteral("cat-config"), QStringLiteral("systemd/timesyncd.conf"), QStringLiteral("--no-pager"), QStringLiteral("--root=") + root},
                 &output,
                 error)) {
        return false;
    }
    QStringList readServers, readFallback;
    bool fallbackAssigned = false;
    timesyncdServers(output, &readServers, &readFallback, &fallbackAssigned);
    if (readServers != servers || readFallback != fallback) {
        *error = QStringLiteral("Another timesyncd.conf drop-in overrides the saved servers; systemd-timesyncd would use \"%1\" and fallback \"%2\"")
                     .arg(readServers.join(QLatin1Char(' ')), readFallback.join(QLatin1Char(' ')));
        return false;
    }
    return true;
}
}
