// OpenProcess and TerminateProcess. A host process is real: its handle holds a pidfd where the kernel has
// them, so the handle keeps meaning the process it was opened for. A simulated process (Explorer) lives in
// the machine's window table; ending the one that owns the taskbar brings the shell back under a new
// process and a new taskbar window, as Windows restarts its shell.
#include "../win32.h"
#include "machine.h"
#include "handles.h"
#include "windowtable.h"

#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct ProcessHandle : handles::Object
{
    DWORD pid = 0;
    DWORD access = 0;
    int pidfd = -1; // -1 for simulated processes, or where the kernel has no pidfd

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
    if (dwProcessId >= windowtable::firstSimulatedPid) {
        if (!windowtable::processAlive(dwProcessId)) {
            SetLastError(ERROR_INVALID_PARAMETER); // no such process
            return nullptr;
        }
    } else {
        if (::kill(pid_t(dwProcessId), 0) != 0) {
            if (errno == ESRCH) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            if (errno == EPERM && (dwDesiredAccess & PROCESS_TERMINATE)) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
        }
        handle->pidfd = openPidfd(dwProcessId);
    }
    return handles::add(std::move(handle));
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode)
{
    const std::shared_ptr<ProcessHandle> handle = handles::getAs<ProcessHandle>(hProcess);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const ProcessHandle &p = *handle;
    if (!(p.access & PROCESS_TERMINATE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (p.pid >= windowtable::firstSimulatedPid)
        return terminateSimulated(p, uExitCode);
    // A host process gets no exit code of our choosing; it is killed outright, as TerminateProcess does.
    if (signalHost(p, SIGKILL) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}
