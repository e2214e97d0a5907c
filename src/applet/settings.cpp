#include "settings.h"

const QStringList Settings::m_availableKeys = {
    QStringLiteral("allTimeZonesToDisplay"),
    QStringLiteral("chosenTimeZones"),
    QStringLiteral("Server"),
};

Settings::Settings()
    : m_settings(QStringLiteral("ru.nimbolinux"), QStringLiteral("kcm_orb_admin_date"))
{
}

QVariant Settings::value(const Settings::Key &key, const QVariant &defaultValue) const
{
    return m_settings.value(m_availableKeys.at(key), defaultValue);
}

void Settings::setValue(const Settings::Key &key, const QVariant &value)
{
    m_settings.setValue(m_availableKeys.at(key), value);
}

void Settings::save(const QMap<Settings::Key, QVariant> &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        setValue(it.key(), it.value());
    }
    sync();
}

void Settings::sync()
{
    m_settings.sync();
}

QStringList Settings::availableKeys()
{
    return m_availableKeys;
}
