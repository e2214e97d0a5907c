// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDate>
#include <QPoint>
#include <QString>

#include "palettes.h"

class QQuickItem;
class QQuickWindow;

// Helpers for tests that drive the page with the mouse and keyboard.

// The first visible item below `root` (itself included) whose objectName is `name`.
// Repeater and list delegates are not QObject children of the page, so this walks
// the item tree rather than the object tree.
QQuickItem *findVisibleItem(QQuickItem *root, const QString &name);

// A left click in the middle of `item`.
void clickItem(QQuickWindow *window, QQuickItem *item);

// A left click on `day` in the calendar below `root`; false, and no click, while
// that day is not on show.
bool clickDay(QQuickWindow *window, QQuickItem *root, const QDate &day);

// Types `text` key by key into whatever has the focus in `window`.
void typeText(QQuickWindow *window, const QString &text);

// The point, in window coordinates, over pixel (px, py) of the map picture shown
// by `map`, an Image that letterboxes a picture of `pictureWidth` × `pictureHeight`.
QPoint mapPicturePoint(QQuickItem *map, int px, int py, int pictureWidth = 1771, int pictureHeight = 986);
