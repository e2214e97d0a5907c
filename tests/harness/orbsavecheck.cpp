// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// Saves one value the way the module does and prints why when that fails. The tests
// run it as another user, which the test process itself cannot become and return.
//   orbsavecheck theme PATH KEY VALUE
//   orbsavecheck applet ZONE      (as the one chosen zone, in $XDG_CONFIG_HOME)
// Exit status 0 when saved, 1 when not (the error text on standard output), 2 for a
// bad call.
#include <QCoreApplication>
#include <QTextStream>

#include "orbsettings.h"
#include "settings.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    if (args.size() == 4 && args.at(0) == QLatin1String("theme")) {
        OrbSettings settings(args.at(1));
        if (settings.setValue(args.at(2), args.at(3)) && settings.sync()) {
            return 0;
        }
        out << settings.errorString() << '\n' << settings.errorReason() << '\n';
        return 1;
    }
    if (args.size() == 2 && args.at(0) == QLatin1String("applet")) {
        Settings settings;
        if (settings.save({{Settings::ChosenTimeZones, QStringList{args.at(1)}}})) {
            return 0;
        }
        out << settings.errorString() << '\n';
        return 1;
    }
    return 2;
}
