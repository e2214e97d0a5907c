// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

class QImage;

// The clickable pixels of a band picture (alpha >= 128), kept as the x positions
// where each row switches between not clickable and clickable: a few kilobytes
// per band where an 8-bit image takes 1.7 MB. The reading counterpart of
// tools/mapgen/hitmask.js.
class HitMask
{
public:
    // From the picture's "hiTM" chunk when it has a sound one, else by decoding it.
    // Null when the picture cannot be read.
    static HitMask load(const QString &path);
    // Only from the chunk of the PNG file `png`: null when it has none or a broken one.
    static HitMask fromChunk(const QByteArray &png);
    // From the alpha of a decoded picture.
    static HitMask fromImage(const QImage &picture);

    bool isNull() const
    {
        return m_width == 0;
    }
    QSize size() const
    {
        return QSize(m_width, m_height);
    }
    bool contains(const QPoint &pixel) const;
    // Memory held by the mask's data.
    qsizetype byteSize() const;

    bool operator==(const HitMask &other) const
    {
        return m_width == other.m_width && m_height == other.m_height && m_rowStart == other.m_rowStart && m_edges == other.m_edges;
    }

private:
    int m_width = 0;
    int m_height = 0;
    // Row y owns m_edges[m_rowStart[y] .. m_rowStart[y + 1]); the row starts not clickable.
    QVector<quint32> m_rowStart;
    QVector<quint16> m_edges;
};
