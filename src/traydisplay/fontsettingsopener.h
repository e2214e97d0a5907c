// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QStringList>

// Opens the desktop's appearance settings on their fonts page.
class FontSettingsOpener : public QObject
{
    Q_OBJECT
public:
    explicit FontSettingsOpener(QObject *parent = nullptr);

    // The program to start: ORB_FONT_SETTINGS_PROGRAM when set (an absolute path;
    // tests and other desktops use it), otherwise the settings shell.
    static QString programPath();
    static QStringList arguments();
    // The Debian package that brings the program, for the message when it is missing.
    static QString packageName();

public Q_SLOTS:
    // Starts the program detached; error() when it is missing or cannot be started.
    void open();

Q_SIGNALS:
    void error(const QString &title, const QString &message);
};
