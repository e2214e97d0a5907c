// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The panel clock's preview: the formats expanded as the window manager does,
    with strftime in the user's locale and "\n" as a line break.
*/

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

#include "clockpreview.h"
#include "traydisplay.h"

class ClockPreviewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expandsLikeStrftime()
    {
        // TZ is Asia/Vladivostok: local time, as the window manager shows it.
        const QDateTime at(QDate(2026, 12, 8), QTime(4, 5, 9), Qt::UTC);
        QCOMPARE(ClockPreview::expand(QStringLiteral("%H:%M:%S\\n%a, %e %b %Y"), at), QStringLiteral("14:05:09\nTue,  8 Dec 2026"));
        QCOMPARE(ClockPreview::expand(QStringLiteral("%p"), at), QStringLiteral("PM"));
        QCOMPARE(ClockPreview::expand(QString(), at), QString());
    }

    void followsTheUsersLocale()
    {
        const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
        if (localedef.isEmpty() || !QFile::exists(QStringLiteral("/usr/share/i18n/locales/ru_RU"))) {
            QSKIP("no locale sources to build ru_RU from");
        }
        // Built privately: the machine's own locales stay as they are.
        QTemporaryDir locales;
        QCOMPARE(QProcess::execute(localedef,
                                   {QStringLiteral("-i"),
                                    QStringLiteral("ru_RU"),
                                    QStringLiteral("-f"),
                                    QStringLiteral("UTF-8"),
                                    locales.filePath(QStringLiteral("ru_RU.UTF-8"))}),
                 0);
        qputenv("LOCPATH", QFile::encodeName(locales.path()));
        QVERIFY(std::setlocale(LC_TIME, "ru_RU.UTF-8"));
        const QString russian = ClockPreview::expand(QStringLiteral("%a %d %b"), QDateTime(QDate(2026, 12, 8), QTime(4, 5), Qt::UTC));
        std::setlocale(LC_TIME, "");
        QCOMPARE(russian, QStringLiteral("Вт 08 дек"));
    }

    void emptyEditedFieldsShowWhatStays()
    {
        TrayDisplay::loadSettings();
        const DisplayFormat stored = TrayDisplay::formatController().get();
        TrayDisplay::currentFormat() = DisplayFormat{QStringLiteral("%H"), QString(), QString()};
        const DisplayFormat shown = ClockPreview::effectiveFormat();
        TrayDisplay::loadSettings();
        QCOMPARE(shown.clockFormat, QStringLiteral("%H"));
        QCOMPARE(shown.dateFormat, stored.dateFormat);
        QCOMPARE(shown.clockMessageFormat, stored.clockMessageFormat);
    }
};

QTEST_GUILESS_MAIN(ClockPreviewTest)

#include "test_clockpreview.moc"
