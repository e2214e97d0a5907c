// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// Check boxes to clock format strings and back, and the edited/stored comparison.
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include "systemdisplayformatcontroller.h"
#include "traydisplay.h"

using Boxes = QVector<bool>;
Q_DECLARE_METATYPE(DisplayFormat)

static Boxes boxesOn(std::initializer_list<int> on)
{
    Boxes boxes(14, false);
    for (int option : on) {
        boxes[option] = true;
    }
    return boxes;
}

// The window manager's two-character line break.
static QString withBreak(const char *before, const char *after)
{
    return QString::fromUtf8(before) + QStringLiteral("\\n") + QString::fromUtf8(after);
}

static DisplayFormat formats(const char *clock, const char *date, const char *tip)
{
    return DisplayFormat{QString::fromUtf8(clock), QString::fromUtf8(date), QString::fromUtf8(tip)};
}

static DisplayFormat formats(const char *clock, const char *date, const QString &tip)
{
    return DisplayFormat{QString::fromUtf8(clock), QString::fromUtf8(date), tip};
}

static QString joined(const DisplayFormat &format)
{
    return format.clockFormat + QLatin1Char('|') + format.dateFormat + QLatin1Char('|') + format.clockMessageFormat;
}

class TestTrayDisplay : public QObject
{
    Q_OBJECT
private:
    static DisplayFormat built(const Boxes &boxes)
    {
        TrayDisplay::saveDisplayFormat(boxes);
        return TrayDisplay::currentFormat();
    }
    static Boxes readBack(const DisplayFormat &format)
    {
        TrayDisplay::currentFormat() = format;
        return TrayDisplay::savedDisplayFormatToCheckBoxes();
    }

private Q_SLOTS:
    // Building keeps full names from the edited strings: start each test without any.
    void init()
    {
        TrayDisplay::currentFormat() = DisplayFormat{};
    }

    void buildsStrings_data()
    {
        QTest::addColumn<Boxes>("boxes");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("tip");

        QTest::newRow("none") << boxesOn({}) << QStringLiteral("%H:%M") << QStringLiteral("") << QStringLiteral("");
        QTest::newRow("clock with every date element")
            << boxesOn({0, 2, 4, 3, 5}) << QStringLiteral("%H:%M:%S") << QStringLiteral("%a, %d %b %y") << QStringLiteral("");
        QTest::newRow("standard date wins over elements")
            << boxesOn({1, 2, 3, 4, 5}) << QStringLiteral("%H:%M") << QStringLiteral("%d.%m.%Y") << QStringLiteral("");
        QTest::newRow("date elements without day of week") << boxesOn({3, 5}) << QStringLiteral("%H:%M") << QStringLiteral("%b %y") << QStringLiteral("");
        QTest::newRow("day of month first gets no separator") << boxesOn({4, 3}) << QStringLiteral("%H:%M") << QStringLiteral("%d %b") << QStringLiteral("");
        QTest::newRow("tip time, seconds, standard date")
            << boxesOn({6, 7, 8, 9}) << QStringLiteral("%H:%M") << QStringLiteral("") << withBreak("%H:%M:%S", "%d.%m.%Y");
        QTest::newRow("tip standard date stops the line")
            << boxesOn({8, 9, 10, 11, 12, 13}) << QStringLiteral("%H:%M") << QStringLiteral("") << QStringLiteral("%d.%m.%Y");
        QTest::newRow("tip time and two elements") << boxesOn({6, 8, 12, 11}) << QStringLiteral("%H:%M") << QStringLiteral("") << withBreak("%H:%M", "%d %b");
        QTest::newRow("tip date line alone") << boxesOn({8, 10, 12, 11, 13}) << QStringLiteral("%H:%M") << QStringLiteral("") << QStringLiteral("%a, %d %b %Y");
        QTest::newRow("tip date line: no leading separator")
            << boxesOn({6, 8, 12}) << QStringLiteral("%H:%M") << QStringLiteral("") << withBreak("%H:%M", "%d");
        QTest::newRow("tip seconds need the time") << boxesOn({7}) << QStringLiteral("%H:%M") << QStringLiteral("") << QStringLiteral("");
        QTest::newRow("tip elements need the date") << boxesOn({6, 10, 13}) << QStringLiteral("%H:%M") << QStringLiteral("") << QStringLiteral("%H:%M");
        QTest::newRow("tip date without any element") << boxesOn({6, 8}) << QStringLiteral("%H:%M") << QStringLiteral("") << withBreak("%H:%M", "");
    }
    void buildsStrings()
    {
        QFETCH(Boxes, boxes);
        QFETCH(QString, clock);
        QFETCH(QString, date);
        QFETCH(QString, tip);
        const DisplayFormat format = built(boxes);
        QCOMPARE(format.clockFormat, clock);
        QCOMPARE(format.dateFormat, date);
        QCOMPARE(format.clockMessageFormat, tip);
    }

