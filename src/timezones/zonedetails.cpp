// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "zonedetails.h"

#include <KLocalizedString>

#include <QLocale>

#include "basetimezonesprovider.h"

namespace
{
// "1 hour", "30 minutes", "1 hour 30 minutes".
QString amountText(int seconds)
{
    const int hours = seconds / 3600;
    const int minutes = (seconds % 3600) / 60;
    if (minutes == 0) {
        return i18np("1 hour", "%1 hours", hours);
    }
    if (hours == 0) {
        return i18np("1 minute", "%1 minutes", minutes);
    }
    return i18nc("@info an amount of hours, then of minutes", "%1 %2", i18np("1 hour", "%1 hours", hours), i18np("1 minute", "%1 minutes", minutes));
}
}

ZoneDetails::ZoneDetails(QObject *parent)
    : QObject(parent)
{
}

QVariantMap ZoneDetails::describe(const QString &zoneId)
{
    return describeAt(QTimeZone(zoneId.toUtf8()), QDateTime::currentDateTimeUtc());
}

QVariantMap ZoneDetails::describeAt(const QTimeZone &zone, const QDateTime &at)
{
    QVariantMap details{{QStringLiteral("summary"), QString()}, {QStringLiteral("nextChange"), QString()}};
    if (!zone.isValid()) {
        return details;
    }
    const QDateTime local = at.toTimeZone(zone);
    const QString state = zone.isDaylightTime(at) ? i18n("daylight-saving time") : i18n("standard time");
    details[QStringLiteral("summary")] = i18nc("@info local time and date, UTC offset, daylight-saving state",
                                               "Local time: %1 (%2), %3",
                                               QLocale().toString(local, QStringLiteral("HH:mm, d MMMM")),
                                               BaseTimeZonesProvider::offsetText(zone.offsetFromUtc(at)),
                                               state);
    details[QStringLiteral("nextChange")] = nextChangeAt(zone, at);
    return details;
}

QString ZoneDetails::nextChangeAt(const QTimeZone &zone, const QDateTime &at)
{
    QDateTime from = at;
    // A transition may change only the zone's abbreviation or daylight flag, not
    // its offset; such ones move no clock and are passed over.
    for (int i = 0; i < 8; ++i) {
        const QTimeZone::OffsetData next = zone.nextTransition(from);
        if (!next.atUtc.isValid()) {
            break;
        }
        const int before = zone.offsetFromUtc(next.atUtc.addSecs(-1));
        const int delta = next.offsetFromUtc - before;
        if (delta != 0) {
            // The moment as the clocks show it just before they are changed.
            const QDateTime shown = next.atUtc.toOffsetFromUtc(before);
            const QString date = QLocale().toString(shown.date(), QStringLiteral("d MMMM yyyy"));
            const QString time = shown.time().toString(QStringLiteral("HH:mm"));
            const QString offset = BaseTimeZonesProvider::offsetText(next.offsetFromUtc);
            return delta > 0 ? i18nc("@info amount, date, time, new offset", "Clocks go forward %1 on %2 at %3 (%4)", amountText(delta), date, time, offset)
                             : i18nc("@info amount, date, time, new offset", "Clocks go back %1 on %2 at %3 (%4)", amountText(-delta), date, time, offset);
        }
        from = next.atUtc;
    }
    return i18n("No daylight-saving time");
}

QString ZoneDetails::systemZoneLine()
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const QString id = QString::fromUtf8(zone.id());
    const QString name = BaseTimeZonesProvider::getZoneName(id);
    const QString offset = BaseTimeZonesProvider::offsetText(zone.offsetFromUtc(QDateTime::currentDateTimeUtc()));
    if (name.isEmpty() || name == id) {
        return i18nc("@info zone id, offset", "System time zone: %1, %2", id, offset);
    }
    return i18nc("@info zone name, zone id, offset", "System time zone: %1 (%2), %3", name, id, offset);
}
