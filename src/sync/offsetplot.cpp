// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "offsetplot.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

#include "synchealth.h"

OffsetPlot::OffsetPlot(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(this, &OffsetPlot::samplesChanged, this, [this] {
        update();
    });
    connect(this, &OffsetPlot::appearanceChanged, this, [this] {
        update();
    });
}

QVariantList OffsetPlot::samples() const
{
    QVariantList list;
    for (const QPointF &point : m_samples) {
        list << point;
    }
    return list;
}

void OffsetPlot::setSamples(const QVariantList &samples)
{
    m_samples.clear();
    for (const QVariant &sample : samples) {
        m_samples << sample.toPointF();
    }
    Q_EMIT samplesChanged();
}

double OffsetPlot::range() const
{
    double largest = 0;
    for (const QPointF &point : m_samples) {
        largest = std::max(largest, std::fabs(point.y()));
    }
    // A clock in step still gets a scale a person can read.
    return std::max(largest, 0.000001);
}

void OffsetPlot::paint(QPainter *painter)
{
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setFont(m_font);
    const QFontMetricsF metrics(m_font);
    const double limit = range();
    const QString top = QLatin1Char('+') + SyncHealth::formatSeconds(limit);
    const QString bottom = QChar(0x2212) + SyncHealth::formatSeconds(limit);
    const double labelWidth = std::max(metrics.horizontalAdvance(top), metrics.horizontalAdvance(bottom)) + metrics.averageCharWidth();
    const double half = metrics.height() / 2;
    const QRectF area(labelWidth, half, std::max(1.0, width() - labelWidth - half), std::max(1.0, height() - 2 * half));
    const double zeroY = area.center().y();

    painter->setPen(m_textColor);
    painter->drawText(QRectF(0, area.top() - half, labelWidth - metrics.averageCharWidth() / 2, metrics.height()), Qt::AlignRight | Qt::AlignVCenter, top);
    painter->drawText(QRectF(0, zeroY - half, labelWidth - metrics.averageCharWidth() / 2, metrics.height()),
                      Qt::AlignRight | Qt::AlignVCenter,
                      QStringLiteral("0"));
    painter->drawText(QRectF(0, area.bottom() - half, labelWidth - metrics.averageCharWidth() / 2, metrics.height()),
                      Qt::AlignRight | Qt::AlignVCenter,
                      bottom);

    QPen zero(m_zeroColor, 1, Qt::DashLine);
    painter->setPen(zero);
    painter->drawLine(QPointF(area.left(), zeroY), QPointF(area.right(), zeroY));
    painter->setPen(QPen(m_zeroColor, 1));
    painter->drawLine(area.topLeft(), area.bottomLeft());

    if (m_samples.isEmpty()) {
        return;
    }
    const double first = m_samples.constFirst().x();
    const double span = m_samples.constLast().x() - first;
    const auto place = [&](const QPointF &sample) {
        const double x = span > 0 ? area.left() + (sample.x() - first) / span * area.width() : area.right();
        return QPointF(x, zeroY - sample.y() / limit * area.height() / 2);
    };
    QPainterPath line(place(m_samples.constFirst()));
    for (const QPointF &sample : m_samples) {
        line.lineTo(place(sample));
    }
    painter->setPen(QPen(m_lineColor, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->drawPath(line);
    // The newest sample stands out, and a single one shows at all.
    painter->setBrush(m_lineColor);
    painter->setPen(Qt::NoPen);
    painter->drawEllipse(place(m_samples.constLast()), 3, 3);
}