    void shortVectorCountsAsUnchecked()
    {
        const DisplayFormat format = built(Boxes{true, false, true});
        QCOMPARE(format.clockFormat, QStringLiteral("%H:%M:%S"));
        QCOMPARE(format.dateFormat, QStringLiteral("%a"));
        QCOMPARE(format.clockMessageFormat, QString());
        QCOMPARE(built(Boxes()).clockFormat, QStringLiteral("%H:%M"));
    }

    void readsBoxesBack_data()
    {
        QTest::addColumn<DisplayFormat>("format");
        QTest::addColumn<Boxes>("boxes");

        QTest::newRow("theme file defaults") << formats("%H:%M", "", "%A, %e %B, %Y") << boxesOn({8, 10, 11, 12, 13});
        QTest::newRow("full names are the short names' boxes") << formats("%H:%M", "%A %B", "%B") << boxesOn({2, 3, 8, 11});
        QTest::newRow("defaults()") << SystemDisplayFormatController::defaults() << boxesOn({2, 3, 4, 8, 10, 11, 12, 13});
        QTest::newRow("standard forms set their element boxes too")
            << formats("%H:%M:%S", "%d.%m.%Y", withBreak("%H:%M:%S", "%d.%m.%Y")) << boxesOn({0, 1, 4, 6, 7, 8, 9, 12, 13});
        QTest::newRow("two-digit year and %e") << formats("%H:%M", "%e %y", "%y") << boxesOn({4, 5, 8, 13});
        QTest::newRow("four-digit year is not the date's year") << formats("%H:%M", "%Y", "%H") << boxesOn({6});
        QTest::newRow("case matters") << formats("%H:%M:%s", "%D %Y", "%h %D %E") << boxesOn({});
        QTest::newRow("%e alone does not make a tooltip date") << formats("%H:%M", "", "%e") << boxesOn({12});
    }
    void readsBoxesBack()
    {
        QFETCH(DisplayFormat, format);
        QFETCH(Boxes, boxes);
        QCOMPARE(readBack(format), boxes);
    }

    // What the user leaves ticked keeps its full name; what they untick and tick
    // again comes back short, as the boxes build it.
    void fullNamesSurviveOtherEdits()
    {
        TrayDisplay::currentFormat() = formats("%H:%M", "%A %B", "%A, %e %B, %Y");
        QCOMPARE(joined(built(boxesOn({0, 2, 3, 5, 8, 10, 11, 12, 13}))), joined(formats("%H:%M:%S", "%A %B %y", "%A, %d %B %Y")));
        QCOMPARE(joined(built(boxesOn({0, 3, 5, 8, 10, 12, 13}))), joined(formats("%H:%M:%S", "%B %y", "%A, %d %Y")));
        QCOMPARE(joined(built(boxesOn({0, 2, 3, 5, 8, 10, 11, 12, 13}))), joined(formats("%H:%M:%S", "%a %B %y", "%A, %d %b %Y")));
    }

    // Every vector whose tooltip date, when on, has something to show survives
    // strings -> boxes -> strings unchanged.
    void roundTripOverEveryVector()
    {
        int checked = 0;
        for (int bits = 0; bits < (1 << 14); ++bits) {
            Boxes boxes(14);
            for (int i = 0; i < 14; ++i) {
                boxes[i] = bits & (1 << i);
            }
            const bool dateHasContent = boxes[9] || boxes[10] || boxes[11] || boxes[12] || boxes[13];
            if (boxes[8] && !dateHasContent) {
                continue;
            }
            const DisplayFormat first = built(boxes);
            const DisplayFormat second = built(readBack(first));
            if (second.clockFormat != first.clockFormat || second.dateFormat != first.dateFormat || second.clockMessageFormat != first.clockMessageFormat) {
                QFAIL(qPrintable(
                    QStringLiteral("vector %1: \"%2\" \"%3\" \"%4\" came back as \"%5\" \"%6\" \"%7\"")
                        .arg(bits)
                        .arg(first.clockFormat, first.dateFormat, first.clockMessageFormat, second.clockFormat, second.dateFormat, second.clockMessageFormat)));
            }
            ++checked;
        }
        // 2^14 minus the 2^8 vectors with box 8 on and boxes 9 to 13 off.
        QCOMPARE(checked, (1 << 14) - (1 << 8));
    }

