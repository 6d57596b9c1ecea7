// Drives the Windows build of the helper as the main program does: registry values first, then posted
// messages to the window found by class and title, and reads back what Windows itself holds (the registry,
// the taskbar's layered attributes, the process's exit code). Plain Win32, run under Wine.
//   glasspandriver <Windows path of Glasspan.exe>
// Prints one line per check and ends with "N passed, N failed"; the exit code is the number of failures.
#include <windows.h>

#include <stdio.h>

namespace {

// The contract between the two programs, written out here rather than taken from the helper's headers, so
// that a wrong number on either side shows.
const UINT MsgSetLevel = WM_USER + 109;
const UINT MsgTaskbarOn = WM_USER + 110;
const UINT MsgTaskbarOff = WM_USER + 111;
const UINT MsgDarkModeReload = WM_USER + 200;
const UINT MsgDarkModeOff = WM_USER + 202;

const wchar_t *const HelperClass = L"GLASSPAN";
const wchar_t *const HelperTitle = L"Transparent Taskbar";
const wchar_t *const GlasspanKey = L"Software\\Keelrun Hushdeck Plus!\\Glasspan";
const wchar_t *const DarkModeKey = L"Software\\Keelrun Hushdeck Plus!\\AutoDarkMode";
const wchar_t *const PersonalizeKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

const DWORD WaitMs = 20000;
const DWORD StartMs = 120000;

int passed = 0;
int failed = 0;

void check(bool ok, const char *what)
{
    printf("%s %s\n", ok ? "PASS" : "FAIL", what);
    fflush(stdout);
    (ok ? passed : failed)++;
}

// Polls a condition until it holds or the deadline passes: the helper answers posted messages in its own time.
template <typename Condition> bool waitFor(Condition condition, DWORD timeoutMs = WaitMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() > end)
            return false;
        Sleep(20);
    }
}

bool setDword(const wchar_t *key, const wchar_t *name, DWORD value)
{
    return RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof(value)) == ERROR_SUCCESS;
}

// The value, or -1 when it is absent or not a REG_DWORD.
long long dword(const wchar_t *key, const wchar_t *name)
{
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return -1;
    return value;
}

HWND taskbar()
{
    return FindWindowW(L"Shell_TrayWnd", nullptr);
}

// The taskbar's constant opacity, or -1 when it is not a layered window with an alpha.
int taskbarAlpha()
{
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (!GetLayeredWindowAttributes(taskbar(), &key, &alpha, &flags) || !(flags & LWA_ALPHA))
        return -1;
    return alpha;
}

HWND helperWindow()
{
    return FindWindowW(HelperClass, HelperTitle);
}

