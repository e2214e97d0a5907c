// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QString>

// The shared server name rule for the page: whether a typed name can be used and,
// if not, why, in words for the user.
class ServerNameCheck : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Empty when `typed` can be used; while `typing`, only faults more typing cannot mend.
    Q_INVOKABLE QString refusal(const QString &typed, bool typing) const;
    Q_INVOKABLE bool isAcceptable(const QString &typed) const;
};
