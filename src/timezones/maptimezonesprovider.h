#pragma once

#include <QObject>

// The zone list of the "Time zone" tab. Not complete yet.
class MapTimeZonesProvider : public QObject
{
    Q_OBJECT
public:
    explicit MapTimeZonesProvider(QObject *parent = nullptr);
};
