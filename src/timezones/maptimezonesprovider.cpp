#include "maptimezonesprovider.h"

MapTimeZonesProvider::MapTimeZonesProvider(QObject *parent)
    : QObject(parent)
{
}