    void isEqualIgnoresOnlySpaces_data()
    {
        QTest::addColumn<DisplayFormat>("a");
        QTest::addColumn<DisplayFormat>("b");
        QTest::addColumn<bool>("equal");
        QTest::newRow("space after colon") << formats("%H:%M", "%a, %e %b", "x") << formats("%H: %M", "%a,%e%b", "x ") << true;
        QTest::newRow("case") << formats("%H:%M", "", "") << formats("%h:%M", "", "") << false;
        QTest::newRow("tab is not a space") << formats("%H:%M", "", "") << formats("%H:\t%M", "", "") << false;
        QTest::newRow("fields do not mix") << formats("%H", "%M", "") << formats("%H%M", "", "") << false;
        QTest::newRow("tooltip differs") << formats("", "", "%a") << formats("", "", "%b") << false;
        QTest::newRow("all empty") << DisplayFormat{} << formats(" ", "  ", "") << true;
    }
    void isEqualIgnoresOnlySpaces()
    {
        QFETCH(DisplayFormat, a);
        QFETCH(DisplayFormat, b);
        QFETCH(bool, equal);
        QCOMPARE(a.isEqual(b), equal);
        QCOMPARE(b.isEqual(a), equal);
    }

    void needsSaveFollowsTheStore()
    {
        // Stored: what the theme file had when the library was loaded (no file here).
        QCOMPARE(TrayDisplay::formatController().get().clockFormat, QStringLiteral("%H:%M"));
        TrayDisplay::loadSettings();
        QVERIFY(!TrayDisplay::needsSave());

        TrayDisplay::currentFormat().clockMessageFormat = QStringLiteral("%A,%e%B,%Y ");
        QVERIFY(!TrayDisplay::needsSave());
        TrayDisplay::currentFormat().clockFormat = QStringLiteral("%H:%M:%S");
        QVERIFY(TrayDisplay::needsSave());
        TrayDisplay::reset();
        QVERIFY(!TrayDisplay::needsSave());

        TrayDisplay::setDefaults();
        QCOMPARE(TrayDisplay::currentFormat().dateFormat, QStringLiteral("%a, %e %b"));
        QVERIFY(TrayDisplay::needsSave());
        QCOMPARE(TrayDisplay::numberOfDisplayOptions(), 14);
    }

    // Without an X11 display the window manager cannot be told; the store still
    // keeps the formats, and every TrayDisplay relays the failure.
    void applyStoresAndRelaysFailures()
    {
        TrayDisplay tray;
        QSignalSpy errors(&tray, &TrayDisplay::error);
        TrayDisplay::saveDisplayFormat(boxesOn({0, 1, 6, 8, 9}));
        QVERIFY(TrayDisplay::needsSave());
        TrayDisplay::apply();

        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("Error"));
        QCOMPARE(errors.at(0).at(1).toString(),
                 QStringLiteral("Unable to set clock display format.\nUnable to set date display format.\nUnable to set clock message display format."));
        QVERIFY(!TrayDisplay::needsSave());
        QCOMPARE(TrayDisplay::formatController().get().clockMessageFormat, withBreak("%H:%M", "%d.%m.%Y"));

        QFile theme(SystemDisplayFormatController::themeFilePath());
        QVERIFY(theme.open(QIODevice::ReadOnly));
        QCOMPARE(theme.readAll(), QByteArray("ClockFormat=%H:%M:%S\nDateFormat=%d.%m.%Y\nClockMessageFormat=%H:%M\\n%d.%m.%Y\n"));

        // Unchanged formats: nothing to tell, nothing to report.
        TrayDisplay::apply();
        QCOMPARE(errors.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestTrayDisplay)
#include "test_traydisplay.moc"
