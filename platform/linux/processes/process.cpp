// OpenProcess, TerminateProcess, priority classes and the process status functions. A host process is real:
// its handle holds a pidfd where the kernel has them, so the handle keeps meaning the process it was opened
// for. A simulated process (Explorer) lives in the machine's window table; ending the one that owns the
// taskbar brings the shell back under a new process and a new taskbar window, as Windows restarts its shell.
#include "win32.h"
#include "linux/files/drivemap.h"
#include "linux/machine/handles.h"
#include "linux/machine/machine.h"
#include "linux/processes/procfs.h"
#include "linux/windows/windowtable.h"

#include <QDir>
#include <cerrno>
#include <csignal>
#include <memory>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// What a handle may do without the right to signal and read the process (as for a protected process on
// Windows): ask for its name, class and times.
constexpr DWORD limitedRights = PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;

struct ProcessHandle : handles::Object
{
    DWORD pid = 0;
    DWORD access = 0;
    int pidfd = -1;     // -1 for simulated processes, or where the kernel has no pidfd
    QString executable; // host path, read when the handle was opened

    ~ProcessHandle() override
    {
        if (pidfd >= 0)
            ::close(pidfd);
    }
};

int openPidfd(DWORD pid)
{
#ifdef SYS_pidfd_open
    return int(syscall(SYS_pidfd_open, pid_t(pid), 0));
#else
    errno = ENOSYS;
    return -1;
#endif
}

int signalHost(const ProcessHandle &p, int sig)
{
#ifdef SYS_pidfd_send_signal
    if (p.pidfd >= 0)
        return int(syscall(SYS_pidfd_send_signal, p.pidfd, sig, nullptr, 0));
#endif
    return ::kill(pid_t(p.pid), sig);
}

// The host process a handle was opened for is still there (and its id not yet reused by another).
bool stillRunning(const ProcessHandle &p)
{
    return signalHost(p, 0) == 0 || errno == EPERM;
}

bool ownsTaskbar(DWORD pid)
{
    HWND tray = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
    DWORD owner = 0;
    return tray && GetWindowThreadProcessId(tray, &owner) && owner == pid;
}

BOOL terminateSimulated(const ProcessHandle &p, UINT exitCode)
{
    if (!windowtable::processAlive(p.pid)) {
        SetLastError(ERROR_ACCESS_DENIED); // as Windows answers for a process that has already ended
        return FALSE;
    }
    const bool shell = ownsTaskbar(p.pid);
    const QString name = windowtable::simulatedProcessName(p.pid);
    windowtable::endSimulatedProcess(p.pid);
    machine::log(QStringLiteral("TerminateProcess"), QStringLiteral("%1|%2|%3").arg(name).arg(p.pid).arg(exitCode));
    if (shell) {
        const DWORD explorer = windowtable::startSimulatedProcess(name);
        windowtable::createWindow(explorer, QStringLiteral("Shell_TrayWnd"), QString());
        machine::log(QStringLiteral("ShellRestart"), QString::number(explorer));
    }
    return TRUE;
}

std::shared_ptr<ProcessHandle> handleWith(HANDLE h, DWORD rights)
{
    // GetCurrentProcess()'s pseudo-handle stands for this process with every right, as on Windows.
    if (h == GetCurrentProcess()) {
        auto self = std::make_shared<ProcessHandle>();
        self->pid = DWORD(::getpid());
        self->access = PROCESS_ALL_ACCESS;
        self->executable = procfs::executable(self->pid);
        return self;
    }
    std::shared_ptr<ProcessHandle> handle = handles::getAs<ProcessHandle>(h);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!(handle->access & rights)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return handle;
}

bool simulated(DWORD pid)
{
    return pid >= windowtable::firstSimulatedPid;
}

} // namespace

