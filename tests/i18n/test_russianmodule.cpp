// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The module as a Russian administrator sees it (LANGUAGE=ru): the compiled
// catalogue reaches the back end, the pages and the calendar, zone names come from
// ICU in Russian, the metadata keeps its Russian texts, and every tab shows Russian
// (with a screenshot of each).
#include <KLocalizedString>
#include <KPluginMetaData>

#include <QAbstractItemModel>
#include <QJsonObject>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "basetimezonesprovider.h"
#include "kcmoduleqml.h"
#include "maptimezonesprovider.h"
#include "modulehost.h"
#include "pofile.h"
#include "settingsforappletprovider.h"

namespace
{
const char *const Domain = "kcm_orb_admin_date";

// The texts shown by the visible items below `item`: labels, buttons, fields.
void collectTexts(QQuickItem *item, QStringList *texts)
{
    if (!item->isVisible() || item->opacity() <= 0) {
        return;
    }
    for (const char *property : {"text", "placeholderText", "title"}) {
        const QVariant value = item->property(property);
        if (value.userType() == QMetaType::QString && !value.toString().isEmpty()) {
            texts->append(value.toString());
        }
    }
    const auto children = item->childItems();
    for (QQuickItem *child : children) {
        collectTexts(child, texts);
    }
}

QQuickItem *tabButton(QQuickItem *bar, int index)
{
    QQuickItem *button = nullptr;
    QMetaObject::invokeMethod(bar, "itemAt", Q_RETURN_ARG(QQuickItem *, button), Q_ARG(int, index));
    return button;
}
}

