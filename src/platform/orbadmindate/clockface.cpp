// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "clockface.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

ClockFace::ClockFace(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void ClockFace::paint(QPainter *painter)
{
    const qreal size = std::min(width(), height());
    if (size <= 0) {
        return;
    }
    const QPointF centre(width() / 2, height() / 2);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);

    // Marks: capsules from the outer ring inwards, longer and wider every five minutes.
    const qreal outer = (size - 2 * m_inset - 6) / 2;
    const qreal hourWidth = std::max<qreal>(2, size / 60);
    const qreal minuteWidth = std::max<qreal>(1, size / 160);
    for (int mark = 0; mark < 60; ++mark) {
        const bool hourMark = mark % 5 == 0;
        const qreal w = hourMark ? hourWidth : minuteWidth;
        const qreal h = size * (hourMark ? 0.07 : 0.03);
        painter->save();
        painter->translate(centre);
        painter->rotate(mark * 6);
        painter->setBrush(hourMark ? m_color : m_minuteColor);
        painter->drawRoundedRect(QRectF(-w / 2, -outer, w, h), w / 2, w / 2);
        painter->restore();
    }

    // Numerals, centred on a circle at two thirds of the radius.
    QFont font = QGuiApplication::font();
    font.setPixelSize(std::max(8, int(std::lround(size * 0.085))));
    painter->setFont(font);
    painter->setPen(m_color);
    const qreal distance = size / 2 * 0.68;
    const qreal box = font.pixelSize() * 3;
    for (int hour = 1; hour <= 12; ++hour) {
        const qreal angle = hour * M_PI / 6;
        const QPointF at(centre.x() + std::sin(angle) * distance, centre.y() - std::cos(angle) * distance);
        painter->drawText(QRectF(at.x() - box / 2, at.y() - box / 2, box, box), Qt::AlignCenter, QString::number(hour));
    }
}

QColor ClockFace::color() const
{
    return m_color;
}

void ClockFace::setColor(const QColor &color)
{
    if (color != m_color) {
        m_color = color;
        update();
        Q_EMIT colorChanged();
    }
}

QColor ClockFace::minuteColor() const
{
    return m_minuteColor;
}

void ClockFace::setMinuteColor(const QColor &color)
{
    if (color != m_minuteColor) {
        m_minuteColor = color;
        update();
        Q_EMIT minuteColorChanged();
    }
}

qreal ClockFace::inset() const
{
    return m_inset;
}

void ClockFace::setInset(qreal inset)
{
    if (!qFuzzyCompare(inset, m_inset)) {
        m_inset = inset;
        update();
        Q_EMIT insetChanged();
    }
}

qreal ClockFace::renderScale() const
{
    return m_renderScale;
}

void ClockFace::setRenderScale(qreal scale)
{
    if (!qFuzzyCompare(scale, m_renderScale)) {
        m_renderScale = scale;
        m_resizeTexture();
        Q_EMIT renderScaleChanged();
    }
}

void ClockFace::geometryChanged(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickPaintedItem::geometryChanged(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        m_resizeTexture();
    }
}

void ClockFace::m_resizeTexture()
{
    // The painter is scaled to the texture: paint() keeps drawing in item units.
    const qreal scale = m_renderScale > 0 ? m_renderScale : 1;
    setTextureSize(QSize(int(std::ceil(width() * scale)), int(std::ceil(height() * scale))));
    update();
}
