// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>

typedef struct _XDisplay Display;

// The root-window property through which the running window manager takes commands.
#define ORBWM_COMMAND_PROPERTY "_ORBWM_COMMAND"

// Appends `command` to the STRING property _ORBWM_COMMAND of the display's root
// window and waits until the server has handled the request. The window manager
// reads the property as a queue of line-terminated commands and deletes what it
// has read. False when there is no display, the command is empty or too long for
// one request, or the server refused the request.
bool SendCommandToWM(Display *display, const QByteArray &command);
