// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QQuickImageProvider>

// Serves the map pictures to the page as "image://mapimages/content/...". Band
// pictures are read afresh from the resources on every request; the base map,
// asked for at every opening of the page and never different, is decoded once per
// process, ahead of time when preload() was called.
class MapImageProvider : public QQuickImageProvider
{
public:
    MapImageProvider();
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // Starts decoding the base map on the global thread pool; once per process.
    static void preload();

    // A picture of the resources as served at its own size, or a null image.
    static QImage m_decode(const QString &id);
};
