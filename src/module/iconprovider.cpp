// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "iconprovider.h"

#include "fallbackicons.h"

IconProvider::IconProvider()
    : QQuickImageProvider(QQmlImageProviderBase::Pixmap)
{
}

QPixmap IconProvider::requestPixmap(const QString &id, QSize *size, const QSize &requestedSize)
{
    constexpr int defaultSide = 16;
    if (size) {
        *size = QSize(defaultSide, defaultSide);
    }
    const int width = requestedSize.width() > 0 ? requestedSize.width() : defaultSide;
    const int height = requestedSize.height() > 0 ? requestedSize.height() : defaultSide;
    return FallbackIcons::fromTheme(id).pixmap(QSize(width, height), QIcon::Normal, QIcon::Off);
}
