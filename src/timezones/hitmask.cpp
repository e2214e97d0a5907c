// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "hitmask.h"

#include <QFile>
#include <QImage>

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace
{
// Edges are stored as 16-bit x positions.
constexpr quint32 s_maxSide = 0x8000;

quint32 bigEndian32(const uchar *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}
}

HitMask HitMask::load(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        HitMask mask = fromChunk(file.readAll());
        if (!mask.isNull()) {
            return mask;
        }
    }
    return fromImage(QImage(path));
}

HitMask HitMask::fromChunk(const QByteArray &png)
{
    static const char signature[] = "\x89PNG\r\n\x1a\n";
    const auto *bytes = reinterpret_cast<const uchar *>(png.constData());
    const qsizetype size = png.size();
    if (size < 33 || std::memcmp(bytes, signature, 8) != 0 || std::memcmp(bytes + 12, "IHDR", 4) != 0) {
        return {};
    }
    const quint32 pngWidth = bigEndian32(bytes + 16);
    const quint32 pngHeight = bigEndian32(bytes + 20);

    for (qsizetype pos = 8; pos + 12 <= size;) {
        const quint32 length = bigEndian32(bytes + pos);
        if (length > quint32(size - pos - 12)) {
            return {};
        }
        const uchar *type = bytes + pos + 4;
        const uchar *data = type + 4;
        // The generator puts the chunk before the pixel data.
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) {
            return {};
        }
        if (std::memcmp(type, "hiTM", 4) != 0) {
            pos += 12 + qsizetype(length);
            continue;
        }
        if (crc32(0, type, uInt(length) + 4) != bigEndian32(data + length) || length < 9 || data[0] != 1) {
            return {};
        }
        const quint32 width = bigEndian32(data + 1);
        const quint32 height = bigEndian32(data + 5);
        if (width != pngWidth || height != pngHeight || width == 0 || height == 0 || width > s_maxSide || height > s_maxSide) {
            return {};
        }
        HitMask mask;
        mask.m_rowStart.reserve(int(height) + 1);
        // About two edges per row and band on the generated map.
        mask.m_edges.reserve(int(length) / 2);
        const uchar *in = data + 9;
        const uchar *end = data + length;
        for (quint32 y = 0; y < height; ++y) {
            mask.m_rowStart.append(quint32(mask.m_edges.size()));
            quint32 x = 0;
            while (x < width) {
                quint32 run = 0;
                for (int shift = 0;; shift += 7) {
                    if (in == end || shift > 14) {
                        return {};
                    }
                    const uchar b = *in++;
                    run |= quint32(b & 0x7f) << shift;
                    if (!(b & 0x80)) {
                        break;
                    }
                }
                if (run > width - x) {
                    return {};
                }
                x += run;
                // Empty runs give repeated edges, which cancel out in contains().
                if (x < width) {
                    mask.m_edges.append(quint16(x));
                }
            }
        }
        mask.m_rowStart.append(quint32(mask.m_edges.size()));
        if (in != end) {
            return {};
        }
        mask.m_width = int(width);
        mask.m_height = int(height);
        mask.m_edges.squeeze();
        return mask;
    }
    return {};
}

HitMask HitMask::fromImage(const QImage &picture)
{
    if (picture.isNull() || quint32(picture.width()) > s_maxSide || quint32(picture.height()) > s_maxSide) {
        return {};
    }
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    HitMask mask;
    mask.m_rowStart.reserve(argb.height() + 1);
    for (int y = 0; y < argb.height(); ++y) {
        mask.m_rowStart.append(quint32(mask.m_edges.size()));
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        bool clickable = false;
        for (int x = 0; x < argb.width(); ++x) {
            // The threshold of the toolkit's own conversion to 8 bits.
            if ((qAlpha(line[x]) >= 128) != clickable) {
                clickable = !clickable;
                mask.m_edges.append(quint16(x));
            }
        }
    }
    mask.m_rowStart.append(quint32(mask.m_edges.size()));
    mask.m_width = argb.width();
    mask.m_height = argb.height();
    mask.m_edges.squeeze();
    return mask;
}

bool HitMask::contains(const QPoint &pixel) const
{
    if (pixel.x() < 0 || pixel.y() < 0 || pixel.x() >= m_width || pixel.y() >= m_height) {
        return false;
    }
    const quint16 *begin = m_edges.constData() + m_rowStart.at(pixel.y());
    const quint16 *end = m_edges.constData() + m_rowStart.at(pixel.y() + 1);
    // Clickable after an odd number of switches.
    return (std::upper_bound(begin, end, quint16(pixel.x())) - begin) % 2 == 1;
}

qsizetype HitMask::byteSize() const
{
    return qsizetype(m_rowStart.capacity()) * qsizetype(sizeof(quint32)) + qsizetype(m_edges.capacity()) * qsizetype(sizeof(quint16));
}
