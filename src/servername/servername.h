// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

namespace ServerName
{
/// `server` as NTP tools and service configurations take it, or an empty string
/// when it is neither a host name nor an IPv4 or IPv6 address. Surrounding
/// blanks are dropped, and so are brackets around an IPv6 address. A valid
/// result never starts with "-", so no tool can read it as an option.
QString normalized(const QString &server);

/// Whether normalized() accepts `server`.
bool isAcceptable(const QString &server);

/// A DNS host name: dot-separated labels of ASCII letters, digits and inner
/// hyphens, 1 to 63 characters each, 253 characters at most, an optional final dot.
bool isHostName(const QString &name);
}
