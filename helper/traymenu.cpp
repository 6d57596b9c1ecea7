// The notification-area icon, its popup menu and what the menu's commands do.
#include "glasspan.h"
#include "heldpath.h"
#include "resource.h"
#include "wtext.h"

namespace {

struct PowerScheme
{
    int command;
    const WCHAR *text;
    const WCHAR *guid;
};

const PowerScheme PowerSchemes[] = {
    {CMD_POWER_SAVER, WSTR("Power saver"), WSTR("{A1841308-3541-4FAB-BC81-F71556F20B4A}")},
    {CMD_BALANCED, WSTR("Balanced"), WSTR("{381B4222-F694-41F0-9685-FF5BB260DF2E}")},
    {CMD_HIGH_PERFORMANCE, WSTR("High performance"), WSTR("{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}")},
};

void setCheck(HMENU menu, UINT command, const WCHAR *text, bool checked)
{
    ModifyMenuW(menu, command, MF_BYCOMMAND | MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), command, text);
}

void writeColorValue(const WCHAR *name, DWORD value)
{
    writeDword(PERSONALIZE_KEY, name, value);
}

bool lightValue(const WCHAR *name)
{
    DWORD value = 0;
    readDword(PERSONALIZE_KEY, name, &value);
    return value != 0;
}

bool folderExists(const WCHAR *path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

void fillTrayData()
{
    NOTIFYICONDATAW &tray = helper.tray;
    tray = NOTIFYICONDATAW();
    tray.cbSize = sizeof(NOTIFYICONDATAW);
    tray.hWnd = helper.window;
    tray.uID = TRAY_ICON_ID;
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray.uCallbackMessage = HELPER_MSG_TRAY_CALLBACK;
    tray.hIcon =
        static_cast<HICON>(LoadImageW(helper.instance, MAKEINTRESOURCEW(IDI_SMALL), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    copyText(tray.szTip, sizeof(tray.szTip) / sizeof(tray.szTip[0]), WSTR("Hushdeck Helper"));
}

void showTrayIcon(bool show)
{
    helper.trayWanted = show;
    Shell_NotifyIconW(show ? NIM_ADD : NIM_DELETE, &helper.tray);
}

void buildMenus()
{
    helper.trackCleanerMenu = CreatePopupMenu();
    AppendMenuW(helper.trackCleanerMenu, MF_STRING, CMD_CLEAR_HISTORY, WSTR("Clear File Explorer history"));

    helper.wallpaperMenu = CreatePopupMenu();
    AppendMenuW(helper.wallpaperMenu, MF_STRING, CMD_NEXT_IMAGE, WSTR("Next Image"));
    AppendMenuW(helper.wallpaperMenu, MF_STRING, CMD_PREVIOUS_IMAGE, WSTR("Previous Image"));

    helper.appModeMenu = CreatePopupMenu();
    AppendMenuW(helper.appModeMenu, MF_STRING, CMD_APP_LIGHT, WSTR("Light Mode"));
    AppendMenuW(helper.appModeMenu, MF_STRING, CMD_APP_DARK, WSTR("Dark Mode"));

    helper.windowsModeMenu = CreatePopupMenu();
    AppendMenuW(helper.windowsModeMenu, MF_STRING, CMD_WINDOWS_LIGHT, WSTR("Light Mode"));
    AppendMenuW(helper.windowsModeMenu, MF_STRING, CMD_WINDOWS_DARK, WSTR("Dark Mode"));

    helper.powerMenu = CreatePopupMenu();
    for (const PowerScheme &scheme : PowerSchemes)
        AppendMenuW(helper.powerMenu, MF_STRING, scheme.command, scheme.text);

    HMENU root = CreatePopupMenu();
    helper.rootMenu = root;
    AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(helper.trackCleanerMenu), WSTR("Track Cleaner"));
    AppendMenuW(root, MF_SEPARATOR, MENU_SEPARATOR_ID, nullptr);
    AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(helper.wallpaperMenu), WSTR("Bing Daily Wallpapers"));
    AppendMenuW(root, MF_SEPARATOR, MENU_SEPARATOR_ID, nullptr);
    AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(helper.appModeMenu), WSTR("Set App Color mode"));
    AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(helper.windowsModeMenu), WSTR("Set Windows Color Mode"));
    AppendMenuW(root, MF_SEPARATOR, MENU_SEPARATOR_ID, nullptr);
    AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(helper.powerMenu), WSTR("Set Active Power Scheme"));
    AppendMenuW(root, MF_SEPARATOR, MENU_SEPARATOR_ID, nullptr);
    AppendMenuW(root, MF_STRING, CMD_CONFIGURATION, WSTR("Configuration"));
    AppendMenuW(root, MF_STRING, CMD_CLOSE, WSTR("Close"));
}

