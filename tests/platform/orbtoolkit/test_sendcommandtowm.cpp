// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// Commands to the window manager, read back from the root window of a private X server.
#include <QTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "orbwmcommand.h"
#include "xvfbserver.h"

class TestSendCommandToWM : public QObject
{
    Q_OBJECT
private:
    XvfbServer m_server;
    Display *m_display = nullptr;

    Atom commandAtom() const
    {
        return XInternAtom(m_display, ORBWM_COMMAND_PROPERTY, False);
    }

    // The property's bytes, its type and format; what a window manager would read.
    QByteArray readCommands(Atom *type = nullptr, int *format = nullptr) const
    {
        Atom actualType = None;
        int actualFormat = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char *data = nullptr;
        XGetWindowProperty(m_display,
                           DefaultRootWindow(m_display),
                           commandAtom(),
                           0,
                           1 << 20,
                           False,
                           AnyPropertyType,
                           &actualType,
                           &actualFormat,
                           &count,
                           &remaining,
                           &data);
        const QByteArray bytes(reinterpret_cast<const char *>(data), data ? static_cast<int>(count) : 0);
        if (data) {
            XFree(data);
        }
        if (type) {
            *type = actualType;
        }
        if (format) {
            *format = actualFormat;
        }
        return bytes;
    }

    void clearCommands()
    {
        XDeleteProperty(m_display, DefaultRootWindow(m_display), commandAtom());
        XSync(m_display, False);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!XvfbServer::isInstalled()) {
            QSKIP("Xvfb is not installed (tools/install-deps.sh installs it)");
        }
        QVERIFY(m_server.start());
        m_display = XOpenDisplay(m_server.displayName().toLatin1().constData());
        QVERIFY(m_display);
    }

    void cleanupTestCase()
    {
        if (m_display) {
            XCloseDisplay(m_display);
        }
        m_server.stop();
    }

    void noDisplayOrNoCommandFails()
    {
        QVERIFY(!SendCommandToWM(nullptr, "ORBWM_UPDATE_VAL ClockFormat %H\n"));
        QVERIFY(!SendCommandToWM(m_display, QByteArray()));
        QCOMPARE(readCommands(), QByteArray());
    }

    void commandsQueueUpInOrder()
    {
        clearCommands();
        const QByteArray first("ORBWM_UPDATE_VAL ClockFormat %H:%M:%S\n");
        const QByteArray second("ORBWM_UPDATE_VAL ClockMessageFormat %H:%M\\n%d.%m.%Y \xd0\x81\n");
        QVERIFY(SendCommandToWM(m_display, first));
        QVERIFY(SendCommandToWM(m_display, second));

        Atom type = None;
        int format = 0;
        QCOMPARE(readCommands(&type, &format), first + second);
        QCOMPARE(type, static_cast<Atom>(XA_STRING));
        QCOMPARE(format, 8);
    }

    void refusedRequestIsReported()
    {
        // A property the window manager did not leave as STRING cannot be appended to.
        clearCommands();
        const long words[] = {1, 2};
        XChangeProperty(m_display,
                        DefaultRootWindow(m_display),
                        commandAtom(),
                        XA_CARDINAL,
                        32,
                        PropModeReplace,
                        reinterpret_cast<const unsigned char *>(words),
                        2);
        XSync(m_display, False);
        QVERIFY(!SendCommandToWM(m_display, "ORBWM_UPDATE_VAL DateFormat %a\n"));

        // The connection survives and the next command gets through.
        clearCommands();
        QVERIFY(SendCommandToWM(m_display, "ORBWM_UPDATE_VAL DateFormat %a\n"));
        QCOMPARE(readCommands(), QByteArray("ORBWM_UPDATE_VAL DateFormat %a\n"));
    }

    void oversizedCommandIsRefusedBeforeSending()
    {
        clearCommands();
        long maxWords = XExtendedMaxRequestSize(m_display);
        if (maxWords == 0) {
            maxWords = XMaxRequestSize(m_display);
        }
        const QByteArray huge(static_cast<int>(maxWords * 4), 'x');
        QVERIFY(!SendCommandToWM(m_display, huge));
        // Sent anyway, it would have closed the connection.
        QVERIFY(SendCommandToWM(m_display, "ok\n"));
        QCOMPARE(readCommands(), QByteArray("ok\n"));
    }
};

QTEST_GUILESS_MAIN(TestSendCommandToWM)
#include "test_sendcommandtowm.moc"
