// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "traydisplay.h"

#include <QMetaType>

#include <algorithm>

#include <utility>

// Made when the library is loaded, so the theme file is read once per process.
SystemDisplayFormatController TrayDisplay::m_formatController;
DisplayFormat TrayDisplay::m_currentFormat;
QVector<bool> TrayDisplay::m_boxes(TrayDisplay::m_numberOfDisplayOptions, false);

// QML passes the check boxes as an array of booleans.
static const int checkBoxesMetaType = qRegisterMetaType<QVector<bool>>("QVector<bool>");

TrayDisplay::TrayDisplay(QObject *parent)
    : QObject(parent)
{
    Q_UNUSED(checkBoxesMetaType)
    connect(&m_formatController, &SystemDisplayFormatController::showMessage, this, &TrayDisplay::error);
}

TrayDisplay::~TrayDisplay() = default;

QVariantList TrayDisplay::boxes()
{
    QVariantList list;
    for (const bool on : qAsConst(m_boxes)) {
        list.append(on);
    }
    return list;
}

QVariantList TrayDisplay::enabledBoxes()
{
    QVariantList list;
    for (int option = 0; option < m_numberOfDisplayOptions; ++option) {
        list.append(isEnabled(m_boxes, option));
    }
    return list;
}

bool TrayDisplay::isEnabled(const QVector<bool> &boxes, int option)
{
    switch (option) {
    case DisplayDayOfWeekDate:
    case DisplayMonthDate:
    case DisplayDayOfMonthDate:
    case DisplayYearDate:
        return !boxes.at(DisplayDateInStandartFormatDate);
    case DisplaySecondsTip:
        return boxes.at(DisplayTimeTip);
    case DisplayDateInStandartFormatTip:
        return boxes.at(DisplayDateTip);
    case DisplayDayOfWeekTip:
    case DisplayMonthTip:
    case DisplayDayOfMonthTip:
    case DisplayYearTip:
        return boxes.at(DisplayDateTip) && !boxes.at(DisplayDateInStandartFormatTip);
    default:
        return true;
    }
}

int TrayDisplay::setBox(int option, bool checked)
{
    if (option < 0 || option >= m_numberOfDisplayOptions) {
        return -1;
    }
    QVector<bool> &b = m_boxes;
    b[option] = checked;
    const auto none = [&b](std::initializer_list<DisplayOption> options) {
        return std::none_of(options.begin(), options.end(), [&b](DisplayOption o) {
            return b.at(o);
        });
    };
    const auto dateEmpty = [&] {
        return none({DisplayDateInStandartFormatDate, DisplayDayOfWeekDate, DisplayMonthDate, DisplayDayOfMonthDate, DisplayYearDate});
    };
    const auto tipDateEmpty = [&] {
        return none({DisplayDateInStandartFormatTip, DisplayDayOfWeekTip, DisplayMonthTip, DisplayDayOfMonthTip, DisplayYearTip});
    };
    int checkedForIt = -1;
    switch (option) {
    case DisplayDateInStandartFormatDate:
        checkedForIt = dateEmpty() ? DisplayDayOfWeekDate : -1;
        break;
    case DisplayDayOfWeekDate:
    case DisplayMonthDate:
    case DisplayDayOfMonthDate:
    case DisplayYearDate:
        checkedForIt = dateEmpty() ? DisplayDateInStandartFormatDate : -1;
        break;
    case DisplayTimeTip:
    case DisplayDateTip:
        // The tooltip shows the time, the date or both.
        if (!checked) {
            checkedForIt = option == DisplayTimeTip ? DisplayDateTip : DisplayTimeTip;
            b[checkedForIt] = true;
        }
        // A date with nothing in it would leave the tooltip empty, and an empty
        // format is never stored.
        if (b.at(DisplayDateTip) && tipDateEmpty()) {
            b[DisplayDateInStandartFormatTip] = true;
        }
        break;
    // Without a date in the tooltip its parts show nothing, and need not.
    case DisplayDateInStandartFormatTip:
        checkedForIt = b.at(DisplayDateTip) && tipDateEmpty() ? DisplayDayOfWeekTip : -1;
        break;
    case DisplayDayOfWeekTip:
    case DisplayMonthTip:
    case DisplayDayOfMonthTip:
    case DisplayYearTip:
        checkedForIt = b.at(DisplayDateTip) && tipDateEmpty() ? DisplayDateInStandartFormatTip : -1;
        break;
    default:
        break;
    }
    if (checkedForIt >= 0) {
        b[checkedForIt] = true;
    }
    // Tells every instance, boxes and formats alike.
    saveDisplayFormat(b);
    return checkedForIt;
}

