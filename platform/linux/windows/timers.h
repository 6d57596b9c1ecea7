// The window timers of this process, for the message loop.
#pragma once

#include "win32.h"

namespace timers {

// The earliest due time (monotonic ms) of any timer, false when there is none.
bool nextDue(qint64 *due);
// A timer due at `now` as its WM_TIMER message; the timer then counts its period again from `now`.
bool takeDue(qint64 now, MSG *msg);
// Forgets the timers of a window that is destroyed.
void killAll(HWND hwnd);
// Every timer of this process: window, id and period in ms (tests).
struct Entry
{
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    qint64 due;
};
QList<Entry> all();

} // namespace timers
