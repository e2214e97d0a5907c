// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "orbwmcommand.h"

#include "toolkit_debug.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace
{
// Catches the errors of one display's requests while it exists; the errors of
// other displays go on to the handler that was installed before. GUI thread only.
class ErrorTrap
{
public:
    explicit ErrorTrap(Display *display)
    {
        s_display = display;
        s_errorCode = 0;
        s_previous = XSetErrorHandler(&ErrorTrap::handler);
    }
    ~ErrorTrap()
    {
        XSetErrorHandler(s_previous);
        s_display = nullptr;
        s_previous = nullptr;
    }
    ErrorTrap(const ErrorTrap &) = delete;
    ErrorTrap &operator=(const ErrorTrap &) = delete;

    // The first error code caught, or 0.
    int errorCode() const
    {
        return s_errorCode;
    }

private:
    using Handler = int (*)(Display *, XErrorEvent *);

    static int handler(Display *display, XErrorEvent *event)
    {
        if (display == s_display) {
            if (s_errorCode == 0) {
                s_errorCode = event->error_code;
            }
            return 0;
        }
        return s_previous ? s_previous(display, event) : 0;
    }

    static inline Display *s_display = nullptr;
    static inline Handler s_previous = nullptr;
    static inline int s_errorCode = 0;
};
}

bool SendCommandToWM(Display *display, const QByteArray &command)
{
    if (!display || command.isEmpty()) {
        return false;
    }

    // A request longer than the server accepts would cost the whole connection.
    // ChangeProperty takes 6 words of header, one more with BIG-REQUESTS.
    long maxWords = XExtendedMaxRequestSize(display);
    if (maxWords == 0) {
        maxWords = XMaxRequestSize(display);
    }
    const long dataWords = (static_cast<long>(command.size()) + 3) / 4;
    if (dataWords > maxWords - 7) {
        qCWarning(ORB_TOOLKIT) << "SendCommandToWM: the command is too long:" << command.size() << "bytes";
        return false;
    }

    // Errors of earlier requests belong to whoever made them.
    XSync(display, False);
    const ErrorTrap trap(display);
    const Atom property = XInternAtom(display, ORBWM_COMMAND_PROPERTY, False);
    if (property == None) {
        return false;
    }
    XChangeProperty(display,
                    DefaultRootWindow(display),
                    property,
                    XA_STRING,
                    8,
                    PropModeAppend,
                    reinterpret_cast<const unsigned char *>(command.constData()),
                    command.size());
    XSync(display, False);
    if (trap.errorCode() != 0) {
        qCWarning(ORB_TOOLKIT) << "SendCommandToWM: the X server refused the command, error code" << trap.errorCode();
        return false;
    }
    return true;
}
