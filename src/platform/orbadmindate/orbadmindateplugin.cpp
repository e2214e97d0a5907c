// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include <QQmlExtensionPlugin>
#include <qqml.h>

#include "clockface.h"
#include "daygrid.h"

// The module's C++ items; its QML files come from the qmldir next to it.
class OrbAdminDatePlugin : public QQmlExtensionPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QQmlExtensionInterface_iid)
public:
    void registerTypes(const char *uri) override
    {
        qmlRegisterType<ClockFace>(uri, 1, 0, "ClockFace");
        qmlRegisterType<DayGrid>(uri, 1, 0, "DayGrid");
    }
};

#include "orbadmindateplugin.moc"
