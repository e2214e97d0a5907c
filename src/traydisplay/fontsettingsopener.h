#pragma once

#include <QObject>

// Opens the appearance settings on their fonts page. Not complete yet.
class FontSettingsOpener : public QObject
{
    Q_OBJECT
public:
    explicit FontSettingsOpener(QObject *parent = nullptr);
};
