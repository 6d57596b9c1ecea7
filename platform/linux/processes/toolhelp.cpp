// Toolhelp snapshots over /proc: processes from each process's stat file, threads from its task list,
// modules from its memory map (every file mapped with execute rights, the executable first). A snapshot is
// taken whole when it is made, as Windows does; walking it reads nothing more.
#include "win32.h"
#include "linux/machine/handles.h"
#include "linux/files/hostnames.h"
#include "linux/processes/procfs.h"
#include "linux/windows/windowtable.h"

#include <QDir>
#include <QMap>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

struct Module
{
    QString path; // Windows path
    quint64 base = 0;
    quint64 end = 0;
};

struct Snapshot : handles::Object
{
    std::vector<PROCESSENTRY32W> processes;
    std::vector<THREADENTRY32> threads;
    std::vector<MODULEENTRY32W> modules;
    size_t nextProcess = 0, nextThread = 0, nextModule = 0;
};

// Numeric entries of a /proc folder, in the order the kernel lists them.
std::vector<DWORD> numericEntries(const char *folder)
{
    std::vector<DWORD> out;
    DIR *dir = ::opendir(folder);
    if (!dir)
        return out;
    while (const dirent *e = ::readdir(dir)) {
        char *end = nullptr;
        const unsigned long id = std::strtoul(e->d_name, &end, 10);
        if (end != e->d_name && *end == 0)
            out.push_back(DWORD(id));
    }
    ::closedir(dir);
    return out;
}

void addProcesses(Snapshot *s)
{
    for (DWORD pid : numericEntries("/proc")) {
        procfs::Stat st;
        if (!procfs::readStat("/proc/" + QByteArray::number(pid), &st))
            continue; // ended meanwhile
        PROCESSENTRY32W e = {};
        e.dwSize = sizeof(e);
        e.th32ProcessID = pid;
        e.cntThreads = st.threads;
        e.th32ParentProcessID = st.parent;
        e.pcPriClassBase = procfs::basePriorityOf(procfs::priorityClassOf(st.nice, st.policy));
        copyToWide(hostnames::toWindows(st.name), e.szExeFile, MAX_PATH);
        s->processes.push_back(e);
    }
    // The simulated shell runs as a process of its own, as Explorer does on Windows: one thread, normal class.
    for (DWORD pid : windowtable::simulatedProcesses()) {
        PROCESSENTRY32W e = {};
        e.dwSize = sizeof(e);
        e.th32ProcessID = pid;
        e.cntThreads = 1;
        e.pcPriClassBase = procfs::basePriorityOf(NORMAL_PRIORITY_CLASS);
        copyToWide(windowtable::simulatedProcessName(pid), e.szExeFile, MAX_PATH);
        s->processes.push_back(e);
    }
}

void addThreads(Snapshot *s)
{
    for (DWORD pid : numericEntries("/proc")) {
        const QByteArray tasks = "/proc/" + QByteArray::number(pid) + "/task";
        for (DWORD tid : numericEntries(tasks.constData())) {
            procfs::Stat st;
            if (!procfs::readStat(tasks + '/' + QByteArray::number(tid), &st))
                continue;
            THREADENTRY32 e = {};
            e.dwSize = sizeof(e);
            e.th32ThreadID = tid;
            e.th32OwnerProcessID = pid;
            e.tpBasePri = procfs::basePriorityOf(procfs::priorityClassOf(st.nice, st.policy));
            s->threads.push_back(e);
        }
    }
    for (DWORD pid : windowtable::simulatedProcesses()) {
        THREADENTRY32 e = {};
        e.dwSize = sizeof(e);
        e.th32ThreadID = pid;
        e.th32OwnerProcessID = pid;
        e.tpBasePri = procfs::basePriorityOf(NORMAL_PRIORITY_CLASS);
        s->threads.push_back(e);
    }
}

