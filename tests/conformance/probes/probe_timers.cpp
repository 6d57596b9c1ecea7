// Window timers as the helper arms them (ids 100-1000, with and without a timer procedure, re-armed under the
// same id, killed whether armed or not), their place behind posted messages, and the wait on a file handle
// that the shredder makes after a file-system control call.
#include "probe_win.h"

#include <chrono>
#include <string>
#include <thread>

using probe::line;
using probe::ok;
using probe::result;

namespace {

const WCHAR *const ClassName = WSTR("HushdeckProbeTimers");
const UINT Posted = WM_USER + 1;
const UINT_PTR FindTaskbar = 100;
const UINT_PTR DarkMode = 200;
const UINT_PTR Wallpaper = 300;
const UINT_PTR SetWallpaper = 1000;
const UINT_PTR Safety = 999;
const UINT_PTR Beyond = 400;

probe::Journal journal;
int pending = 0; // timers still to fire before the loop ends

// One shot: the timer is killed where it fires, as the helper's set-wallpaper timer is.
void fired(HWND window, UINT_PTR id, const char *where)
{
    journal.note(std::string(where) + std::to_string(static_cast<unsigned long long>(id)));
    KillTimer(window, id);
    if (id == Safety || --pending == 0)
        PostQuitMessage(0);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        fired(window, wParam, "proc:");
        return 0;
    }
    if (message == Posted) {
        journal.note("posted:" + std::to_string(static_cast<unsigned long long>(wParam)));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND timerWindow = nullptr;

void CALLBACK timerProc(HWND window, UINT message, UINT_PTR id, DWORD)
{
    if (message != WM_TIMER || window != timerWindow)
        journal.note("unexpected");
    fired(window, id, "timerproc:");
}

const char *nonzero(UINT_PTR value)
{
    return value ? "nonzero" : "0";
}

} // namespace

int main()
{
    probe::start();
    probe::registerWindowClass(ClassName, windowProc);
    const WCHAR *const title = WSTR("Hushdeck Probe Timers");
    HWND window = probe::createWindow(ClassName, title);
    timerWindow = window;

    // Killing timers that were never armed, as the helper does at its end.
    SetLastError(0);
    const BOOL killedNone = KillTimer(window, Wallpaper);
    result("KillTimer.neverArmed", killedNone, !killedNone);

    // Each fires where it was told to (the window procedure, or its timer procedure), in the order it falls
    // due; they are armed in that order too, so that a late loop meets them in the same order. A timer far
    // off, and one past the longest period, are killed before they fire.
    line("SetTimer.far", "%s", nonzero(SetTimer(window, FindTaskbar, 10000, timerProc)));
    line("SetTimer.beyondMaximum", "%s", nonzero(SetTimer(window, Beyond, 0xFFFFFFFFu, timerProc)));
    // Below the shortest period: raised to it, still fires.
    line("SetTimer.setWallpaper", "%s", nonzero(SetTimer(window, SetWallpaper, 0, timerProc)));
    line("SetTimer.darkMode", "%s", nonzero(SetTimer(window, DarkMode, 2000, timerProc)));
    // The same id again: the timer is re-armed (due sooner), not doubled.
    line("SetTimer.darkMode.again", "%s", nonzero(SetTimer(window, DarkMode, 50, timerProc)));
    line("SetTimer.wallpaper", "%s", nonzero(SetTimer(window, Wallpaper, 150, nullptr)));
    line("SetTimer.safety", "%s", nonzero(SetTimer(window, Safety, 3000, timerProc)));
    ok("KillTimer.far", KillTimer(window, FindTaskbar));
    ok("KillTimer.beyondMaximum", KillTimer(window, Beyond));
    SetLastError(0);
    const BOOL killedAgain = KillTimer(window, FindTaskbar);
    result("KillTimer.again", killedAgain, !killedAgain);
    pending = 3;
    probe::runMessageLoop();
    journal.flush("WM_TIMER.order");
    KillTimer(window, Safety);

    // A timer that is already due waits behind posted messages.
    SetTimer(window, SetWallpaper, 10, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    PostMessageW(window, Posted, 1, 0);
    PostMessageW(window, Posted, 2, 0);
    pending = 1;
    SetTimer(window, Safety, 3000, timerProc);
    probe::runMessageLoop();
    journal.flush("WM_TIMER.afterPosted");
    KillTimer(window, Safety);

    // A window's timers go with the window.
    HWND doomed = probe::createWindow(ClassName, title);
    line("SetTimer.doomed", "%s", nonzero(SetTimer(doomed, SetWallpaper, 10, nullptr)));
    DestroyWindow(doomed);
    SetLastError(0);
    ok("KillTimer.destroyedWindow", KillTimer(doomed, SetWallpaper));
    line("SetTimer.destroyedWindow", "%s", nonzero(SetTimer(doomed, SetWallpaper, 10, nullptr)));
    pending = 1;
    SetTimer(window, Safety, 100, timerProc);
    probe::runMessageLoop();
    journal.flush("WM_TIMER.destroyedWindow");

    // The wait on a file handle opened for synchronous reading: it never blocks.
    const std::basic_string<WCHAR> dir = probe::scratch(WSTR("HushdeckProbeTimers"));
    const std::basic_string<WCHAR> path = dir + WSTR("wait.bin");
    HANDLE created =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(created, "data", 4, &written, nullptr);
    CloseHandle(created);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    line("WaitForSingleObject.opened", "%lu", static_cast<unsigned long>(WaitForSingleObject(file, 0)));
    char buffer[4];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    line("WaitForSingleObject.afterRead", "%lu", static_cast<unsigned long>(WaitForSingleObject(file, 1000)));
    CloseHandle(file);
    SetLastError(0);
    const DWORD onNull = WaitForSingleObject(nullptr, 0);
    result("WaitForSingleObject.null", static_cast<long long>(onNull), onNull == WAIT_FAILED);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(dir.c_str());

    DestroyWindow(window);
    return probe::end();
}
