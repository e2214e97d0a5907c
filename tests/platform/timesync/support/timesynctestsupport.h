// Test support for the time synchronization layer: the systemd and
// timesync1 stand-in, copies of the fixture configuration root, and answering
// the layer's modal dialogs.
#pragma once

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class QProcess;
class QWidget;

// Runs tests/platform/timesync/timesync-standin.py on the private system bus.
class TimesyncStandIn : public QObject
{
    Q_OBJECT
public:
    explicit TimesyncStandIn(QObject *parent = nullptr);
    ~TimesyncStandIn() override;

    // Starts it with the given command-line arguments and waits until it is ready.
    bool start(const QStringList &arguments = {});
    void stop();

    bool setUnit(const QString &unit, const QString &activeState);
    bool setLastSync(const QString &server, qulonglong usec);
    bool failWith(const QString &member, const QString &errorName);
    // The result the unit's next restart jobs end with ("done" unless set).
    bool setJobResult(const QString &unit, const QString &result);
    bool clearFailures();

    // "Member(arg, arg)" for every call received since the last clearCalls().
    QStringList calls() const;
    void clearCalls();

    static QString scriptPath();

private:
    bool control(const QString &method, const QVariantList &arguments);

    QProcess *m_process = nullptr;
    QString m_journal;
};

// A private copy of tests/fixtures/timesync-root, made the configuration root
// through ORB_TIMESYNC_ROOT for as long as the object lives.
class FixtureRoot
{
public:
    FixtureRoot();
    ~FixtureRoot();

    bool isValid() const;
    QString path(const QString &relative = QString()) const;
    QByteArray read(const QString &relative) const;
    bool write(const QString &relative, const QByteArray &content);
    bool remove(const QString &relative);

    static QString sourcePath();

private:
    QTemporaryDir m_dir;
    QByteArray m_previousRoot;
};

// Waits for the next modal dialog of the application and hands it to `action`
// (which accepts or rejects it). Returns at once; `action` runs from the event
// loop of the dialog's exec().
void answerNextDialog(std::function<void(QWidget *dialog)> action);
// Types `text` into the layer's server name dialog and presses OK.
void answerServerName(const QString &text);
// Answers the next question dialog (removal) with Yes or No.
void answerQuestion(bool yes);
// The text of the last dialog answered through these helpers.
QString lastDialogText();
// How many dialogs the helpers answered since the last reset.
int answeredDialogs();
void resetAnsweredDialogs();
