// The message loop of this process: windows it created, messages posted to them (by any process, through
// the machine's messages table), window events of hooks, timers and the quit request.
#pragma once

#include "win32.h"

namespace winloop {

DWORD currentProcess();
// Whether the window was created by this process with CreateWindowExW and still exists.
bool isOwnWindow(HWND hwnd);
// Wakes the process if it waits in GetMessageW: something was posted to one of its windows.
void wake(DWORD pid);

// For tests, which drive a window of their own process without a blocking loop:
// dispatches the posted messages, window events and timers that are due now; returns how many.
int pump();
// Moves the test clock forward by ms, dispatching on the way every timer as it falls due (in due order)
// and whatever the timers post.
void advance(qint64 ms);
// A WM_QUIT that a pump met (PostQuitMessage): true once, with its exit code.
bool takeQuit(int *code);

} // namespace winloop
