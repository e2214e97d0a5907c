// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include <QAccessible>
#include <QMetaEnum>
#include <QQuickItem>
#include <QRegularExpression>
#include <QTest>

#include "kcmoduleqml.h"
#include "modulehost.h"
#include "standins.h"
#include "timesynctestsupport.h"

class TestAccessibleNames : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_standIns.start(StandIns::Helper));
        QVERIFY(m_standIns.start(StandIns::Timedated, {{QStringLiteral("Timezone"), QStringLiteral("Europe/Moscow")}, {QStringLiteral("LocalRTC"), false}}));
        const QVariantMap units{{QStringLiteral("systemd-timesyncd.service"), QStringLiteral("active")},
                                {QStringLiteral("chrony.service"), QStringLiteral("inactive")}};
        QVERIFY(m_standIns.start(StandIns::Systemd, {{QStringLiteral("Units"), units}, {QStringLiteral("ServerName"), QStringLiteral("ntp1.vniiftri.ru")}}));
        QVERIFY(m_root.isValid());
    }
    void everyControlHasAName();

private:
    StandIns m_standIns;
    FixtureRoot m_root;
};

// What a screen reader reads: every control on show has a name, no two boxes of
// a tab share one, and the current server is a selected list item.
void TestAccessibleNames::everyControlHasAName()
{
    // The platform's bridge turns accessibility on once its bus connection is
    // made; controls made before that give neither roles nor names.
    QTRY_VERIFY(QAccessible::isActive());
    ModuleHost host;
    QVERIFY(host.create(QSize(1000, 720)));
    host.module()->load();
    const QVector<QAccessible::Role> operated{QAccessible::Button,
                                              QAccessible::CheckBox,
                                              QAccessible::EditableText,
                                              QAccessible::SpinBox,
                                              QAccessible::ListItem,
                                              QAccessible::PageTab,
                                              QAccessible::ComboBox};
    QStringList faults;
    for (const KCModuleQML::Tab number :
         {KCModuleQML::DateTime, KCModuleQML::TimeZones, KCModuleQML::Synchronization, KCModuleQML::AppletSetings, KCModuleQML::TrayDisplayTab}) {
        QQuickItem *tab = host.showTab(number);
        const QString tabName = QString::fromLatin1(QMetaEnum::fromType<KCModuleQML::Tab>().valueToKey(number));
        QVERIFY2(tab, qPrintable(tabName));
        QStringList boxes;
        // Through the visual tree: delegates are no QObject children of the tab.
        QList<QQuickItem *> items{tab};
        for (int i = 0; i < items.size(); ++i) {
            items += items.at(i)->childItems();
        }
        int checked = 0;
        bool currentServerSelected = false;
        for (QQuickItem *item : qAsConst(items)) {
            QAccessibleInterface *accessible = item->isVisible() ? QAccessible::queryAccessibleInterface(item) : nullptr;
            if (!accessible || !operated.contains(accessible->role())) {
                continue;
            }
            ++checked;
            const QString name = accessible->text(QAccessible::Name);
            const QString where =
                tabName + QLatin1Char('/') + (item->objectName().isEmpty() ? QString::fromLatin1(item->metaObject()->className()) : item->objectName());
            static const QRegularExpression valueOnly(QStringLiteral("^\\s*\\d*\\s*$"));
            if (name.contains(valueOnly)) {
                faults << where + QLatin1String(" has no name but its value: ") + name;
            } else if (accessible->role() == QAccessible::CheckBox && boxes.contains(name)) {
                faults << where + QLatin1String(" shares its name ") + name;
            }
            boxes << name;
            if (accessible->role() == QAccessible::ListItem && name == QLatin1String("ntp1.vniiftri.ru")) {
                currentServerSelected = accessible->state().selected;
            }
        }
        QVERIFY2(checked > 1, qPrintable(tabName));
        if (number == KCModuleQML::Synchronization) {
            if (!currentServerSelected) {
                faults << QStringLiteral("the current server is no selected list item");
            }
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestAccessibleNames)
#include "test_accessiblenames.moc"
