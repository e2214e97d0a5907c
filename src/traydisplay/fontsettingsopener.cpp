#include "fontsettingsopener.h"

FontSettingsOpener::FontSettingsOpener(QObject *parent)
    : QObject(parent)
{
}
