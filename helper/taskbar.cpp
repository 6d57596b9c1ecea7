// Taskbar transparency: the taskbar window becomes a layered window with a constant opacity. The shell
// re-creates the taskbar when it restarts, so the helper watches for its destruction and searches again.
#include "glasspan.h"

TaskbarState taskbarState;

HWND findTaskbar()
{
    return FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
}

void applyTransparency(HWND taskbar)
{
    // Failures (a taskbar that went away meanwhile) are of no consequence: the next search re-applies.
    const LONG exStyle = GetWindowLongW(taskbar, GWL_EXSTYLE);
    SetWindowLongW(taskbar, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    SetLayeredWindowAttributes(taskbar, 0, static_cast<BYTE>(taskbarState.level & 0xFF), LWA_ALPHA);
}

void installTaskbarHook(HWND taskbar)
{
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(taskbar, &process);
    if (thread)
        SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_DESTROY, nullptr, taskbarWinEventProc, process, thread,
                        WINEVENT_OUTOFCONTEXT);
}

void armFindTaskbarTimer()
{
    SetTimer(helper.window, TIMER_FIND_TASKBAR, 10000, findTaskbarTimerProc);
}

void CALLBACK taskbarWinEventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD, DWORD)
{
    if (event == EVENT_OBJECT_DESTROY && window == taskbarState.taskbar && window && objectId == OBJID_WINDOW &&
        childId == CHILDID_SELF)
        armFindTaskbarTimer();
}

void CALLBACK findTaskbarTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    taskbarState.taskbar = findTaskbar();
    if (!taskbarState.taskbar)
        return;
    KillTimer(helper.window, TIMER_FIND_TASKBAR);
    installTaskbarHook(taskbarState.taskbar);
    if (taskbarState.on)
        applyTransparency(taskbarState.taskbar);
}

void setTaskbarLevel(DWORD level)
{
    taskbarState.level = level;
    taskbarState.taskbar = findTaskbar();
    if (!taskbarState.taskbar) {
        armFindTaskbarTimer();
        return;
    }
    if (taskbarState.on)
        applyTransparency(taskbarState.taskbar);
}

void taskbarOn()
{
    taskbarState.on = true;
    applyTransparency(taskbarState.taskbar);
}

void taskbarOff()
{
    // The sender makes the taskbar opaque itself; the layered style stays.
    taskbarState.on = false;
}
