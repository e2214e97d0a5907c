// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>

// Tells the page whether the administrative tabs exist.
class TabLoader : public QObject
{
    Q_OBJECT
public:
    explicit TabLoader(QObject *parent = nullptr);

    Q_INVOKABLE static bool isAdminMode();
};