class TestRussianModule : public QObject
{
    Q_OBJECT
private:
    PoFile m_russian;
    QSet<QString> m_english; // message texts that must not show once translated

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(qgetenv("LANGUAGE"), QByteArray("ru"));
        QCOMPARE(qgetenv("ORB_ADMIN_MODE"), QByteArray("1"));
        // The date formats and month names follow the Qt locale, which LANG would set
        // to Russian; ru_RU.UTF-8 is not generated on test machines, so set it here.
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));

        m_russian = PoFile::read(qEnvironmentVariable("ORB_SOURCE_DIR") + QLatin1String("/po/ru/kcm_orb_admin_date.po"));
        QVERIFY2(m_russian.error.isEmpty(), qPrintable(m_russian.error));
        static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
        for (const PoEntry &e : qAsConst(m_russian.entries)) {
            if (!e.isHeader() && !e.obsolete && e.id.contains(word) && !e.translations.contains(e.id)) {
                m_english.insert(e.id);
            }
        }
        QVERIFY(m_english.size() > 50);
    }

    void builtCatalogueMatchesTheTranslation()
    {
        // What the process loads from the build tree is the current translation,
        // message by message: a missing, stale or misplaced .mo fails here.
        QStringList differing;
        int checked = 0;
        for (const PoEntry &e : qAsConst(m_russian.entries)) {
            if (e.isHeader() || e.obsolete || !e.idPlural.isEmpty() || e.isFuzzy() || !e.isTranslated()) {
                continue;
            }
            KLocalizedString message =
                e.context.isEmpty() ? ki18nd(Domain, e.id.toUtf8().constData()) : ki18ndc(Domain, e.context.toUtf8().constData(), e.id.toUtf8().constData());
            QString expected = e.translations.first();
            // Fill each placeholder with a marker, as the callers fill them with values.
            for (int n = 1; e.id.contains(QLatin1Char('%') + QString::number(n)); ++n) {
                const QString marker = QStringLiteral("<%1>").arg(n);
                message = message.subs(marker);
                expected.replace(QLatin1Char('%') + QString::number(n), marker);
            }
            const QString shown = message.toString();
            if (shown != expected) {
                differing << e.label() + QLatin1String(" -> \"") + shown + QLatin1String("\", the catalogue says \"") + expected + QLatin1Char('"');
            }
            ++checked;
        }
        QVERIFY(checked > 50);
        QVERIFY2(differing.isEmpty(), qPrintable(differing.join(QLatin1Char('\n'))));
    }

    void metadataKeepsItsRussianTexts()
    {
        const KPluginMetaData metaData(ModuleHost::pluginFile());
        QVERIFY(metaData.isValid());
        const QJsonObject raw = metaData.rawData();
        const QJsonObject plugin = raw.value(QStringLiteral("KPlugin")).toObject();
        QCOMPARE(plugin.value(QStringLiteral("Name[ru]")).toString(), QStringLiteral("Дата и время"));
        QCOMPARE(plugin.value(QStringLiteral("Description[ru]")).toString(), QStringLiteral("Настройки даты и времени"));
        QCOMPARE(raw.value(QStringLiteral("X-KDE-Keywords[ru]")).toString(),
                 QStringLiteral("настройка даты и времени,настроить дату и время,установить дату и время,изменить дату и время,поменять дату и время,"
                                "формат отображения даты и времени,синхронизация времени,виджет даты и времени,апплет,часы,часовой пояс,"
                                "системные часы на UTC,календарь,временная зона,временные зоны,региональные настройки,текущее время,язык и регион,"
                                "пользовательское окружение"));
        // What the settings centre lists for a Russian user.
        QCOMPARE(metaData.name(), QStringLiteral("Дата и время"));
        QCOMPARE(metaData.description(), QStringLiteral("Настройки даты и времени"));
    }

    void zoneNamesAreRussian()
    {
        QCOMPARE(ki18nd(Domain, "en_US").toString(), QStringLiteral("ru_RU"));
        QCOMPARE(BaseTimeZonesProvider::getZoneName(QStringLiteral("Europe/Moscow")), QStringLiteral("Москва"));
        QCOMPARE(BaseTimeZonesProvider::getZoneName(QStringLiteral("Asia/Vladivostok")), QStringLiteral("Владивосток"));

        // The time zone tab's list: Moscow in the merged row of its offset.
        MapTimeZonesProvider map;
        const QStringList russian = map.russianTimeZonesWithOffsets();
        QVERIFY2(!russian.filter(QStringLiteral("Europe/Moscow, Москва")).isEmpty(), qPrintable(russian.join(QLatin1Char('\n'))));
        const QStringList all = map.allTimeZonesWithOffsets();
        QVERIFY(!all.filter(QStringLiteral("Europe/Moscow, Москва")).isEmpty());
        // Typing the Russian name finds the zone.
        QVERIFY(!map.getFilteredTimeZones(QStringLiteral("моск")).filter(QStringLiteral("Europe/Moscow")).isEmpty());
        // A city in Russian finds its zone though the zone is named after its country.
        const QStringList tokyo = map.getFilteredTimeZones(QStringLiteral("токио"));
        QCOMPARE(tokyo.size(), 1);
        QVERIFY2(tokyo.first().startsWith(QLatin1String("Asia/Tokyo;")) && tokyo.first().endsWith(QStringLiteral(" Япония")), qPrintable(tokyo.first()));

        // The "Other time zones" list: the part before ";" is what the user reads.
        SettingsForAppletProvider applet;
        const QStringList entries = applet.allTimeZonesWithOffsets().filter(QStringLiteral(";Europe/Moscow"));
        QCOMPARE(entries.size(), 1);
        QVERIFY2(entries.first().section(QLatin1Char(';'), 0, 0).endsWith(QStringLiteral(" Москва")), qPrintable(entries.first()));
    }

    void everyTabShowsRussian_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("date and time") << 0 << QStringLiteral("dateTimeTab") << QStringLiteral("Дата и время")
                                       << QStringList{QStringLiteral("Сегодня"), QStringLiteral("Системные часы установлены на UTC")};
        QTest::newRow("time zone") << 1 << QStringLiteral("timeZonesTab") << QStringLiteral("Часовой пояс")
                                   << QStringList{QStringLiteral("Выберите часовой пояс из списка"), QStringLiteral("Показать все часовые пояса")};
        QTest::newRow("synchronization") << 2 << QStringLiteral("synchronizationTab") << QStringLiteral("Синхронизация")
                                         << QStringList{QStringLiteral("Адрес эталонного сервера времени:"),
                                                        QStringLiteral("Синхронизировать"),
                                                        QStringLiteral("Серверы и пулы")};
        QTest::newRow("other time zones") << 3 << QStringLiteral("appletSettingsTab") << QStringLiteral("Другие часовые пояса")
                                          << QStringList{QStringLiteral("Часовые пояса:"),
                                                         QStringLiteral("Показать все часовые пояса"),
                                                         QStringLiteral("Выбранные часовые пояса:"),
                                                         QStringLiteral("Выберите из списка")};
        QTest::newRow("tray display") << 4 << QString() << QStringLiteral("Отображение на панели")
                                      << QStringList{QStringLiteral("Время:"),
                                                     QStringLiteral("показывать секунды"),
                                                     QStringLiteral("Подсказка:"),
                                                     QStringLiteral("показывать дату в формате дд.мм.гггг"),
                                                     QStringLiteral("Перейти к настройке шрифтов")};
    }

    void everyTabShowsRussian()
    {
        QFETCH(int, index);
        QFETCH(QString, tab);
        QFETCH(QString, title);
        QFETCH(QStringList, texts);

        ModuleHost host;
        QVERIFY(host.create(QSize(900, 700)));
        host.module()->load();
        auto *bar = host.page()->property("tabBar").value<QQuickItem *>();
        QVERIFY(bar);
        QCOMPARE(bar->property("count").toInt(), 5);

        QQuickItem *button = tabButton(bar, index);
        QVERIFY(button);
        QCOMPARE(button->property("text").toString(), title);
        QTest::mouseClick(host.window(), Qt::LeftButton, Qt::NoModifier, button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint());
        QVERIFY(host.waitFor([&] {
            return bar->property("currentIndex").toInt() == index;
        }));
        // The stack holds the tab pages in the order of the buttons.
        auto *stack = host.page()->property("stack").value<QQuickItem *>();
        QVERIFY(stack);
        QCOMPARE(stack->childItems().size(), 5);
        QQuickItem *page = host.tabPage(index);
        QVERIFY(page);
        QVERIFY(tab.isEmpty() || page->objectName() == tab);
        QVERIFY(host.waitFor([&] {
            return page->isVisible();
        }));
        QTest::qWait(300);

        QStringList shown;
        collectTexts(bar, &shown);
        collectTexts(page, &shown);
        for (const QString &text : qAsConst(texts)) {
            QVERIFY2(shown.contains(text),
                     qPrintable(QStringLiteral("\"%1\" is not shown; the tab shows:\n  %2").arg(text, shown.join(QLatin1String("\n  ")))));
        }
        QStringList english;
        for (const QString &text : qAsConst(shown)) {
            if (m_english.contains(text)) {
                english << text;
            }
        }
        QVERIFY2(english.isEmpty(), qPrintable(QLatin1String("Shown in English: ") + english.join(QLatin1String(", "))));

        if (tab == QLatin1String("dateTimeTab")) {
            // The calendar and today's date follow the catalogue and the locale.
            QQuickItem *title = host.findItem(QStringLiteral("titleButton"));
            QVERIFY(title);
            const QDate today = QDate::currentDate();
            QString month = QLocale().standaloneMonthName(today.month(), QLocale::LongFormat);
            month[0] = month[0].toUpper();
            QCOMPARE(title->property("text").toString(), QStringLiteral("%1 %2").arg(month).arg(today.year()));
            QQuickItem *todayButton = host.findItem(QStringLiteral("returnButton"));
            QVERIFY(todayButton);
            QCOMPARE(todayButton->property("text").toString(), QStringLiteral("Сегодня"));
        } else if (tab == QLatin1String("timeZonesTab")) {
            QQuickItem *list = host.findItem(QStringLiteral("timeZonesList"));
            QVERIFY(list);
            // The rows are made when the list first opens.
            QObject *popup = host.page()->findChild<QObject *>(QStringLiteral("timeZonesPopup"));
            QVERIFY(popup && QMetaObject::invokeMethod(popup, "open"));
            const auto *rows = qobject_cast<QAbstractItemModel *>(list->property("model").value<QObject *>());
            QVERIFY(rows);
            const int entryRole = rows->roleNames().key("entry");
            QStringList lines;
            for (int i = 0; i < rows->rowCount(); ++i) {
                lines.append(rows->index(i, 0).data(entryRole).toString());
            }
            QVERIFY2(!lines.filter(QStringLiteral("Europe/Moscow, Москва")).isEmpty(), qPrintable(lines.mid(0, 10).join(QLatin1Char('\n'))));
            QMetaObject::invokeMethod(popup, "close");
        }

        host.saveScreenshot(QStringLiteral("ru-tab-%1").arg(index));
    }
};

QTEST_MAIN(TestRussianModule)

#include "test_russianmodule.moc"
