#pragma once

#include <QString>

namespace KCMNS
{
// Shows another control module of the settings centre.
class KCModulesSwitcher
{
public:
    // Starts the module in its own host window; false (and a warning) when the
    // host cannot be started. ORB_KCMSHELL names another host program (tests).
    static bool gotoKCModule(const QString &moduleId);
    // Whether a module with that id is installed where the settings centre looks.
    static bool isModuleInstalled(const QString &moduleId);
};
}
