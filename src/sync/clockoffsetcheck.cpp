// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#include "clockoffsetcheck.h"

#include <KLocalizedString>

#include <QDebug>
#include <QLocale>

#include <cmath>

#include "ntpquery.h"

ClockOffsetCheck::ClockOffsetCheck(QObject *parent)
    : QObject(parent)
    , m_tool(NtpQuery::tool())
{
}

ClockOffsetCheck::~ClockOffsetCheck()
{
    // The query's process must not outlive the page that asked.
    delete m_query;
}

bool ClockOffsetCheck::running() const
{
    return !m_query.isNull();
}

QString ClockOffsetCheck::result() const
{
    return m_result;
}

QString ClockOffsetCheck::tool() const
{
    return m_tool;
}

void ClockOffsetCheck::setTool(const QString &tool)
{
    if (tool == m_tool) {
        return;
    }
    m_tool = tool;
    Q_EMIT toolChanged();
}

QString ClockOffsetCheck::describe(double offset, const QString &server)
{
    const double distance = std::fabs(offset);
    if (distance < 0.0005) {
        return i18n("This computer's clock agrees with %1", server);
    }
    const QString amount = distance < 1 ? i18nc("@info milliseconds", "%1 ms", QLocale().toString(distance * 1000, 'f', 0))
                                        : i18nc("@info seconds", "%1 s", QLocale().toString(distance, 'f', 1));
    return offset < 0 ? i18n("This computer is %1 ahead of %2", amount, server) : i18n("This computer is %1 behind %2", amount, server);
}

void ClockOffsetCheck::setToolEnvironment(const QStringList &variables)
{
    m_toolEnvironment = variables;
}

void ClockOffsetCheck::check(const QString &server)
{
    if (running()) {
        return;
    }
    const QString name = server.trimmed();
    if (name.isEmpty()) {
        m_finish(i18n("Enter a time server to check against."));
        return;
    }
    if (m_tool.isEmpty()) {
        m_finish(i18n("The clock cannot be checked: ntpdig is not installed."));
        return;
    }
    m_query = new NtpQuery(this);
    connect(m_query, &NtpQuery::finished, this, [this, name](bool ok, double offset, const QString &, const QString &message) {
        const NtpQuery::Failure failure = m_query->failure();
        m_query->deleteLater();
        m_query.clear();
        if (ok) {
            m_finish(describe(offset, name));
            return;
        }
        qWarning().noquote() << "Checking the clock against" << name << "failed:" << message;
        if (failure == NtpQuery::Failure::NotStarted) {
            m_finish(i18n("The clock cannot be checked: the query program could not be started."));
        } else if (failure == NtpQuery::Failure::UnknownServer) {
            m_finish(i18n("No measurement: the server %1 could not be found.", name));
        } else {
            m_finish(i18n("No measurement: %1 did not answer.", name));
        }
    });
    m_result = i18n("Checking the clock against %1…", name);
    Q_EMIT resultChanged();
    Q_EMIT runningChanged();
    m_query->start(m_tool, {name}, m_toolEnvironment);
}

void ClockOffsetCheck::m_finish(const QString &text)
{
    m_result = text;
    Q_EMIT resultChanged();
    Q_EMIT runningChanged();
}
