// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// A configuration module with an empty page: the baseline of the page-ready benchmark.
#include <KPluginFactory>
#include <KQuickAddons/ConfigModule>

class EmptyModule : public KQuickAddons::ConfigModule
{
    Q_OBJECT
public:
    EmptyModule(QObject *parent, const KPluginMetaData &metaData, const QVariantList &args)
        : KQuickAddons::ConfigModule(parent, metaData, args)
    {
        setButtons(Help | Apply);
    }
};

K_PLUGIN_CLASS_WITH_JSON(EmptyModule, "kcm_orb_bench_empty.json")

#include "emptymodule.moc"
