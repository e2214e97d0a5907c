#include "mapcontroller.h"

MapController::MapController(QObject *parent)
    : QObject(parent)
{
}

void MapController::loadImages()
{
}
