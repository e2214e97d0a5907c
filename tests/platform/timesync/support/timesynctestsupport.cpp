#include "timesynctestsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace {
int s_answered = 0;
QString s_lastText;
// Dialogs a helper has taken; another helper waiting meanwhile looks for the next one.
QSet<QWidget *> s_taken;

QString journalFile()
{
    const QString dir = qEnvironmentVariable("ORB_TEST_TMPDIR", QDir::tempPath());
    return dir + QStringLiteral("/timesync-standin.jsonl");
}
}

TimesyncStandIn::TimesyncStandIn(QObject *parent)
    : QObject(parent)
    , m_journal(journalFile())
{
}

TimesyncStandIn::~TimesyncStandIn()
{
    stop();
}

QString TimesyncStandIn::scriptPath()
{
    return QStringLiteral(ORB_TIMESYNC_TEST_DIR "/timesync-standin.py");
}

bool TimesyncStandIn::start(const QStringList &arguments)
{
    stop();
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setReadChannel(QProcess::StandardOutput);
    m_process->start(QStringLiteral("/usr/bin/python3"), QStringList{scriptPath(), QStringLiteral("--journal"), m_journal} + arguments);
    if (!m_process->waitForStarted(10000)) {
        qWarning() << "timesync stand-in did not start" << m_process->errorString();
        return false;
    }
    // Generous: Python starts slowly on a busy machine.
    for (int waited = 0; waited < 30000; waited += 100) {
        if (m_process->canReadLine() || m_process->waitForReadyRead(100)) {
            const QByteArray line = m_process->readLine();
            if (line.startsWith("READY")) {
                return true;
            }
        }
        if (m_process->state() == QProcess::NotRunning) {
            break;
        }
    }
    qWarning() << "timesync stand-in not ready:" << m_process->readAllStandardError();
    return false;
}

void TimesyncStandIn::stop()
{
    if (!m_process) {
        return;
    }
    m_process->terminate();
    if (!m_process->waitForFinished(10000)) {
        m_process->kill();
        m_process->waitForFinished();
    }
    delete m_process;
    m_process = nullptr;
    // The bus names go with the process; wait until the bus knows.
    for (int waited = 0; waited < 10000; waited += 20) {
        const QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.systemd1")).value()) {
            break;
        }
        QTest::qWait(20);
    }
}

bool TimesyncStandIn::control(const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.systemd1"), QStringLiteral("/ru/orb/TimesyncStandIn"), QStringLiteral("ru.orb.test.TimesyncStandIn"), method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::systemBus().call(message, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning() << method << reply.errorMessage();
        return false;
    }
    return true;
}

bool TimesyncStandIn::setUnit(const QString &unit, const QString &activeState)
{
    return control(QStringLiteral("SetUnit"), {unit, activeState});
}

bool TimesyncStandIn::setLastSync(const QString &server, qulonglong usec)
{
    return control(QStringLiteral("SetLastSync"), {server, QVariant::fromValue(usec)});
}

bool TimesyncStandIn::failWith(const QString &member, const QString &errorName)
{
    return control(QStringLiteral("FailWith"), {member, errorName});
}

bool TimesyncStandIn::setJobResult(const QString &unit, const QString &result)
{
    return control(QStringLiteral("SetJobResult"), {unit, result});
}

bool TimesyncStandIn::clearFailures()
{
    return control(QStringLiteral("Clear"), {});
}

QStringList TimesyncStandIn::calls() const
{
    QStringList result;
    QFile file(m_journal);
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    while (!file.atEnd()) {
        const QJsonObject call = QJsonDocument::fromJson(file.readLine()).object();
        QStringList arguments;
        const QJsonArray args = call.value(QStringLiteral("args")).toArray();
        for (const QJsonValue &arg : args) {
            arguments << arg.toString();
        }
        result << QStringLiteral("%1(%2)").arg(call.value(QStringLiteral("member")).toString(), arguments.join(QStringLiteral(", ")));
    }
    return result;
}

void TimesyncStandIn::clearCalls()
{
    QFile::remove(m_journal);
}

FixtureRoot::FixtureRoot()
    : m_previousRoot(qgetenv("ORB_TIMESYNC_ROOT"))
{
    const QDir source(sourcePath());
    QDirIterator it(sourcePath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = m_dir.filePath(source.relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(file, target);
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    qputenv("ORB_TIMESYNC_ROOT", m_dir.path().toUtf8());
}

FixtureRoot::~FixtureRoot()
{
    if (m_previousRoot.isEmpty()) {
        qunsetenv("ORB_TIMESYNC_ROOT");
    } else {
        qputenv("ORB_TIMESYNC_ROOT", m_previousRoot);
    }
}

QString FixtureRoot::sourcePath()
{
    return QStringLiteral(ORB_TIMESYNC_FIXTURE_DIR);
}

bool FixtureRoot::isValid() const
{
    return m_dir.isValid() && QFileInfo::exists(path(QStringLiteral("etc/systemd/timesyncd.conf")));
}

QString FixtureRoot::path(const QString &relative) const
{
    return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
}

QByteArray FixtureRoot::read(const QString &relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool FixtureRoot::write(const QString &relative, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path(relative)).absolutePath());
    QFile file(path(relative));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

bool FixtureRoot::remove(const QString &relative)
{
    return QFile::remove(path(relative));
}

void answerNextDialog(std::function<void(QWidget *dialog)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action, waited] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (dialog && (s_taken.contains(dialog) || !dialog->isVisible())) {
            dialog = nullptr;
        }
        *waited += timer->interval();
        if (!dialog && *waited < 10000) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (dialog) {
            s_taken.insert(dialog);
            QObject::connect(dialog, &QObject::destroyed, [dialog] { s_taken.remove(dialog); });
            ++s_answered;
            if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
                s_lastText = box->text();
            } else {
                s_lastText = dialog->windowTitle();
            }
            action(dialog);
        }
    });
    timer->start();
}

void answerServerName(const QString &text)
{
    answerNextDialog([text](QWidget *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("serverNameEdit"));
        auto *buttons = dialog->findChild<QDialogButtonBox *>();
        if (!edit || !buttons) {
            qWarning() << "not the server name dialog:" << dialog;
            dialog->close();
            return;
        }
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
        if (ok->isEnabled()) {
            ok->click();
        } else {
            buttons->button(QDialogButtonBox::Cancel)->click();
        }
    });
}

void answerQuestion(bool yes)
{
    answerNextDialog([yes](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (!box) {
            dialog->close();
            return;
        }
        QAbstractButton *button = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
        if (!button) {
            button = box->button(QMessageBox::Ok);
        }
        button->click();
    });
}

QString lastDialogText()
{
    return s_lastText;
}

int answeredDialogs()
{
    return s_answered;
}

void resetAnsweredDialogs()
{
    s_answered = 0;
    s_lastText.clear();
}
