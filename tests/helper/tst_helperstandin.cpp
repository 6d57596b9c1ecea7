// The stand-in's answers that the helper relies on, checked against Windows' documented behaviour: the
// message loop (wake-up on posts from other threads, precise timers, quit), registered messages, menus,
// notification icons, layered windows and WinEvent hooks, power schemes, GUID text, resources, the
// desktop wallpaper, the clock in a zone with daylight saving, URL monikers and ShellExecuteExW.
#include "archiveserver.h"
#include "testmachine.h"
#include "win32.h"

#include "linux/shell/deskwallpaper.h"
#include "linux/files/drivemap.h"
#include "linux/machine/machine.h"
#include "linux/system/machineclock.h"
#include "linux/windows/menus.h"
#include "linux/windows/notifyicons.h"
#include "linux/system/power.h"
#include "linux/registry/registrystore.h"
#include "linux/windows/windowtable.h"
#include "linux/windows/winloop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <thread>

#include <malloc.h>

#ifdef __SANITIZE_ADDRESS__
// The sanitizer runtime's count of bytes allocated and not yet freed.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

struct Seen
{
    QList<UINT> messages;
    QList<HWND> hooked;
    QList<LONG> objects;
    Qt::HANDLE callbackThread = nullptr;
    ULONG callbackType = 0;
};
Seen seen;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_NCCREATE && msg != WM_CREATE && msg != WM_DESTROY && msg != WM_NCDESTROY)
        seen.messages.append(msg);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void CALLBACK recordingHook(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG, DWORD, DWORD)
{
    seen.hooked.append(hwnd);
    seen.objects.append(object);
}

ULONG CALLBACK recordingPowerCallback(PVOID, ULONG type, PVOID)
{
    seen.callbackThread = QThread::currentThreadId();
    seen.callbackType = type;
    return 0;
}

// Refuses its window at the creation message named by the creation parameter, and records every message.
QList<UINT> refusalMessages;
LRESULT CALLBACK refusingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    refusalMessages.append(msg);
    const auto *cs = reinterpret_cast<const CREATESTRUCTW *>(lParam);
    const UINT refusedAt =
        (msg == WM_NCCREATE || msg == WM_CREATE) ? UINT(reinterpret_cast<quintptr>(cs->lpCreateParams)) : 0;
    if (msg == WM_NCCREATE)
        return refusedAt == WM_NCCREATE ? FALSE : TRUE;
    if (msg == WM_CREATE)
        return refusedAt == WM_CREATE ? -1 : 0;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND makeWindow()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = recordingProc;
    wc.lpszClassName = WSTR("StandInTest");
    RegisterClassExW(&wc); // the class stays registered across tests of this process
    return CreateWindowExW(0, WSTR("StandInTest"), WSTR("test"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT,
                           0, nullptr, nullptr, nullptr, nullptr);
}

class ProgressRecorder : public IBindStatusCallback
{
public:
    explicit ProgressRecorder(bool abortAtFirst) : abort(abortAtFirst) {}
    QList<ULONG> statuses;
    QString cacheFile; // the name BINDSTATUS_CACHEFILENAMEAVAILABLE gave
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG status, LPCWSTR text) override
    {
        statuses.append(status);
        if (status == BINDSTATUS_CACHEFILENAMEAVAILABLE)
            cacheFile = fromWide(text);
        return abort ? E_ABORT : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD *, BINDINFO *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown *) override { return E_NOTIMPL; }

private:
    bool abort;
};

// The peak of the heap's bytes in use from now on, in bytes above what it holds now, taken at each sample:
// what a transfer keeps, without the memory the allocator holds back for reuse (which the resident size would
// count, and which AddressSanitizer makes large).
class PeakMemory
{
public:
    PeakMemory() : start(inUse()), peak(start) {}
    void sample() { peak = qMax(peak, inUse()); }
    qint64 growth() const { return peak - start; }

private:
    static qint64 inUse()
    {
#ifdef __SANITIZE_ADDRESS__
        return qint64(__sanitizer_get_current_allocated_bytes());
#else
        const struct mallinfo2 info = mallinfo2();
        return qint64(info.uordblks + info.hblkhd);
#endif
    }
    qint64 start;
    qint64 peak;
};

