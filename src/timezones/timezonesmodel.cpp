// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "timezonesmodel.h"

#include <QVariantList>

TimeZonesModel::TimeZonesModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

QObject *TimeZonesModel::provider() const
{
    return m_provider;
}

void TimeZonesModel::setProvider(QObject *provider)
{
    BaseTimeZonesProvider *catalogue = qobject_cast<BaseTimeZonesProvider *>(provider);
    if (catalogue == m_provider) {
        return;
    }
    if (m_provider) {
        disconnect(m_provider, nullptr, this, nullptr);
    }
    m_provider = catalogue;
    if (m_provider) {
        connect(m_provider, &BaseTimeZonesProvider::rowsMade, this, &TimeZonesModel::m_reload);
    }
    m_reload();
    Q_EMIT providerChanged();
}

bool TimeZonesModel::allZones() const
{
    return m_allZones;
}

void TimeZonesModel::setAllZones(bool allZones)
{
    if (allZones == m_allZones) {
        return;
    }
    m_allZones = allZones;
    m_reload();
    Q_EMIT allZonesChanged();
}

BaseTimeZonesProvider *TimeZonesModel::catalogue() const
{
    return m_provider;
}

void TimeZonesModel::m_reload()
{
    beginResetModel();
    m_rows = m_provider && m_provider->hasRows() ? m_provider->zoneRows(m_allZones) : QVector<BaseTimeZonesProvider::ZoneRow>();
    m_entries.clear();
    m_rowOfZone.clear();
    m_rowOfEntry.clear();
    for (int i = 0; i < m_rows.size(); ++i) {
        const BaseTimeZonesProvider::ZoneRow &row = m_rows.at(i);
        m_entries.append(row.line);
        m_rowOfEntry.insert(row.line, i);
        for (const QString &id : row.zoneIds) {
            m_rowOfZone.insert(id, i);
        }
    }
    endResetModel();
}

int TimeZonesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant TimeZonesModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const BaseTimeZonesProvider::ZoneRow &zoneRow = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return zoneRow.title();
    case ZoneIdRole:
        return zoneRow.zoneIds.value(0);
    case OffsetTextRole:
        return zoneRow.shift();
    case ZonesRole: {
        QVariantList zones;
        for (int i = 0; i < zoneRow.zoneIds.size(); ++i) {
            zones.append(QVariantMap{{QStringLiteral("id"), zoneRow.zoneIds.at(i)}, {QStringLiteral("name"), zoneRow.names.value(i)}});
        }
        return zones;
    }
    case MergedRole:
        return zoneRow.merged;
    case EntryRole:
        return zoneRow.line;
    }
    return {};
}

QHash<int, QByteArray> TimeZonesModel::roleNames() const
{
    return {
        {Qt::DisplayRole, "display"},
        {ZoneIdRole, "zoneId"},
        {OffsetTextRole, "offsetText"},
        {ZonesRole, "zones"},
        {MergedRole, "merged"},
        {EntryRole, "entry"},
    };
}

const BaseTimeZonesProvider::ZoneRow &TimeZonesModel::row(int row) const
{
    return m_rows.at(row);
}

int TimeZonesModel::rowOfZone(const QString &zoneId) const
{
    return m_rowOfZone.value(zoneId, -1);
}

int TimeZonesModel::rowOfEntry(const QString &entry) const
{
    return m_rowOfEntry.value(entry, -1);
}

QStringList TimeZonesModel::entries() const
{
    return m_entries;
}

QString TimeZonesModel::displayOfZone(const QString &zoneId) const
{
    const int shown = rowOfZone(zoneId);
    if (shown >= 0) {
        return m_rows.at(shown).title();
    }
    return m_provider ? m_provider->rowTitleOfZone(zoneId) : BaseTimeZonesProvider::zoneTitle(zoneId);
}

void TimeZonesModel::makeRows()
{
    // Made rows are announced, and this model reloads on that.
    if (m_provider && !m_provider->hasRows()) {
        m_provider->zoneRows(m_allZones);
    }
}

TimeZonesFilterModel::TimeZonesFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    sort(0);
}

QString TimeZonesFilterModel::filterText() const
{
    return m_filterText;
}

void TimeZonesFilterModel::setFilterText(const QString &text)
{
    if (text == m_filterText) {
        return;
    }
    m_filterText = text;
    m_placesStale = true;
    invalidate();
    Q_EMIT filterTextChanged();
}

void TimeZonesFilterModel::setSourceModel(QAbstractItemModel *sourceModel)
{
    if (this->sourceModel()) {
        disconnect(this->sourceModel(), nullptr, this, nullptr);
    }
    m_placesStale = true;
    // Before the proxy maps the new rows: they are placed by the new search.
    if (sourceModel) {
        connect(sourceModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
            m_placesStale = true;
        });
    }
    QSortFilterProxyModel::setSourceModel(sourceModel);
    sort(0);
}

TimeZonesModel *TimeZonesFilterModel::m_zones() const
{
    return qobject_cast<TimeZonesModel *>(sourceModel());
}

const QHash<int, int> &TimeZonesFilterModel::m_places() const
{
    if (m_placesStale) {
        m_placesStale = false;
        m_placeOfRow.clear();
        const TimeZonesModel *zones = m_zones();
        if (zones && zones->catalogue() && !m_filterText.isEmpty()) {
            const QStringList found = zones->catalogue()->findLines(zones->entries(), m_filterText);
            for (int place = 0; place < found.size(); ++place) {
                m_placeOfRow.insert(zones->rowOfEntry(found.at(place)), place);
            }
        }
    }
    return m_placeOfRow;
}

bool TimeZonesFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    Q_UNUSED(sourceParent)
    return m_filterText.isEmpty() || m_places().contains(sourceRow);
}

bool TimeZonesFilterModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    if (m_filterText.isEmpty()) {
        return left.row() < right.row();
    }
    const QHash<int, int> &places = m_places();
    return places.value(left.row()) < places.value(right.row());
}

QVariant TimeZonesFilterModel::data(const QModelIndex &index, int role) const
{
    if (role != FoundZonesRole) {
        return QSortFilterProxyModel::data(index, role);
    }
    const TimeZonesModel *zones = m_zones();
    if (!zones || !zones->catalogue() || !index.isValid()) {
        return QStringList();
    }
    return zones->catalogue()->zonesFound(zones->row(mapToSource(index).row()), m_filterText);
}

QHash<int, QByteArray> TimeZonesFilterModel::roleNames() const
{
    QHash<int, QByteArray> names = QSortFilterProxyModel::roleNames();
    names.insert(FoundZonesRole, "foundZones");
    return names;
}

QVariantMap TimeZonesFilterModel::get(int row) const
{
    QVariantMap values;
    const QModelIndex at = index(row, 0);
    if (!at.isValid()) {
        return values;
    }
    const QHash<int, QByteArray> names = roleNames();
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        values.insert(QString::fromLatin1(it.value()), data(at, it.key()));
    }
    return values;
}

int TimeZonesFilterModel::rowOfZone(const QString &zoneId) const
{
    const TimeZonesModel *zones = m_zones();
    const int sourceRow = zones ? zones->rowOfZone(zoneId) : -1;
    return sourceRow < 0 ? -1 : mapFromSource(zones->index(sourceRow)).row();
}
