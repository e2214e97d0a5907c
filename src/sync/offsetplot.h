// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QQuickPaintedItem>
#include <QVariantList>
#include <QVector>

// The clock's offset over time as one line, zero marked, scaled so that the
// largest offset seen fills the height. One item however many samples there are.
class OffsetPlot : public QQuickPaintedItem
{
    Q_OBJECT
    // (UTC milliseconds, offset in seconds) points, oldest first.
    Q_PROPERTY(QVariantList samples READ samples WRITE setSamples NOTIFY samplesChanged)
    Q_PROPERTY(QColor lineColor MEMBER m_lineColor NOTIFY appearanceChanged)
    Q_PROPERTY(QColor zeroColor MEMBER m_zeroColor NOTIFY appearanceChanged)
    Q_PROPERTY(QColor textColor MEMBER m_textColor NOTIFY appearanceChanged)
    Q_PROPERTY(QFont font MEMBER m_font NOTIFY appearanceChanged)
    // The largest offset the plot reaches, in seconds.
    Q_PROPERTY(double range READ range NOTIFY samplesChanged)

public:
    explicit OffsetPlot(QQuickItem *parent = nullptr);

    QVariantList samples() const;
    void setSamples(const QVariantList &samples);
    double range() const;

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void samplesChanged();
    void appearanceChanged();

private:
    QVector<QPointF> m_samples;
    QColor m_lineColor;
    QColor m_zeroColor;
    QColor m_textColor;
    QFont m_font;
};