void showPopupMenu()
{
    updateAppModeChecks();
    updateWindowsModeChecks();
    updatePowerSchemeChecks();
    POINT cursor = {};
    GetCursorPos(&cursor);
    SetForegroundWindow(helper.window);
    TrackPopupMenu(helper.rootMenu, 0, cursor.x, cursor.y, 0, helper.window, nullptr);
    PostMessageW(helper.window, WM_NULL, 0, 0);
}

void updateAppModeChecks()
{
    const bool light = lightValue(WSTR("AppsUseLightTheme"));
    setCheck(helper.appModeMenu, CMD_APP_LIGHT, WSTR("Light Mode"), light);
    setCheck(helper.appModeMenu, CMD_APP_DARK, WSTR("Dark Mode"), !light);
}

void updateWindowsModeChecks()
{
    const bool light = lightValue(WSTR("SystemUsesLightTheme"));
    setCheck(helper.windowsModeMenu, CMD_WINDOWS_LIGHT, WSTR("Light Mode"), light);
    setCheck(helper.windowsModeMenu, CMD_WINDOWS_DARK, WSTR("Dark Mode"), !light);
}

void updatePowerSchemeChecks()
{
    GUID *active = nullptr;
    if (PowerGetActiveScheme(nullptr, &active) != ERROR_SUCCESS || !active)
        return;
    WCHAR text[64] = {};
    StringFromGUID2(*active, text, 64);
    LocalFree(active);
    int match = -1;
    for (int i = 0; i < 3; ++i)
        if (sameText(text, PowerSchemes[i].guid))
            match = i;
    // A scheme of the user's own leaves the ticks as they were.
    if (match < 0)
        return;
    for (int i = 0; i < 3; ++i)
        setCheck(helper.powerMenu, PowerSchemes[i].command, PowerSchemes[i].text, i == match);
}

bool activatePowerScheme(int command)
{
    for (const PowerScheme &scheme : PowerSchemes) {
        if (scheme.command != command)
            continue;
        GUID guid;
        if (SUCCEEDED(CLSIDFromString(scheme.guid, &guid)))
            PowerSetActiveScheme(nullptr, &guid);
        return true;
    }
    return false;
}

bool openMainProgram()
{
    WCHAR file[MAX_PATH];
    bool ok = helper.installPath[0] && copyText(file, MAX_PATH, helper.installPath) &&
              appendText(file, MAX_PATH, WSTR("\\Hushdeck.exe"));
    if (ok) {
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = 0;
        info.hwnd = helper.window;
        info.lpVerb = WSTR("runas");
        info.lpFile = file;
        info.lpParameters = WSTR("RAM");
        info.lpDirectory = helper.installPath;
        info.nShow = SW_SHOWNORMAL;
        ok = ShellExecuteExW(&info) != FALSE;
    }
    if (!ok)
        MessageBoxW(helper.window, WSTR("Cannot open Hushdeck for Windows 11 main app."), WSTR("Error"), MB_ICONERROR);
    return true;
}

namespace {

// Deletes the file at path through its own handle, opened without following a link: a link goes as the link.
bool deleteOpenedFile(const WCHAR *path)
{
    HANDLE file = CreateFileW(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info = {};
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    const bool marked = GetFileInformationByHandle(file, &info) &&
                        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                        SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition));
    CloseHandle(file);
    return marked && GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES;
}

} // namespace

