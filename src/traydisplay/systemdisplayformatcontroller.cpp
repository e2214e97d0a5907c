// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "systemdisplayformatcontroller.h"

#include <KLocalizedString>

#include <QDebug>
#include <QX11Info>

#include "orbdir.h"
#include "orbsettings.h"
#include "orbwmcommand.h"

namespace
{
// Constant-initialized: the one controller is made during static initialization.
constexpr QLatin1String clockKey("ClockFormat");
constexpr QLatin1String dateKey("DateFormat");
constexpr QLatin1String clockMessageKey("ClockMessageFormat");

struct Field {
    QString DisplayFormat::*member;
    QLatin1String key;
    QString commandError;
};
}

SystemDisplayFormatController::SystemDisplayFormatController()
    : m_format(m_getSystemFormat())
{
}

SystemDisplayFormatController::~SystemDisplayFormatController() = default;

const DisplayFormat &SystemDisplayFormatController::get() const
{
    return m_format;
}

DisplayFormat SystemDisplayFormatController::defaults()
{
    return DisplayFormat{QStringLiteral("%H:%M"), QStringLiteral("%a, %e %b"), QStringLiteral("%a, %e %b, %Y")};
}

QString SystemDisplayFormatController::themeFilePath()
{
    return QString::fromStdString(GetOrbDir(OrbDirWindowManager)) + QStringLiteral("/current.themerc");
}

DisplayFormat SystemDisplayFormatController::m_getSystemFormat() const
{
    const OrbSettings settings(themeFilePath());
    return DisplayFormat{settings.value(clockKey, QStringLiteral("%H:%M")).toString(),
                         settings.value(dateKey, QString()).toString(),
                         settings.value(clockMessageKey, QStringLiteral("%A, %e %B, %Y")).toString()};
}

bool SystemDisplayFormatController::m_sendCommand(const QByteArray &command)
{
    return SendCommandToWM(QX11Info::isPlatformX11() ? QX11Info::display() : nullptr, command);
}

void SystemDisplayFormatController::set(const DisplayFormat &format)
{
    OrbSettings settings(themeFilePath());
    QStringList errors;

    const Field fields[] = {
        {&DisplayFormat::clockFormat, clockKey, i18n("Unable to set clock display format.")},
        {&DisplayFormat::dateFormat, dateKey, i18n("Unable to set date display format.")},
        {&DisplayFormat::clockMessageFormat, clockMessageKey, i18n("Unable to set clock message display format.")},
    };
    DisplayFormat written = m_format;
    QList<const Field *> toAnnounce;
    for (const Field &field : fields) {
        const QString &value = format.*field.member;
        if (value.isEmpty() || value == m_format.*field.member) {
            continue;
        }
        if (!settings.setValue(field.key, value)) {
            qWarning() << "Refused" << field.key << settings.errorString();
            errors << i18n("The value of %1 holds a line break or a NUL character and was not saved.", field.key);
            continue;
        }
        written.*field.member = value;
        toAnnounce << &field;
    }

    // The window manager hears of a format only once it is stored: it reads the
    // file again when it starts, and must not show what would then be gone.
    if (!toAnnounce.isEmpty() && !settings.sync()) {
        qWarning() << "Cannot write" << settings.path() << settings.errorString();
        errors << i18n("Unable to save the clock format to %1.", settings.path()) + QLatin1Char('\n') + settings.errorReason();
        toAnnounce.clear();
        written = m_format;
    }
    for (const Field *field : qAsConst(toAnnounce)) {
        const QString command = QStringLiteral("ORBWM_UPDATE_VAL ") + field->key + QLatin1Char(' ') + (written.*field->member) + QLatin1Char('\n');
        if (!m_sendCommand(command.toLocal8Bit())) {
            errors << field->commandError;
        }
    }
    m_format = written;

    if (!errors.isEmpty()) {
        const QString text = errors.join(QLatin1Char('\n'));
        qDebug() << i18n("Error: %1", text);
        Q_EMIT showMessage(i18n("Error"), text);
    }
}
