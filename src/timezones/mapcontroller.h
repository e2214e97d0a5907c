#pragma once

#include <QObject>

// The clickable offset map. Not complete yet.
class MapController : public QObject
{
    Q_OBJECT
public:
    explicit MapController(QObject *parent = nullptr);

    static void loadImages();
};