void TrayDisplay::m_readBoxes()
{
    const QVector<bool> read = savedDisplayFormatToCheckBoxes();
    for (int option = 0; option < m_numberOfDisplayOptions; ++option) {
        if (isEnabled(read, option)) {
            m_boxes[option] = read.at(option);
        }
    }
}

void TrayDisplay::m_notify()
{
    Instances<TrayDisplay>::notify(&TrayDisplay::boxesChanged);
}

DisplayFormat &TrayDisplay::currentFormat()
{
    return m_currentFormat;
}

SystemDisplayFormatController &TrayDisplay::formatController()
{
    return m_formatController;
}

void TrayDisplay::loadSettings()
{
    m_currentFormat = m_formatController.get();
    m_readBoxes();
    m_notify();
}

void TrayDisplay::apply()
{
    m_formatController.set(m_currentFormat);
    m_notify();
}

void TrayDisplay::setDefaults()
{
    m_currentFormat = SystemDisplayFormatController::defaults();
    m_readBoxes();
    m_notify();
}

void TrayDisplay::reset()
{
    loadSettings();
}

bool TrayDisplay::needsSave()
{
    return !m_currentFormat.isEqual(m_formatController.get());
}

int TrayDisplay::numberOfDisplayOptions()
{
    return m_numberOfDisplayOptions;
}

QVector<bool> TrayDisplay::savedDisplayFormatToCheckBoxes()
{
    const auto containsAny = [](const QString &format, std::initializer_list<QLatin1String> codes) {
        for (const QLatin1String &code : codes) {
            if (format.contains(code)) {
                return true;
            }
        }
        return false;
    };
    const QString &clock = m_currentFormat.clockFormat;
    const QString &date = m_currentFormat.dateFormat;
    const QString &tip = m_currentFormat.clockMessageFormat;

    QVector<bool> boxes(m_numberOfDisplayOptions, false);
    boxes[DisplaySecondsTime] = clock.contains(QLatin1String("%S"));
    boxes[DisplayDateInStandartFormatDate] = date.contains(QLatin1String("%d.%m.%Y"));
    // The full names ("%A", "%B") are the same boxes as the short ones.
    boxes[DisplayDayOfWeekDate] = containsAny(date, {QLatin1String("%a"), QLatin1String("%A")});
    boxes[DisplayMonthDate] = containsAny(date, {QLatin1String("%b"), QLatin1String("%B")});
    boxes[DisplayDayOfMonthDate] = containsAny(date, {QLatin1String("%d"), QLatin1String("%e")});
    boxes[DisplayYearDate] = date.contains(QLatin1String("%y"));
    boxes[DisplayTimeTip] = tip.contains(QLatin1String("%H"));
    boxes[DisplaySecondsTip] = tip.contains(QLatin1String("%S"));
    boxes[DisplayDateTip] = containsAny(
        tip,
        {QLatin1String("%y"), QLatin1String("%Y"), QLatin1String("%a"), QLatin1String("%A"), QLatin1String("%b"), QLatin1String("%B"), QLatin1String("%d")});
    boxes[DisplayDateInStandartFormatTip] = tip.contains(QLatin1String("%d.%m.%Y"));
    boxes[DisplayDayOfWeekTip] = containsAny(tip, {QLatin1String("%a"), QLatin1String("%A")});
    boxes[DisplayMonthTip] = containsAny(tip, {QLatin1String("%b"), QLatin1String("%B")});
    boxes[DisplayDayOfMonthTip] = containsAny(tip, {QLatin1String("%d"), QLatin1String("%e")});
    boxes[DisplayYearTip] = containsAny(tip, {QLatin1String("%y"), QLatin1String("%Y")});
    return boxes;
}

