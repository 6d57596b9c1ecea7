// The background helper: a plain Win32 program with one hidden window, a tray icon and four window timers.
// Everything here belongs to the window's thread; the suspend/resume callback only posts a message to it.
#pragma once

#include "edition.h"
#include "win32.h"

#include "glasspanmessages.h"

// The helper's own messages: the tray icon's callback, and the suspend/resume notification handed over from
// the system's thread to the window's thread.
#define HELPER_MSG_TRAY_CALLBACK (WM_USER + 10)
#define HELPER_MSG_POWER_EVENT (WM_APP + 1)

// Window timers of the hidden window.
#define TIMER_FIND_TASKBAR 100
#define TIMER_DARK_MODE 200
#define TIMER_WALLPAPER 300
#define TIMER_SET_WALLPAPER 1000

// Tray icon and popup menu.
#define TRAY_ICON_ID 1010
#define MENU_SEPARATOR_ID 206
#define CMD_POWER_SAVER 300
#define CMD_BALANCED 301
#define CMD_HIGH_PERFORMANCE 302
#define CMD_APP_LIGHT 303
#define CMD_APP_DARK 304
#define CMD_WINDOWS_LIGHT 305
#define CMD_WINDOWS_DARK 306
#define CMD_NEXT_IMAGE 307
#define CMD_PREVIOUS_IMAGE 308
#define CMD_CLEAR_HISTORY 309
#define CMD_CONFIGURATION 208
#define CMD_CLOSE 210

// Registry keys under HKEY_CURRENT_USER.
#define SETTINGS_ROOT_KEY WSTR("Software\\") HUSHDECK_PRODUCT_NAME
#define AUTODARKMODE_KEY WSTR("Software\\") HUSHDECK_PRODUCT_NAME "\\AutoDarkMode"
#define GLASSPAN_KEY WSTR("Software\\") HUSHDECK_PRODUCT_NAME "\\Glasspan"
#define WALLPAPERCHANGER_KEY WSTR("Software\\") HUSHDECK_PRODUCT_NAME "\\WallpaperChanger"
#define PERSONALIZE_KEY WSTR("Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize")

struct HelperState
{
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    WCHAR title[100] = {};
    WCHAR className[100] = {};
    WCHAR installPath[MAX_PATH] = {};
    NOTIFYICONDATAW tray = {};
    // Whether "ShowTrayIcon" asks for the icon: a new taskbar (Explorer restarted) gets it again.
    bool trayWanted = false;
    HMENU rootMenu = nullptr;
    HMENU trackCleanerMenu = nullptr;
    HMENU wallpaperMenu = nullptr;
    HMENU appModeMenu = nullptr;
    HMENU windowsModeMenu = nullptr;
    HMENU powerMenu = nullptr;
    HPOWERNOTIFY powerNotify = nullptr;
    UINT taskbarCreatedMessage = 0;
};

struct TaskbarState
{
    bool on = false;
    DWORD level = 255;
    HWND taskbar = nullptr;
};

// What the sun does on a day at a place.
enum SunKind { SunRisesAndSets = 0, SunPolarDay = 1, SunPolarNight = -1 };

struct DarkModeState
{
    bool enabled = false;
    bool useLocation = true;
    DWORD action = 2;
    double lightTime = 0; // seconds after local midnight
    double darkTime = 0;
    int lightPhase = 0; // 1: light mode was applied last
    // False when the position or the schedule is missing or unreadable: nothing is switched then.
    bool timesValid = false;
    int sun = SunRisesAndSets;
    // The pending timer is a look at the new day after a day without a switch, not a switch.
    bool lookAgain = false;
    double latitude = 0;
    double longitude = 0;
};

struct WallpaperState
{
    bool enabled = false;
    DWORD timeIndex = 1;
    DWORD timePeriod = 0;
    DWORD source = 0;
    DWORD region = 0;
    int currentIndex = -1;
    WCHAR market[64] = {};
    WCHAR baseRequests[8][256] = {};
    WCHAR requests[8][320] = {};
    WCHAR lastImageKey[260] = {};
    // The image downloaded last, waiting to be set as the wallpaper: its key and day index.
    WCHAR pendingImageKey[260] = {};
    int pendingIndex = 0;
    WCHAR targetFile[MAX_PATH] = {};
};

extern HelperState helper;
extern TaskbarState taskbarState;
extern DarkModeState darkMode;
extern WallpaperState wallpaper;

// The entry point; C linkage, as the system's start-up code calls it.
extern "C" int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);

// Start-up and shutdown (steps of wWinMain): startHelper returns false when the helper must end at once.
bool startHelper(HINSTANCE instance, LPCWSTR commandLine);
int finishHelper(WPARAM quitCode);
LRESULT CALLBACK helperWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
ULONG CALLBACK onSuspendResume(PVOID context, ULONG type, PVOID setting);

// Tray icon and menu.
void fillTrayData();
void showTrayIcon(bool show);
void buildMenus();
void showPopupMenu();
void handleCommand(WORD command);
bool openMainProgram();
bool activatePowerScheme(int command);
void updatePowerSchemeChecks();
void updateAppModeChecks();
void updateWindowsModeChecks();
// The outcome of clearing File Explorer history, for the box that follows.
enum HistoryResult { HistoryCleared, HistoryNoProfile, HistoryIncomplete };
HistoryResult clearExplorerHistory();
// Deletes the files of base + sub ("\\AppData\\..."), each folder below base checked and held while they go;
// how many it found, and in deleted how many went.
int deleteFolderFiles(LPCWSTR base, LPCWSTR sub, int *deleted);

// Taskbar transparency.
void applyTransparency(HWND taskbar);
void installTaskbarHook(HWND taskbar);
HWND findTaskbar();
void armFindTaskbarTimer();
void CALLBACK taskbarWinEventProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                                  DWORD thread, DWORD time);
void CALLBACK findTaskbarTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
void setTaskbarLevel(DWORD level);
void taskbarOn();
void taskbarOff();

// Colour-mode schedule.
void loadAutoDarkMode();
void applyColorMode(bool dark);
// Arms the timer for the next switch after the current moment: to dark after light was applied, else to light.
void armDarkModeTimer();
void CALLBACK darkModeTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
// The UTC offset in hours (east positive) in force at local noon of the given date.
double zoneHoursOn(WORD year, WORD month, WORD day);

// Daily wallpaper.
void fillBaseRequests();
void loadWallpaperChanger(bool downloadNow);
void downloadBingWallpaper(int index);
void CALLBACK wallpaperTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
void CALLBACK setWallpaperTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
void stepWallpaper(int step);
