// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "synchealth.h"
#include "timesyncnames.h"

#include <KLocalizedString>

#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDateTime>
#include <QDebug>
#include <QHostAddress>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <cmath>

namespace
{
const QString s_timesyncd = QStringLiteral("org.freedesktop.timesync1");
const QString s_timesyncdPath = QStringLiteral("/org/freedesktop/timesync1");
const QString s_timesyncdManager = QStringLiteral("org.freedesktop.timesync1.Manager");
const QString s_properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString s_timesyncdName = TimeSyncNames::timesyncdService;
const QString s_chronyName = TimeSyncNames::chronyService;

constexpr int s_refreshMs = 5000;
constexpr int s_chronycDeadlineMs = 3000;
// About an hour and a half of samples at the shortest poll intervals.
constexpr int s_historyLimit = 1000;

QStringList csvFields(const QString &line)
{
    return line.trimmed().split(QLatin1Char(','));
}

QString addressText(const QVariant &value)
{
    // (iay): the address family and the address's bytes.
    if (!value.canConvert<QDBusArgument>()) {
        return QString();
    }
    const QDBusArgument argument = value.value<QDBusArgument>();
    int family = 0;
    QByteArray bytes;
    argument.beginStructure();
    argument >> family >> bytes;
    argument.endStructure();
    if (bytes.size() == 4) {
        return QHostAddress(qFromBigEndian<quint32>(bytes.constData())).toString();
    }
    if (bytes.size() == 16) {
        return QHostAddress(reinterpret_cast<const quint8 *>(bytes.constData())).toString();
    }
    return QString();
}
}

QDBusArgument &operator<<(QDBusArgument &argument, const TimesyncdNtpMessage &m)
{
    argument.beginStructure();
    argument << m.leap << m.version << m.mode << m.stratum << m.precision << m.rootDelay << m.rootDispersion << m.reference << m.origin << m.receive
             << m.transmit << m.destination << m.spike << m.packetCount << m.jitter;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, TimesyncdNtpMessage &m)
{
    argument.beginStructure();
    argument >> m.leap >> m.version >> m.mode >> m.stratum >> m.precision >> m.rootDelay >> m.rootDispersion >> m.reference >> m.origin >> m.receive
        >> m.transmit >> m.destination >> m.spike >> m.packetCount >> m.jitter;
    argument.endStructure();
    return argument;
}

SyncHealth::SyncHealth(QObject *parent)
    : QObject(parent)
{
    qDBusRegisterMetaType<TimesyncdNtpMessage>();
    m_timer.setInterval(s_refreshMs);
    connect(&m_timer, &QTimer::timeout, this, &SyncHealth::m_refresh);
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(s_chronycDeadlineMs);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        qWarning() << "chronyc did not answer within" << s_chronycDeadlineMs << "ms";
        m_stopReading();
        m_show(s_chronyName, {}, {}, i18n("chrony did not answer within %1 seconds.", s_chronycDeadlineMs / 1000));
    });
}

SyncHealth::~SyncHealth()
{
    m_stopReading();
}

bool SyncHealth::active() const
{
    return m_active;
}

void SyncHealth::setActive(bool active)
{
    if (active == m_active) {
        return;
    }
    m_active = active;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (active) {
        m_watchingTimesyncd = bus.connect(s_timesyncd, s_timesyncdPath, s_properties, QStringLiteral("PropertiesChanged"), this, SLOT(m_timesyncdChanged()));
        m_timer.start();
        m_refresh();
    } else {
        m_timer.stop();
        if (m_watchingTimesyncd) {
            bus.disconnect(s_timesyncd, s_timesyncdPath, s_properties, QStringLiteral("PropertiesChanged"), this, SLOT(m_timesyncdChanged()));
            m_watchingTimesyncd = false;
        }
        m_stopReading();
    }
    Q_EMIT activeChanged();
}

QString SyncHealth::service() const
{
    return m_service;
}

QString SyncHealth::message() const
{
    return m_message;
}

bool SyncHealth::hasSample() const
{
    return m_sample.when != 0;
}

QString SyncHealth::serverText() const
{
    const SyncSample &s = m_sample;
    if (s.serverName.isEmpty() || s.serverName == s.serverAddress || s.serverAddress.isEmpty()) {
        return s.serverName.isEmpty() ? s.serverAddress : s.serverName;
    }
    return i18nc("@info server name (its address)", "%1 (%2)", s.serverName, s.serverAddress);
}

