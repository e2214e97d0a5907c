// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include <KPluginFactory>

#include "kcmoduleqml.h"
#include "qmltypes.h"

namespace
{
// The core library is linked statically; make sure its resources are registered
// as soon as the plug-in is loaded.
const int s_resourcesRegistered = [] {
    initOrbAdminDateResources();
    return 0;
}();
}

K_PLUGIN_FACTORY_WITH_JSON(KCModuleQMLFactory, "kcm_orb_admin_date.json", registerPlugin<KCModuleQML>();)

#include "plugin.moc"
