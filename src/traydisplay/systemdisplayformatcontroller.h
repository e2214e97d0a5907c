// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>

#include "displayformat.h"

// The panel clock formats stored in the window manager's theme file. Read once
// when made; set() announces changed formats to the running window manager and
// stores them in the theme file.
class SystemDisplayFormatController : public QObject
{
    Q_OBJECT
public:
    SystemDisplayFormatController();
    ~SystemDisplayFormatController() override;

    // The formats as last read or successfully stored.
    const DisplayFormat &get() const;
    // Stores every field of `format` that is not empty and differs from get(), then
    // announces the stored ones to the window manager, in the order clock, date,
    // clock message. Failures are reported with one showMessage(); a field that
    // could not be stored is not announced and keeps its old value in get(), so it
    // still counts as unsaved.
    void set(const DisplayFormat &format);

    static DisplayFormat defaults();
    // $XDG_CONFIG_HOME/orbwm/current.themerc; administrators' scripts read it too.
    static QString themeFilePath();

Q_SIGNALS:
    void showMessage(const QString &title, const QString &text);

protected:
    // Hands one command to the window manager of the application's X11 display.
    virtual bool m_sendCommand(const QByteArray &command);

private:
    DisplayFormat m_getSystemFormat() const;

    DisplayFormat m_format;
};
