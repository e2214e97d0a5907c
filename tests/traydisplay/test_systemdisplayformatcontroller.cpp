// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The clock format store on the theme file, and the commands that announce changes,
// read back from the root window of a private X server.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QX11Info>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "orbwmcommand.h"
#include "systemdisplayformatcontroller.h"
#include "xvfbserver.h"

namespace
{
DisplayFormat formats(const char *clock, const char *date, const char *tip)
{
    return DisplayFormat{QString::fromUtf8(clock), QString::fromUtf8(date), QString::fromUtf8(tip)};
}

// Records the commands instead of sending them; the commands of the keys in
// `failing` fail.
class RecordingController : public SystemDisplayFormatController
{
public:
    QList<QByteArray> sent;
    QList<QByteArray> failing;

protected:
    bool m_sendCommand(const QByteArray &command) override
    {
        sent << command;
        for (const QByteArray &key : qAsConst(failing)) {
            if (command.startsWith(QByteArray("ORBWM_UPDATE_VAL " + key + ' '))) {
                return false;
            }
        }
        return true;
    }
};

QByteArray readTheme()
{
    QFile file(SystemDisplayFormatController::themeFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

void writeTheme(const QByteArray &content)
{
    const QString path = SystemDisplayFormatController::themeFilePath();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(content);
    }
}

bool sameFormats(const DisplayFormat &a, const DisplayFormat &b)
{
    return a.clockFormat == b.clockFormat && a.dateFormat == b.dateFormat && a.clockMessageFormat == b.clockMessageFormat;
}
}

class TestSystemDisplayFormatController : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QFile::setPermissions(SystemDisplayFormatController::themeFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::remove(SystemDisplayFormatController::themeFilePath());
    }

    void themeFileIsTheWindowManagersOne()
    {
        QCOMPARE(SystemDisplayFormatController::themeFilePath(), qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/orbwm/current.themerc"));
    }

    void readsTheThemeFileWithDefaults()
    {
        QVERIFY(sameFormats(SystemDisplayFormatController().get(), formats("%H:%M", "", "%A, %e %B, %Y")));

        writeTheme("# by hand\nDateFormat=%d.%m.%Y\nClockMessageFormat=%H:%M\\n%a\n");
        QVERIFY(sameFormats(SystemDisplayFormatController().get(), formats("%H:%M", "%d.%m.%Y", "%H:%M\\n%a")));

        QVERIFY(sameFormats(SystemDisplayFormatController::defaults(), formats("%H:%M", "%a, %e %b", "%a, %e %b, %Y")));
    }

    void unchangedFormatsDoNothing()
    {
        RecordingController store;
        QSignalSpy messages(&store, &SystemDisplayFormatController::showMessage);
        store.set(formats("%H:%M", "", "%A, %e %B, %Y"));
        store.set(formats("", "", ""));
        QVERIFY(store.sent.isEmpty());
        QVERIFY(messages.isEmpty());
        QVERIFY(!QFile::exists(SystemDisplayFormatController::themeFilePath()));
    }

    void sendsAndStoresChangedFieldsInOrder()
    {
        writeTheme("# theme of the week\nTitle=Grey\r\nDateFormat=%a\n\n[Colours]\nClockFormat=red\n");
        RecordingController store;
        QSignalSpy messages(&store, &SystemDisplayFormatController::showMessage);

        // The date is empty: neither sent nor written, and the stored one stays.
        store.set(formats("%H:%M:%S", "", "%H:%M\\n%d.%m.%Y"));
        QCOMPARE(store.sent, QList<QByteArray>({"ORBWM_UPDATE_VAL ClockFormat %H:%M:%S\n", "ORBWM_UPDATE_VAL ClockMessageFormat %H:%M\\n%d.%m.%Y\n"}));
        QVERIFY(messages.isEmpty());
        QVERIFY(sameFormats(store.get(), formats("%H:%M:%S", "%a", "%H:%M\\n%d.%m.%Y")));
        QCOMPARE(
            readTheme(),
            QByteArray(
                "# theme of the week\nTitle=Grey\r\nDateFormat=%a\nClockFormat=%H:%M:%S\nClockMessageFormat=%H:%M\\n%d.%m.%Y\n\n[Colours]\nClockFormat=red\n"));

        // Only the date differs now.
        store.sent.clear();
        store.set(formats("%H:%M:%S", "%a, %d %b", "%H:%M\\n%d.%m.%Y"));
        QCOMPARE(store.sent, QList<QByteArray>({"ORBWM_UPDATE_VAL DateFormat %a, %d %b\n"}));
        QVERIFY(readTheme().contains("\nDateFormat=%a, %d %b\n"));
        QVERIFY(sameFormats(SystemDisplayFormatController().get(), store.get()));
    }

    void commandFailuresAreReportedOnce_data()
    {
        QTest::addColumn<QList<QByteArray>>("failing");
        QTest::addColumn<QString>("text");
        QTest::newRow("clock") << QList<QByteArray>{"ClockFormat"} << QStringLiteral("Unable to set clock display format.");
        QTest::newRow("all, in field order")
            << QList<QByteArray>{"ClockMessageFormat", "ClockFormat", "DateFormat"}
            << QStringLiteral("Unable to set clock display format.\nUnable to set date display format.\nUnable to set clock message display format.");
        QTest::newRow("date and tooltip") << QList<QByteArray>{"ClockMessageFormat", "DateFormat"}
                                          << QStringLiteral("Unable to set date display format.\nUnable to set clock message display format.");
    }
    void commandFailuresAreReportedOnce()
    {
        QFETCH(QList<QByteArray>, failing);
        QFETCH(QString, text);
        RecordingController store;
        store.failing = failing;
        QSignalSpy messages(&store, &SystemDisplayFormatController::showMessage);
        const DisplayFormat wanted = formats("%H:%M:%S", "%d.%m.%Y", "%a");
        store.set(wanted);

        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.at(0).at(0).toString(), QStringLiteral("Error"));
        QCOMPARE(messages.at(0).at(1).toString(), text);
        // The window manager reads the file when it starts: the formats are kept.
        QCOMPARE(store.sent.size(), 3);
        QVERIFY(sameFormats(store.get(), wanted));
        QVERIFY(sameFormats(SystemDisplayFormatController().get(), wanted));
    }

