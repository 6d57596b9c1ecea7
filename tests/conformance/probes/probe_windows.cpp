// Windows and messages as the helper uses them: its class and hidden window, the order in which its procedure
// sees messages (created, posted, sent, registered, quit), lookup by class and title, what is left of a window
// that is gone.
#include "probe_win.h"

#include <chrono>
#include <string>
#include <thread>

using probe::line;
using probe::ok;
using probe::result;

namespace {

const WCHAR *const ClassName = WSTR("HushdeckProbeWindow");
const WCHAR *const Title = WSTR("Hushdeck Probe Window");
const UINT SetLevel = WM_USER + 109;
const UINT TaskbarOn = WM_USER + 110;
const UINT PowerEvent = WM_APP + 1;
const UINT QuitFromHandler = WM_USER + 200;
const UINT AfterQuit = WM_USER + 201;
const UINT ToDoomed = WM_USER + 202;

UINT taskbarCreated = 0;

// A window may be told at creation to refuse being created, at either of its two creation messages.
enum Refusal { RefuseNothing = 0, RefuseNcCreate = 1, RefuseCreate = 2 };

// While windows are refused, their WM_DESTROY ends no message loop.
bool refusing = false;

INT_PTR refusal(LPARAM lParam)
{
    const auto *cs = reinterpret_cast<const CREATESTRUCTW *>(lParam);
    return cs ? reinterpret_cast<INT_PTR>(cs->lpCreateParams) : INT_PTR(RefuseNothing);
}

// The messages the procedure saw, in order; only those a program of ours handles (the system adds others of
// its own, in an order that is its business).
probe::Journal journal;

void note(const char *what, WPARAM wParam = 0)
{
    journal.note(wParam ? std::string(what) + '(' + std::to_string(static_cast<unsigned long long>(wParam)) + ')'
                        : std::string(what));
}

void flush(const char *key)
{
    journal.flush(key);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        note("NCCREATE");
        if (refusal(lParam) == RefuseNcCreate)
            return FALSE;
        break;
    case WM_CREATE:
        note("CREATE");
        return refusal(lParam) == RefuseCreate ? -1 : 0;
    case WM_CLOSE:
        note("CLOSE");
        break;
    case WM_DESTROY:
        note("DESTROY");
        if (!refusing)
            PostQuitMessage(3);
        return 0;
    case WM_NCDESTROY:
        note("NCDESTROY");
        break;
    case SetLevel:
        note("SET", wParam);
        return 0;
    case TaskbarOn:
        note("ON", wParam);
        return 42;
    case PowerEvent:
        note("POWER", wParam);
        return 0;
    case QuitFromHandler:
        note("QUITNOW", wParam);
        PostQuitMessage(5);
        PostMessageW(window, AfterQuit, 0, 0);
        return 0;
    case AfterQuit:
        note("AFTERQUIT");
        return 0;
    case ToDoomed:
        note("TODOOMED");
        return 0;
    default:
        if (message == taskbarCreated && message != 0) {
            note("TASKBARCREATED", wParam);
            return 0;
        }
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND createWindow(const WCHAR *className, const WCHAR *title, Refusal refuse = RefuseNothing)
{
    return probe::createWindow(className, title, reinterpret_cast<LPVOID>(static_cast<INT_PTR>(refuse)));
}

const char *sameAs(HWND found, HWND expected)
{
    return found == expected ? "same" : found ? "other" : "none";
}

// The message loop of the helper, until WM_QUIT; prints what GetMessageW ended with.
void runLoop(const char *key)
{
    MSG msg = {};
    BOOL got;
    int translated = 0;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1)
            break;
        translated += TranslateMessage(&msg) ? 1 : 0;
        DispatchMessageW(&msg);
    }
    line(key, "got %d message %u wParam %llu translated %d", got, msg.message,
         static_cast<unsigned long long>(msg.wParam), translated);
    // What the loop's own calls answered: the exit code the procedure gave PostQuitMessage comes back as
    // WM_QUIT's wParam, and TranslateMessage made no character message of any posted one.
    const std::string k(key);
    line((k + ".PostQuitMessage").c_str(), "%s exit code %llu", msg.message == WM_QUIT ? "WM_QUIT" : "no WM_QUIT",
         static_cast<unsigned long long>(msg.wParam));
    line((k + ".TranslateMessage").c_str(), "%d translated", translated);
}

} // namespace

