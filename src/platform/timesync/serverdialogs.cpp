// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "serverdialogs.h"

#include "timesync_debug.h"

#include <KLocalizedString>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include <memory>

#include "serverinput.h"
#include "servername.h"

namespace ServerDialogs
{
namespace
{
bool haveWidgets()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        return true;
    }
    qCWarning(ORB_TIMESYNC) << "Time synchronization dialogs need a widgets application; the edit is cancelled";
    return false;
}

// Keeps the dialog above the settings window that opened it.
class ParentLink
{
public:
    ParentLink(QWidget *dialog, unsigned long long parentWid)
    {
        if (parentWid == 0) {
            return;
        }
        m_parent.reset(QWindow::fromWinId(static_cast<WId>(parentWid)));
        dialog->winId();
        if (m_parent && dialog->windowHandle()) {
            dialog->windowHandle()->setTransientParent(m_parent.get());
        }
    }

private:
    std::unique_ptr<QWindow> m_parent;
};
}

bool askServerName(unsigned long long parentWid, const QString &title, const QString &initial, QString *name)
{
    if (!haveWidgets()) {
        return false;
    }
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("orbServerNameDialog"));
    dialog.setWindowTitle(title);

    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(i18n("Server name or address:"), &dialog);
    auto *edit = new QLineEdit(initial, &dialog);
    edit->setObjectName(QStringLiteral("serverNameEdit"));
    // The text stands as typed; the line below says why it cannot be used, and
    // the OK button waits for a complete, acceptable name.
    label->setBuddy(edit);
    auto *hint = new QLabel(&dialog);
    hint->setObjectName(QStringLiteral("serverNameHint"));
    hint->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(hint);
    layout->addWidget(buttons);

    // Wide enough for the window manager to show the whole title beside its
    // buttons, and for a long name to be read.
    dialog.setMinimumWidth(qMax(dialog.fontMetrics().averageCharWidth() * 48, dialog.fontMetrics().horizontalAdvance(title) + 200));

    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    const auto check = [edit, ok, hint] {
        const QString text = edit->text().trimmed();
        ok->setEnabled(ServerName::isAcceptable(text));
        hint->setText(ServerInput::refusal(text));
    };
    QObject::connect(edit, &QLineEdit::textChanged, &dialog, check);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    check();

    ParentLink link(&dialog, parentWid);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    // The dialog may be accepted by other means than its button (Return).
    const QString text = ServerName::normalized(edit->text());
    if (text.isEmpty()) {
        return false;
    }
    *name = text;
    return true;
}

bool confirmRemoval(unsigned long long parentWid, const QString &name)
{
    if (!haveWidgets()) {
        return false;
    }
    QMessageBox box(QMessageBox::Question, i18n("Remove server"), i18n("Remove the server \"%1\" from the list?", name), QMessageBox::Yes | QMessageBox::No);
    box.setObjectName(QStringLiteral("orbServerRemovalDialog"));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    ParentLink link(&box, parentWid);
    return box.exec() == QMessageBox::Yes;
}

void showNotice(unsigned long long parentWid, const QString &text)
{
    if (!haveWidgets()) {
        return;
    }
    QMessageBox box(QMessageBox::Information, i18n("Time synchronization"), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("orbServerNotice"));
    box.setTextFormat(Qt::PlainText);
    ParentLink link(&box, parentWid);
    box.exec();
}
}