QVariantList SyncHealth::details() const
{
    if (!hasSample()) {
        return {};
    }
    const SyncSample &s = m_sample;
    const auto row = [](const QString &label, const QString &value) {
        return QVariantMap{{QStringLiteral("label"), label}, {QStringLiteral("value"), value}};
    };
    QString offset;
    if (std::fabs(s.offset) < 0.0000005) {
        offset = formatSeconds(0);
    } else if (s.offset < 0) {
        offset = i18nc("@info the clock is behind the server by", "%1 behind", formatSeconds(-s.offset));
    } else {
        offset = i18nc("@info the clock is ahead of the server by", "%1 ahead", formatSeconds(s.offset));
    }
    const QLocale locale;
    QString frequency = i18nc("@info parts per million", "%1 ppm", locale.toString(std::fabs(s.frequencyPpm), 'f', 3));
    if (s.frequencyPpm < 0) {
        frequency.prepend(locale.negativeSign());
    } else if (s.frequencyPpm > 0) {
        frequency.prepend(locale.positiveSign());
    }
    QVariantList rows{row(i18n("Offset:"), offset),
                      row(s.rootDelay ? i18n("Root delay:") : i18n("Round-trip delay:"), formatSeconds(s.delay)),
                      row(s.rootDelay ? i18n("RMS offset:") : i18n("Jitter:"), formatSeconds(s.jitter)),
                      row(i18n("Stratum:"), locale.toString(s.stratum))};
    // Only what the service told.
    if (s.pollInterval > 0) {
        rows << row(i18n("Poll interval:"), formatSeconds(s.pollInterval));
    }
    rows << row(i18n("Frequency correction:"), frequency);
    return rows;
}

qint64 SyncHealth::sampleTime() const
{
    return m_sample.when;
}

QVariantList SyncHealth::servers() const
{
    QVariantList list;
    for (const SyncServerState &server : m_servers) {
        // The full state for screen readers and tooltips, a short one to show.
        QString text;
        QString brief;
        if (server.reach >= 0) {
            const int answered = qPopulationCount(static_cast<quint8>(server.reach));
            text = answered == 0 ? i18n("no answer to the last 8 polls") : i18np("answered 1 of the last 8 polls", "answered %1 of the last 8 polls", answered);
            brief = i18nc("@info answers to the last 8 polls", "%1/8", answered);
            if (server.inUse) {
                text = i18nc("@info server state", "in use, %1", text);
            }
        } else if (server.inUse) {
            text = server.answers ? i18n("in use, answers") : i18n("in use, no answer yet");
            brief = server.answers ? i18n("answers") : i18n("no answer yet");
        } else {
            text = brief = i18n("not in use");
        }
        list << QVariantMap{{QStringLiteral("name"), server.name},
                            {QStringLiteral("text"), text},
                            {QStringLiteral("brief"), brief},
                            {QStringLiteral("inUse"), server.inUse},
                            {QStringLiteral("answers"), server.answers}};
    }
    return list;
}

QVariantList SyncHealth::history() const
{
    QVariantList list;
    list.reserve(m_history.size());
    for (const QPointF &point : m_history) {
        list << point;
    }
    return list;
}

QString SyncHealth::ageText(qint64 nowMSecs) const
{
    if (!hasSample()) {
        return QString();
    }
    const qint64 seconds = std::max<qint64>(0, (nowMSecs - m_sample.when) / 1000);
    if (seconds < 120) {
        return i18nc("@info time since the sample", "%1 s ago", seconds);
    }
    if (seconds < 2 * 3600) {
        return i18nc("@info time since the sample", "%1 min ago", seconds / 60);
    }
    if (seconds < 2 * 86400) {
        return i18nc("@info time since the sample", "%1 h ago", seconds / 3600);
    }
    return i18nc("@info time since the sample", "%1 d ago", seconds / 86400);
}

QString SyncHealth::formatSeconds(double seconds)
{
    const QLocale locale;
    const double distance = std::fabs(seconds);
    if (distance < 0.001) {
        return i18nc("@info microseconds", "%1 µs", locale.toString(seconds * 1e6, 'f', 0));
    }
    if (distance < 1) {
        return i18nc("@info milliseconds", "%1 ms", locale.toString(seconds * 1000, 'f', distance < 0.01 ? 2 : 1));
    }
    if (distance < 120) {
        const bool whole = std::fabs(seconds - std::round(seconds)) < 0.05;
        return i18nc("@info seconds", "%1 s", locale.toString(seconds, 'f', whole ? 0 : 1));
    }
    return i18nc("@info minutes", "%1 min", locale.toString(seconds / 60, 'f', 0));
}

