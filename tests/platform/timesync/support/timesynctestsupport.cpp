// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "timesynctestsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace
{
int s_answered = 0;
QString s_lastText;
// Dialogs a helper has taken; another helper waiting meanwhile looks for the next one.
QSet<QWidget *> s_taken;
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
            QObject::connect(dialog, &QObject::destroyed, [dialog] {
                s_taken.remove(dialog);
            });
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
