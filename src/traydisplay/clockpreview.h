// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include "displayformat.h"

// What the panel clock and its tooltip show with the edited formats, expanded the
// way the window manager expands them: strftime in the user's locale, with the
// two characters "\n" breaking the line.
class ClockPreview : public QObject
{
    Q_OBJECT
public:
    explicit ClockPreview(QObject *parent = nullptr);

    static QString expand(const QString &format, const QDateTime &at);
    // The formats Apply leaves in force: an empty edited field is not written, so
    // the stored one stays.
    static DisplayFormat effectiveFormat();

public Q_SLOTS:
    // The panel clock: the time, and the date on a line of its own when there is one.
    static QString clockText();
    static QString tipText();
};
