#pragma once

#include <QObject>

// Tells the page whether the administrative tabs exist.
class TabLoader : public QObject
{
    Q_OBJECT
public:
    explicit TabLoader(QObject *parent = nullptr);

    Q_INVOKABLE static bool isAdminMode();
};
