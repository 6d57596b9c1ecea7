// Window timers. Each is due at a monotonic time; the message loop turns due timers into WM_TIMER messages
// when nothing else is waiting, as Windows does.
#include "linux/windows/timers.h"
#include "linux/system/machineclock.h"
#include "linux/windows/winloop.h"

#include <QList>
#include <QMutex>

namespace {

struct Timer
{
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    TIMERPROC proc;
    qint64 due;
};

struct Table
{
    QMutex mutex;
    QList<Timer> timers;
    UINT_PTR nextAnonymous = 1;
};

Table &table()
{
    static Table t;
    return t;
}

UINT clampPeriod(UINT elapse)
{
    if (elapse < USER_TIMER_MINIMUM)
        return USER_TIMER_MINIMUM;
    if (elapse > USER_TIMER_MAXIMUM)
        return USER_TIMER_MAXIMUM;
    return elapse;
}

} // namespace

namespace timers {

bool nextDue(qint64 *due)
{
    Table &t = table();
    QMutexLocker g(&t.mutex);
    bool any = false;
    for (const Timer &timer : std::as_const(t.timers)) {
        if (!any || timer.due < *due)
            *due = timer.due;
        any = true;
    }
    return any;
}

bool takeDue(qint64 now, MSG *msg)
{
    Table &t = table();
    QMutexLocker g(&t.mutex);
    Timer *earliest = nullptr;
    for (Timer &timer : t.timers)
        if (timer.due <= now && (!earliest || timer.due < earliest->due))
            earliest = &timer;
    if (!earliest)
        return false;
    earliest->due = now + earliest->period;
    *msg = MSG();
    msg->hwnd = earliest->hwnd;
    msg->message = WM_TIMER;
    msg->wParam = earliest->id;
    msg->lParam = reinterpret_cast<LPARAM>(earliest->proc);
    msg->time = DWORD(now);
    return true;
}

void killAll(HWND hwnd)
{
    Table &t = table();
    QMutexLocker g(&t.mutex);
    t.timers.removeIf([hwnd](const Timer &timer) { return timer.hwnd == hwnd; });
}

QList<Entry> all()
{
    Table &t = table();
    QMutexLocker g(&t.mutex);
    QList<Entry> out;
    for (const Timer &timer : std::as_const(t.timers))
        out.append(Entry{timer.hwnd, timer.id, timer.period, timer.due});
    return out;
}

} // namespace timers

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc)
{
    if (hWnd && !winloop::isOwnWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE); // timers belong to the thread that owns the window
        return 0;
    }
    const UINT period = clampPeriod(uElapse);
    const qint64 due = machineclock::monotonicMs() + period;
    Table &t = table();
    {
        QMutexLocker g(&t.mutex);
        if (!hWnd)
            nIDEvent = t.nextAnonymous++;
        bool replaced = false;
        for (Timer &timer : t.timers) {
            if (timer.hwnd == hWnd && timer.id == nIDEvent) {
                timer.period = period;
                timer.proc = lpTimerFunc;
                timer.due = due;
                replaced = true;
            }
        }
        if (!replaced)
            t.timers.append(Timer{hWnd, nIDEvent, period, lpTimerFunc, due});
    }
    return hWnd ? 1 : nIDEvent;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent)
{
    // A window that is gone (or another thread's) is an invalid window handle, before any timer is looked for.
    if (hWnd && !winloop::isOwnWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Table &t = table();
    QMutexLocker g(&t.mutex);
    const qsizetype removed =
        t.timers.removeIf([&](const Timer &timer) { return timer.hwnd == hWnd && timer.id == uIDEvent; });
    if (!removed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
