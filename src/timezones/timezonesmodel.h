// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "basetimezonesprovider.h"

#include <QAbstractListModel>
#include <QHash>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QVariantMap>

// The rows of a provider's zone list (all zones or the Russian ones), for views.
// The rows are the provider's own: the model shows what the string lists hold, and
// holds none until a view about to show or search them asks for them (makeRows), or
// the provider has made them for another.
class TimeZonesModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(QObject *provider READ provider WRITE setProvider NOTIFY providerChanged)
    Q_PROPERTY(bool allZones READ allZones WRITE setAllZones NOTIFY allZonesChanged)
public:
    enum Role {
        // The row's first zone: the zone itself, or the first of a merged row.
        ZoneIdRole = Qt::UserRole + 1,
        // "(UTC+03:00)".
        OffsetTextRole,
        // The row's zones, each a map of "id" and "name".
        ZonesRole,
        MergedRole,
        // The row as the provider's string list gives it.
        EntryRole,
    };
    Q_ENUM(Role)

    explicit TimeZonesModel(QObject *parent = nullptr);

    QObject *provider() const;
    void setProvider(QObject *provider);
    bool allZones() const;
    void setAllZones(bool allZones);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // Qt::DisplayRole is the row as it is shown: the offset and the zones' names.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    BaseTimeZonesProvider *catalogue() const;
    const BaseTimeZonesProvider::ZoneRow &row(int row) const;
    // The row holding zone `zoneId`; -1 when the list has none.
    int rowOfZone(const QString &zoneId) const;
    int rowOfEntry(const QString &entry) const;
    QStringList entries() const;

    // How the row of `zoneId` is shown, also when this list lacks the zone or has
    // no rows yet.
    Q_INVOKABLE QString displayOfZone(const QString &zoneId) const;
    // The rows now, for a list about to be seen or searched.
    Q_INVOKABLE void makeRows();

Q_SIGNALS:
    void providerChanged();
    void allZonesChanged();

private:
    void m_reload();

    QPointer<BaseTimeZonesProvider> m_provider;
    bool m_allZones = true;
    QVector<BaseTimeZonesProvider::ZoneRow> m_rows;
    QStringList m_entries;
    QHash<QString, int> m_rowOfZone;
    QHash<QString, int> m_rowOfEntry;
};

// The rows of a TimeZonesModel that typed text finds, in the order the provider's
// search gives them. An empty text finds every row in the list's own order.
class TimeZonesFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_PROPERTY(QString filterText READ filterText WRITE setFilterText NOTIFY filterTextChanged)
public:
    enum Role {
        // The zones of the row that the text selects; empty without a text.
        FoundZonesRole = TimeZonesModel::EntryRole + 1,
    };
    Q_ENUM(Role)

    explicit TimeZonesFilterModel(QObject *parent = nullptr);

    QString filterText() const;
    void setFilterText(const QString &text);

    void setSourceModel(QAbstractItemModel *sourceModel) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The roles of row `row` by name; empty for a row out of range.
    Q_INVOKABLE QVariantMap get(int row) const;
    // The row holding zone `zoneId`; -1 when none shown does.
    Q_INVOKABLE int rowOfZone(const QString &zoneId) const;

Q_SIGNALS:
    void filterTextChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    TimeZonesModel *m_zones() const;
    // Where each source row comes in the search's order; made when first asked
    // after the text or the rows changed.
    const QHash<int, int> &m_places() const;

    QString m_filterText;
    mutable QHash<int, int> m_placeOfRow;
    mutable bool m_placesStale = true;
};
