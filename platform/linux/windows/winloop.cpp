// Window classes, windows of this process and the message loop. A waiting GetMessageW sleeps on a FIFO in
// the machine folder (run/<pid>.wake) that posters write to, and on the next timer; where the process has
// a Qt application (tray icon, menus, boxes), Qt's events are handled while it waits.
#include "linux/windows/winloop.h"

#include "linux/machine/machine.h"
#include "linux/machine/ownfolder.h"
#include "linux/system/machineclock.h"
#include "linux/windows/timers.h"
#include "linux/windows/winevents.h"
#include "linux/windows/windowtable.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using machine::Query;

namespace {

struct WindowClass
{
    QString name;
    WNDCLASSEXW wc;
    ATOM atom;
};

struct Loop
{
    QMutex mutex;
    QHash<QString, WindowClass> classes; // by upper-case name
    ATOM nextAtom = 0xC100;
    QSet<quintptr> windows;
    QList<MSG> queue;
    bool quit = false;
    int quitCode = 0;
    bool quitSeen = false;
    int seenQuitCode = 0;
    // The wake-up FIFO: its path, the reading end, and a writing end of our own so that the reader never
    // sees end-of-file when posters come and go.
    QString fifoPath;
    int runFd = -1; // the run folder the FIFO was made in, and its name there
    QByteArray fifoName;
    int readFd = -1;
    int keepFd = -1;
    QSocketNotifier *notifier = nullptr;

