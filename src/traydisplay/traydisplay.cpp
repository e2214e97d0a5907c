#include "traydisplay.h"

TrayDisplay::TrayDisplay(QObject *parent)
    : QObject(parent)
{
}

void TrayDisplay::apply()
{
}

void TrayDisplay::loadSettings()
{
}
