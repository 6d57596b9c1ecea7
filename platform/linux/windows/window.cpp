#include "win32.h"
#include "linux/machine/machine.h"
#include "linux/windows/windowtable.h"
#include "linux/windows/winevents.h"
#include "linux/windows/winloop.h"

#include <QDebug>
#include <QLibraryInfo>
#include <QWindow>
#include <QHash>
#include <QMutex>
#include <cerrno>
#include <signal.h>
#include <unistd.h>

using machine::Query;

namespace windowtable {

void seed()
{
    machine::Lock lock;
    const DWORD explorer = startSimulatedProcess(QStringLiteral("explorer.exe"));
    createWindow(explorer, QStringLiteral("Shell_TrayWnd"), QString());
}

HWND createWindow(DWORD pid, const QString &className, const QString &title)
{
    machine::Lock lock;
    Query q("INSERT INTO windows(pid, class, title) VALUES(?, ?, ?)");
    q.bind(1, qint64(pid)).bind(2, className).bind(3, title).exec();
    HWND hwnd = reinterpret_cast<HWND>(static_cast<quintptr>(q.lastInsertId()));
    winevents::windowCreated(hwnd, pid, className);
    return hwnd;
}

void destroyWindow(HWND hwnd)
{
    machine::Lock lock;
    const qint64 id = qint64(reinterpret_cast<quintptr>(hwnd));
    DWORD pid = 0;
    QString className;
    {
        Query w("SELECT pid, class FROM windows WHERE hwnd=?");
        w.bind(1, id);
        if (!w.next())
            return;
        pid = DWORD(w.integer(0));
        className = w.text(1);
    }
    Query q("DELETE FROM windows WHERE hwnd=?");
    q.bind(1, id).exec();
    Query m("DELETE FROM messages WHERE hwnd=?");
    m.bind(1, id).exec();
    winevents::windowDestroyed(hwnd, pid, className);
}

bool processAlive(DWORD pid)
{
    if (pid >= firstSimulatedPid) {
        machine::Lock lock;
        Query q("SELECT alive FROM simprocs WHERE pid=?");
        q.bind(1, qint64(pid));
        return q.next() && q.integer(0) != 0;
    }
    if (pid == 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

DWORD startSimulatedProcess(const QString &name)
{
    machine::Lock lock;
    DWORD pid = firstSimulatedPid;
    {
        Query q("SELECT MAX(pid) FROM simprocs");
        if (q.next() && !q.isNull(0))
            pid = DWORD(q.integer(0)) + 4;
    }
    Query q("INSERT INTO simprocs(pid, name, alive) VALUES(?, ?, 1)");
    q.bind(1, qint64(pid)).bind(2, name).exec();
    return pid;
}

void endSimulatedProcess(DWORD pid)
{
    machine::Transaction tx;
    {
        Query q("UPDATE simprocs SET alive=0 WHERE pid=?");
        q.bind(1, qint64(pid)).exec();
    }
    QList<qint64> hwnds;
    {
        Query q("SELECT hwnd FROM windows WHERE pid=?");
        q.bind(1, qint64(pid));
        while (q.next())
            hwnds << q.integer(0);
    }
    for (qint64 h : hwnds)
        destroyWindow(reinterpret_cast<HWND>(static_cast<quintptr>(h)));
    tx.commit();
}

QString simulatedProcessName(DWORD pid)
{
    machine::Lock lock;
    Query q("SELECT name FROM simprocs WHERE pid=?");
    q.bind(1, qint64(pid));
    return q.next() ? q.text(0) : QString();
}

QList<DWORD> simulatedProcesses()
{
    machine::Lock lock;
    Query q("SELECT pid FROM simprocs WHERE alive=1 ORDER BY pid");
    QList<DWORD> out;
    while (q.next())
        out << DWORD(q.integer(0));
    return out;
}

QList<Message> takeMessages(DWORD pid)
{
    QList<Message> out;
    machine::Transaction tx;
    Query q("SELECT m.id, m.hwnd, m.msg, m.wparam, m.lparam FROM messages m JOIN windows w ON w.hwnd = m.hwnd "
            "WHERE w.pid=? ORDER BY m.id");
    q.bind(1, qint64(pid));
    qint64 last = -1;
    while (q.next()) {
        out.append(Message{reinterpret_cast<HWND>(static_cast<quintptr>(q.integer(1))), UINT(q.integer(2)),
                           WPARAM(q.integer(3)), LPARAM(q.integer(4))});
        last = q.integer(0);
    }
    if (last >= 0) {
        Query del("DELETE FROM messages WHERE id<=? AND hwnd IN (SELECT hwnd FROM windows WHERE pid=?)");
        del.bind(1, last).bind(2, qint64(pid)).exec();
    }
    tx.commit();
    return out;
}

namespace {

struct LocalProcs
{
    QMutex mutex;
    QHash<quintptr, LocalProc> procs;
};

LocalProcs &localProcs()
{
    static LocalProcs l;
    return l;
}

} // namespace

void setLocalProc(HWND hwnd, LocalProc proc)
{
    LocalProcs &l = localProcs();
    QMutexLocker g(&l.mutex);
    l.procs.insert(reinterpret_cast<quintptr>(hwnd), std::move(proc));
}

void clearLocalProc(HWND hwnd)
{
    LocalProcs &l = localProcs();
    QMutexLocker g(&l.mutex);
    l.procs.remove(reinterpret_cast<quintptr>(hwnd));
}

bool callLocalProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT *result)
{
    LocalProc proc;
    {
        LocalProcs &l = localProcs();
        QMutexLocker g(&l.mutex);
        auto it = l.procs.constFind(reinterpret_cast<quintptr>(hwnd));
        if (it == l.procs.constEnd())
            return false;
        proc = *it;
    }
    const LRESULT r = proc(hwnd, msg, wParam, lParam);
    if (result)
        *result = r;
    return true;
}

} // namespace windowtable

namespace {

struct WindowRow
{
    qint64 hwnd = 0;
    DWORD pid = 0;
    QString className;
    QString title;
};

// The row of a live window; windows whose process has ended are removed on the way.
bool windowRow(HWND hWnd, WindowRow *row)
{
    machine::Lock lock;
    Query q("SELECT hwnd, pid, class, title FROM windows WHERE hwnd=?");
    q.bind(1, qint64(reinterpret_cast<quintptr>(hWnd)));
    if (!q.next())
        return false;
    row->hwnd = q.integer(0);
    row->pid = DWORD(q.integer(1));
    row->className = q.text(2);
    row->title = q.text(3);
    if (!windowtable::processAlive(row->pid)) {
        windowtable::destroyWindow(hWnd);
        return false;
    }
    return true;
}

} // namespace

// Class and title both match without regard to case.
HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName)
{
    machine::Lock lock;
    QList<WindowRow> rows;
    {
        Query q("SELECT hwnd, pid, class, title FROM windows ORDER BY hwnd DESC");
        while (q.next())
            rows.append(WindowRow{q.integer(0), DWORD(q.integer(1)), q.text(2), q.text(3)});
    }
    const QString cls = lpClassName ? fromWide(lpClassName) : QString();
    const QString title = lpWindowName ? fromWide(lpWindowName) : QString();
    for (const WindowRow &r : std::as_const(rows)) {
        if (lpClassName && r.className.compare(cls, Qt::CaseInsensitive) != 0)
            continue;
        if (lpWindowName && r.title.compare(title, Qt::CaseInsensitive) != 0)
            continue;
        HWND h = reinterpret_cast<HWND>(static_cast<quintptr>(r.hwnd));
        if (!windowtable::processAlive(r.pid)) {
            windowtable::destroyWindow(h);
            continue;
        }
        return h;
    }
    return nullptr; // not finding a window leaves the last error alone
}

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    WindowRow row;
    if (!hWnd || !windowRow(hWnd, &row)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    machine::Lock lock;
    Query q("INSERT INTO messages(hwnd, msg, wparam, lparam) VALUES(?, ?, ?, ?)");
    q.bind(1, row.hwnd).bind(2, qint64(Msg)).bind(3, qint64(wParam)).bind(4, qint64(lParam)).exec();
    machine::log(QStringLiteral("PostMessage"), QStringLiteral("%1|%2|%3|%4|%5")
                                                    .arg(row.className, row.title)
                                                    .arg(Msg)
                                                    .arg(qulonglong(wParam))
                                                    .arg(qlonglong(lParam)));
    winloop::wake(row.pid);
    return TRUE;
}

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    // A window of this process with a procedure gets the message at once; a window of another process gets
    // it delivered like a posted one, and the call answers 0.
    LRESULT result = 0;
    if (windowtable::callLocalProc(hWnd, Msg, wParam, lParam, &result))
        return result;
    PostMessageW(hWnd, Msg, wParam, lParam);
    return 0;
}

