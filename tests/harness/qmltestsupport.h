// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

class QQuickItem;

// Offered to Qt Quick tests as the context property `orbTest`.
class QmlTestSupport : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Writes a PNG of the part of the window that `item` covers; returns its path.
    Q_INVOKABLE QString screenshot(QQuickItem *item, const QString &name) const;
    Q_INVOKABLE QString environment(const QString &name) const;
    // A file's text, or an empty string.
    Q_INVOKABLE QString readFile(const QString &path) const;
    Q_INVOKABLE bool writeFile(const QString &path, const QString &text) const;
    // The pixel colour of `item` at (x, y) in item coordinates.
    Q_INVOKABLE QVariant pixel(QQuickItem *item, int x, int y) const;
};
