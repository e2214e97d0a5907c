// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFuture>
#include <QList>
#include <QMultiMap>
#include <QObject>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QVector>

// The time zone catalogue: all zones and the zones of the Russian Federation, each
// as a display line with the current offset, the localized name and the id, in
// offset order. Subclasses choose the rows and their line format through m_makeRows
// and call loadTimeZones() at the end of their constructor. The rows are made when
// first asked for: a page shows a chosen zone without them.
class BaseTimeZonesProvider : public QObject
{
    Q_OBJECT
public:
    // One row of a list: a single zone, or the zones of one offset shown together.
    struct ZoneRow {
        // The row as the string lists give it.
        QString line;
        int offset = 0;
        QStringList zoneIds;
        // The zones' names, in the order of zoneIds.
        QStringList names;
        bool merged = false;

        // "(UTC+03:00)".
        QString shift() const;
        // The row as it is shown: "(UTC+03:00) Moscow Time, Kirov Time".
        QString title() const;
    };

    explicit BaseTimeZonesProvider(QObject *parent = nullptr);
    ~BaseTimeZonesProvider() override;

    // The rows behind allTimeZonesWithOffsets() or russianTimeZonesWithOffsets(), in their order.
    // Makes them now if they are not yet made.
    const QVector<ZoneRow> &zoneRows(bool allZones) const;
    // Whether the rows are made; rowsMade() tells when they are.
    bool hasRows() const;
    // How the row of `zoneId` shows it, in either list ("(UTC+03:00) Volgograd Time,
    // Moscow Time" for a zone shown with others): without waiting for the rows.
    QString rowTitleOfZone(const QString &zoneId) const;
    // The lines of `lines` that typed `filter` finds, in the order a search shows them.
    QStringList findLines(const QStringList &lines, const QString &filter) const;
    // The zones of `row` that typed `filter` selects: a row of one zone is found whole.
    virtual QStringList zonesFound(const ZoneRow &row, const QString &filter) const;

public Q_SLOTS:
    QStringList allTimeZonesWithOffsets() const;
    QStringList russianTimeZonesWithOffsets() const;
    // Localized generic-location name of a zone, in the language the translation
    // catalogue names through its "en_US" message. A zone ICU does not know is named
    // after its location in the language's pattern ("Ciudad Juarez Time").
    // Names are made once per process and locale.
    static QString getZoneName(const QString &path);
    // Makes the names of every zone in the current language. Once per language;
    // later calls do nothing.
    static void makeZoneNames();
    // The zone's city in the current language ("Токио" for Asia/Tokyo in Russian), as
    // ICU names it; empty for zones without a city. Made once per process and locale.
    static QString exemplarCity(const QString &zoneId);
    // The zone's entry as the catalogue would list it now: "(UTC+03:00) Moscow Time;Europe/Moscow".
    static QString catalogueEntry(const QString &zoneId);
    // The zone's offset and name as it is shown: "(UTC+03:00) Moscow Time".
    static QString zoneTitle(const QString &zoneId);

Q_SIGNALS:
    void rowsMade();

public:
    // The moment whose offsets the lists show: now, unless fixed (tests use this to
    // stay independent of the day they run). An invalid moment means now again.
    static void setFixedNow(const QDateTime &moment);
    static QDateTime now();

    // "UTC+03:00" for 10800.
    static QString offsetText(int offset);

protected:
    void loadTimeZones();
    QStringList m_getAllTimeZonesWithOffsets() const;
    QStringList m_getRussianTimeZonesWithOffsets() const;
    // "(UTC+03:00)" for 10800.
    static QString m_getShift(int offset);
    static QString m_getEntry(int offset, const QString &zoneId);
    // Matches lines in which the typed text starts a word or a part of a zone id, or
    // follows "UTC"; typed offsets ("+3", "utc-5", "5:30") match lines of that offset.
    QRegularExpression m_getStartsWithFilter(const QString &filter) const;
    // The offsets in seconds that typed text such as "+3", "GMT-5" or "5:30" stands for
    // (both signs when it has none); empty when the text is no offset.
    static QVector<int> m_typedOffsets(const QString &filter);
    // The lines of `lines` that `filter` finds, the way people search: a line is also
    // found through the localized cities of its zones; "UTC" or "GMT" alone stands
    // for the offset 0 with UTC itself first; an offset search puts the system's own
    // zone first and orders each offset's lines by name.
    QStringList m_findLines(const QStringList &lines, const QString &filter) const;
    // Whether `expression` finds `text` or the city of a zone id in it.
    static bool m_lineMatches(const QString &text, const QRegularExpression &expression);
    static bool m_lineMatches(const QString &text, const QRegularExpression &expression, const QString &localeName);
    static QString m_exemplarCity(const QString &localeName, const QString &zoneId);
    QStringList m_getDisplayString(const QMultiMap<int, QString> &zones) const;
    virtual QVector<ZoneRow> m_makeRows(const QMultiMap<int, QString> &zones) const;
    // The zones of the Russian list, once the pool has ordered them.
    QStringList m_russianListZoneIds() const;

    // The ids behind the two lists, from the platform's lists.
    static QList<QByteArray> m_allZoneIds(QList<QByteArray> availableIds, const QByteArray &systemId);
    static QList<QByteArray> m_russianZoneIds(QList<QByteArray> countryIds);

private:
    // Every zone offered, or the Russian ones, by their offset at `at`. Keeps no
    // state: runs on the pool too.
    static QMultiMap<int, QString> m_sortedZones(bool allZones, const QDateTime &at);

    // Makes the rows on the first call after loadTimeZones(): the names on this
    // thread while the pool orders the zones of both lists.
    void m_finishRows() const;
    // Starts ordering the long list, unless it has started.
    void m_sortAllZones() const;

    mutable QFuture<QMultiMap<int, QString>> m_allSorted;
    mutable bool m_allSortStarted = false;
    QFuture<QMultiMap<int, QString>> m_russianSorted;
    QDateTime m_sortedAt;
    mutable bool m_rowsPending = false;
    mutable QVector<ZoneRow> m_allRows;
    mutable QVector<ZoneRow> m_russianRows;
    mutable QStringList m_allTimeZonesWithOffsets;
    mutable QStringList m_russianTimeZonesWithOffsets;
};