int main()
{
    probe::start();

    // The class, registered once per process.
    line("RegisterClassExW", "%s", probe::registerWindowClass(ClassName, windowProc) ? "ok" : "failed");
    WNDCLASSEXW same = {};
    same.cbSize = sizeof(same);
    same.lpfnWndProc = DefWindowProcW;
    same.lpszClassName = WSTR("HUSHDECKPROBEWINDOW");
    SetLastError(0);
    const ATOM again = RegisterClassExW(&same);
    result("RegisterClassExW.again", again, !again);

    // Creation: the procedure sees its creation messages before CreateWindowExW returns.
    HWND window = createWindow(ClassName, Title);
    line("CreateWindowExW", "%s", window ? "nonzero" : "null");
    flush("CreateWindowExW.messages");
    SetLastError(0);
    const HWND unknown = CreateWindowExW(0, WSTR("HushdeckProbeNoSuchClass"), Title, WS_POPUP, 0, 0, 0, 0, nullptr,
                                         nullptr, nullptr, nullptr);
    if (unknown)
        line("CreateWindowExW.unknownClass", "nonzero");
    else
        line("CreateWindowExW.unknownClass", "null error %lu", static_cast<unsigned long>(GetLastError()));
    // A procedure that refuses its creation: no window, and the procedure is told it is over.
    refusing = true;
    line("CreateWindowExW.refuseNcCreate", "%s",
         createWindow(ClassName, WSTR("Hushdeck Probe Refused"), RefuseNcCreate) ? "nonzero" : "null");
    flush("CreateWindowExW.refuseNcCreate.messages");
    line("CreateWindowExW.refuseCreate", "%s",
         createWindow(ClassName, WSTR("Hushdeck Probe Refused"), RefuseCreate) ? "nonzero" : "null");
    flush("CreateWindowExW.refuseCreate.messages");
    refusing = false;
    line("FindWindowW.refused", "%s", FindWindowW(nullptr, WSTR("Hushdeck Probe Refused")) ? "found" : "none");

    // Hidden at once, as the helper does; ShowWindow answers whether it was visible before.
    line("ShowWindow.hide", "%d", ShowWindow(window, SW_HIDE) ? 1 : 0);
    line("ShowWindow.hideAgain", "%d", ShowWindow(window, SW_HIDE) ? 1 : 0);

    // Lookup by class and title: the one-helper-per-session check and the main program's lookup.
    line("FindWindowW.classTitle", "%s", sameAs(FindWindowW(ClassName, Title), window));
    line("FindWindowW.classUpper", "%s", sameAs(FindWindowW(WSTR("HUSHDECKPROBEWINDOW"), Title), window));
    line("FindWindowW.titleUpper", "%s", sameAs(FindWindowW(ClassName, WSTR("HUSHDECK PROBE WINDOW")), window));
    line("FindWindowW.classOnly", "%s", sameAs(FindWindowW(ClassName, nullptr), window));
    line("FindWindowW.titleOnly", "%s", sameAs(FindWindowW(nullptr, Title), window));
    // Not finding a window is no error: the last error stays as it was.
    SetLastError(1234);
    HWND none = FindWindowW(ClassName, WSTR("Another Title"));
    result("FindWindowW.otherTitle", none ? 1 : 0, !none);
    SetLastError(1234);
    none = FindWindowW(WSTR("HushdeckProbeNoSuchClass"), nullptr);
    result("FindWindowW.noClass", none ? 1 : 0, !none);

    // The class name, whole and cut to the buffer.
    WCHAR name[1024];
    int n = GetClassNameW(window, name, 1024);
    line("GetClassNameW", "%d", n);
    probe::text("GetClassNameW.text", name);
    n = GetClassNameW(window, name, 5);
    line("GetClassNameW.short", "%d", n);
    probe::text("GetClassNameW.short.text", name);

    line("IsWindow", "%d", IsWindow(window) ? 1 : 0);
    line("IsWindow.null", "%d", IsWindow(nullptr) ? 1 : 0);

    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    line("GetWindowThreadProcessId", "thread %s process %s", thread ? "nonzero" : "0", process ? "nonzero" : "0");

    // Registered messages: one number per name, whatever its case.
    taskbarCreated = RegisterWindowMessageW(WSTR("TaskbarCreated"));
    line("RegisterWindowMessageW.range", "%s",
         taskbarCreated >= 0xC000 && taskbarCreated <= 0xFFFF ? "0xC000-0xFFFF" : "outside");
    line("RegisterWindowMessageW.again", "%s",
         RegisterWindowMessageW(WSTR("TaskbarCreated")) == taskbarCreated ? "same" : "other");
    line("RegisterWindowMessageW.case", "%s",
         RegisterWindowMessageW(WSTR("TASKBARCREATED")) == taskbarCreated ? "same" : "other");
    const UINT otherMessage = RegisterWindowMessageW(WSTR("HushdeckProbeMessage"));
    line("RegisterWindowMessageW.other", "%s",
         otherMessage == taskbarCreated ? "same"
         : otherMessage >= 0xC000       ? "other"
                                        : "outside");

    // Posted messages wait for the loop; a sent one is handled at once and its result comes back.
    ok("PostMessageW.set", PostMessageW(window, SetLevel, 128, 0));
    ok("PostMessageW.registered", PostMessageW(window, taskbarCreated, 0, 0));
    line("SendMessageW.on", "%lld", static_cast<long long>(SendMessageW(window, TaskbarOn, 1, 0)));
    flush("SendMessageW.messages");
    ok("PostMessageW.power", PostMessageW(window, PowerEvent, 2, 0));
    ok("PostMessageW.quitNow", PostMessageW(window, QuitFromHandler, 0, 0));
    ok("PostMessageW.set2", PostMessageW(window, SetLevel, 200, 0));
    runLoop("GetMessageW.quit");
    flush("GetMessageW.messages");

    // A direct dispatch answers what the procedure answered.
    MSG direct = {};
    direct.hwnd = window;
    direct.message = TaskbarOn;
    direct.wParam = 9;
    line("DispatchMessageW.result", "%lld", static_cast<long long>(DispatchMessageW(&direct)));
    line("DefWindowProcW.user", "%lld", static_cast<long long>(DefWindowProcW(window, SetLevel, 0, 0)));
    flush("DispatchMessageW.messages");

    // Painting outside WM_PAINT still hands out a device context.
    PAINTSTRUCT ps = {};
    HDC dc = BeginPaint(window, &ps);
    line("BeginPaint", "%s %s", dc ? "nonzero" : "null", ps.hdc == dc ? "same" : "other");
    ok("EndPaint", EndPaint(window, &ps));

    // An index that names no window value (the layered bit itself is tried in the taskbar probe).
    SetLastError(0);
    const LONG badIndex = GetWindowLongW(window, -1000);
    result("GetWindowLongW.badIndex", badIndex, badIndex == 0);

    ok("SetForegroundWindow", SetForegroundWindow(window));

    // A second window whose posted message is still queued when it goes: the message goes with it.
    HWND doomed = createWindow(ClassName, WSTR("Hushdeck Probe Doomed"));
    flush("CreateWindowExW.second.messages");
    ok("PostMessageW.toDoomed", PostMessageW(doomed, ToDoomed, 0, 0));
    ok("DestroyWindow.second", DestroyWindow(doomed));
    flush("DestroyWindow.second.messages");
    // WM_DESTROY posted the quit request: the loop ends at once, the message to the gone window unseen.
    runLoop("GetMessageW.afterDestroy");
    flush("GetMessageW.afterDestroy.messages");

    // The suspend/resume callback's hand-over: another thread posts while this one waits in GetMessageW, and
    // the wait ends with the message. Then the main program's close request: WM_CLOSE posted, the default
    // procedure destroys the window.
    BOOL postedPower = FALSE, postedClose = FALSE;
    std::thread system([window, &postedPower, &postedClose] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        postedPower = PostMessageW(window, PowerEvent, 7, 0);
        postedClose = PostMessageW(window, WM_CLOSE, 0, 0);
    });
    runLoop("GetMessageW.close");
    system.join();
    ok("PostMessageW.otherThread", postedPower);
    ok("PostMessageW.close", postedClose);
    flush("GetMessageW.close.messages");
    line("IsWindow.destroyed", "%d", IsWindow(window) ? 1 : 0);

    // A window that is gone.
    SetLastError(0);
    ok("PostMessageW.destroyed", PostMessageW(window, SetLevel, 0, 0));
    SetLastError(0);
    ok("DestroyWindow.destroyed", DestroyWindow(window));
    line("GetClassNameW.destroyed", "%d", GetClassNameW(window, name, 1024));
    SetLastError(0);
    process = 77;
    const DWORD goneThread = GetWindowThreadProcessId(window, &process);
    result("GetWindowThreadProcessId.destroyed", goneThread, goneThread == 0);
    line("GetWindowThreadProcessId.destroyed.process", "%lu", static_cast<unsigned long>(process));
    SetLastError(0);
    const LONG goneStyle = GetWindowLongW(window, GWL_EXSTYLE);
    result("GetWindowLongW.destroyed", goneStyle, goneStyle == 0);
    SetLastError(0);
    ok("SetLayeredWindowAttributes.destroyed", SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA));
    line("FindWindowW.destroyed", "%s", FindWindowW(ClassName, Title) ? "found" : "none");
    flush("end.messages");
    return probe::end();
}
