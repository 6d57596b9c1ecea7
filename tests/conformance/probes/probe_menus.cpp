// The helper's tray menu (five sub-menus under one root, separators, ticks set with ModifyMenuW), shown and
// dismissed the way the helper shows it, and the message boxes of both programs, each ended by the probe.
#include "probe_win.h"

#include <string>

using probe::line;
using probe::ok;

namespace {

const WCHAR *const ClassName = WSTR("HushdeckProbeMenus");
const UINT_PTR Ender = 7;
// Not among the stand-in's declarations: the owner is told to give up its menu.
const UINT CancelMode = 0x001F;

const UINT SeparatorId = 206;
const UINT PowerSaver = 300;
const UINT Balanced = 301;
const UINT HighPerformance = 302;
const UINT AppLight = 303;
const UINT AppDark = 304;
const UINT Configuration = 208;
const UINT Close = 210;

probe::Journal journal;
HWND owner = nullptr;

// What a box is closed with, the way a user would end it: the box is found by its caption.
const WCHAR *boxCaption = nullptr;
int boxButton = 0;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        journal.note("COMMAND(" + std::to_string(static_cast<unsigned>(LOWORD(wParam))) + ")");
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

// Ends whatever modal loop runs now: the menu (through its owner), or the box with the given caption.
void CALLBACK enderProc(HWND window, UINT, UINT_PTR, DWORD)
{
    if (!boxCaption) {
        SendMessageW(window, CancelMode, 0, 0);
        return;
    }
    if (HWND box = FindWindowW(WSTR("#32770"), boxCaption))
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(boxButton), 0);
}

// The items of a menu by position, as GetMenuState reports them: flags, and for a sub-menu its item count.
// A separator is only that (whether it also counts as greyed is the system's own business).
std::string describe(HMENU menu)
{
    std::string out;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT state = GetMenuState(menu, UINT(i), MF_BYPOSITION);
        char item[32];
        if (state != UINT(-1) && (state & MF_SEPARATOR))
            snprintf(item, sizeof item, "%sseparator", i ? " " : "");
        else
            snprintf(item, sizeof item, "%s0x%X", i ? " " : "", state);
        out += item;
    }
    return out;
}

void showState(const char *key, HMENU menu, UINT command)
{
    line(key, "0x%X", GetMenuState(menu, command, MF_BYCOMMAND));
}

// The helper's tick: the item rewritten with its text and the checked or unchecked flag.
BOOL setCheck(HMENU menu, UINT command, const WCHAR *text, bool checked)
{
    return ModifyMenuW(menu, command, MF_BYCOMMAND | MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), command, text);
}

int showBox(HWND window, const WCHAR *text, const WCHAR *caption, UINT type, int button)
{
    boxCaption = caption;
    boxButton = button;
    SetTimer(owner, Ender, 50, enderProc);
    const int answer = MessageBoxW(window, text, caption, type);
    KillTimer(owner, Ender);
    boxCaption = nullptr;
    return answer;
}

} // namespace

