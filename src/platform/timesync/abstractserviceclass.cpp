#include "abstractserviceclass.h"

AbstractServiceClass::AbstractServiceClass(QObject *parent)
    : QObject(parent)
{
}

AbstractServiceClass::~AbstractServiceClass() = default;