void TrayDisplay::saveDisplayFormat(const QVector<bool> &checkBoxes)
{
    QVector<bool> boxes = checkBoxes;
    boxes.resize(m_numberOfDisplayOptions);
    // A box keeps the full name its string had while the user leaves it ticked:
    // the boxes cannot tell "%A" from "%a", and a rebuilt string must not
    // shorten what the user did not touch.
    const QString date = m_getDateFormat(boxes);
    const QString tip = m_getTipFormat(boxes);
    m_currentFormat.clockFormat = m_getTimeFormat(boxes);
    m_currentFormat.dateFormat = m_keepFullNames(date, m_currentFormat.dateFormat);
    m_currentFormat.clockMessageFormat = m_keepFullNames(tip, m_currentFormat.clockMessageFormat);
    m_notify();
}

QString TrayDisplay::m_getTimeFormat(const QVector<bool> &checkBoxes)
{
    QString format = QStringLiteral("%H:%M");
    if (checkBoxes.at(DisplaySecondsTime)) {
        format += QLatin1String(":%S");
    }
    return format;
}

QString TrayDisplay::m_getDateFormat(const QVector<bool> &checkBoxes)
{
    if (checkBoxes.at(DisplayDateInStandartFormatDate)) {
        return QStringLiteral("%d.%m.%Y");
    }
    QString format;
    if (checkBoxes.at(DisplayDayOfWeekDate)) {
        m_addFormat(format, QStringLiteral("%a"));
    }
    if (checkBoxes.at(DisplayDayOfMonthDate)) {
        m_addFormat(format, QStringLiteral("%d"), QStringLiteral(", "));
    }
    if (checkBoxes.at(DisplayMonthDate)) {
        m_addFormat(format, QStringLiteral("%b"));
    }
    if (checkBoxes.at(DisplayYearDate)) {
        m_addFormat(format, QStringLiteral("%y"));
    }
    return format;
}

QString TrayDisplay::m_getTipFormat(const QVector<bool> &checkBoxes)
{
    QString format;
    if (checkBoxes.at(DisplayTimeTip)) {
        format = QStringLiteral("%H:%M");
        if (checkBoxes.at(DisplaySecondsTip)) {
            format += QLatin1String(":%S");
        }
    }
    if (!checkBoxes.at(DisplayDateTip)) {
        return format;
    }
    if (!format.isEmpty()) {
        // The window manager's line break: a backslash and "n", not a line feed.
        format += QLatin1String("\\n");
    }
    if (checkBoxes.at(DisplayDateInStandartFormatTip)) {
        return format + QLatin1String("%d.%m.%Y");
    }
    QString dateLine;
    if (checkBoxes.at(DisplayDayOfWeekTip)) {
        m_addFormat(dateLine, QStringLiteral("%a"));
    }
    if (checkBoxes.at(DisplayDayOfMonthTip)) {
        m_addFormat(dateLine, QStringLiteral("%d"), QStringLiteral(", "));
    }
    if (checkBoxes.at(DisplayMonthTip)) {
        m_addFormat(dateLine, QStringLiteral("%b"));
    }
    if (checkBoxes.at(DisplayYearTip)) {
        m_addFormat(dateLine, QStringLiteral("%Y"));
    }
    return format + dateLine;
}

QString TrayDisplay::m_keepFullNames(const QString &built, const QString &previous)
{
    QString format = built;
    for (const auto &[shortName, fullName] : {std::pair{QLatin1String("%a"), QLatin1String("%A")}, std::pair{QLatin1String("%b"), QLatin1String("%B")}}) {
        if (previous.contains(fullName)) {
            format.replace(shortName, fullName);
        }
    }
    return format;
}

void TrayDisplay::m_addFormat(QString &format, const QString &element, const QString &separator)
{
    if (!format.isEmpty()) {
        format += separator;
    }
    format += element;
}
