// The notification-area icons of the simulated taskbar, as the machine records them.
#pragma once

#include "win32.h"

#include <QList>
#include <QString>

namespace notifyicons {

struct Icon
{
    HWND hwnd;
    UINT uid;
    DWORD pid;
    QString tip;
    UINT callbackMessage;
};

QList<Icon> icons();

} // namespace notifyicons
