#include "timesyncdservice.h"

#include <KLocalizedString>

#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QVector>

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
    m_ntpEdited = false;
    m_fallbackEdited = false;
    setEdited(false);
    m_parse();
}

void TimesyncdService::m_parse()
{
    m_serverLines.clear();
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
            m_serverLines << ServerLine{f, l, kind, values};
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

int TimesyncdService::m_targetFile() const
{
    return m_serverLines.isEmpty() ? 0 : m_serverLines.constLast().file;
}

QString TimesyncdService::configTarget() const
{
    return m_files.isEmpty() ? QString() : m_files.at(m_targetFile()).path;
}

QByteArray TimesyncdService::m_key(Kind kind) const
{
    return kind == Ntp ? QByteArrayLiteral("NTP") : QByteArrayLiteral("FallbackNTP");
}

QByteArray TimesyncdService::renderedConfig() const
{
    if (m_files.isEmpty()) {
        return QByteArray();
    }
    const int target = m_targetFile();
    ConfigFile file = m_files.at(target);

    // Line indexes into `file` move as lines go and come: work from the
    // original indexes, removing first and placing the new blocks after.
    struct Edit
    {
        Kind kind;
        QList<QByteArray> block;
        int position; // original index of the first line of that kind, or -1
    };
    QList<Edit> edits;
    QList<int> removed;
    for (Kind kind : {Ntp, Fallback}) {
        if (!(kind == Ntp ? m_ntpEdited : m_fallbackEdited)) {
            continue;
        }
        const QStringList &list = kind == Ntp ? m_ntp : m_fallback;
        bool assignedBefore = false;
        int position = -1;
        for (const ServerLine &line : m_serverLines) {
            if (line.kind != kind) {
                continue;
            }
            if (line.file < target) {
                assignedBefore = true;
            } else if (line.file == target) {
                removed << line.line;
                if (position < 0) {
                    position = line.line;
                }
            }
        }
        QList<QByteArray> block;
        const QByteArray key = m_key(kind);
        // An empty assignment first cancels what earlier files set; an empty
        // fallback list must be said explicitly, or the built-in one applies.
        if (assignedBefore || (kind == Fallback && list.isEmpty())) {
            block << key + "=\n";
        }
        if (!list.isEmpty()) {
            block << key + '=' + list.join(QLatin1Char(' ')).toUtf8() + '\n';
        }
        edits << Edit{kind, block, position};
    }
    if (edits.isEmpty()) {
        return file.content();
    }

    // Where a block goes when the file has no line of its kind yet.
    QString section;
    int timeHeader = -1;
    int lastServerLine = -1;
    int commented[2] = {-1, -1};
    static const QRegularExpression commentedKey(QStringLiteral("^\\s*[#;]\\s*(NTP|FallbackNTP)\\s*="));
    for (int l = 0; l < file.lines.size(); ++l) {
        const QString text = ConfigText::text(file.lines.at(l));
        const QString previousSection = section;
        parseLine(text, &section);
        if (section != previousSection && section == QLatin1String("Time") && timeHeader < 0) {
            timeHeader = l;
        }
        if (section != QLatin1String("Time")) {
            continue;
        }
        const QRegularExpressionMatch match = commentedKey.match(text);
        if (match.hasMatch()) {
            commented[match.captured(1) == QLatin1String("NTP") ? Ntp : Fallback] = l;
        }
    }
    for (const ServerLine &line : m_serverLines) {
        if (line.file == target) {
            lastServerLine = qMax(lastServerLine, line.line);
        }
    }

    // Mark every line by its original index, then rebuild.
    QVector<QList<QByteArray>> before(file.lines.size() + 1); // blocks to place before original line i (last slot: at the end)
    QList<QByteArray> appended;
    for (const Edit &edit : qAsConst(edits)) {
        int anchor = edit.position; // replace in place
        if (anchor < 0) {
            if (lastServerLine >= 0) {
                anchor = lastServerLine + 1;
            } else if (commented[edit.kind] >= 0) {
                anchor = commented[edit.kind] + 1;
            } else if (timeHeader >= 0) {
                anchor = timeHeader + 1;
            }
        }
        if (anchor < 0) {
            if (appended.isEmpty()) {
                appended << QByteArrayLiteral("[Time]\n");
            }
            appended << edit.block;
        } else {
            before[anchor] << edit.block;
        }
    }
    ConfigFile result;
    result.path = file.path;
    for (int l = 0; l <= file.lines.size(); ++l) {
        if (!before.at(l).isEmpty()) {
            result.insertAfter(result.lines.size() - 1, before.at(l));
        }
        if (l < file.lines.size() && !removed.contains(l)) {
            result.lines << file.lines.at(l);
        }
    }
    if (!appended.isEmpty()) {
        if (!result.lines.isEmpty()) {
            appended.first().prepend('\n');
        }
        result.insertAfter(result.lines.size() - 1, appended);
    }
    return result.content();
}

bool TimesyncdService::addServer(const QString &server, QString *reason)
{
    if (m_ntp.contains(server)) {
        *reason = i18n("The server \"%1\" is already in the list.", server);
        return false;
    }
    m_ntp << server;
    m_ntpEdited = true;
    return true;
}

bool TimesyncdService::removeServer(const QString &server, QString *)
{
    if (m_ntp.removeAll(server) > 0) {
        m_ntpEdited = true;
        return true;
    }
    if (m_fallback.removeAll(server) > 0) {
        m_fallbackEdited = true;
        return true;
    }
    return false;
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
        (kind == Ntp ? m_ntpEdited : m_fallbackEdited) = true;
        return true;
    }
    return false;
}
