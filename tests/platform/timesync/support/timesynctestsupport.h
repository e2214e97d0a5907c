// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// Test support for the time synchronization layer: copies of the fixture
// configuration root, and answering the layer's modal dialogs.
#pragma once

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class QWidget;

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
