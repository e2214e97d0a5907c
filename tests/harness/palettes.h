// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The light and the dark colour scheme of the tests' screenshots, close to the
    desktop's own. Header only: the QML test plug-in uses them too.
*/

#pragma once

#include <QColor>
#include <QPalette>

inline QPalette schemePalette(const QColor &window, const QColor &base, const QColor &text, const QColor &disabledText)
{
    const QColor highlight(0x3d, 0xae, 0xe9);
    // Light, Mid and Dark follow from the window colour.
    QPalette palette(text, window);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor &shownText = group == QPalette::Disabled ? disabledText : text;
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, shownText);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, window);
        palette.setColor(group, QPalette::Text, shownText);
        palette.setColor(group, QPalette::Button, window);
        palette.setColor(group, QPalette::ButtonText, shownText);
        palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(group, QPalette::HighlightedText, QColor(0xfc, 0xfc, 0xfc));
        palette.setColor(group, QPalette::ToolTipBase, window);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, disabledText);
    }
    return palette;
}

inline QPalette lightPalette()
{
    return schemePalette(QColor(0xef, 0xf0, 0xf1), QColor(0xfc, 0xfc, 0xfc), QColor(0x23, 0x26, 0x29), QColor(0xa0, 0xa4, 0xa8));
}

inline QPalette darkPalette()
{
    return schemePalette(QColor(0x31, 0x36, 0x3b), QColor(0x23, 0x26, 0x29), QColor(0xef, 0xf0, 0xf1), QColor(0x6e, 0x73, 0x78));
}