bool addModules(Snapshot *s, DWORD pid)
{
    QByteArray maps;
    if (!procfs::readSmallFile("/proc/" + QByteArray::number(pid) + "/maps", &maps)) {
        SetLastError(errno == ENOENT ? ERROR_INVALID_PARAMETER : ERROR_ACCESS_DENIED);
        return false;
    }
    // "start-end perms offset dev inode path": a file mapped with execute rights anywhere is a module; it
    // spans from its lowest to its highest mapping.
    QMap<QString, Module> byPath;
    QStringList executableFiles;
    for (const QByteArray &line : maps.split('\n')) {
        const int slash = int(line.indexOf(" /"));
        if (slash < 0)
            continue;
        const QList<QByteArray> f = line.left(slash).simplified().split(' ');
        if (f.size() < 5)
            continue;
        const QString path = procfs::mappedFile(line.mid(slash + 1));
        const QList<QByteArray> range = f.at(0).split('-');
        Module &m = byPath[path];
        const quint64 start = range.value(0).toULongLong(nullptr, 16);
        const quint64 end = range.value(1).toULongLong(nullptr, 16);
        if (m.end == 0 || start < m.base)
            m.base = start;
        m.end = qMax(m.end, end);
        if (f.at(1).contains('x') && !executableFiles.contains(path))
            executableFiles << path;
    }
    std::vector<std::pair<QString, Module>> modules;
    for (const QString &path : executableFiles)
        modules.emplace_back(path, byPath.value(path));
    const QString exe = procfs::executable(pid);
    std::stable_sort(modules.begin(), modules.end(), [&exe](const auto &a, const auto &b) {
        if ((a.first == exe) != (b.first == exe))
            return a.first == exe;
        return a.second.base < b.second.base;
    });
    for (const auto &[path, m] : modules) {
        MODULEENTRY32W e = {};
        e.dwSize = sizeof(e);
        e.th32ModuleID = 1;
        e.th32ProcessID = pid;
        // Windows reports the load counts of a module of another process as 0xFFFF.
        e.GlblcntUsage = 0xFFFF;
        e.ProccntUsage = 0xFFFF;
        e.modBaseAddr = reinterpret_cast<BYTE *>(quintptr(m.base));
        e.modBaseSize = DWORD(qMin<quint64>(m.end - m.base, 0xFFFFFFFFu));
        e.hModule = reinterpret_cast<HMODULE>(quintptr(m.base));
        const QString windows = procfs::windowsPath(path);
        copyToWide(windows.mid(windows.lastIndexOf(QLatin1Char('\\')) + 1), e.szModule, MAX_MODULE_NAME32 + 1);
        copyToWide(windows, e.szExePath, MAX_PATH);
        s->modules.push_back(e);
    }
    return true;
}

template <typename Entry>
BOOL walk(HANDLE h, Entry *entry, std::vector<Entry> Snapshot::*list, size_t Snapshot::*next, bool first)
{
    const std::shared_ptr<Snapshot> s = handles::getAs<Snapshot>(h);
    if (!s) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!entry || entry->dwSize < sizeof(Entry)) {
        SetLastError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    size_t &i = (*s).*next;
    if (first)
        i = 0;
    const std::vector<Entry> &entries = (*s).*list;
    if (i >= entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *entry = entries[i++];
    return TRUE;
}

} // namespace

HANDLE WINAPI CreateToolhelp32Snapshot(DWORD dwFlags, DWORD th32ProcessID)
{
    auto s = std::make_shared<Snapshot>();
    if (dwFlags & TH32CS_SNAPPROCESS)
        addProcesses(s.get());
    if (dwFlags & TH32CS_SNAPTHREAD)
        addThreads(s.get());
    if (dwFlags & (TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32)) {
        const DWORD pid = th32ProcessID ? th32ProcessID : DWORD(::getpid());
        // The modules of a process need the right to read it, which a protected process refuses.
        if (procfs::markedProtected(pid)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if (!addModules(s.get(), pid))
            return INVALID_HANDLE_VALUE;
    }
    return handles::add(std::move(s));
}

BOOL WINAPI Process32FirstW(HANDLE hSnapshot, LPPROCESSENTRY32W lppe)
{
    return walk(hSnapshot, lppe, &Snapshot::processes, &Snapshot::nextProcess, true);
}

BOOL WINAPI Process32NextW(HANDLE hSnapshot, LPPROCESSENTRY32W lppe)
{
    return walk(hSnapshot, lppe, &Snapshot::processes, &Snapshot::nextProcess, false);
}

BOOL WINAPI Module32FirstW(HANDLE hSnapshot, LPMODULEENTRY32W lpme)
{
    return walk(hSnapshot, lpme, &Snapshot::modules, &Snapshot::nextModule, true);
}

BOOL WINAPI Module32NextW(HANDLE hSnapshot, LPMODULEENTRY32W lpme)
{
    return walk(hSnapshot, lpme, &Snapshot::modules, &Snapshot::nextModule, false);
}

BOOL WINAPI Thread32First(HANDLE hSnapshot, LPTHREADENTRY32 lpte)
{
    return walk(hSnapshot, lpte, &Snapshot::threads, &Snapshot::nextThread, true);
}

BOOL WINAPI Thread32Next(HANDLE hSnapshot, LPTHREADENTRY32 lpte)
{
    return walk(hSnapshot, lpte, &Snapshot::threads, &Snapshot::nextThread, false);
}
