// SetWinEventHook for out-of-context hooks, and what the shell does when its taskbar comes and goes: the
// notification-area icons go with the old taskbar, and a new taskbar announces itself to every top-level
// window with the registered message "TaskbarCreated".
#include "linux/windows/winevents.h"

#include "linux/machine/machine.h"
#include "linux/windows/windowtable.h"
#include "linux/windows/winloop.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QSet>

using machine::Query;

namespace {

struct Hooks
{
    QMutex mutex;
    QHash<qint64, WINEVENTPROC> procs; // this process's hooks by id
};

Hooks &hooks()
{
    static Hooks h;
    return h;
}

bool isTaskbarClass(const QString &className)
{
    return className.compare(QLatin1String("Shell_TrayWnd"), Qt::CaseInsensitive) == 0;
}

void queueEvent(DWORD event, HWND hwnd, DWORD pid)
{
    QSet<DWORD> owners;
    {
        machine::Transaction tx;
        QList<QPair<qint64, DWORD>> matching;
        {
            Query q("SELECT id, owner FROM winhooks WHERE (process=0 OR process=?) AND (thread=0 OR thread=?) "
                    "AND eventmin<=? AND eventmax>=?");
            q.bind(1, qint64(pid)).bind(2, qint64(pid)).bind(3, qint64(event)).bind(4, qint64(event));
            while (q.next())
                matching.append({q.integer(0), DWORD(q.integer(1))});
        }
        for (const auto &m : std::as_const(matching)) {
            if (!windowtable::processAlive(m.second)) {
                Query del("DELETE FROM winhooks WHERE id=?");
                del.bind(1, m.first).exec();
                continue;
            }
            // The stand-in gives each window owner one thread, numbered like its process.
            Query ins("INSERT INTO winevents(hook, owner, event, hwnd, object, child, thread, at) "
                      "VALUES(?, ?, ?, ?, 0, 0, ?, ?)");
            ins.bind(1, m.first).bind(2, qint64(m.second)).bind(3, qint64(event));
            ins.bind(4, qint64(reinterpret_cast<quintptr>(hwnd))).bind(5, qint64(pid));
            ins.bind(6, qint64(GetTickCount())).exec();
            owners.insert(m.second);
        }
        tx.commit();
    }
    for (DWORD owner : std::as_const(owners))
        winloop::wake(owner);
}

} // namespace

namespace winevents {

void windowCreated(HWND hwnd, DWORD pid, const QString &className)
{
    queueEvent(EVENT_OBJECT_CREATE, hwnd, pid);
    if (!isTaskbarClass(className))
        return;
    const UINT message = RegisterWindowMessageW(WSTR("TaskbarCreated"));
    QList<qint64> targets;
    {
        machine::Lock lock;
        Query q("SELECT hwnd, pid FROM windows WHERE pid<?");
        q.bind(1, qint64(windowtable::firstSimulatedPid));
        while (q.next())
            targets.append(q.integer(0));
    }
    for (qint64 target : std::as_const(targets))
        PostMessageW(reinterpret_cast<HWND>(static_cast<quintptr>(target)), message, 0, 0);
}

void windowDestroyed(HWND hwnd, DWORD pid, const QString &className)
{
    queueEvent(EVENT_OBJECT_DESTROY, hwnd, pid);
    if (isTaskbarClass(className)) {
        machine::Lock lock;
        Query q("DELETE FROM notifyicons");
        q.exec();
    }
}

void deliverPending()
{
    struct Event
    {
        qint64 hook;
        DWORD event;
        HWND hwnd;
        LONG object;
        LONG child;
        DWORD thread;
        DWORD at;
    };
    QList<Event> events;
    {
        machine::Transaction tx;
        Query q("SELECT id, hook, event, hwnd, object, child, thread, at FROM winevents WHERE owner=? ORDER BY id");
        q.bind(1, qint64(winloop::currentProcess()));
        qint64 last = -1;
        while (q.next()) {
            events.append(Event{q.integer(1), DWORD(q.integer(2)),
                                reinterpret_cast<HWND>(static_cast<quintptr>(q.integer(3))), LONG(q.integer(4)),
                                LONG(q.integer(5)), DWORD(q.integer(6)), DWORD(q.integer(7))});
            last = q.integer(0);
        }
        if (last < 0)
            return;
        Query del("DELETE FROM winevents WHERE owner=? AND id<=?");
        del.bind(1, qint64(winloop::currentProcess())).bind(2, last).exec();
        tx.commit();
    }
    for (const Event &e : std::as_const(events)) {
        WINEVENTPROC proc = nullptr;
        {
            Hooks &h = hooks();
            QMutexLocker g(&h.mutex);
            proc = h.procs.value(e.hook, nullptr);
        }
        if (proc)
            proc(reinterpret_cast<HWINEVENTHOOK>(static_cast<quintptr>(e.hook)), e.event, e.hwnd, e.object, e.child,
                 e.thread, e.at);
    }
}

} // namespace winevents

HWINEVENTHOOK WINAPI SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE hmodWinEventProc,
                                     WINEVENTPROC pfnWinEventProc, DWORD idProcess, DWORD idThread, DWORD dwFlags)
{
    // Only out-of-context hooks exist here: an in-context one would need a module to load into the target.
    if (!pfnWinEventProc || eventMin > eventMax || (dwFlags & 0x0004) || hmodWinEventProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    machine::Lock lock;
    Query q("INSERT INTO winhooks(owner, process, thread, eventmin, eventmax) VALUES(?, ?, ?, ?, ?)");
    q.bind(1, qint64(winloop::currentProcess())).bind(2, qint64(idProcess)).bind(3, qint64(idThread));
    q.bind(4, qint64(eventMin)).bind(5, qint64(eventMax)).exec();
    const qint64 id = q.lastInsertId();
    {
        Hooks &h = hooks();
        QMutexLocker g(&h.mutex);
        h.procs.insert(id, pfnWinEventProc);
    }
    return reinterpret_cast<HWINEVENTHOOK>(static_cast<quintptr>(id));
}
