// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The date helper service: sets the system clock and runs one-off NTP
    synchronizations for the settings page, each request authorized by polkit.
    Started by D-Bus activation as root; leaves after a while without requests.
*/

#include "datehelper.h"
#include "helper_debug.h"
#include "managerdbusadaptor.h"
#include "serversdbusadaptor.h"
#include "testhooks.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("orb-date-helper"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sets the system clock and synchronizes it once with NTP servers on request of the date and time settings."));
    parser.addHelpOption();
    const QCommandLineOption idleOption(QStringLiteral("idle-timeout"),
                                        QStringLiteral("Seconds without requests after which the service ends (0: never; default 60)."),
                                        QStringLiteral("seconds"),
                                        QStringLiteral("60"));
    parser.addOption(idleOption);
    parser.process(app);
    bool validIdle = false;
    const int idleSeconds = parser.value(idleOption).toInt(&validIdle);
    if (!validIdle || idleSeconds < 0) {
        qCCritical(ORB_HELPER) << "Not a number of seconds:" << parser.value(idleOption);
        return 2;
    }

    if (TestHooks::enabled()) {
        qCInfo(ORB_HELPER) << "Test build: clock changes go to" << TestHooks::clockLogFile();
    } else if (::geteuid() != 0) {
        qCWarning(ORB_HELPER) << "Not running as root: setting the clock will fail";
    }

    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCCritical(ORB_HELPER) << "Cannot connect to the system bus:" << bus.lastError().message();
        return 1;
    }
    DateHelper helper(bus, idleSeconds * 1000);
    new ManagerDBusAdaptor(&helper);
    new ServersDBusAdaptor(&helper);
    if (!bus.registerObject(QStringLiteral("/"), &helper)) {
        qCCritical(ORB_HELPER) << "Cannot register the object:" << bus.lastError().message();
        return 1;
    }
    // Leave the name first, so that bus activation starts a new instance for a
    // request that comes while this one ends.
    QObject::connect(&helper, &DateHelper::idle, &app, [&bus]() {
        bus.unregisterService(DateHelper::serviceName);
        QCoreApplication::quit();
    });
    if (!bus.registerService(DateHelper::serviceName)) {
        qCCritical(ORB_HELPER) << "Cannot own" << DateHelper::serviceName << ":" << bus.lastError().message();
        return 1;
    }
    return app.exec();
}
