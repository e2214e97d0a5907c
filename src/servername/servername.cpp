// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "servername.h"

#include <QStringList>

#include <arpa/inet.h>

namespace ServerName
{
namespace
{
bool isLetterOrDigit(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

bool isLabel(const QString &label)
{
    constexpr int maxLabel = 63;
    if (label.isEmpty() || label.size() > maxLabel || label.front() == QLatin1Char('-') || label.back() == QLatin1Char('-')) {
        return false;
    }
    for (const QChar c : label) {
        if (!isLetterOrDigit(c) && c != QLatin1Char('-')) {
            return false;
        }
    }
    return true;
}

bool isShorthandAddress(const QString &name)
{
    QByteArray latin = name.toLatin1();
    if (latin.endsWith('.')) {
        latin.chop(1);
    }
    // Digits and dots alone are never looked up either, even past inet_aton's range ("256.1.1.1").
    bool allNumeric = true;
    for (const char c : latin) {
        allNumeric = allNumeric && (c == '.' || (c >= '0' && c <= '9'));
    }
    in_addr address;
    return allNumeric || ::inet_aton(name.toLatin1().constData(), &address) != 0 || ::inet_aton(latin.constData(), &address) != 0;
}

bool isAddress(const QString &text)
{
    // Strict notation only: dotted quads written without leading zeros and IPv6
    // addresses; scope ids ("%eth0") are refused.
    const QByteArray latin = text.toLatin1();
    if (latin.isEmpty() || QString::fromLatin1(latin) != text) {
        return false;
    }
    unsigned char binary[sizeof(in6_addr)];
    if (text.contains(QLatin1Char(':'))) {
        return inet_pton(AF_INET6, latin.constData(), binary) == 1;
    }
    char canonical[INET_ADDRSTRLEN];
    return inet_pton(AF_INET, latin.constData(), binary) == 1 && inet_ntop(AF_INET, binary, canonical, sizeof canonical) && latin == canonical;
}
}

bool isHostName(const QString &name)
{
    constexpr int maxName = 253;
    QString body = name;
    if (body.endsWith(QLatin1Char('.'))) {
        body.chop(1);
    }
    if (body.isEmpty() || body.size() > maxName) {
        return false;
    }
    const QStringList labels = body.split(QLatin1Char('.'));
    for (const QString &label : labels) {
        if (!isLabel(label)) {
            return false;
        }
    }
    return true;
}

QString normalized(const QString &server)
{
    QString name = server.trimmed();
    if (name.size() > 2 && name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']'))) {
        const QString inner = name.mid(1, name.size() - 2);
        return inner.contains(QLatin1Char(':')) && isAddress(inner) ? inner : QString();
    }
    if (isAddress(name)) {
        return name;
    }
    // A name the resolver's inet_aton() reads as a number ("10.1", "0x7f.0.0.1",
    // "017.0.0.1", "0xdead") is used as a shorthand address, never looked up.
    if (!isHostName(name) || isShorthandAddress(name)) {
        return QString();
    }
    return name;
}

bool isAcceptable(const QString &server)
{
    return !normalized(server).isEmpty();
}
}