int deleteFolderFiles(LPCWSTR base, LPCWSTR sub, int *deleted)
{
    *deleted = 0;
    WCHAR folder[1024];
    if (!copyText(folder, 1024, base) || !appendText(folder, 1024, sub) || !folderExists(folder))
        return 0;
    // The folders from base down are held while the files go: one on the way that is a link leaves every file
    // alone, and none can be swapped for one meanwhile.
    HeldPath held;
    const bool reached = held.hold(base, folder);
    WCHAR pattern[1024];
    WIN32_FIND_DATAW findData;
    int found = 0;
    HANDLE find = INVALID_HANDLE_VALUE;
    if (copyText(pattern, 1024, folder) && appendText(pattern, 1024, WSTR("\\*.*")))
        find = FindFirstFileW(pattern, &findData);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (sameTextNoCase(findData.cFileName, WSTR(".")) || sameTextNoCase(findData.cFileName, WSTR("..")))
                continue;
            if (findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            ++found;
            WCHAR path[1024];
            if (reached && copyText(path, 1024, folder) && appendText(path, 1024, WSTR("\\")) &&
                appendText(path, 1024, findData.cFileName) && deleteOpenedFile(path))
                ++*deleted;
        } while (FindNextFileW(find, &findData));
        FindClose(find);
    }
    return found;
}

HistoryResult clearExplorerHistory()
{
    bool complete = true;
    HKEY recent = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs"), 0,
                      KEY_ENUMERATE_SUB_KEYS | KEY_WRITE, &recent) == ERROR_SUCCESS) {
        for (;;) {
            WCHAR name[MAX_PATH + 1];
            DWORD length = MAX_PATH + 1;
            if (RegEnumKeyExW(recent, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (RegDeleteKeyW(recent, name) != ERROR_SUCCESS) {
                complete = false;
                break;
            }
        }
        RegCloseKey(recent);
    }
    HKEY explorer = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"), 0, KEY_WRITE,
                      &explorer) == ERROR_SUCCESS) {
        const LONG rc = RegDeleteKeyW(explorer, WSTR("RecentDocs"));
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
            complete = false;
        RegCloseKey(explorer);
    } else {
        complete = false;
    }
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs"),
                        0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &created, nullptr) == ERROR_SUCCESS)
        RegCloseKey(created);

    WCHAR profile[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile)) ||
        !folderExists(profile))
        return HistoryNoProfile;
    const WCHAR *const folders[] = {
        WSTR("\\AppData\\Roaming\\Microsoft\\Windows\\recent\\AutomaticDestinations"),
        WSTR("\\AppData\\Roaming\\Microsoft\\Windows\\recent\\CustomDestinations"),
        WSTR("\\AppData\\Roaming\\Microsoft\\Windows\\recent"),
    };
    for (const WCHAR *sub : folders) {
        int deleted = 0;
        if (deleteFolderFiles(profile, sub, &deleted) != deleted)
            complete = false;
    }
    return complete ? HistoryCleared : HistoryIncomplete;
}

void handleCommand(WORD command)
{
    switch (command) {
    case CMD_CONFIGURATION:
        openMainProgram();
        break;
    case CMD_CLOSE:
        PostQuitMessage(0);
        break;
    case CMD_POWER_SAVER:
    case CMD_BALANCED:
    case CMD_HIGH_PERFORMANCE:
        activatePowerScheme(command);
        updatePowerSchemeChecks();
        break;
    case CMD_APP_LIGHT:
    case CMD_APP_DARK:
        writeColorValue(WSTR("AppsUseLightTheme"), command == CMD_APP_LIGHT ? 1 : 0);
        updateAppModeChecks();
        break;
    case CMD_WINDOWS_LIGHT:
    case CMD_WINDOWS_DARK:
        writeColorValue(WSTR("SystemUsesLightTheme"), command == CMD_WINDOWS_LIGHT ? 1 : 0);
        updateWindowsModeChecks();
        break;
    case CMD_NEXT_IMAGE:
        stepWallpaper(-1);
        break;
    case CMD_PREVIOUS_IMAGE:
        stepWallpaper(+1);
        break;
    case CMD_CLEAR_HISTORY:
        switch (clearExplorerHistory()) {
        case HistoryCleared:
            MessageBoxW(helper.window, WSTR("The cleaning process is completed."), WSTR("Cleaning Success"),
                        MB_ICONINFORMATION);
            break;
        case HistoryNoProfile:
            MessageBoxW(helper.window,
                        WSTR("Cannot find the user profile folder. File Explorer history was not cleared."),
                        WSTR("Error"), MB_ICONERROR);
            break;
        case HistoryIncomplete:
            MessageBoxW(helper.window, WSTR("Some File Explorer history could not be cleared."), WSTR("Error"),
                        MB_ICONERROR);
            break;
        }
        break;
    default:
        break;
    }
}
