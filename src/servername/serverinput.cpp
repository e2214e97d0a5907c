// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "serverinput.h"

#include "servername.h"

#include <KLocalizedString>

#include <QRegularExpression>

namespace ServerInput
{
QString refusal(const QString &typed, bool typing)
{
    const QString text = typed.trimmed();
    if (text.isEmpty() || ServerName::isAcceptable(text)) {
        return QString();
    }
    static const QRegularExpression blank(QStringLiteral("\\s"));
    if (text.contains(blank)) {
        return i18n("Spaces are not allowed.");
    }
    // "time.example:123", "192.0.2.1:123", "[2001:db8::1]:123". Hex digits before the
    // colon may be the start of an IPv6 address instead.
    static const QRegularExpression port(QStringLiteral("^(\\[[0-9A-Fa-f:.]*\\]|[^:\\[\\]]*[g-zG-Z.][^:\\[\\]]*):\\d*$"));
    if (text.contains(port)) {
        return i18n("A port cannot be given here.");
    }
    constexpr int maxName = 253;
    if (text.size() > maxName + (text.endsWith(QLatin1Char('.')) ? 1 : 0)) {
        return i18n("At most 253 characters.");
    }
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9.:\\[\\]-]+$"));
    if (!text.contains(allowed)) {
        return i18n("Only letters, digits, \"-\" and \".\" can make a name; an address may also have \":\" and brackets.");
    }
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('.'))) {
        return i18n("A name cannot start with \"%1\".", text.left(1));
    }
    return typing ? QString() : i18n("Enter a host name or an IP address.");
}
}