int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount)
{
    WindowRow row;
    if (!windowRow(hWnd, &row)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        if (lpClassName && nMaxCount > 0)
            lpClassName[0] = 0;
        return 0;
    }
    if (!lpClassName || nMaxCount <= 0)
        return 0;
    return int(copyToWide(row.className, lpClassName, nMaxCount));
}

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId)
{
    WindowRow row;
    if (!windowRow(hWnd, &row)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (lpdwProcessId)
        *lpdwProcessId = row.pid;
    return row.pid; // one thread per window owner in the stand-in
}

BOOL IsWindow(HWND hWnd)
{
    WindowRow row;
    return windowRow(hWnd, &row) ? TRUE : FALSE;
}

bool nativeMessageId(const QByteArray &, void *, UINT *)
{
    return false;
}

namespace {

// The class Qt registers a window with on Windows: "Qt" and its version, "QWindow", then what sets the
// class apart (the kind of window, a drop shadow, saved bits, its own device context, an icon).
QString qtWindowClass(const QWindow *window)
{
    const Qt::WindowFlags flags = window->flags();
    const Qt::WindowType type = Qt::WindowType(int(flags & Qt::WindowType_Mask));
    bool icon = true;
    bool saveBits = false;
    QString kind;
    switch (type) {
    case Qt::Tool:
    case Qt::ToolTip:
    case Qt::Popup:
        kind = type == Qt::Tool      ? QStringLiteral("Tool")
               : type == Qt::ToolTip ? QStringLiteral("ToolTip")
                                     : QStringLiteral("Popup");
        saveBits = true;
        icon = false;
        break;
    case Qt::Dialog:
        icon = flags.testFlag(Qt::WindowSystemMenuHint);
        break;
    default:
        break;
    }
    const bool dropShadow = !flags.testFlag(Qt::NoDropShadowWindowHint) &&
                            (type == Qt::Popup || window->property("_q_windowsDropShadow").toBool());
    const bool ownDc = window->surfaceType() == QSurface::OpenGLSurface || flags.testFlag(Qt::MSWindowsOwnDC);
    QString name = QStringLiteral("Qt%1%2%3").arg(QT_VERSION_MAJOR).arg(QT_VERSION_MINOR).arg(QT_VERSION_PATCH);
    if (QLibraryInfo::isDebugBuild())
        name += QLatin1Char('d');
    name += QStringLiteral("QWindow") + kind;
    if (dropShadow)
        name += QStringLiteral("DropShadow");
    if (saveBits)
        name += QStringLiteral("SaveBits");
    if (ownDc)
        name += QStringLiteral("OwnDC");
    if (icon)
        name += QStringLiteral("Icon");
    return name;
}

} // namespace

HWND windowHandle(QWindow *window)
{
    if (!window)
        return nullptr;
    // One entry per window, made when it is first asked for, as Windows makes the window with its class. It
    // goes with the process, which outlives the program's windows.
    const char *const key = "_hushdeck_hwnd";
    const QVariant known = window->property(key);
    if (known.isValid())
        return reinterpret_cast<HWND>(known.value<quintptr>());
    HWND hwnd = windowtable::createWindow(DWORD(getpid()), qtWindowClass(window), window->title());
    window->setProperty(key, QVariant::fromValue(reinterpret_cast<quintptr>(hwnd)));
    return hwnd;
}
