// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "clockpreview.h"

#include <QByteArray>
#include <QStringList>

#include <ctime>
#include <vector>

#include "traydisplay.h"

namespace
{
QString strftimeLine(const QString &format, const std::tm &moment)
{
    // strftime gives 0 both for an empty result and for a short buffer: a trailing
    // space keeps every result non-empty, and is taken off again.
    const QByteArray pattern = format.toLocal8Bit() + ' ';
    std::vector<char> buffer(256);
    for (;;) {
        const size_t length = std::strftime(buffer.data(), buffer.size(), pattern.constData(), &moment);
        if (length > 0) {
            return QString::fromLocal8Bit(buffer.data(), static_cast<int>(length) - 1);
        }
        if (buffer.size() >= 64 * 1024) {
            return QString();
        }
        buffer.resize(buffer.size() * 4);
    }
}
}

ClockPreview::ClockPreview(QObject *parent)
    : QObject(parent)
{
}

QString ClockPreview::expand(const QString &format, const QDateTime &at)
{
    const std::time_t seconds = static_cast<std::time_t>(at.toSecsSinceEpoch());
    std::tm moment{};
    localtime_r(&seconds, &moment);
    QStringList lines;
    for (const QString &line : format.split(QStringLiteral("\\n"))) {
        lines << strftimeLine(line, moment);
    }
    return lines.join(QLatin1Char('\n'));
}

DisplayFormat ClockPreview::effectiveFormat()
{
    const DisplayFormat &stored = TrayDisplay::formatController().get();
    DisplayFormat format = TrayDisplay::currentFormat();
    if (format.clockFormat.isEmpty()) {
        format.clockFormat = stored.clockFormat;
    }
    if (format.dateFormat.isEmpty()) {
        format.dateFormat = stored.dateFormat;
    }
    if (format.clockMessageFormat.isEmpty()) {
        format.clockMessageFormat = stored.clockMessageFormat;
    }
    return format;
}

QString ClockPreview::clockText()
{
    const DisplayFormat format = effectiveFormat();
    const QDateTime now = QDateTime::currentDateTime();
    const QString time = expand(format.clockFormat, now);
    return format.dateFormat.isEmpty() ? time : time + QLatin1Char('\n') + expand(format.dateFormat, now);
}

QString ClockPreview::tipText()
{
    return expand(effectiveFormat().clockMessageFormat, QDateTime::currentDateTime());
}