// A caller that is slow to take what comes (its thread busy for a moment when the answer's type is known)
// and stops the transfer once more than its cap has come, as the helper's transfers do. Each report is a
// moment to take the memory's measure.
class SlowCappedReader : public ProgressRecorder
{
public:
    SlowCappedReader(ULONG cap, PeakMemory &memory) : ProgressRecorder(false), cap(cap), memory(memory) {}
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG, ULONG status, LPCWSTR) override
    {
        memory.sample();
        if (status == BINDSTATUS_MIMETYPEAVAILABLE)
            QThread::msleep(300); // the busy caller, not a wait for anything
        return progress > cap ? E_ABORT : S_OK;
    }

private:
    ULONG cap;
    PeakMemory &memory;
};

} // namespace

class TestHelperStandIn : public QObject
{
    Q_OBJECT

private:
    TestMachine *m = nullptr;
    HWND window = nullptr;

private slots:
    void init()
    {
        m = new TestMachine;
        seen = Seen();
        window = makeWindow();
        QVERIFY(window);
    }

    void cleanup()
    {
        if (IsWindow(window))
            DestroyWindow(window);
        winloop::takeQuit(nullptr);
        winloop::pump();
        machineclock::stopTestClock();
        delete m;
    }

    void postFromAnotherThreadWakesGetMessage()
    {
        QElapsedTimer clock;
        clock.start();
        std::thread poster([this] {
            QThread::msleep(100);
            PostMessageW(window, WM_USER + 5, 1, 2);
        });
        MSG msg;
        QCOMPARE(GetMessageW(&msg, nullptr, 0, 0), TRUE);
        poster.join();
        QCOMPARE(msg.message, UINT(WM_USER + 5));
        QCOMPARE(msg.wParam, WPARAM(1));
        QCOMPARE(msg.lParam, LPARAM(2));
        // Well before the loop's two-second safety poll: the post woke it.
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    }

    void timersArePrecise()
    {
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(SetTimer(window, 7, 300, nullptr), UINT_PTR(1));
        MSG msg;
        QCOMPARE(GetMessageW(&msg, nullptr, 0, 0), TRUE);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(msg.message, UINT(WM_TIMER));
        QCOMPARE(msg.wParam, WPARAM(7));
        QVERIFY2(elapsed >= 299 && elapsed < 1000, qPrintable(QString::number(elapsed)));
        QVERIFY(KillTimer(window, 7));
        QVERIFY(!KillTimer(window, 7));
    }

    void timerReplacedBySameId()
    {
        machineclock::setTestClock(QDateTime(QDate(2024, 1, 1), QTime(0, 0), QTimeZone::utc()));
        SetTimer(window, 1, 1000, nullptr);
        SetTimer(window, 1, 5000, nullptr);
        winloop::advance(4999);
        QVERIFY(seen.messages.isEmpty());
        winloop::advance(1);
        QCOMPARE(seen.messages, QList<UINT>{WM_TIMER});
        winloop::advance(5000); // periodic until killed
        QCOMPARE(seen.messages.size(), 2);
    }

    void timersBelongToTheWindowsThread()
    {
        QCOMPARE(SetTimer(reinterpret_cast<HWND>(quintptr(999999)), 1, 10, nullptr), UINT_PTR(0));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
    }

    void quitComesAfterPostedMessages()
    {
        PostMessageW(window, WM_USER + 1, 0, 0);
        PostQuitMessage(3);
        MSG msg;
        QCOMPARE(GetMessageW(&msg, nullptr, 0, 0), TRUE);
        QCOMPARE(msg.message, UINT(WM_USER + 1));
        QCOMPARE(GetMessageW(&msg, nullptr, 0, 0), FALSE);
        QCOMPARE(msg.message, UINT(WM_QUIT));
        QCOMPARE(msg.wParam, WPARAM(3));
    }

    void closeDestroysThroughDefaultProcedure()
    {
        PostMessageW(window, WM_CLOSE, 0, 0);
        winloop::pump();
        QVERIFY(!IsWindow(window));
        QCOMPARE(seen.messages, QList<UINT>{WM_CLOSE});
    }

    void registeredMessages()
    {
        const UINT a = RegisterWindowMessageW(WSTR("TaskbarCreated"));
        QVERIFY(a >= 0xC000 && a <= 0xFFFF);
        QCOMPARE(RegisterWindowMessageW(WSTR("taskbarcreated")), a);
        QVERIFY(RegisterWindowMessageW(WSTR("Another")) != a);
        QCOMPARE(RegisterWindowMessageW(WSTR("")), UINT(0));
    }

