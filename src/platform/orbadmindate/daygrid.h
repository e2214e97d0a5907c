// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QFont>
#include <QHash>
#include <QQuickPaintedItem>
#include <QStaticText>
#include <QStringList>
#include <QVariantList>

// The numbers of the calendar's days, six weeks of seven, drawn in one item. As a
// text item each they were most of the date tab's objects, and each had to be
// laid out again on every change of the tab's size. What each cell says and in
// which colour is decided by the calendar; this item only draws it.
class DayGrid : public QQuickPaintedItem
{
    Q_OBJECT
    // The cells' texts, row by row.
    Q_PROPERTY(QStringList texts READ texts WRITE setTexts NOTIFY textsChanged)
    // One colour per cell.
    Q_PROPERTY(QVariantList colors READ colors WRITE setColors NOTIFY colorsChanged)
    // The cell written in bold (today), -1 for none.
    Q_PROPERTY(int boldIndex READ boldIndex WRITE setBoldIndex NOTIFY boldIndexChanged)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY fontChanged)
public:
    static constexpr int Columns = 7;
    static constexpr int Rows = 6;

    explicit DayGrid(QQuickItem *parent = nullptr);

    void paint(QPainter *painter) override;

    QStringList texts() const;
    void setTexts(const QStringList &texts);
    QVariantList colors() const;
    void setColors(const QVariantList &colors);
    int boldIndex() const;
    void setBoldIndex(int index);
    QFont font() const;
    void setFont(const QFont &font);

Q_SIGNALS:
    void textsChanged();
    void colorsChanged();
    void boldIndexChanged();
    void fontChanged();

private:
    // Whole sevenths and sixths of the item: the calendar sizes it to whole cells.
    QRectF m_cellRect(int index) const;

    QStringList m_texts;
    QVariantList m_colors;
    int m_boldIndex = -1;
    QFont m_font;
    // Laid out once per text and weight: the grid is drawn again on every resize.
    QHash<QString, QStaticText> m_laidOut[2];
};
