// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daygrid.h"

#include <QColor>
#include <QPainter>

#include <cmath>

DayGrid::DayGrid(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void DayGrid::paint(QPainter *painter)
{
    QFont bold = m_font;
    bold.setBold(true);
    for (int index = 0; index < m_texts.size() && index < Columns * Rows; ++index) {
        const bool isBold = index == m_boldIndex;
        painter->setFont(isBold ? bold : m_font);
        painter->setPen(index < m_colors.size() ? m_colors.at(index).value<QColor>() : QColor(Qt::black));
        QStaticText &text = m_laidOut[isBold][m_texts.at(index)];
        if (text.text().isEmpty()) {
            text.setText(m_texts.at(index));
            text.setTextFormat(Qt::PlainText);
            text.prepare(QTransform(), painter->font());
        }
        const QRectF cell = m_cellRect(index);
        const QSizeF size = text.size();
        painter->drawStaticText(QPointF(cell.x() + (cell.width() - size.width()) / 2, cell.y() + (cell.height() - size.height()) / 2), text);
    }
}

QRectF DayGrid::m_cellRect(int index) const
{
    const qreal cellWidth = std::floor(width() / Columns);
    const qreal cellHeight = std::floor(height() / Rows);
    return QRectF((index % Columns) * cellWidth, (index / Columns) * cellHeight, cellWidth, cellHeight);
}

QStringList DayGrid::texts() const
{
    return m_texts;
}

void DayGrid::setTexts(const QStringList &texts)
{
    if (texts != m_texts) {
        m_texts = texts;
        Q_EMIT textsChanged();
        update();
    }
}

QVariantList DayGrid::colors() const
{
    return m_colors;
}

void DayGrid::setColors(const QVariantList &colors)
{
    if (colors != m_colors) {
        m_colors = colors;
        Q_EMIT colorsChanged();
        update();
    }
}

int DayGrid::boldIndex() const
{
    return m_boldIndex;
}

void DayGrid::setBoldIndex(int index)
{
    if (index != m_boldIndex) {
        m_boldIndex = index;
        Q_EMIT boldIndexChanged();
        update();
    }
}

QFont DayGrid::font() const
{
    return m_font;
}

void DayGrid::setFont(const QFont &font)
{
    if (font != m_font) {
        m_font = font;
        m_laidOut[0].clear();
        m_laidOut[1].clear();
        Q_EMIT fontChanged();
        update();
    }
}
