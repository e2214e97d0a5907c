#include "kcmoduleswitcher.h"

#include <QDebug>
#include <QProcess>

namespace KCMNS
{
bool KCModulesSwitcher::gotoKCModule(const QString &moduleId)
{
    const QString host = qEnvironmentVariableIsSet("ORB_KCMSHELL") ? qEnvironmentVariable("ORB_KCMSHELL") : QStringLiteral("kcmshell5");
    if (!QProcess::startDetached(host, {moduleId})) {
        qWarning() << "Unable to start" << host << "to show the module" << moduleId;
        return false;
    }
    return true;
}
}