    void newTaskbarAnnouncesItself()
    {
        const UINT created = RegisterWindowMessageW(WSTR("TaskbarCreated"));
        DWORD explorer = 0;
        GetWindowThreadProcessId(FindWindowW(WSTR("Shell_TrayWnd"), nullptr), &explorer);
        windowtable::endSimulatedProcess(explorer);
        const DWORD again = windowtable::startSimulatedProcess(QStringLiteral("explorer.exe"));
        windowtable::createWindow(again, QStringLiteral("Shell_TrayWnd"), QString());
        winloop::pump();
        QCOMPARE(seen.messages, QList<UINT>{created});
    }

    void winEventHookSeesDestruction()
    {
        HWND taskbar = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
        DWORD process = 0;
        const DWORD thread = GetWindowThreadProcessId(taskbar, &process);
        QVERIFY(SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_DESTROY, nullptr, recordingHook, process, thread,
                                WINEVENT_OUTOFCONTEXT));
        // Only out-of-context hooks exist here.
        QVERIFY(!SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_DESTROY, nullptr, recordingHook, process, thread,
                                 0x0004));
        windowtable::endSimulatedProcess(process);
        QVERIFY(seen.hooked.isEmpty()); // delivered by the hooking thread's message loop
        winloop::pump();
        QCOMPARE(seen.hooked, QList<HWND>{taskbar});
        QCOMPARE(seen.objects, QList<LONG>{OBJID_WINDOW});
        winloop::pump();
        QCOMPARE(seen.hooked.size(), 1);
    }

    void layeredWindows()
    {
        HWND taskbar = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
        QVERIFY(!SetLayeredWindowAttributes(taskbar, 0, 10, LWA_ALPHA));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        QCOMPARE(SetWindowLongW(taskbar, GWL_EXSTYLE, WS_EX_LAYERED | WS_EX_TOOLWINDOW), LONG(0));
        QCOMPARE(DWORD(GetWindowLongW(taskbar, GWL_EXSTYLE)), DWORD(WS_EX_LAYERED | WS_EX_TOOLWINDOW));
        QVERIFY(SetLayeredWindowAttributes(taskbar, 0, 10, LWA_ALPHA));
        machine::Lock lock;
        machine::Query q("SELECT alpha FROM windows WHERE hwnd=?");
        q.bind(1, qint64(reinterpret_cast<quintptr>(taskbar)));
        QVERIFY(q.next());
        QCOMPARE(q.integer(0), 10);
        QCOMPARE(GetWindowLongW(reinterpret_cast<HWND>(quintptr(424242)), GWL_EXSTYLE), LONG(0));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
    }

    void menus()
    {
        HMENU sub = CreatePopupMenu();
        QVERIFY(AppendMenuW(sub, MF_STRING, 11, WSTR("Eleven")));
        HMENU root = CreatePopupMenu();
        QVERIFY(AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), WSTR("Sub")));
        QVERIFY(AppendMenuW(root, MF_SEPARATOR, 5, nullptr));
        QVERIFY(AppendMenuW(root, MF_STRING, 12, WSTR("Twelve")));
        // By command, sub-menus are searched too.
        QVERIFY(ModifyMenuW(root, 11, MF_BYCOMMAND | MF_STRING | MF_CHECKED, 11, WSTR("Eleven")));
        QVERIFY(!ModifyMenuW(root, 99, MF_BYCOMMAND | MF_STRING, 99, WSTR("x")));
        QCOMPARE(menus::describe(root), QStringLiteral("Sub/Eleven#11*;Twelve#12"));
        // The state read back: the tick by command from the root; a sub-menu's item count in the high byte.
        QCOMPARE(GetMenuState(root, 11, MF_BYCOMMAND), UINT(MF_CHECKED));
        QCOMPARE(GetMenuState(root, 0, MF_BYPOSITION), UINT(0x100 | MF_POPUP));
        QCOMPARE(GetMenuState(root, 3, MF_BYPOSITION), UINT(-1));
        QCOMPARE(GetMenuItemCount(root), 3);

        machine::pushAnswer(QStringLiteral("TrackPopupMenu"), QStringLiteral("11"));
        QVERIFY(TrackPopupMenu(root, 0, 0, 0, 0, window, nullptr));
        winloop::pump();
        QCOMPARE(seen.messages, QList<UINT>{WM_COMMAND});
        machine::pushAnswer(QStringLiteral("TrackPopupMenu"), QStringLiteral("12"));
        QCOMPARE(TrackPopupMenu(root, TPM_RETURNCMD, 0, 0, 0, window, nullptr), BOOL(12));
        machine::pushAnswer(QStringLiteral("TrackPopupMenu"), QString()); // dismissed
        QCOMPARE(TrackPopupMenu(root, TPM_RETURNCMD, 0, 0, 0, window, nullptr), BOOL(0));
        QCOMPARE(m->logged(QStringLiteral("TrackPopupMenu")).size(), 3);

        // Destroying a menu destroys its sub-menus.
        QVERIFY(DestroyMenu(root));
        QVERIFY(!AppendMenuW(sub, MF_STRING, 1, WSTR("x")));
        QVERIFY(!DestroyMenu(sub));
        QCOMPARE(GetMenuItemCount(sub), -1);
    }

    void notifyIcons()
    {
        NOTIFYICONDATAW data = {};
        data.cbSize = sizeof data;
        data.hWnd = window;
        data.uID = 3;
        data.uFlags = NIF_TIP | NIF_MESSAGE;
        data.uCallbackMessage = WM_USER + 3;
        copyToWide(QStringLiteral("tip"), data.szTip, 128);
        QVERIFY(Shell_NotifyIconW(NIM_ADD, &data));
        QVERIFY(!Shell_NotifyIconW(NIM_ADD, &data));
        copyToWide(QStringLiteral("other tip"), data.szTip, 128);
        QVERIFY(Shell_NotifyIconW(NIM_MODIFY, &data));
        QCOMPARE(notifyicons::icons().value(0).tip, QStringLiteral("other tip"));
        QVERIFY(Shell_NotifyIconW(NIM_DELETE, &data));
        QVERIFY(!Shell_NotifyIconW(NIM_DELETE, &data));
        // Without a taskbar there is no notification area.
        DWORD explorer = 0;
        GetWindowThreadProcessId(FindWindowW(WSTR("Shell_TrayWnd"), nullptr), &explorer);
        windowtable::endSimulatedProcess(explorer);
        QVERIFY(!Shell_NotifyIconW(NIM_ADD, &data));
    }

    void powerSchemes()
    {
        GUID unknown;
        QCOMPARE(CLSIDFromString(WSTR("{11111111-2222-3333-4444-555555555555}"), &unknown), S_OK);
        QCOMPARE(PowerSetActiveScheme(nullptr, &unknown), DWORD(ERROR_FILE_NOT_FOUND));
        GUID *active = nullptr;
        QCOMPARE(PowerGetActiveScheme(nullptr, &active), DWORD(ERROR_SUCCESS));
        WCHAR text[40];
        QCOMPARE(StringFromGUID2(*active, text, 40), 39);
        QCOMPARE(fromWide(text), QStringLiteral("{381B4222-F694-41F0-9685-FF5BB260DF2E}"));
        LocalFree(active);
        // Switching the scheme needs no administrator rights.
        m->setElevated(false);
        GUID saver;
        QCOMPARE(CLSIDFromString(WSTR("{A1841308-3541-4FAB-BC81-F71556F20B4A}"), &saver), S_OK);
        QCOMPARE(PowerSetActiveScheme(nullptr, &saver), DWORD(ERROR_SUCCESS));
        machine::Lock lock;
        DWORD type = 0;
        QByteArray data;
        QVERIFY(registrystore::readValue(
            registrystore::findKey(
                QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes")),
            QStringLiteral("ActivePowerScheme"), &type, &data));
        QCOMPARE(registrystore::dataString(data), QStringLiteral("a1841308-3541-4fab-bc81-f71556f20b4a"));
    }

    void refusedCreation_data()
    {
        QTest::addColumn<UINT>("refusedAt");
        QTest::addColumn<QList<UINT>>("messages");
        QTest::newRow("at WM_NCCREATE") << UINT(WM_NCCREATE) << QList<UINT>{WM_NCCREATE, WM_NCDESTROY};
        QTest::newRow("at WM_CREATE") << UINT(WM_CREATE) << QList<UINT>{WM_NCCREATE, WM_CREATE, WM_NCDESTROY};
        QTest::newRow("not refused") << UINT(0) << QList<UINT>{WM_NCCREATE, WM_CREATE};
    }
    void refusedCreation()
    {
        // A refused window never existed: no handle, nothing to find, only WM_NCDESTROY to say it is over.
        QFETCH(UINT, refusedAt);
        QFETCH(QList<UINT>, messages);
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = refusingProc;
        wc.lpszClassName = WSTR("StandInRefusing");
        RegisterClassExW(&wc); // the class stays registered across rows
        refusalMessages.clear();
        HWND made = CreateWindowExW(0, WSTR("StandInRefusing"), WSTR("refusing"), WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                    nullptr, nullptr, nullptr, reinterpret_cast<LPVOID>(quintptr(refusedAt)));
        QCOMPARE(refusalMessages, messages);
        QCOMPARE(made != nullptr, refusedAt == 0);
        QCOMPARE(FindWindowW(WSTR("StandInRefusing"), nullptr), made);
        if (made)
            QVERIFY(DestroyWindow(made));
    }

    void guidText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("braced") << QStringLiteral("{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}") << true;
        QTest::newRow("lower case") << QStringLiteral("{8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c}") << true;
        QTest::newRow("no braces") << QStringLiteral("8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C") << false;
        QTest::newRow("not hexadecimal") << QStringLiteral("{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635X}") << false;
    }
    void guidText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        GUID g;
        QCOMPARE(CLSIDFromString(wstr(text), &g), valid ? S_OK : CO_E_CLASSSTRING);
        if (!valid)
            return;
        WCHAR out[39];
        QCOMPARE(StringFromGUID2(g, out, 39), 39);
        QCOMPARE(fromWide(out), text.toUpper());
        QCOMPARE(StringFromGUID2(g, out, 38), 0); // too small: nothing
    }

    void suspendResumeOnSystemThread()
    {
        DEVICE_NOTIFY_SUBSCRIBE_PARAMETERS params = {recordingPowerCallback, nullptr};
        HPOWERNOTIFY handle = nullptr;
        QCOMPARE(PowerRegisterSuspendResumeNotification(DEVICE_NOTIFY_CALLBACK, &params, &handle),
                 DWORD(ERROR_SUCCESS));
        power::deliverSuspendResume(PBT_APMSUSPEND);
        QCOMPARE(seen.callbackType, ULONG(PBT_APMSUSPEND));
        QVERIFY(seen.callbackThread && seen.callbackThread != QThread::currentThreadId());
        QCOMPARE(PowerUnregisterSuspendResumeNotification(handle), DWORD(ERROR_SUCCESS));
        seen.callbackType = 0;
        power::deliverSuspendResume(PBT_APMRESUMEAUTOMATIC);
        QCOMPARE(seen.callbackType, ULONG(0));
        QCOMPARE(PowerUnregisterSuspendResumeNotification(handle), DWORD(ERROR_INVALID_HANDLE));
    }

    void desktopWallpaper()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("p.jpg"));
        const QString text = dir.filePath(QStringLiteral("t.jpg"));
        {
            QFile f(picture);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(ArchiveServer::jpeg());
            QFile t(text);
            QVERIFY(t.open(QIODevice::WriteOnly));
            t.write("not a picture");
        }
        const QString seeded = deskwallpaper::current();
        QVERIFY(!SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<WCHAR *>(wstr(dir.filePath("none.jpg"))),
                                       SPIF_SENDCHANGE));
        QVERIFY(!SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<WCHAR *>(wstr(text)), SPIF_SENDCHANGE));
        QCOMPARE(deskwallpaper::current(), seeded);
        // For the session only: the profile keeps its value.
        QVERIFY(SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<WCHAR *>(wstr(picture)), SPIF_SENDCHANGE));
        WCHAR now[MAX_PATH];
        QVERIFY(SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0));
        QCOMPARE(fromWide(now), picture);
        WCHAR stored[MAX_PATH];
        DWORD size = sizeof stored;
        QCOMPARE(RegGetValueW(HKEY_CURRENT_USER, WSTR("Control Panel\\Desktop"), WSTR("WallPaper"), RRF_RT_REG_SZ,
                              nullptr, stored, &size),
                 LONG(ERROR_SUCCESS));
        QCOMPARE(fromWide(stored), seeded);
        // Written to the profile.
        QVERIFY(SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<WCHAR *>(wstr(picture)),
                                      SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
        size = sizeof stored;
        RegGetValueW(HKEY_CURRENT_USER, WSTR("Control Panel\\Desktop"), WSTR("WallPaper"), RRF_RT_REG_SZ, nullptr,
                     stored, &size);
        QCOMPARE(fromWide(stored), picture);
    }

    void resources()
    {
        WCHAR text[100];
        QCOMPARE(LoadStringW(nullptr, 103, text, 100), 19);
        QCOMPARE(fromWide(text), QStringLiteral("Transparent Taskbar"));
        QCOMPARE(LoadStringW(nullptr, 109, text, 5), 4); // cut to the buffer, terminated
        QCOMPARE(fromWide(text), QStringLiteral("GLAS"));
        QCOMPARE(LoadStringW(nullptr, 4711, text, 100), 0);
        HICON icon = static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(131), IMAGE_ICON, 24, 24, 0));
        QVERIFY(icon);
        QCOMPARE(imageFromIcon(icon).size(), QSize(24, 24));
        DestroyIcon(icon);
        QVERIFY(!LoadImageW(nullptr, MAKEINTRESOURCEW(4711), IMAGE_ICON, 16, 16, 0));
    }

    void clockFollowsZone()
    {
        machine::setSetting(QStringLiteral("timezone"), QStringLiteral("Europe/Berlin"));
        const auto utcOfNoon = [](int month, int day) {
            SYSTEMTIME local = {};
            local.wYear = 2024;
            local.wMonth = WORD(month);
            local.wDay = WORD(day);
            local.wHour = 12;
            SYSTEMTIME utc;
            TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
            return utc.wHour;
        };
        QCOMPARE(utcOfNoon(3, 30), WORD(11));
        QCOMPARE(utcOfNoon(3, 31), WORD(10));
        machineclock::setTestClock(QDateTime(QDate(2024, 7, 1), QTime(22, 30), QTimeZone::utc()));
        SYSTEMTIME local;
        GetLocalTime(&local);
        QCOMPARE(local.wDay, WORD(2));
        QCOMPARE(local.wHour, WORD(0));
        QCOMPARE(local.wMinute, WORD(30));
        FILETIME ft;
        GetSystemTimeAsFileTime(&ft);
        SYSTEMTIME back;
        QVERIFY(FileTimeToSystemTime(&ft, &back));
        QCOMPARE(back.wHour, WORD(22));
        const ULONGLONG ticks = GetTickCount64();
        machineclock::moveTestClock(1500);
        QCOMPARE(GetTickCount64() - ticks, ULONGLONG(1500));
    }

    void urlMonikers()
    {
        ArchiveServer server;
        server.answer(QStringLiteral("/data"), QByteArray("0123456789"));
        server.answer(QStringLiteral("/missing"), QByteArray(), ArchiveServer::NotFound);
        m->overrideUrl(QStringLiteral("https://example.test"), server.base());
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("out.bin"));

        ProgressRecorder progress(false);
        QCOMPARE(URLDownloadToFileW(nullptr, WSTR("https://example.test/data"), wstr(target), 0, &progress), S_OK);
        QCOMPARE(QFile(target).size(), qint64(10));
        QVERIFY(progress.statuses.contains(ULONG(BINDSTATUS_DOWNLOADINGDATA)));
        QCOMPARE(progress.statuses.last(), ULONG(BINDSTATUS_ENDDOWNLOADDATA));

        QFile::remove(target);
        QCOMPARE(URLDownloadToFileW(nullptr, WSTR("https://example.test/missing"), wstr(target), 0, nullptr),
                 INET_E_OBJECT_NOT_FOUND);
        QVERIFY(!QFile::exists(target));

        ProgressRecorder stop(true);
        QCOMPARE(URLDownloadToFileW(nullptr, WSTR("https://example.test/data"), wstr(target), 0, &stop), E_ABORT);
        QVERIFY(!QFile::exists(target));

        IStream *stream = nullptr;
        // A stream's bytes are kept in the Internet cache too, under the name the callback is told; a failed
        // one leaves none there.
        const QString cacheRoot = machine::localAppData() + QStringLiteral("/Microsoft/Windows/INetCache/IE");
        QCOMPARE(URLOpenBlockingStreamW(nullptr, WSTR("https://example.test/missing"), &stream, 0, nullptr),
                 INET_E_OBJECT_NOT_FOUND);
        QVERIFY(!stream);
        QCOMPARE(QDir(cacheRoot).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        ProgressRecorder cached(false);
        QCOMPARE(URLOpenBlockingStreamW(nullptr, WSTR("https://example.test/data"), &stream, 0, &cached), S_OK);
        QVERIFY(cached.statuses.contains(ULONG(BINDSTATUS_CACHEFILENAMEAVAILABLE)));
        QVERIFY2(cached.cacheFile.startsWith(standin::windowsPath(cacheRoot) + QLatin1Char('\\')) &&
                     cached.cacheFile.endsWith(QStringLiteral("\\data[1]")),
                 qPrintable(cached.cacheFile));
        QFile kept(hostPath(cached.cacheFile));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("0123456789"));
        stream->Release();
        stream = nullptr;
        QCOMPARE(URLOpenBlockingStreamW(nullptr, WSTR("https://example.test/data"), &stream, 0, nullptr), S_OK);
        char buffer[8];
        ULONG got = 0;
        QCOMPARE(stream->Read(buffer, 8, &got), S_OK);
        QCOMPARE(got, ULONG(8));
        QCOMPARE(stream->Read(buffer, 8, &got), S_FALSE);
        QCOMPARE(got, ULONG(2));
        QCOMPARE(QByteArray(buffer, 2), QByteArray("89"));
        stream->Release();
    }

    void endlessAnswerKeepsMemoryBounded_data()
    {
        QTest::addColumn<bool>("toFile");
        QTest::addColumn<int>("cap");
        QTest::newRow("blocking stream, 64 KiB") << false << 64 * 1024;
        QTest::newRow("file, 32 MiB") << true << 32 * 1024 * 1024;
    }

    // However fast an endless answer comes and however slow the caller takes it, what is read ahead of the
    // caller stays small: memory grows by a small multiple of the cap at most.
    void endlessAnswerKeepsMemoryBounded()
    {
        QFETCH(bool, toFile);
        QFETCH(int, cap);
        ArchiveServer server;
        server.answer(QStringLiteral("/endless"), QByteArray(), ArchiveServer::Endless);
        m->overrideUrl(QStringLiteral("https://example.test"), server.base());
        QTemporaryDir dir;
        PeakMemory memory;
        SlowCappedReader reader{ULONG(cap), memory};
        IStream *stream = nullptr;
        const HRESULT hr =
            toFile ? URLDownloadToFileW(nullptr, WSTR("https://example.test/endless"),
                                        wstr(dir.filePath(QStringLiteral("out.bin"))), 0, &reader)
                   : URLOpenBlockingStreamW(nullptr, WSTR("https://example.test/endless"), &stream, 0, &reader);
        QCOMPARE(hr, E_ABORT);
        QVERIFY(!stream);
        QVERIFY2(memory.growth() < 16 * 1024 * 1024, qPrintable(QString::number(memory.growth())));
    }

    void shellExecuteEx()
    {
        QTemporaryDir empty;
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof info;
        const QString file = empty.path() + QStringLiteral("\\Hushdeck.exe");
        info.lpVerb = WSTR("runas");
        info.lpFile = wstr(file);
        info.nShow = SW_SHOWNORMAL;
        QVERIFY(!ShellExecuteExW(&info));
        QCOMPARE(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
        QVERIFY(reinterpret_cast<INT_PTR>(info.hInstApp) <= 32);

        // Other programs are recorded; a missing working folder is refused.
        info.lpFile = WSTR("winver.exe");
        info.lpVerb = nullptr;
        // The text must outlive the call: wstr() only points into it.
        const QString nowhere = empty.filePath(QStringLiteral("nowhere"));
        info.lpDirectory = wstr(nowhere);
        QVERIFY(!ShellExecuteExW(&info));
        QCOMPARE(GetLastError(), DWORD(ERROR_DIRECTORY));
        info.lpDirectory = nullptr;
        QVERIFY(ShellExecuteExW(&info));
        QCOMPARE(m->logged(QStringLiteral("Start")), QStringList{QStringLiteral("winver.exe")});
    }
};

QTEST_MAIN(TestHelperStandIn)
#include "tst_helperstandin.moc"
