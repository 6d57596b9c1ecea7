// Entry point and window procedure of the helper.
#include "glasspan.h"
#include "resource.h"
#include "wtext.h"

HelperState helper;

namespace {

DEVICE_NOTIFY_SUBSCRIBE_PARAMETERS suspendResumeParameters = {onSuspendResume, nullptr};

bool registerWindowClass()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = helperWndProc;
    wc.hInstance = helper.instance;
    wc.hIcon = nullptr;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = helper.className;
    wc.hIconSm = nullptr;
    return RegisterClassExW(&wc) != 0;
}

void readTaskbarSettings()
{
    DWORD enabled = 0, level = 255;
    readDword(GLASSPAN_KEY, WSTR("Enabled"), &enabled);
    readDword(GLASSPAN_KEY, WSTR("TransparentLevel"), &level);
    taskbarState.on = enabled != 0;
    // A stored level beyond 255 is opaque, as the Transparent Taskbar page shows it: its low 8 bits could
    // make the taskbar vanish (256 is 0).
    taskbarState.level = level > 255 ? 255 : level;
}

} // namespace

bool startHelper(HINSTANCE instance, LPCWSTR commandLine)
{
    helper.instance = instance;
    LoadStringW(instance, IDS_APP_TITLE, helper.title, 100);
    LoadStringW(instance, IDC_GLASSPAN, helper.className, 100);
    registerWindowClass();

    // One helper per user session: a second start leaves everything to the first.
    if (FindWindowW(helper.className, helper.title))
        return false;

    helper.window = CreateWindowExW(0, helper.className, helper.title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                    CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    if (!helper.window)
        return false;
    ShowWindow(helper.window, SW_HIDE);
    // Explorer announces a new taskbar with this message; the tray icon has to be added to it again.
    helper.taskbarCreatedMessage = RegisterWindowMessageW(WSTR("TaskbarCreated"));

    taskbarState.taskbar = findTaskbar();
    if (taskbarState.taskbar)
        installTaskbarHook(taskbarState.taskbar);
    else
        armFindTaskbarTimer();

    PowerRegisterSuspendResumeNotification(DEVICE_NOTIFY_CALLBACK, &suspendResumeParameters, &helper.powerNotify);

    fillTrayData();
    buildMenus();
    readText(SETTINGS_ROOT_KEY, WSTR("Path"), helper.installPath, MAX_PATH);
    fillBaseRequests();

    DWORD showIcon = 0;
    readDword(SETTINGS_ROOT_KEY, WSTR("ShowTrayIcon"), &showIcon);
    showTrayIcon(showIcon != 0);

    readTaskbarSettings();
    HWND taskbar = findTaskbar();
    if (taskbar) {
        taskbarState.taskbar = taskbar;
        if (taskbarState.on)
            applyTransparency(taskbar);
    }

    loadAutoDarkMode();
    loadWallpaperChanger(true);

    updatePowerSchemeChecks();
    updateAppModeChecks();
    updateWindowsModeChecks();

    if (commandLine && commandLine[0])
        taskbarState.level = DWORD(parseInteger(commandLine));
    return true;
}

int finishHelper(WPARAM quitCode)
{
    KillTimer(helper.window, TIMER_FIND_TASKBAR);
    KillTimer(helper.window, TIMER_DARK_MODE);
    KillTimer(helper.window, TIMER_WALLPAPER);
    KillTimer(helper.window, TIMER_SET_WALLPAPER);
    // Destroying the root menu destroys the five sub-menus attached to it.
    if (helper.rootMenu)
        DestroyMenu(helper.rootMenu);
    Shell_NotifyIconW(NIM_DELETE, &helper.tray);
    if (helper.powerNotify)
        PowerUnregisterSuspendResumeNotification(helper.powerNotify);
    if (helper.window && IsWindow(helper.window))
        DestroyWindow(helper.window);
    if (helper.tray.hIcon)
        DestroyIcon(helper.tray.hIcon);

    helper = HelperState();
    taskbarState = TaskbarState();
    darkMode = DarkModeState();
    wallpaper = WallpaperState();
    return int(quitCode);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    // A machine that cannot be used has been reported to the user; nothing runs on it.
    if (!machineUsable())
        return 1;
    if (!startHelper(instance, commandLine))
        return 0;
    MSG msg = {};
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return finishHelper(msg.message == WM_QUIT ? msg.wParam : 0);
}

ULONG CALLBACK onSuspendResume(PVOID, ULONG, PVOID)
{
    // The system calls this on a thread of its own; the reloads arm window timers, so they run on the
    // window's thread.
    PostMessageW(helper.window, HELPER_MSG_POWER_EVENT, 0, 0);
    return 0;
}

LRESULT CALLBACK helperWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_COMMAND:
        handleCommand(LOWORD(wParam));
        return 0;
    case WM_POWERBROADCAST:
        loadAutoDarkMode();
        return 0;
    case HELPER_MSG_POWER_EVENT:
        loadAutoDarkMode();
        loadWallpaperChanger(true);
        return 0;
    case HELPER_MSG_TRAY_CALLBACK:
        if (lParam == WM_LBUTTONDBLCLK)
            openMainProgram();
        else if (lParam == WM_RBUTTONDOWN)
            showPopupMenu();
        return 0;
    case WM_GLASSPAN_SET:
        setTaskbarLevel(DWORD(wParam));
        return 0;
    case HELPER_MSG_TASKBAR_ON:
        taskbarOn();
        return 0;
    case HELPER_MSG_TASKBAR_OFF:
        taskbarOff();
        return 0;
    case HELPER_MSG_DARKMODE_RELOAD:
        loadAutoDarkMode();
        return 0;
    case HELPER_MSG_DARKMODE_ON:
        darkMode.enabled = true;
        return 0;
    case HELPER_MSG_DARKMODE_OFF:
        darkMode.enabled = false;
        KillTimer(window, TIMER_DARK_MODE);
        return 0;
    case HELPER_MSG_WALLPAPER_RELOAD:
        loadWallpaperChanger(false);
        return 0;
    case HELPER_MSG_WALLPAPER_RELOAD_NOW:
        loadWallpaperChanger(true);
        return 0;
    case HELPER_MSG_WALLPAPER_ON:
        wallpaper.enabled = true;
        return 0;
    case HELPER_MSG_WALLPAPER_OFF:
        wallpaper.enabled = false;
        KillTimer(window, TIMER_WALLPAPER);
        return 0;
    case HELPER_MSG_TRAYICON_RELOAD: {
        DWORD showIcon = 0;
        readDword(SETTINGS_ROOT_KEY, WSTR("ShowTrayIcon"), &showIcon);
        showTrayIcon(showIcon != 0);
        return 0;
    }
    default:
        break;
    }
    if (message == helper.taskbarCreatedMessage && message != 0) {
        if (helper.trayWanted)
            Shell_NotifyIconW(NIM_ADD, &helper.tray);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