bool SyncHealth::fromTimesyncd(const QVariantMap &properties, SyncSample *sample, QVector<SyncServerState> *servers)
{
    const QString inUse = properties.value(QStringLiteral("ServerName")).toString();
    TimesyncdNtpMessage message;
    const QVariant ntp = properties.value(QStringLiteral("NTPMessage"));
    if (ntp.canConvert<QDBusArgument>()) {
        message = qdbus_cast<TimesyncdNtpMessage>(ntp.value<QDBusArgument>());
    }
    const bool answered = !inUse.isEmpty() && message.destination != 0 && message.origin != 0;

    // In the order the service picks from; the fallback servers only when nothing else is set.
    QStringList names;
    for (const char *list : {"RuntimeNTPServers", "LinkNTPServers", "SystemNTPServers"}) {
        names << properties.value(QLatin1String(list)).toStringList();
    }
    if (names.isEmpty()) {
        names = properties.value(QStringLiteral("FallbackNTPServers")).toStringList();
    }
    if (!inUse.isEmpty() && !names.contains(inUse)) {
        names.prepend(inUse);
    }
    names.removeDuplicates();
    servers->clear();
    for (const QString &name : qAsConst(names)) {
        SyncServerState server;
        server.name = name;
        server.inUse = name == inUse;
        server.answers = server.inUse && answered;
        servers->append(server);
    }

    *sample = SyncSample();
    if (!answered) {
        return false;
    }
    // Timestamps in microseconds: the request sent (t1), received (t2), the answer
    // sent (t3) and received (t4).
    const double t1 = message.origin / 1e6, t2 = message.receive / 1e6, t3 = message.transmit / 1e6, t4 = message.destination / 1e6;
    sample->serverName = inUse;
    sample->serverAddress = addressText(properties.value(QStringLiteral("ServerAddress")));
    sample->offset = -((t2 - t1) + (t3 - t4)) / 2;
    sample->delay = (t4 - t1) - (t3 - t2);
    sample->jitter = message.jitter / 1e6;
    sample->stratum = static_cast<int>(message.stratum);
    sample->pollInterval = properties.value(QStringLiteral("PollIntervalUSec")).toULongLong() / 1e6;
    // The kernel's frequency adjustment, in parts per million times 65536.
    sample->frequencyPpm = properties.value(QStringLiteral("Frequency")).toLongLong() / 65536.0;
    sample->when = static_cast<qint64>(message.destination / 1000);
    sample->key = static_cast<qint64>(message.destination);
    return true;
}

bool SyncHealth::fromChronyc(const QString &tracking, const QString &sources, qint64 nowMSecs, SyncSample *sample, QVector<SyncServerState> *servers)
{
    *sample = SyncSample();
    servers->clear();
    // Mode,State,Address,Stratum,Poll (log2 s),Reach (octal),LastRx (s),offset,measured offset,error
    QStringList selected;
    for (const QString &line : sources.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = csvFields(line);
        if (fields.size() < 10) {
            continue;
        }
        bool ok = false;
        SyncServerState server;
        server.name = fields.at(2);
        server.inUse = fields.at(1) == QLatin1String("*");
        server.reach = fields.at(5).toInt(&ok, 8);
        if (!ok) {
            server.reach = 0;
        }
        server.answers = server.reach != 0;
        servers->append(server);
        if (server.inUse) {
            selected = fields;
        }
    }

    // Reference ID,name or address,stratum,reference time,system time (positive:
    // slow),last offset,RMS offset,frequency (positive: fast),residual frequency,
    // skew,root delay,root dispersion,update interval,leap status
    const QStringList report = csvFields(tracking.section(QLatin1Char('\n'), 0, 0));
    if (report.size() < 14 || selected.isEmpty() || report.at(13) == QLatin1String("Not synchronised")) {
        return false;
    }
    bool ok = true;
    const auto number = [&ok](const QString &text) {
        bool converted = false;
        const double value = text.toDouble(&converted);
        ok = ok && converted;
        return value;
    };
    const double referenceTime = number(report.at(3));
    sample->offset = -number(report.at(4));
    sample->jitter = number(report.at(6));
    // chrony tells how fast the clock runs by itself; the correction goes the other way.
    sample->frequencyPpm = -number(report.at(7));
    sample->delay = number(report.at(10));
    sample->rootDelay = true;
    sample->stratum = static_cast<int>(number(selected.at(3)));
    sample->pollInterval = std::pow(2.0, number(selected.at(4)));
    const double lastRx = number(selected.at(6));
    if (!ok || lastRx >= 4294967295.0) {
        *sample = SyncSample();
        return false;
    }
    sample->serverName = selected.at(2);
    sample->serverAddress = report.at(1);
    sample->when = nowMSecs - static_cast<qint64>(lastRx * 1000);
    sample->key = static_cast<qint64>(referenceTime * 1000);
    return sample->when != 0;
}

