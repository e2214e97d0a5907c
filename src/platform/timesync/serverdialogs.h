// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

// The layer's own small dialogs. They are modal and need a widgets application;
// without one they log a warning and behave as if cancelled.
namespace ServerDialogs
{
// Asks for a server name, prefilled with `initial`; only names a service's
// configuration can take are accepted. False when cancelled.
bool askServerName(unsigned long long parentWid, const QString &title, const QString &initial, QString *name);

// Asks whether `name` should be removed from the service's servers.
bool confirmRemoval(unsigned long long parentWid, const QString &name);

// Tells the user why an edit cannot be made.
void showNotice(unsigned long long parentWid, const QString &text);
}
