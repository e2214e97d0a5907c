#pragma once

#include <QObject>
#include <QVector>

#include "displayformat.h"
#include "systemdisplayformatcontroller.h"

// Translates between the check boxes of the "Tray display" tab and the window
// manager's clock format strings, and keeps the edited strings until Apply.
// The state is class-wide, so every instance and the module object share it.
class TrayDisplay : public QObject
{
    Q_OBJECT
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

Q_SIGNALS:
    void error(const QString &title, const QString &message);

private:
    static QString m_getTimeFormat(const QVector<bool> &checkBoxes);
    static QString m_getDateFormat(const QVector<bool> &checkBoxes);
    static QString m_getTipFormat(const QVector<bool> &checkBoxes);
    static QString m_keepFullNames(const QString &built, const QString &previous);
    static void m_addFormat(QString &format, const QString &element, const QString &separator = QStringLiteral(" "));

    static SystemDisplayFormatController m_formatController;
    static DisplayFormat m_currentFormat;
    static const int m_numberOfDisplayOptions = 14;
};