    void unstoredFormatsAreReportedAndNotAnnounced()
    {
        const QByteArray content("# locked by the administrator\nClockFormat=%H:%M\n");
        writeTheme(content);
        const QString path = SystemDisplayFormatController::themeFilePath();
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));

        RecordingController store;
        QSignalSpy messages(&store, &SystemDisplayFormatController::showMessage);
        const DisplayFormat before = store.get();
        store.set(formats("%H:%M:%S", "%a", "%d.%m.%Y"));

        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.at(0).at(1).toString(), QStringLiteral("Unable to save the clock format to %1.\nPermission denied").arg(path));
        QVERIFY(store.sent.isEmpty());
        QCOMPARE(readTheme(), content);
        QVERIFY(sameFormats(store.get(), before));

        // Unsaved, so the next Apply tries again, and succeeds once the file is
        // writable; a format the file cannot hold is refused alone.
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        store.set(DisplayFormat{QStringLiteral("%H:%M:%S"), QStringLiteral("%a") + QChar::Null, QStringLiteral("%d.%m.%Y")});
        QCOMPARE(store.sent, QList<QByteArray>({"ORBWM_UPDATE_VAL ClockFormat %H:%M:%S\n", "ORBWM_UPDATE_VAL ClockMessageFormat %d.%m.%Y\n"}));
        QCOMPARE(messages.count(), 2);
        QCOMPARE(messages.at(1).at(1).toString(), QStringLiteral("The value of DateFormat holds a line break or a NUL character and was not saved."));
        QCOMPARE(readTheme(), QByteArray("# locked by the administrator\nClockFormat=%H:%M:%S\nClockMessageFormat=%d.%m.%Y\n"));
        QVERIFY(sameFormats(store.get(), formats("%H:%M:%S", "", "%d.%m.%Y")));
    }

    // The real path: QX11Info's display, the root window's property.
    void commandsReachTheRootWindow()
    {
        if (!QX11Info::isPlatformX11()) {
            QSKIP("Xvfb is not installed (tools/install-deps.sh installs it)");
        }
        Display *display = XOpenDisplay(qgetenv("DISPLAY").constData());
        QVERIFY(display);
        const Atom property = XInternAtom(display, ORBWM_COMMAND_PROPERTY, False);
        XDeleteProperty(display, DefaultRootWindow(display), property);
        XSync(display, False);

        SystemDisplayFormatController store;
        QSignalSpy messages(&store, &SystemDisplayFormatController::showMessage);
        store.set(formats("%H:%M:%S", "%a, %d %b %y", "%H:%M\\n%d.%m.%Y"));
        QVERIFY(messages.isEmpty());

        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char *data = nullptr;
        XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 4096, True, AnyPropertyType, &type, &format, &count, &remaining, &data);
        const QByteArray bytes(reinterpret_cast<const char *>(data), data ? static_cast<int>(count) : 0);
        XFree(data);
        XCloseDisplay(display);

        QCOMPARE(type, static_cast<Atom>(XA_STRING));
        QCOMPARE(bytes,
                 QByteArray("ORBWM_UPDATE_VAL ClockFormat %H:%M:%S\n"
                            "ORBWM_UPDATE_VAL DateFormat %a, %d %b %y\n"
                            "ORBWM_UPDATE_VAL ClockMessageFormat %H:%M\\n%d.%m.%Y\n"));
    }
};

// Runs on a private X server, so that the application's display is a real one.
int main(int argc, char **argv)
{
    XvfbServer server;
    if (XvfbServer::isInstalled()) {
        if (!server.start()) {
            qCritical("The private X server did not start");
            return 1;
        }
        qputenv("DISPLAY", server.displayName().toLatin1());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    int result = 0;
    {
        QGuiApplication app(argc, argv);
        TestSystemDisplayFormatController test;
        result = QTest::qExec(&test, argc, argv);
    }
    server.stop();
    return result;
}

#include "test_systemdisplayformatcontroller.moc"