int main()
{
    probe::start();
    probe::registerWindowClass(ClassName, windowProc);
    owner = probe::createWindow(ClassName, WSTR("Hushdeck Probe Menus"));

    // The helper's menus.
    HMENU appMode = CreatePopupMenu();
    line("CreatePopupMenu", "%s", appMode ? "nonzero" : "null");
    ok("AppendMenuW.string", AppendMenuW(appMode, MF_STRING, AppLight, WSTR("Light Mode")));
    AppendMenuW(appMode, MF_STRING, AppDark, WSTR("Dark Mode"));
    HMENU power = CreatePopupMenu();
    AppendMenuW(power, MF_STRING, PowerSaver, WSTR("Power saver"));
    AppendMenuW(power, MF_STRING, Balanced, WSTR("Balanced"));
    AppendMenuW(power, MF_STRING, HighPerformance, WSTR("High performance"));
    HMENU root = CreatePopupMenu();
    ok("AppendMenuW.popup",
       AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(appMode), WSTR("Set App Color mode")));
    ok("AppendMenuW.separator", AppendMenuW(root, MF_SEPARATOR, SeparatorId, nullptr));
    AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(power), WSTR("Set Active Power Scheme"));
    AppendMenuW(root, MF_SEPARATOR, SeparatorId, nullptr);
    AppendMenuW(root, MF_STRING, Configuration, WSTR("Configuration"));
    AppendMenuW(root, MF_STRING, Close, WSTR("Close"));
    line("GetMenuItemCount.root", "%d", GetMenuItemCount(root));
    line("GetMenuState.root", "%s", describe(root).c_str());
    line("GetMenuState.power", "%s", describe(power).c_str());

    // Ticks, as the helper sets them after reading the active scheme and the colour modes.
    ok("ModifyMenuW.check", setCheck(power, Balanced, WSTR("Balanced"), true));
    setCheck(power, PowerSaver, WSTR("Power saver"), false);
    setCheck(power, HighPerformance, WSTR("High performance"), false);
    line("GetMenuState.power.ticked", "%s", describe(power).c_str());
    showState("GetMenuState.fromRoot", root, Balanced);
    ok("ModifyMenuW.uncheck", setCheck(power, Balanced, WSTR("Balanced"), false));
    showState("GetMenuState.unticked", power, Balanced);
    // A command of a sub-menu, reached from the root.
    ok("ModifyMenuW.fromRoot", setCheck(root, AppDark, WSTR("Dark Mode"), true));
    showState("GetMenuState.appDark", appMode, AppDark);
    SetLastError(0);
    ok("ModifyMenuW.missing", setCheck(power, 399, WSTR("None"), true));
    showState("GetMenuState.missing", power, 399);
    line("GetMenuItemCount.power", "%d", GetMenuItemCount(power));

    // Shown at the cursor for the hidden window, as the tray icon's right click does; nothing is chosen: the
    // menu is dismissed through its owner.
    POINT cursor = {};
    ok("GetCursorPos", GetCursorPos(&cursor));
    SetForegroundWindow(owner);
    SetTimer(owner, Ender, 100, enderProc);
    const BOOL tracked = TrackPopupMenu(root, 0, cursor.x, cursor.y, 0, owner, nullptr);
    KillTimer(owner, Ender);
    line("TrackPopupMenu.dismissed", "%s", tracked ? "nonzero" : "0");
    PostMessageW(owner, WM_NULL, 0, 0);
    PostMessageW(owner, WM_CLOSE, 0, 0);
    probe::runMessageLoop();
    journal.flush("TrackPopupMenu.messages");

    // The root takes its sub-menus with it.
    ok("DestroyMenu", DestroyMenu(root));
    // A handle that is gone fails with ERROR_INVALID_MENU_HANDLE.
    SetLastError(0);
    ok("DestroyMenu.subMenu", DestroyMenu(power));
    line("GetMenuItemCount.destroyed", "%d", GetMenuItemCount(appMode));
    SetLastError(0);
    ok("AppendMenuW.destroyed", AppendMenuW(root, MF_STRING, Close, WSTR("Close")));
    SetLastError(0);
    ok("ModifyMenuW.destroyed", setCheck(power, Balanced, WSTR("Balanced"), true));

    // Message boxes: the helper's (owned by its window) and the main program's (no owner).
    owner = probe::createWindow(ClassName, WSTR("Hushdeck Probe Menus"));
    line(
        "MessageBoxW.information", "%d",
        showBox(owner, WSTR("The cleaning process is completed."), WSTR("Cleaning Success"), MB_ICONINFORMATION, IDOK));
    line("MessageBoxW.error", "%d",
         showBox(owner, WSTR("Cannot open Hushdeck for Windows 11 main app."), WSTR("Error"), MB_ICONERROR, IDOK));
    line("MessageBoxW.errorOk", "%d",
         showBox(nullptr, WSTR("\"Setting\" could not be written."), WSTR("Error"), MB_ICONERROR | MB_OK, IDOK));
    line("MessageBoxW.yesNo", "%d",
         showBox(nullptr, WSTR("There are unsaved changes.\nDo you want to save all changes now?"),
                 WSTR("Confirm Save Changes"), MB_ICONWARNING | MB_YESNO, IDNO));
    line("MessageBoxW.yesNoSecond", "%d",
         showBox(nullptr, WSTR("Do you want to terminate probe.exe?"), WSTR("Confirm for Termination"),
                 MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, IDNO));
    DestroyWindow(owner);
    return probe::end();
}