int helperWindowCount()
{
    int count = 0;
    EnumWindows(
        [](HWND window, LPARAM counter) -> BOOL {
            wchar_t cls[64] = {}, title[64] = {};
            GetClassNameW(window, cls, 64);
            GetWindowTextW(window, title, 64);
            if (lstrcmpW(cls, HelperClass) == 0 && lstrcmpW(title, HelperTitle) == 0)
                ++*reinterpret_cast<int *>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

PROCESS_INFORMATION startHelper(const wchar_t *exe)
{
    wchar_t commandLine[MAX_PATH + 4];
    wsprintfW(commandLine, L"\"%s\"", exe);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        printf("cannot start the helper: error %lu\n", GetLastError());
    return pi;
}

// The schedule as the main program writes it: each time (minutes after local midnight) on the 12-hour clock,
// hour 1..12, minute, 0 AM / 1 PM.
void writeSchedule(int lightMinutes, int darkMinutes, DWORD action)
{
    setDword(DarkModeKey, L"Enabled", 1);
    setDword(DarkModeKey, L"UseLocationData", 0);
    setDword(DarkModeKey, L"Action", action);
    const struct
    {
        const wchar_t *hour, *minute, *period;
        int minutes;
    } times[] = {{L"LightHour", L"LightMinute", L"LightPeriod", lightMinutes},
                 {L"DarkHour", L"DarkMinute", L"DarkPeriod", darkMinutes}};
    for (const auto &t : times) {
        const int hour = t.minutes / 60 % 24;
        setDword(DarkModeKey, t.hour, hour % 12 == 0 ? 12 : hour % 12);
        setDword(DarkModeKey, t.minute, t.minutes % 60);
        setDword(DarkModeKey, t.period, hour >= 12 ? 1 : 0);
    }
}

// A schedule whose mode due now is the one asked for, with at least an hour to the next switch, whatever the
// time of day.
void writeSchedule(bool lightDue, DWORD action)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (lightDue) {
        // From 1:00 to 0:30 the next day, or from 0:00 to 2:00 in the first hour.
        if (now.wHour >= 1)
            writeSchedule(60, 30, action);
        else
            writeSchedule(0, 120, action);
    } else {
        // Light only between times that are over for today, or not yet there.
        if (now.wHour >= 3)
            writeSchedule(60, 120, action);
        else
            writeSchedule(240, 300, action);
    }
}

long long appsLight()
{
    return dword(PersonalizeKey, L"AppsUseLightTheme");
}

long long systemLight()
{
    return dword(PersonalizeKey, L"SystemUsesLightTheme");
}

// Posted messages are handled in order: once the taskbar shows a level posted last, everything posted
// before it has been handled too.
bool barrier(DWORD level)
{
    PostMessageW(helperWindow(), MsgSetLevel, level, 0);
    return waitFor([level] { return taskbarAlpha() == int(level); });
}

void checkStartUp(const PROCESS_INFORMATION &pi)
{
    check(waitFor([] { return helperWindow() != nullptr; }),
          "start-up: the window GLASSPAN / Transparent Taskbar exists");
    const HWND window = helperWindow();
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    check(owner == pi.dwProcessId, "start-up: the window belongs to the started process");
    check(!IsWindowVisible(window), "start-up: the window is hidden");
    check((GetWindowLongW(window, GWL_STYLE) & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW,
          "start-up: overlapped window style");
    check(GetClassLongPtrW(window, GCL_STYLE) == ULONG_PTR(CS_HREDRAW | CS_VREDRAW), "start-up: class styles");
    // Read at start-up: "Enabled" 1 and "TransparentLevel" 200 under the key "Glasspan".
    check(waitFor([] { return taskbarAlpha() == 200; }), "start-up: the taskbar's alpha is the stored level 200");
    // The light schedule with action 2 writes both values (the driver set them to dark before).
    check(waitFor([] { return appsLight() == 1; }) && systemLight() == 1,
          "start-up: the schedule applied light mode to system and apps");
}

void checkTaskbarLevels()
{
    struct Step
    {
        const char *name;
        UINT messages[3];
        WPARAM params[3];
        int expected;
    };
    // Each row's messages are posted in order; the taskbar then shows the expected alpha.
    const Step steps[] = {
        {"level 120 while on", {MsgSetLevel}, {120}, 120},
        {"level 0: fully transparent", {MsgSetLevel}, {0}, 0},
        {"level 300 applies its low byte", {MsgSetLevel}, {300}, 44},
        {"off, level 60, on: the stored level is applied", {MsgTaskbarOff, MsgSetLevel, MsgTaskbarOn}, {0, 60, 0}, 60},
        {"level 255: opaque", {MsgSetLevel}, {255}, 255},
    };
    for (const Step &step : steps) {
        for (int i = 0; i < 3 && step.messages[i]; ++i)
            PostMessageW(helperWindow(), step.messages[i], step.params[i], 0);
        char what[160];
        wsprintfA(what, "taskbar: %s (alpha %d)", step.name, step.expected);
        check(waitFor([&step] { return taskbarAlpha() == step.expected; }), what);
    }
    // While off a level is only stored: the taskbar keeps its alpha until the next switch on. A reload that
    // turns the apps dark marks the level message before it as handled.
    PostMessageW(helperWindow(), MsgTaskbarOff, 0, 0);
    PostMessageW(helperWindow(), MsgSetLevel, 90, 0);
    writeSchedule(false, 1);
    PostMessageW(helperWindow(), MsgDarkModeReload, 0, 0);
    check(waitFor([] { return appsLight() == 0; }) && taskbarAlpha() == 255, "taskbar: off, a level is only stored");
    PostMessageW(helperWindow(), MsgTaskbarOn, 0, 0);
    check(waitFor([] { return taskbarAlpha() == 90; }), "taskbar: on applies the stored level");
}

void checkSchedule()
{
    struct Step
    {
        const char *name;
        bool lightDue;
        DWORD action;
        long long apps, system; // expected afterwards
    };
    // From dark apps and a light system: each reload writes only what its action names.
    const Step steps[] = {
        {"light due, action 1: apps only", true, 1, 1, 1},   {"dark due, action 0: system only", false, 0, 1, 0},
        {"light due, action 0: system only", true, 0, 1, 1}, {"dark due, action 2: both", false, 2, 0, 0},
        {"light due, action 5: nothing", true, 5, 0, 0},
    };
    DWORD level = 10;
    for (const Step &step : steps) {
        writeSchedule(step.lightDue, step.action);
        PostMessageW(helperWindow(), MsgDarkModeReload, 0, 0);
        // The level message after the reload marks the reload as handled.
        const bool handled = barrier(level++);
        char what[160];
        wsprintfA(what, "schedule reload: %s (apps %d, system %d)", step.name, int(step.apps), int(step.system));
        check(handled && appsLight() == step.apps && systemLight() == step.system, what);
    }
    // Switched off, a reload with "Enabled" 0 leaves the colour mode alone.
    writeSchedule(true, 2);
    setDword(DarkModeKey, L"Enabled", 0);
    PostMessageW(helperWindow(), MsgDarkModeOff, 0, 0);
    PostMessageW(helperWindow(), MsgDarkModeReload, 0, 0);
    check(barrier(level++) && appsLight() == 0 && systemLight() == 0, "schedule: off, then a reload writes nothing");

    // The schedule's own timer: light now, dark at the start of the next minute (or the one after, so that
    // the reload surely comes first), an hour after the light time.
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int dark = now.wHour * 60 + now.wMinute + (now.wSecond < 50 ? 1 : 2);
    writeSchedule(dark + 24 * 60 - 60, dark, 2);
    PostMessageW(helperWindow(), MsgDarkModeReload, 0, 0);
    check(barrier(level) && appsLight() == 1 && systemLight() == 1, "schedule timer: light until the dark time");
    check(waitFor([] { return appsLight() == 0 && systemLight() == 0; }, 150000),
          "schedule timer: dark at the dark time, with no message");
}

void checkSecondStart(const wchar_t *exe, HWND first)
{
    // A second helper that went on starting up would apply this level to the taskbar.
    setDword(GlasspanKey, L"TransparentLevel", 33);
    const int before = taskbarAlpha();
    PROCESS_INFORMATION second = startHelper(exe);
    const bool ended = second.hProcess && WaitForSingleObject(second.hProcess, WaitMs) == WAIT_OBJECT_0;
    DWORD code = STILL_ACTIVE;
    if (second.hProcess)
        GetExitCodeProcess(second.hProcess, &code);
    check(ended && code == 0, "second start: ends at once with exit code 0");
    check(helperWindow() == first && helperWindowCount() == 1, "second start: the first window is still the only one");
    check(taskbarAlpha() == before, "second start: the taskbar is left as it was");
    if (second.hProcess) {
        if (!ended)
            TerminateProcess(second.hProcess, 1);
        CloseHandle(second.hProcess);
        CloseHandle(second.hThread);
    }
}

void checkClose(const PROCESS_INFORMATION &pi)
{
    PostMessageW(helperWindow(), WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(pi.hProcess, WaitMs) == WAIT_OBJECT_0;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    check(ended && code == 0, "WM_CLOSE: the helper ends with exit code 0");
    check(helperWindow() == nullptr, "WM_CLOSE: its window is gone");
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        printf("usage: glasspandriver <Glasspan.exe>\n");
        return 2;
    }
    const wchar_t *exe = argv[1];

    // The shell's desktop creates its taskbar window a moment after it starts; on a busy machine the first
    // start in a new prefix can take well over the usual wait.
    if (!waitFor([] { return taskbar() != nullptr; }, StartMs)) {
        printf("FAIL no taskbar window (class Shell_TrayWnd) on this desktop\n");
        return 1;
    }
    if (helperWindow()) {
        printf("FAIL a helper is already running\n");
        return 1;
    }

    setDword(GlasspanKey, L"Enabled", 1);
    setDword(GlasspanKey, L"TransparentLevel", 200);
    writeSchedule(true, 2);
    setDword(PersonalizeKey, L"AppsUseLightTheme", 0);
    setDword(PersonalizeKey, L"SystemUsesLightTheme", 0);

    PROCESS_INFORMATION pi = startHelper(exe);
    if (!pi.hProcess) {
        check(false, "start-up: the helper starts");
        printf("%d passed, %d failed\n", passed, failed);
        return 1;
    }
    checkStartUp(pi);
    if (helperWindow()) {
        checkTaskbarLevels();
        checkSchedule();
        checkSecondStart(exe, helperWindow());
        checkClose(pi);
    }
    if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);

    printf("%d passed, %d failed\n", passed, failed);
    return failed;
}
