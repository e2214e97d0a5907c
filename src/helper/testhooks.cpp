// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "testhooks.h"

#include <QDir>
#include <QProcessEnvironment>

// The variables' names are compiled into the test build only.
#ifdef ORB_HELPER_TEST_HOOKS
#define ORB_TEST_VARIABLE(name) qEnvironmentVariable(name)
#else
#define ORB_TEST_VARIABLE(name) QString()
#endif

namespace TestHooks
{
bool enabled()
{
#ifdef ORB_HELPER_TEST_HOOKS
    return true;
#else
    return false;
#endif
}

QString rootDirectory()
{
    const QString root = ORB_TEST_VARIABLE("ORB_HELPER_TEST_ROOT");
    return root.isEmpty() ? QStringLiteral("/") : root;
}

QString rooted(const QString &absolutePath)
{
    return QDir::cleanPath(rootDirectory() + QLatin1Char('/') + absolutePath);
}

QString ntpToolOverride()
{
    return ORB_TEST_VARIABLE("ORB_HELPER_TEST_NTPDIG");
}

int ntpRunTimeoutMs(int defaultMs)
{
    bool ok = false;
    const int ms = ORB_TEST_VARIABLE("ORB_HELPER_TEST_NTP_DEADLINE_MS").toInt(&ok);
    return ok && ms > 0 ? ms : defaultMs;
}

QStringList toolTestVariables()
{
    QStringList variables;
#ifdef ORB_HELPER_TEST_HOOKS
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : environment.keys()) {
        if (name.startsWith(QLatin1String("ORB_TEST_"))) {
            variables << name + QLatin1Char('=') + environment.value(name);
        }
    }
#endif
    return variables;
}

QString chronydOverride()
{
    return ORB_TEST_VARIABLE("ORB_HELPER_TEST_CHRONYD");
}

QString chronycOverride()
{
    return ORB_TEST_VARIABLE("ORB_HELPER_TEST_CHRONYC");
}

QString clockLogFile()
{
    return ORB_TEST_VARIABLE("ORB_HELPER_TEST_CLOCK_LOG");
}
}
