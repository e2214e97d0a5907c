// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimeZone>
#include <QVariantMap>

// A zone at a glance: its local time and offset now, whether daylight-saving time
// is in effect, and when its clocks change next. Texts are in the user's language.
class ZoneDetails : public QObject
{
    Q_OBJECT
public:
    explicit ZoneDetails(QObject *parent = nullptr);

    // "summary" and "nextChange" of @p zone at @p at; empty texts for an unknown zone.
    static QVariantMap describeAt(const QTimeZone &zone, const QDateTime &at);
    static QString nextChangeAt(const QTimeZone &zone, const QDateTime &at);

public Q_SLOTS:
    static QVariantMap describe(const QString &zoneId);
    // The system's zone in one line: its name, id and current offset.
    static QString systemZoneLine();
};