void SyncHealth::m_refresh()
{
    if (!m_active || m_call || m_tracking || m_sources) {
        return;
    }
    // Only a running service answers: asking must not start one.
    QDBusMessage getAll = QDBusMessage::createMethodCall(s_timesyncd, s_timesyncdPath, s_properties, QStringLiteral("GetAll"));
    getAll.setArguments({s_timesyncdManager});
    getAll.setAutoStartService(false);
    m_call = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(getAll, s_chronycDeadlineMs), this);
    connect(m_call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *call;
        if (!m_active) {
            return;
        }
        if (reply.isError()) {
            const QDBusError::ErrorType type = reply.error().type();
            if (type == QDBusError::ServiceUnknown || type == QDBusError::Disconnected
                || reply.error().name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
                m_readChrony();
            } else {
                qWarning() << "Reading systemd-timesyncd failed:" << reply.error().name() << reply.error().message();
                m_show(s_timesyncdName, {}, {}, i18n("systemd-timesyncd cannot be read: %1", reply.error().message()));
            }
            return;
        }
        SyncSample sample;
        QVector<SyncServerState> servers;
        const bool ok = fromTimesyncd(reply.value(), &sample, &servers);
        m_show(s_timesyncdName, sample, servers, ok ? QString() : i18n("%1 has no sample yet.", s_timesyncdName));
    });
}

void SyncHealth::m_timesyncdChanged()
{
    m_refresh();
}

void SyncHealth::m_readChrony()
{
    QStringList command = QProcess::splitCommand(qEnvironmentVariable("ORB_TIMESYNC_CHRONYC", QStringLiteral("chronyc")));
    const QString program = command.isEmpty() ? QString() : QStandardPaths::findExecutable(command.takeFirst());
    if (program.isEmpty()) {
        // chronyc comes with chronyd: without it no chrony runs.
        m_show(QString(), {}, {}, i18n("No synchronization service is running."));
        return;
    }
    const auto start = [&](const QString &report) {
        auto *process = new QProcess(this);
        connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, &SyncHealth::m_chronyFinished);
        connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) {
                m_chronyFinished();
            }
        });
        // -n: no name look-ups, which could outlast the deadline.
        process->start(program, QStringList(command) << QStringLiteral("-n") << QStringLiteral("-c") << report);
        return process;
    };
    m_tracking = start(QStringLiteral("tracking"));
    m_sources = start(QStringLiteral("sources"));
    m_deadline.start();
}

void SyncHealth::m_chronyFinished()
{
    const auto done = [](QProcess *process) {
        return process && process->state() == QProcess::NotRunning;
    };
    if (!done(m_tracking) || !done(m_sources)) {
        return;
    }
    m_deadline.stop();
    const auto succeeded = [](QProcess *process) {
        return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0 && process->error() != QProcess::FailedToStart;
    };
    const bool ok = succeeded(m_tracking) && succeeded(m_sources);
    const QString tracking = QString::fromUtf8(m_tracking->readAllStandardOutput());
    const QString sources = QString::fromUtf8(m_sources->readAllStandardOutput());
    if (!ok) {
        // "506 Cannot talk to daemon": chronyd does not run.
        qDebug().noquote() << "chronyc:" << tracking.trimmed() << QString::fromUtf8(m_tracking->readAllStandardError()).trimmed();
    }
    m_tracking->deleteLater();
    m_sources->deleteLater();
    m_tracking.clear();
    m_sources.clear();
    if (!m_active) {
        return;
    }
    if (!ok) {
        m_show(QString(), {}, {}, i18n("No synchronization service is running."));
        return;
    }
    SyncSample sample;
    QVector<SyncServerState> servers;
    const bool hasOne = fromChronyc(tracking, sources, QDateTime::currentMSecsSinceEpoch(), &sample, &servers);
    m_show(s_chronyName, sample, servers, hasOne ? QString() : i18n("%1 has no sample yet.", s_chronyName));
}

void SyncHealth::m_show(const QString &service, const SyncSample &sample, const QVector<SyncServerState> &servers, const QString &message)
{
    m_service = service;
    m_sample = sample;
    m_servers = servers;
    m_message = message;
    Q_EMIT changed();
    if (sample.when != 0 && sample.key != m_lastKey) {
        m_lastKey = sample.key;
        m_history.append(QPointF(sample.when, sample.offset));
        if (m_history.size() > s_historyLimit) {
            m_history.removeFirst();
        }
        Q_EMIT historyChanged();
    }
}

void SyncHealth::m_stopReading()
{
    m_deadline.stop();
    delete m_call;
    for (QProcess *process : {m_tracking.data(), m_sources.data()}) {
        if (process) {
            process->disconnect(this);
            process->kill();
            process->waitForFinished(1000);
            delete process;
        }
    }
}
