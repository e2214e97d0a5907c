// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QVariantList>
#include <QVector>

#include "displayformat.h"
#include "instances.h"
#include "systemdisplayformatcontroller.h"

// Translates between the check boxes of the "Tray display" tab and the window
// manager's clock format strings, and keeps the edited strings until Apply.
// The state is class-wide, so every instance and the module object share it.
class TrayDisplay : public QObject
{
    Q_OBJECT
    // What the tab's boxes show and which of them may be changed, indexed by
    // DisplayOption; both follow every edit and load of any instance.
    Q_PROPERTY(QVariantList boxes READ boxes NOTIFY boxesChanged)
    Q_PROPERTY(QVariantList enabledBoxes READ enabledBoxes NOTIFY boxesChanged)
    // needsSave() as a property, for bindings.
    Q_PROPERTY(bool hasChanges READ needsSave NOTIFY boxesChanged)
public:
    // Indexes of the check-box vector.
    enum DisplayOption {
        DisplaySecondsTime = 0,
        DisplayDateInStandartFormatDate,
        DisplayDayOfWeekDate,
        DisplayMonthDate,
        DisplayDayOfMonthDate,
        DisplayYearDate,
        DisplayTimeTip,
        DisplaySecondsTip,
        DisplayDateTip,
        DisplayDateInStandartFormatTip,
        DisplayDayOfWeekTip,
        DisplayMonthTip,
        DisplayDayOfMonthTip,
        DisplayYearTip,
    };
    Q_ENUM(DisplayOption)

    // Relays the failures of storing the formats as error().
    explicit TrayDisplay(QObject *parent = nullptr);
    ~TrayDisplay() override;

    static QVariantList boxes();
    static QVariantList enabledBoxes();
    // Whether `option` may be changed while the boxes are `boxes`: the elements
    // of a date only without its standard form, the tooltip's parts only with
    // the part they belong to.
    static bool isEnabled(const QVector<bool> &boxes, int option);

    // The edited formats, for back-end callers.
    static DisplayFormat &currentFormat();
    // The one store of the formats.
    static SystemDisplayFormatController &formatController();

public Q_SLOTS:
    static void loadSettings();
    static void apply();
    static void setDefaults();
    static void reset();
    static bool needsSave();
    static int numberOfDisplayOptions();
    // The boxes read back from the edited formats.
    static QVector<bool> savedDisplayFormatToCheckBoxes();
    // Builds the edited formats from the boxes; missing entries count as unchecked.
    static void saveDisplayFormat(const QVector<bool> &checkBoxes);
    // The user set one box. Every group keeps something to show: when the
    // change would empty one, another box of it is checked, and its option is
    // returned (for the keyboard focus); -1 when no other box changed.
    static int setBox(int option, bool checked);

Q_SIGNALS:
    void error(const QString &title, const QString &message);
    void boxesChanged();

private:
    static QString m_getTimeFormat(const QVector<bool> &checkBoxes);
    static QString m_getDateFormat(const QVector<bool> &checkBoxes);
    static QString m_getTipFormat(const QVector<bool> &checkBoxes);
    static QString m_keepFullNames(const QString &built, const QString &previous);
    static void m_addFormat(QString &format, const QString &element, const QString &separator = QStringLiteral(" "));
    // The boxes read from the edited formats; a box disabled by them keeps its state.
    static void m_readBoxes();
    static void m_notify();

    static SystemDisplayFormatController m_formatController;
    static DisplayFormat m_currentFormat;
    // A disabled box's state is the user's, not the formats': it is kept here.
    static QVector<bool> m_boxes;
    Instances<TrayDisplay> m_listed{this};
    static const int m_numberOfDisplayOptions = 14;
};
