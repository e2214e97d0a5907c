#pragma once

#include <QObject>

// The panel clock format as edited on the "Tray display" tab. Not complete yet.
class TrayDisplay : public QObject
{
    Q_OBJECT
public:
    explicit TrayDisplay(QObject *parent = nullptr);

public Q_SLOTS:
    static void apply();
    static void loadSettings();
};
