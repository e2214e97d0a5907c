// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "directiveservice.h"

#include "timesync_debug.h"

#include <KLocalizedString>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include "configreaders.h"
#include "configroot.h"
#include "timesyncbus.h"
#include "timesyncnames.h"

namespace
{
// chronyc's report, one "Name : value" a line.
QHash<QString, QString> trackingReport(const QString &output)
{
    QHash<QString, QString> fields;
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const int colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0) {
            fields.insert(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
        }
    }
    return fields;
}
}

DirectiveService::DirectiveService(const Settings &settings, QObject *parent)
    : AbstractServiceClass(settings.name, settings.unitNames, parent)
    , m_settings(settings)
{
}

DirectiveService *DirectiveService::createChrony(QObject *parent)
{
    return new DirectiveService({TimeSyncNames::chronyService, TimeSyncNames::chronyUnits(), TimeSyncNames::chronyMainFiles(), true, true}, parent);
}

DirectiveService *DirectiveService::createNtpsec(QObject *parent)
{
    return new DirectiveService({TimeSyncNames::ntpsecService, {TimeSyncNames::ntpsecUnit}, TimeSyncNames::ntpsecMainFiles(), false, false}, parent);
}

QStringList DirectiveService::configFiles() const
{
    QStringList paths;
    for (const ConfigFile &file : m_files) {
        paths << file.path;
    }
    return paths;
}

void DirectiveService::reload()
{
    m_files.clear();
    m_sourceDirs.clear();
    if (m_settings.followChronyIncludes) {
        const ChronyConfig::Layout layout = ChronyConfig::read(TimeSync::rootDirectory());
        m_sourceDirs = layout.sourceDirs;
        for (const QString &path : layout.files) {
            m_files << ConfigFile::read(path);
        }
    }
    if (m_files.isEmpty()) {
        QString main = TimeSync::rooted(m_settings.mainFiles.constFirst());
        for (const QString &candidate : qAsConst(m_settings.mainFiles)) {
            if (QFileInfo::exists(TimeSync::rooted(candidate))) {
                main = TimeSync::rooted(candidate);
                break;
            }
        }
        m_files << ConfigFile::read(main);
    }
    setEdited(false);
    m_parse();
}

void DirectiveService::m_parse()
{
    m_entries.clear();
    for (int f = 0; f < m_files.size(); ++f) {
        const QList<QByteArray> &lines = m_files.at(f).lines;
        for (int l = 0; l < lines.size(); ++l) {
            const QString text = ConfigText::text(lines.at(l));
            const QString server = m_settings.followChronyIncludes ? ChronyConfig::sourceName(text) : NtpsecConfig::sourceName(text);
            if (!server.isEmpty()) {
                m_entries << Entry{f, l, server};
            }
        }
    }
}

QStringList DirectiveService::configuredServers() const
{
    return allServers();
}

QStringList DirectiveService::allServers() const
{
    QStringList servers;
    for (const Entry &entry : m_entries) {
        servers << entry.server;
    }
    return ConfigPaths::unique(servers);
}

