// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QColor>
#include <QQuickPaintedItem>

// The still part of the analog clock: sixty marks and twelve numerals, drawn in
// one item. As separate items they were most of the date tab's objects, and the
// face only changes with its size, its colours or its scale.
class ClockFace : public QQuickPaintedItem
{
    Q_OBJECT
    // Hour marks and numerals.
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(QColor minuteColor READ minuteColor WRITE setMinuteColor NOTIFY minuteColorChanged)
    // Where the marks begin, inwards from the item's edge (the dial's border).
    Q_PROPERTY(qreal inset READ inset WRITE setInset NOTIFY insetChanged)
    // The scale the face is shown at: it is drawn sharp at that size.
    Q_PROPERTY(qreal renderScale READ renderScale WRITE setRenderScale NOTIFY renderScaleChanged)
public:
    explicit ClockFace(QQuickItem *parent = nullptr);

    void paint(QPainter *painter) override;

    QColor color() const;
    void setColor(const QColor &color);
    QColor minuteColor() const;
    void setMinuteColor(const QColor &color);
    qreal inset() const;
    void setInset(qreal inset);
    qreal renderScale() const;
    void setRenderScale(qreal scale);

Q_SIGNALS:
    void colorChanged();
    void minuteColorChanged();
    void insetChanged();
    void renderScaleChanged();

protected:
    void geometryChanged(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private:
    void m_resizeTexture();

    QColor m_color = Qt::black;
    QColor m_minuteColor = Qt::gray;
    qreal m_inset = 0;
    qreal m_renderScale = 1;
};
