#include "timesyncdservice.h"

#include <KLocalizedString>

#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QVector>

#include "configroot.h"
#include "servername.h"
#include "timesyncbus.h"

namespace {
const QString s_mainFile = QStringLiteral("/etc/systemd/timesyncd.conf");
// Lowest priority first: a drop-in of the same name in a later folder wins.
const QStringList s_dropInDirs = {
    QStringLiteral("/usr/lib/systemd/timesyncd.conf.d"),
    QStringLiteral("/usr/local/lib/systemd/timesyncd.conf.d"),
    QStringLiteral("/run/systemd/timesyncd.conf.d"),
    QStringLiteral("/etc/systemd/timesyncd.conf.d"),
};

struct Assignment
{
    bool valid = false;
    QString section;
    QString key;
    QString value;
};

// One line of an ini-style systemd configuration, given the section it is in.
Assignment parseLine(const QString &text, QString *section)
{
    const QString line = text.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';'))) {
        return {};
    }
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
        *section = line.mid(1, line.size() - 2).trimmed();
        return {};
    }
    const int equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return {};
    }
    return {true, *section, line.left(equals).trimmed(), line.mid(equals + 1).trimmed()};
}
}

TimesyncdService::TimesyncdService(QObject *parent)
    : AbstractServiceClass(QStringLiteral("systemd-timesyncd"), {QStringLiteral("systemd-timesyncd.service")}, parent)
{
}

QStringList TimesyncdService::configFiles() const
{
    QStringList paths;
    for (const ConfigFile &file : m_files) {
        paths << file.path;
    }
    return paths;
}

void TimesyncdService::reload()
{
    m_files.clear();
    m_files << ConfigFile::read(TimeSync::rooted(s_mainFile));
    QMap<QString, QString> dropIns; // by file name, sorted as systemd sorts them
    for (const QString &dir : s_dropInDirs) {
        for (const QString &path : ConfigText::filesIn(TimeSync::rooted(dir), QStringLiteral(".conf"))) {
            dropIns.insert(QFileInfo(path).fileName(), path);
        }
    }
    for (const QString &path : qAsConst(dropIns)) {
        m_files << ConfigFile::read(path);
    }
    setEdited(false);
    m_parse();
}

void TimesyncdService::m_parse()
{
    m_ntp.clear();
    m_fallback.clear();
    bool fallbackAssigned = false;
    QStringList defaultFallback;
    static const QRegularExpression commentedFallback(QStringLiteral("^\\s*[#;]\\s*FallbackNTP\\s*=(.*)$"));

    for (int f = 0; f < m_files.size(); ++f) {
        QString section;
        const QList<QByteArray> &lines = m_files.at(f).lines;
        for (int l = 0; l < lines.size(); ++l) {
            const QString text = ConfigText::text(lines.at(l));
            const Assignment assignment = parseLine(text, &section);
            if (f == 0 && section == QLatin1String("Time")) {
                // The packaged file names the built-in fallback servers in a comment.
                const QRegularExpressionMatch match = commentedFallback.match(text);
                if (match.hasMatch() && defaultFallback.isEmpty()) {
                    defaultFallback = ConfigText::words(match.captured(1));
                }
            }
            if (!assignment.valid || assignment.section != QLatin1String("Time")) {
                continue;
            }
            Kind kind;
            if (assignment.key == QLatin1String("NTP")) {
                kind = Ntp;
            } else if (assignment.key == QLatin1String("FallbackNTP")) {
                kind = Fallback;
                fallbackAssigned = true;
            } else {
                continue;
            }
            const QStringList values = ConfigText::words(assignment.value);
            QStringList &list = kind == Ntp ? m_ntp : m_fallback;
            // An empty assignment resets what the lines before it said.
            if (values.isEmpty()) {
                list.clear();
            }
            list << values;
        }
    }
    if (!fallbackAssigned) {
        m_fallback = defaultFallback;
    }
    m_ntp = ConfigText::unique(m_ntp);
    m_fallback = ConfigText::unique(m_fallback);
}

QStringList TimesyncdService::configuredServers() const
{
    QStringList servers = m_ntp;
    if (fallbackVisible()) {
        servers << m_fallback;
    }
    return ConfigText::unique(servers);
}

QStringList TimesyncdService::allServers() const
{
    return ConfigText::unique(m_ntp + m_fallback);
}

bool TimesyncdService::isFallback(const QString &server) const
{
    return m_fallback.contains(server) && !m_ntp.contains(server);
}

bool TimesyncdService::probeSynchronization(LastSynchroInfo *info) const
{
    if (!TimeSyncBus::timedatedSynchronized()) {
        return false;
    }
    *info = TimeSyncBus::timesyncdLastSynchronization();
    return true;
}

QString TimesyncdService::configTarget() const
{
    return TimeSync::rooted(ServerName::timesyncdDropIn);
}

QStringList TimesyncdService::primaryServers() const
{
    return m_ntp;
}

QStringList TimesyncdService::fallbackServers() const
{
    return m_fallback;
}

bool TimesyncdService::addServer(const QString &server, QString *reason)
{
    if (m_ntp.contains(server)) {
        *reason = i18n("The server \"%1\" is already in the list.", server);
        return false;
    }
    m_ntp << server;
    return true;
}

bool TimesyncdService::removeServer(const QString &server, QString *)
{
    const int removed = m_ntp.removeAll(server) + m_fallback.removeAll(server);
    return removed > 0;
}

bool TimesyncdService::replaceServer(const QString &server, const QString &replacement, QString *)
{
    for (Kind kind : {Ntp, Fallback}) {
        QStringList &list = kind == Ntp ? m_ntp : m_fallback;
        const int index = list.indexOf(server);
        if (index < 0) {
            continue;
        }
        list[index] = replacement;
        list = ConfigText::unique(list);
        return true;
    }
    return false;
}