bool DirectiveService::probeSynchronization(LastSynchroInfo *info) const
{
    if (!m_settings.followChronyIncludes) {
        return TimeSyncBus::timedatedSynchronized();
    }
    // chrony knows best: its tracking report says whether the clock follows a
    // source and which one, by address (-n: no name look-ups).
    QStringList command = QProcess::splitCommand(qEnvironmentVariable("ORB_TIMESYNC_CHRONYC", QStringLiteral("chronyc")));
    if (command.isEmpty()) {
        return false;
    }
    QProcess chronyc;
    chronyc.start(command.takeFirst(), command << QStringLiteral("-n") << QStringLiteral("tracking"));
    constexpr int timeoutMs = 5000;
    if (!chronyc.waitForFinished(timeoutMs) || chronyc.exitStatus() != QProcess::NormalExit || chronyc.exitCode() != 0) {
        qCWarning(ORB_TIMESYNC) << "chronyc tracking failed:" << chronyc.errorString() << chronyc.readAllStandardError();
        chronyc.kill();
        chronyc.waitForFinished();
        return false;
    }
    const QHash<QString, QString> report = trackingReport(QString::fromUtf8(chronyc.readAllStandardOutput()));
    const QString leap = report.value(QStringLiteral("Leap status"));
    if (leap.isEmpty() || leap.compare(QLatin1String("Not synchronised"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    // "Reference ID    : C0A80001 (192.168.0.1)"
    static const QRegularExpression reference(QStringLiteral("\\(([^)]*)\\)"));
    const QString server = reference.match(report.value(QStringLiteral("Reference ID"))).captured(1);
    // "Ref time (UTC)  : Mon Dec 08 10:00:00 2025"
    QString refTime = report.value(QStringLiteral("Ref time (UTC)")).simplified();
    QDateTime when = QLocale::c().toDateTime(refTime, QStringLiteral("ddd MMM d HH:mm:ss yyyy"));
    when.setTimeSpec(Qt::UTC);
    if (!when.isValid() || server.isEmpty()) {
        *info = {QString(), QString(), server};
    } else {
        *info = TimeSyncBus::displayInfo(when.toMSecsSinceEpoch(), server);
    }
    return true;
}

QString DirectiveService::configTarget() const
{
    if (!m_settings.editable || m_files.isEmpty()) {
        return QString();
    }
    // New servers go into the date helper's file in chrony's sources folder
    // below /etc (those under /run are lost at reboot), or else into the main file.
    for (const QString &dir : m_sourceDirs) {
        if (QDir::cleanPath(dir).startsWith(QLatin1String("/etc/"))) {
            return TimeSync::rooted(QDir::cleanPath(dir) + QLatin1Char('/') + TimeSyncNames::chronySourcesName);
        }
    }
    return m_files.constFirst().path;
}

QString DirectiveService::m_foreignFile(const QString &server) const
{
    // The date helper's own sources file is edited with the main file.
    const QString own = configTarget();
    for (const Entry &entry : m_entries) {
        if (entry.server == server && entry.file != 0 && m_files.at(entry.file).path != own) {
            return m_files.at(entry.file).path;
        }
    }
    return QString();
}

QString DirectiveService::editRestriction(const QString &server) const
{
    if (!m_settings.editable) {
        return i18n("The servers of %1 can only be changed in its configuration file.", name());
    }
    const QString file = server.isEmpty() ? QString() : m_foreignFile(server);
    if (!file.isEmpty()) {
        return i18n("The server \"%1\" is set in %2; change it there.", server, file);
    }
    return QString();
}

bool DirectiveService::addServer(const QString &server, QString *reason)
{
    if (!m_settings.editable || m_files.isEmpty()) {
        return false;
    }
    if (allServers().contains(server)) {
        *reason = i18n("The server \"%1\" is already in the list.", server);
        return false;
    }
    int last = -1;
    for (const Entry &entry : qAsConst(m_entries)) {
        if (entry.file == 0) {
            last = entry.line;
        }
    }
    ConfigFile &main = m_files.first();
    main.insertAfter(last < 0 ? main.lines.size() - 1 : last, {QStringLiteral("server %1 iburst\n").arg(server).toUtf8()});
    m_parse();
    return true;
}

bool DirectiveService::removeServer(const QString &server, QString *reason)
{
    if (!editRestriction(server).isEmpty()) {
        *reason = editRestriction(server);
        return false;
    }
    QList<Entry> entries;
    for (const Entry &entry : qAsConst(m_entries)) {
        if (entry.server == server) {
            entries.prepend(entry);
        }
    }
    if (entries.isEmpty()) {
        return false;
    }
    for (const Entry &entry : qAsConst(entries)) {
        m_files[entry.file].lines.removeAt(entry.line);
    }
    m_parse();
    return true;
}

bool DirectiveService::replaceServer(const QString &server, const QString &replacement, QString *reason)
{
    if (!editRestriction(server).isEmpty()) {
        *reason = editRestriction(server);
        return false;
    }
    if (allServers().contains(replacement)) {
        *reason = i18n("The server \"%1\" is already in the list.", replacement);
        return false;
    }
    bool changed = false;
    // Only the name changes; directive, options and comment stay as they were.
    static const QRegularExpression serverWord(QStringLiteral("^(\\s*\\S+\\s+)(\\S+)"));
    for (const Entry &entry : qAsConst(m_entries)) {
        if (entry.server != server) {
            continue;
        }
        QByteArray &line = m_files[entry.file].lines[entry.line];
        const QString text = QString::fromUtf8(line);
        const QRegularExpressionMatch match = serverWord.match(text);
        if (!match.hasMatch() || match.captured(2) != server) {
            continue;
        }
        line = (match.captured(1) + replacement + text.mid(match.capturedEnd(2))).toUtf8();
        changed = true;
    }
    m_parse();
    return changed;
}