HANDLE WINAPI OpenProcess(DWORD dwDesiredAccess, BOOL, DWORD dwProcessId)
{
    if (dwProcessId == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto handle = std::make_shared<ProcessHandle>();
    handle->pid = dwProcessId;
    handle->access = dwDesiredAccess;
    if (simulated(dwProcessId)) {
        if (!windowtable::processAlive(dwProcessId)) {
            SetLastError(ERROR_INVALID_PARAMETER); // no such process
            return nullptr;
        }
        return handles::add(std::move(handle));
    }
    const bool mayNotSignal = ::kill(pid_t(dwProcessId), 0) != 0;
    if (mayNotSignal && errno == ESRCH) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    handle->pidfd = openPidfd(dwProcessId);
    // Read after the pidfd is open, so both speak of the same process.
    handle->executable = procfs::executable(dwProcessId);
    // Rights beyond the limited query need a process this user may signal and read, as Windows refuses them
    // for a protected process even to a debugger. A kernel thread has no executable: it is the system's own.
    const bool fullRights = !mayNotSignal && !handle->executable.isEmpty() && !procfs::markedProtected(dwProcessId);
    if ((dwDesiredAccess & ~limitedRights) && !fullRights) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return handles::add(std::move(handle));
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode)
{
    const std::shared_ptr<ProcessHandle> handle = handleWith(hProcess, PROCESS_TERMINATE);
    if (!handle)
        return FALSE;
    const ProcessHandle &p = *handle;
    if (simulated(p.pid))
        return terminateSimulated(p, uExitCode);
    // A host process gets no exit code of our choosing; it is killed outright, as TerminateProcess does.
    if (signalHost(p, SIGKILL) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetPriorityClass(HANDLE hProcess)
{
    const std::shared_ptr<ProcessHandle> handle =
        handleWith(hProcess, PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION);
    if (!handle)
        return 0;
    if (simulated(handle->pid))
        return windowtable::processAlive(handle->pid) ? NORMAL_PRIORITY_CLASS : 0;
    procfs::Stat st;
    if (!stillRunning(*handle) || !procfs::readStat("/proc/" + QByteArray::number(handle->pid), &st)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return procfs::priorityClassOf(st.nice, st.policy);
}

BOOL WINAPI GetProcessTimes(HANDLE hProcess, LPFILETIME lpCreationTime, LPFILETIME lpExitTime, LPFILETIME lpKernelTime,
                            LPFILETIME lpUserTime)
{
    if (!lpCreationTime || !lpExitTime || !lpKernelTime || !lpUserTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::shared_ptr<ProcessHandle> handle =
        handleWith(hProcess, PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION);
    if (!handle)
        return FALSE;
    const quint64 boot = procfs::bootTime();
    if (boot == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // FILETIME counts 100 ns steps since 1601-01-01; the host counts seconds since 1970.
    constexpr quint64 epochDifference = 116444736000000000ULL;
    auto set = [](LPFILETIME ft, quint64 v) { *ft = FILETIME{DWORD(v & 0xffffffffu), DWORD(v >> 32)}; };
    quint64 created = epochDifference + boot * 10000000ULL;
    procfs::Stat st;
    if (simulated(handle->pid)) {
        // The shell was started with the machine; its ids are never used again.
        if (!windowtable::processAlive(handle->pid)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    } else if (!procfs::readStat("/proc/" + QByteArray::number(handle->pid), &st) || !stillRunning(*handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    } else {
        created += procfs::ticksToFileTimeUnits(st.startTicks);
    }
    set(lpCreationTime, created);
    set(lpExitTime, 0); // still running: no exit time
    set(lpKernelTime, procfs::ticksToFileTimeUnits(st.kernelTicks));
    set(lpUserTime, procfs::ticksToFileTimeUnits(st.userTicks));
    return TRUE;
}

BOOL WINAPI SetPriorityClass(HANDLE hProcess, DWORD dwPriorityClass)
{
    if (procfs::basePriorityOf(dwPriorityClass) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::shared_ptr<ProcessHandle> handle = handleWith(hProcess, PROCESS_SET_INFORMATION);
    if (!handle)
        return FALSE;
    if (simulated(handle->pid) || !stillRunning(*handle)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // Real time takes the privilege to raise the base priority, which only an elevated administrator holds;
    // without it Windows sets the high class and still succeeds.
    if (dwPriorityClass == REALTIME_PRIORITY_CLASS && !machine::isElevated())
        dwPriorityClass = HIGH_PRIORITY_CLASS;
    // Nice values belong to threads on Linux: the class is every thread's.
    const int nice = procfs::niceOfClass(dwPriorityClass);
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(handle->pid));
    const QStringList tids = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (tids.isEmpty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    for (const QString &tid : tids) {
        const pid_t t = pid_t(tid.toInt());
        const sched_param normal = {0};
        if (sched_getscheduler(t) != SCHED_OTHER && sched_getscheduler(t) >= 0 &&
            sched_setscheduler(t, SCHED_OTHER, &normal) != 0 && errno != ESRCH) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (::setpriority(PRIO_PROCESS, id_t(t), nice) != 0 && errno != ESRCH) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    return TRUE;
}

DWORD WINAPI K32GetProcessImageFileNameW(HANDLE hProcess, LPWSTR lpImageFileName, DWORD nSize)
{
    const std::shared_ptr<ProcessHandle> handle =
        handleWith(hProcess, PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION);
    if (!handle)
        return 0;
    QString device;
    QString rest;
    if (simulated(handle->pid)) {
        device = drivemap::deviceOfLetter(QLatin1Char('C'));
        rest = QStringLiteral("Windows/") + windowtable::simulatedProcessName(handle->pid);
    } else {
        if (handle->executable.isEmpty() || !stillRunning(*handle)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        // The machine's Windows folders and mapped drives lie on their drive's volume, the rest on the host
        // volume that holds it.
        const QString windows = procfs::windowsPath(handle->executable);
        if (hostPath(windows) == handle->executable) {
            device = drivemap::deviceOfLetter(windows.at(0));
            rest = windows.mid(3);
        }
        if (device.isEmpty())
            device = drivemap::deviceOfHostPath(handle->executable, &rest);
    }
    if (device.isEmpty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const QString text = device + QLatin1Char('\\') + rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (!lpImageFileName || nSize < DWORD(text.size()) + 1) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return DWORD(copyToWide(text, lpImageFileName, nSize));
}

BOOL WINAPI K32GetProcessMemoryInfo(HANDLE Process, PPROCESS_MEMORY_COUNTERS ppsmemCounters, DWORD cb)
{
    if (!ppsmemCounters || cb < sizeof(PROCESS_MEMORY_COUNTERS)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const std::shared_ptr<ProcessHandle> handle =
        handleWith(Process, PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION);
    if (!handle)
        return FALSE;
    const QByteArray folder = "/proc/" + QByteArray::number(handle->pid);
    QByteArray status;
    procfs::Stat st;
    if (simulated(handle->pid) || !procfs::readSmallFile(folder + "/status", &status) ||
        !procfs::readStat(folder, &st) || !stillRunning(*handle)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // "VmRSS:     1234 kB" lines; a kernel thread has none of them.
    auto kilobytes = [&status](const char *name) -> SIZE_T {
        const int at = int(status.indexOf(QByteArray("\n") + name + ':'));
        if (at < 0)
            return 0;
        const int end = int(status.indexOf('\n', at + 1));
        return SIZE_T(
                   status.mid(at + 1, end - at - 1).split(':').value(1).trimmed().split(' ').value(0).toULongLong()) *
               1024;
    };
    PROCESS_MEMORY_COUNTERS c = {};
    c.cb = sizeof(c);
    c.PageFaultCount = DWORD(st.faults);
    c.WorkingSetSize = kilobytes("VmRSS");
    c.PeakWorkingSetSize = qMax(kilobytes("VmHWM"), c.WorkingSetSize);
    // The commit charge: what the process holds privately, in memory or swapped out.
    c.PagefileUsage = kilobytes("RssAnon") + kilobytes("VmSwap");
    c.PeakPagefileUsage = c.PagefileUsage;
    *ppsmemCounters = c;
    return TRUE;
}