    // At exit the FIFO goes; the notifier is left alone, the Qt application being gone by then.
    ~Loop()
    {
        if (readFd >= 0)
            ::close(readFd);
        if (keepFd >= 0)
            ::close(keepFd);
        if (runFd >= 0) {
            ::unlinkat(runFd, fifoName.constData(), 0);
            ::close(runFd);
        }
    }
};

Loop &loop()
{
    static Loop l;
    return l;
}

// Longest sleep without a wake-up: a safety net for a poster that could not reach the FIFO.
const qint64 FallbackPollMs = 2000;

QByteArray fifoNameFor(DWORD pid)
{
    return QByteArray::number(qulonglong(pid)) + ".wake";
}

QString fifoPathFor(DWORD pid)
{
    return machine::folder() + QStringLiteral("/run/") + QString::fromLatin1(fifoNameFor(pid));
}

// The machine's run folder, entered from the machine folder through no link (made when make is set); -1 when
// it is not there or is a link.
int runFolder(bool make)
{
    return ownfolder::open(machine::folder(), QStringLiteral("run"), make);
}

void closeFifo(Loop &l)
{
    delete l.notifier;
    l.notifier = nullptr;
    if (l.readFd >= 0)
        ::close(l.readFd);
    if (l.keepFd >= 0)
        ::close(l.keepFd);
    if (l.runFd >= 0) {
        ::unlinkat(l.runFd, l.fifoName.constData(), 0);
        ::close(l.runFd);
    }
    l.readFd = l.keepFd = l.runFd = -1;
    l.fifoPath.clear();
}

// The reading end of this process's FIFO, made on first use (and again when the machine changed).
int wakeFd()
{
    Loop &l = loop();
    QMutexLocker g(&l.mutex);
    const QString path = fifoPathFor(winloop::currentProcess());
    if (l.readFd >= 0 && l.fifoPath == path)
        return l.readFd;
    closeFifo(l);
    // Only below a machine folder that is there: a removed machine is not made again by its last programs. The
    // run folder is the machine's own, entered through no link: a link in its place takes no FIFO elsewhere.
    const int run = runFolder(true);
    if (run < 0)
        return -1;
    const QByteArray name = fifoNameFor(winloop::currentProcess());
    ::unlinkat(run, name.constData(), 0); // a FIFO left by an ended process of the same id
    if (::mkfifoat(run, name.constData(), 0600) != 0 && errno != EEXIST) {
        ::close(run);
        return -1;
    }
    // The FIFO itself, never what a link in its place leads to.
    l.readFd = ::openat(run, name.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (l.readFd < 0 || ::fstat(l.readFd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
        if (l.readFd >= 0)
            ::close(l.readFd);
        ::close(run);
        l.readFd = -1;
        return -1;
    }
    l.keepFd = ::openat(run, name.constData(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    l.runFd = run;
    l.fifoName = name;
    l.fifoPath = path;
    return l.readFd;
}

void drain(int fd)
{
    char buf[256];
    while (::read(fd, buf, sizeof buf) > 0) {
    }
}

void waitForWake(qint64 timeoutMs)
{
    const int fd = wakeFd();
    QCoreApplication *app = QCoreApplication::instance();
    if (app && app->thread() == QThread::currentThread() && fd >= 0) {
        Loop &l = loop();
        if (!l.notifier)
            l.notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read);
        QEventLoop eventLoop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer); // a coarse timer would move a switch hours ahead by minutes
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &eventLoop, &QEventLoop::quit);
        QObject::connect(l.notifier, &QSocketNotifier::activated, &eventLoop, &QEventLoop::quit);
        timer.start(int(timeoutMs));
        eventLoop.exec();
        QObject::disconnect(l.notifier, nullptr, &eventLoop, nullptr);
    } else if (fd >= 0) {
        struct pollfd p = {fd, POLLIN, 0};
        ::poll(&p, 1, int(timeoutMs));
    } else {
        QThread::msleep(quint64(qMin<qint64>(timeoutMs, 50)));
    }
    if (fd >= 0)
        drain(fd);
}

// The next message for this process, in Windows' order: posted messages, the quit request, timers. Window
// events of out-of-context hooks are handed to their procedures on the way.
bool nextMessage(MSG *msg)
{
    winevents::deliverPending();
    Loop &l = loop();
    {
        QMutexLocker g(&l.mutex);
        if (l.queue.isEmpty()) {
            g.unlock();
            const QList<windowtable::Message> posted = windowtable::takeMessages(winloop::currentProcess());
            g.relock();
            for (const windowtable::Message &m : posted) {
                MSG out = MSG();
                out.hwnd = m.hwnd;
                out.message = m.msg;
                out.wParam = m.wParam;
                out.lParam = m.lParam;
                out.time = GetTickCount();
                l.queue.append(out);
            }
        }
        if (!l.queue.isEmpty()) {
            *msg = l.queue.takeFirst();
            return true;
        }
        if (l.quit) {
            l.quit = false;
            *msg = MSG();
            msg->message = WM_QUIT;
            msg->wParam = WPARAM(l.quitCode);
            return true;
        }
    }
    return timers::takeDue(machineclock::monotonicMs(), msg);
}

// What is left of a window after its last message: its timers, procedure, queued messages and table row.
void releaseWindow(HWND hWnd);

WindowClass *findClass(Loop &l, LPCWSTR name)
{
    if (!name)
        return nullptr;
    if (IS_INTRESOURCE(name)) {
        const ATOM atom = ATOM(reinterpret_cast<ULONG_PTR>(name));
        for (WindowClass &c : l.classes)
            if (c.atom == atom)
                return &c;
        return nullptr;
    }
    auto it = l.classes.find(fromWide(name).toUpper());
    return it == l.classes.end() ? nullptr : &*it;
}

} // namespace

namespace winloop {

DWORD currentProcess()
{
    return DWORD(::getpid());
}

bool isOwnWindow(HWND hwnd)
{
    Loop &l = loop();
    QMutexLocker g(&l.mutex);
    return l.windows.contains(reinterpret_cast<quintptr>(hwnd));
}

void wake(DWORD pid)
{
    const int run = runFolder(false);
    const int fd =
        run < 0 ? -1 : ::openat(run, fifoNameFor(pid).constData(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (run >= 0)
        ::close(run);
    if (fd < 0)
        return; // no process waits there
    // Only a FIFO takes the byte: a file put in its place is never written.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
        ::close(fd);
        return;
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1); // a full FIFO already holds a wake-up
    ::close(fd);
}

int pump()
{
    int handled = 0;
    MSG msg;
    // A bound keeps a timer that re-arms itself at its minimum period from spinning a test forever.
    while (handled < 100000 && nextMessage(&msg)) {
        if (msg.message == WM_QUIT) {
            Loop &l = loop();
            QMutexLocker g(&l.mutex);
            l.quitSeen = true;
            l.seenQuitCode = int(msg.wParam);
            break;
        }
        DispatchMessageW(&msg);
        ++handled;
    }
    return handled;
}

void advance(qint64 ms)
{
    const qint64 end = machineclock::monotonicMs() + ms;
    pump();
    qint64 due = 0;
    while (timers::nextDue(&due) && due <= end) {
        const qint64 now = machineclock::monotonicMs();
        if (due > now)
            machineclock::moveTestClock(due - now);
        pump();
    }
    const qint64 now = machineclock::monotonicMs();
    if (end > now)
        machineclock::moveTestClock(end - now);
    pump();
}

bool takeQuit(int *code)
{
    Loop &l = loop();
    QMutexLocker g(&l.mutex);
    if (!l.quitSeen && !l.quit)
        return false;
    if (code)
        *code = l.quitSeen ? l.seenQuitCode : l.quitCode;
    l.quitSeen = l.quit = false;
    return true;
}

} // namespace winloop

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW *lpwcx)
{
    if (!lpwcx || lpwcx->cbSize != sizeof(WNDCLASSEXW) || !lpwcx->lpszClassName || !lpwcx->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const QString name = fromWide(lpwcx->lpszClassName);
    Loop &l = loop();
    QMutexLocker g(&l.mutex);
    if (l.classes.contains(name.toUpper())) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass c{name, *lpwcx, l.nextAtom++};
    c.wc.lpszClassName = nullptr; // the caller's buffer need not outlive the call
    c.wc.lpszMenuName = nullptr;
    l.classes.insert(name.toUpper(), c);
    return c.atom;
}

HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam)
{
    WNDPROC proc = nullptr;
    QString className;
    {
        Loop &l = loop();
        QMutexLocker g(&l.mutex);
        WindowClass *c = findClass(l, lpClassName);
        if (!c) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        proc = c->wc.lpfnWndProc;
        className = c->name;
    }
    wakeFd(); // from now on posters can wake this process
    const QString title = lpWindowName ? fromWide(lpWindowName) : QString();
    HWND hwnd = windowtable::createWindow(winloop::currentProcess(), className, title);
    {
        machine::Lock lock;
        Query q("UPDATE windows SET style=?, exstyle=?, visible=? WHERE hwnd=?");
        q.bind(1, qint64(dwStyle)).bind(2, qint64(dwExStyle)).bind(3, (dwStyle & WS_VISIBLE) ? 1 : 0);
        q.bind(4, qint64(reinterpret_cast<quintptr>(hwnd))).exec();
    }
    {
        Loop &l = loop();
        QMutexLocker g(&l.mutex);
        l.windows.insert(reinterpret_cast<quintptr>(hwnd));
    }
    windowtable::setLocalProc(hwnd, [proc](HWND h, UINT m, WPARAM w, LPARAM lp) { return proc(h, m, w, lp); });

    CREATESTRUCTW cs = {};
    cs.lpCreateParams = lpParam;
    cs.hInstance = hInstance;
    cs.hMenu = hMenu;
    cs.hwndParent = hWndParent;
    cs.cy = nHeight;
    cs.cx = nWidth;
    cs.y = Y;
    cs.x = X;
    cs.style = LONG(dwStyle);
    cs.lpszName = lpWindowName;
    cs.lpszClass = lpClassName;
    cs.dwExStyle = dwExStyle;
    // A procedure may refuse its window at either creation message; the window never existed for it then,
    // and only WM_NCDESTROY tells it the window is gone.
    if (!proc(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
        proc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        windowtable::callLocalProc(hwnd, WM_NCDESTROY, 0, 0, nullptr);
        releaseWindow(hwnd);
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hWnd)
{
    if (!winloop::isOwnWindow(hWnd)) {
        SetLastError(IsWindow(hWnd) ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    windowtable::callLocalProc(hWnd, WM_DESTROY, 0, 0, nullptr);
    windowtable::callLocalProc(hWnd, WM_NCDESTROY, 0, 0, nullptr);
    releaseWindow(hWnd);
    return TRUE;
}

namespace {

void releaseWindow(HWND hWnd)
{
    timers::killAll(hWnd);
    windowtable::clearLocalProc(hWnd);
    {
        Loop &l = loop();
        QMutexLocker g(&l.mutex);
        l.windows.remove(reinterpret_cast<quintptr>(hWnd));
        l.queue.removeIf([hWnd](const MSG &m) { return m.hwnd == hWnd; });
    }
    windowtable::destroyWindow(hWnd);
}

} // namespace

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow)
{
    machine::Lock lock;
    const qint64 id = qint64(reinterpret_cast<quintptr>(hWnd));
    Query q("SELECT visible FROM windows WHERE hwnd=?");
    q.bind(1, id);
    const bool wasVisible = q.next() && q.integer(0) != 0;
    Query u("UPDATE windows SET visible=? WHERE hwnd=?");
    u.bind(1, nCmdShow == SW_HIDE ? 0 : 1).bind(2, id).exec();
    return wasVisible ? TRUE : FALSE;
}

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM, LPARAM)
{
    switch (Msg) {
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_NCCREATE:
        return TRUE;
    default:
        return 0;
    }
}

BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND, UINT, UINT)
{
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    for (;;) {
        if (nextMessage(lpMsg))
            return lpMsg->message == WM_QUIT ? FALSE : TRUE;
        // A program whose machine was removed under it (a test's machine at its end) ends as if asked to quit.
        if (machine::folderGone()) {
            *lpMsg = MSG();
            lpMsg->message = WM_QUIT;
            return FALSE;
        }
        qint64 timeout = FallbackPollMs;
        qint64 due = 0;
        if (timers::nextDue(&due))
            timeout = qBound<qint64>(0, due - machineclock::monotonicMs(), FallbackPollMs);
        waitForWake(timeout);
    }
}

BOOL WINAPI TranslateMessage(const MSG *)
{
    return FALSE; // no keyboard input reaches the stand-in's windows
}

LRESULT WINAPI DispatchMessageW(const MSG *lpMsg)
{
    if (!lpMsg)
        return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
        reinterpret_cast<TIMERPROC>(lpMsg->lParam)(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
        return 0;
    }
    LRESULT result = 0;
    windowtable::callLocalProc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam, &result);
    return result;
}

void WINAPI PostQuitMessage(int nExitCode)
{
    Loop &l = loop();
    QMutexLocker g(&l.mutex);
    l.quit = true;
    l.quitCode = nExitCode;
}

HDC WINAPI BeginPaint(HWND, LPPAINTSTRUCT lpPaint)
{
    static char deviceContext;
    if (lpPaint)
        *lpPaint = PAINTSTRUCT();
    HDC dc = reinterpret_cast<HDC>(&deviceContext);
    if (lpPaint)
        lpPaint->hdc = dc;
    return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT *)
{
    return TRUE;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd)
{
    return IsWindow(hWnd);
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint)
{
    if (!lpPoint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    QPoint p;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) &&
        QGuiApplication::platformName() != QLatin1String("offscreen") &&
        QThread::currentThread() == QCoreApplication::instance()->thread())
        p = QCursor::pos();
    lpPoint->x = p.x();
    lpPoint->y = p.y();
    return TRUE;
}

UINT WINAPI RegisterWindowMessageW(LPCWSTR lpString)
{
    const QString name = fromWide(lpString);
    if (name.isEmpty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // One number per name on the whole machine, as the system's atom table gives it.
    machine::Transaction tx;
    Query ins("INSERT OR IGNORE INTO regmessages(uname) VALUES(?)");
    ins.bind(1, name.toUpper()).exec();
    Query q("SELECT id FROM regmessages WHERE uname=?");
    q.bind(1, name.toUpper());
    const UINT id = q.next() ? UINT(0xC000 + q.integer(0) - 1) : 0;
    tx.commit();
    return id;
}
