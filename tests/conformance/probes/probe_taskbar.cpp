// The shell's taskbar as the helper and the taskbar page use it: found by class, its owner, its layered style
// and opacity set and put back; a WinEvent hook on a window's destruction; the notification-area icon.
#include "probe_win.h"

#include <string>

using probe::line;
using probe::ok;
using probe::result;

namespace {

const WCHAR *const ClassName = WSTR("HushdeckProbeTaskbar");
const UINT TrayCallback = WM_USER + 10;
const UINT_PTR QuitTimer = 1;

struct Hooked
{
    int count = 0;
    HWND window = nullptr;
    DWORD event = 0;
    LONG object = -1;
    LONG child = -1;
} hooked;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

void CALLBACK hookProc(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (++hooked.count == 1) {
        hooked.window = window;
        hooked.event = event;
        hooked.object = object;
        hooked.child = child;
    }
}

void CALLBACK quitTimerProc(HWND window, UINT, UINT_PTR id, DWORD)
{
    KillTimer(window, id);
    PostQuitMessage(0);
}

// Runs the message loop for a short while (a timer ends it).
void pump(HWND window, UINT ms)
{
    SetTimer(window, QuitTimer, ms, quitTimerProc);
    probe::runMessageLoop();
}

// The helper's transparency: the layered bit added to the extended style, then the opacity; the style is put
// back afterwards. Opacity needs the layered bit first.
void makeTransparent(const char *who, HWND target)
{
    auto key = [who](const char *function, const char *what) {
        static std::string k;
        k = std::string(function) + '.' + who + '.' + what;
        return k.c_str();
    };
    const LONG exStyle = GetWindowLongW(target, GWL_EXSTYLE);
    line(key("GetWindowLongW", "layered"), "%d", (exStyle & WS_EX_LAYERED) ? 1 : 0);
    SetLastError(0);
    ok(key("SetLayeredWindowAttributes", "notLayered"), SetLayeredWindowAttributes(target, 0, 128, LWA_ALPHA));
    SetLastError(0);
    const LONG previous = SetWindowLongW(target, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    line(key("SetWindowLongW", "previous"), "%s error %lu", previous == exStyle ? "same" : "other",
         static_cast<unsigned long>(GetLastError()));
    line(key("GetWindowLongW", "after"), "%d", (GetWindowLongW(target, GWL_EXSTYLE) & WS_EX_LAYERED) ? 1 : 0);
    ok(key("SetLayeredWindowAttributes", "alpha"), SetLayeredWindowAttributes(target, 0, 200, LWA_ALPHA));
    ok(key("SetLayeredWindowAttributes", "opaque"), SetLayeredWindowAttributes(target, 0, 255, LWA_ALPHA));
    SetWindowLongW(target, GWL_EXSTYLE, exStyle);
    line(key("GetWindowLongW", "restored"), "%s", GetWindowLongW(target, GWL_EXSTYLE) == exStyle ? "same" : "other");
}

} // namespace

int main()
{
    probe::start();
    probe::registerWindowClass(ClassName, windowProc);
    HWND window = probe::createWindow(ClassName, WSTR("Hushdeck Probe Taskbar"));
    DWORD ownProcess = 0;
    const DWORD ownThread = GetWindowThreadProcessId(window, &ownProcess);

    // The taskbar: another process's window.
    HWND taskbar = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
    line("FindWindowW.taskbar", "%s", taskbar ? "found" : "none");
    line("IsWindow.taskbar", "%d", IsWindow(taskbar) ? 1 : 0);
    WCHAR className[64] = {};
    const int n = GetClassNameW(taskbar, className, 64);
    line("GetClassNameW.taskbar", "%d \"%s\"", n, probe::utf8(className).c_str());
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(taskbar, &process);
    line("GetWindowThreadProcessId.taskbar", "thread %s process %s", thread ? "nonzero" : "0",
         !process                ? "0"
         : process == ownProcess ? "own"
                                 : "other");

    // Its layered style and opacity, set as the helper sets them and put back as they were; the same on a
    // window of our own.
    makeTransparent("taskbar", taskbar);
    makeTransparent("own", window);

    // A hook on the destruction of a window of a given process and thread, delivered out of context through
    // the message loop.
    HWND doomed = probe::createWindow(ClassName, WSTR("Hushdeck Probe Doomed"));
    DWORD doomedProcess = 0;
    const DWORD doomedThread = GetWindowThreadProcessId(doomed, &doomedProcess);
    line("GetWindowThreadProcessId.own", "%s",
         doomedThread == ownThread && doomedProcess == ownProcess ? "same" : "other");
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_DESTROY, nullptr, hookProc, doomedProcess,
                                         doomedThread, WINEVENT_OUTOFCONTEXT);
    line("SetWinEventHook", "%s", hook ? "nonzero" : "null");
    HWINEVENTHOOK taskbarHook = SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_DESTROY, nullptr, hookProc, process,
                                                thread, WINEVENT_OUTOFCONTEXT);
    line("SetWinEventHook.taskbar", "%s", taskbarHook ? "nonzero" : "null");
    DestroyWindow(doomed);
    pump(window, 300);
    if (hooked.count)
        line("SetWinEventHook.destroyed", "%d event 0x%lX window %s object %ld child %ld", hooked.count,
             static_cast<unsigned long>(hooked.event), hooked.window == doomed ? "same" : "other",
             static_cast<long>(hooked.object), static_cast<long>(hooked.child));
    else
        line("SetWinEventHook.destroyed", "none");

    // The notification-area icon: added once, changed, removed once.
    NOTIFYICONDATAW tray = {};
    tray.cbSize = sizeof(tray);
    tray.hWnd = window;
    tray.uID = 1010;
    // The helper's flags; any icon handle of the system serves here, the probe carrying no icon of its own.
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray.hIcon = LoadCursorW(nullptr, IDC_ARROW);
    tray.uCallbackMessage = TrayCallback;
    const WCHAR tip[] = WSTR("Hushdeck Probe");
    for (size_t i = 0; i < sizeof(tip) / sizeof(tip[0]); ++i)
        tray.szTip[i] = tip[i];
    ok("Shell_NotifyIconW.add", Shell_NotifyIconW(NIM_ADD, &tray));
    // A failure is only TRUE or FALSE: the last error is left to the shell.
    line("Shell_NotifyIconW.addAgain", "%s", Shell_NotifyIconW(NIM_ADD, &tray) ? "ok" : "failed");
    ok("Shell_NotifyIconW.modify", Shell_NotifyIconW(NIM_MODIFY, &tray));
    ok("Shell_NotifyIconW.delete", Shell_NotifyIconW(NIM_DELETE, &tray));
    line("Shell_NotifyIconW.deleteAgain", "%s", Shell_NotifyIconW(NIM_DELETE, &tray) ? "ok" : "failed");
    line("Shell_NotifyIconW.modifyGone", "%s", Shell_NotifyIconW(NIM_MODIFY, &tray) ? "ok" : "failed");

    DestroyWindow(window);
    return probe::end();
}
