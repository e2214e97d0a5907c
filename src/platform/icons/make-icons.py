#!/usr/bin/python3

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

"""Writes the fallback icon set (our own simple drawings) as SVG files.

Run it after changing a drawing; its output is committed, so the build needs nothing
but the files. The page tints the one-colour drawings in its text colour, so one drawing
serves light and dark colour schemes.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "fallback")

DARK = "#31363b"
LIGHT = "#eff0f1"


def svg(body, size=16):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
            f'viewBox="0 0 16 16">{body}</svg>\n')


def arrow_down(c):
    return f'<path d="M3 6 L8 11 L13 6" fill="none" stroke="{c}" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round"/>'


def chevron(c, back):
    path = "M10 3 L5 8 L10 13" if back else "M6 3 L11 8 L6 13"
    return f'<path d="{path}" fill="none" stroke="{c}" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round"/>'


def plus(c):
    return f'<path d="M8 3 V13 M3 8 H13" stroke="{c}" stroke-width="1.6" stroke-linecap="round"/>'


def minus(c):
    return f'<path d="M3 8 H13" stroke="{c}" stroke-width="1.6" stroke-linecap="round"/>'


def gear(c):
    teeth = "".join(
        f'<rect x="7" y="1" width="2" height="3" rx="0.5" fill="{c}" transform="rotate({a} 8 8)"/>'
        for a in range(0, 360, 45))
    return teeth + f'<circle cx="8" cy="8" r="4.2" fill="none" stroke="{c}" stroke-width="1.8"/>'


def eye(c, crossed):
    body = (f'<path d="M1.5 8 C4 3.5 12 3.5 14.5 8 C12 12.5 4 12.5 1.5 8 Z" fill="none" stroke="{c}" stroke-width="1.3"/>'
            f'<circle cx="8" cy="8" r="2.2" fill="{c}"/>')
    if crossed:
        body += f'<path d="M2.5 13.5 L13.5 2.5" stroke="{c}" stroke-width="1.5" stroke-linecap="round"/>'
    return body


def computer(c):
    return (f'<rect x="1.5" y="2.5" width="13" height="9" rx="1" fill="none" stroke="{c}" stroke-width="1.2"/>'
            f'<rect x="3" y="4" width="10" height="6" fill="#3daee9"/>'
            f'<path d="M6 14 H10 M8 11.5 V14" stroke="{c}" stroke-width="1.2"/>')


def status(fill, mark):
    return f'<circle cx="8" cy="8" r="6.5" fill="{fill}"/>' + mark


CHECK = '<path d="M4.8 8.2 L7 10.4 L11.2 5.8" fill="none" stroke="#fff" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round"/>'
CROSS = '<path d="M5.5 5.5 L10.5 10.5 M10.5 5.5 L5.5 10.5" stroke="#fff" stroke-width="1.6" stroke-linecap="round"/>'
BANG = '<path d="M8 4.2 V9" stroke="#fff" stroke-width="1.8" stroke-linecap="round"/><circle cx="8" cy="11.6" r="1.1" fill="#fff"/>'

# The theme's own names. Pages tint the one-colour drawings in the scheme's text
# colour, as they do the theme's icons.
ICONS = {
    "arrow-down": arrow_down(DARK),
    "go-previous": chevron(DARK, True),
    "go-next": chevron(DARK, False),
    "list-add": plus(DARK),
    "list-remove": minus(DARK),
    "configure": gear(DARK),
    "view-visible": eye(DARK, False),
    "view-hidden": eye(DARK, True),
    "computer": computer(DARK),
    "dialog-on": status("#27ae60", CHECK),
    "dialog-off": status("#7f8c8d", CROSS),
    "dialog-warning": status("#f67400", BANG),
}

# Packaged pictures of the page (rendered to PNG by the caller).
PACKAGED = {
    "no-connection": ('<circle cx="8" cy="8" r="6.2" fill="none" stroke="#7f8c8d" stroke-width="1.4"/>'
                      '<path d="M3.6 12.4 L12.4 3.6" stroke="#da4453" stroke-width="1.6" stroke-linecap="round"/>'),
    "trash-empty-red": ('<path d="M3 4.5 H13" stroke="#da4453" stroke-width="1.4" stroke-linecap="round"/>'
                        '<path d="M6.2 4.5 V3 H9.8 V4.5" fill="none" stroke="#da4453" stroke-width="1.2"/>'
                        '<path d="M4.3 5.5 L5 14 H11 L11.7 5.5 Z" fill="none" stroke="#da4453" stroke-width="1.3" stroke-linejoin="round"/>'
                        '<path d="M6.8 7.5 V12 M9.2 7.5 V12" stroke="#da4453" stroke-width="1.1"/>'),
}

os.makedirs(OUT, exist_ok=True)
for name, body in ICONS.items():
    with open(os.path.join(OUT, name + ".svg"), "w") as f:
        f.write(svg(body))
for name, body in PACKAGED.items():
    with open(os.path.join(HERE, name + ".svg"), "w") as f:
        f.write(svg(body))
