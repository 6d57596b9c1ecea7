// Window events for out-of-context WinEvent hooks, across processes: the window table reports windows
// that appear and go away; the events wait in the machine for the hooking process's message loop.
#pragma once

#include "win32.h"

namespace winevents {

void windowCreated(HWND hwnd, DWORD pid, const QString &className);
void windowDestroyed(HWND hwnd, DWORD pid, const QString &className);
// Hands this process's waiting events to its hook procedures (called by the message loop).
void deliverPending();

} // namespace winevents
