// Processes and privileges as the process manager uses them: the probe starts itself as a child ("child"),
// finds it in the process, thread and module snapshots, sets and reads back its priority class, reads its
// image and memory, and ends it; then the debug privilege on the probe's own token.
#include "probe.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#ifndef _WIN32
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char **environ;
#endif

using probe::line;
using probe::ok;

namespace {

using wstring = std::basic_string<WCHAR>;

// Starting the child and waiting for its end are not what is probed: each side does it its own way.
#ifdef _WIN32
HANDLE childProcess = nullptr;

DWORD startChild()
{
    WCHAR self[MAX_PATH];
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH))
        return 0;
    wstring command = wstring(L"\"") + self + L"\" child";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 0;
    CloseHandle(info.hThread);
    childProcess = info.hProcess;
    return info.dwProcessId;
}

bool childEnded()
{
    const bool ended = WaitForSingleObject(childProcess, 5000) == WAIT_OBJECT_0;
    CloseHandle(childProcess);
    return ended;
}
#else
pid_t childPid = 0;

DWORD startChild()
{
    // The program's own path, so that the child's name is the probe's.
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return 0;
    char mode[] = "child";
    char *argv[] = {self, mode, nullptr};
    return posix_spawn(&childPid, self, nullptr, nullptr, argv, environ) == 0 ? DWORD(childPid) : 0;
}

bool childEnded()
{
    for (int i = 0; i < 500; ++i) {
        int status = 0;
        if (waitpid(childPid, &status, WNOHANG) == childPid)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}
#endif

void pause()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

// A program's name without the ".exe" its Windows build carries.
std::string programName(const WCHAR *name)
{
    std::string s = probe::utf8(name);
    if (s.size() > 4 && (s.compare(s.size() - 4, 4, ".exe") == 0 || s.compare(s.size() - 4, 4, ".EXE") == 0))
        s.resize(s.size() - 4);
    return s;
}

// The last part of a device path, without ".exe".
std::string imageName(const WCHAR *image)
{
    const WCHAR *name = image;
    for (const WCHAR *p = image; *p; ++p)
        if (*p == '\\')
            name = p + 1;
    return programName(name);
}

wstring readyFile()
{
    return probe::scratch(WSTR("HushdeckProbeProcesses")) + WSTR("ready");
}

// The child marks that it is up (loader done, modules mapped), then waits to be ended; it ends itself after
// a while should the parent fail.
int runChild()
{
    HANDLE ready =
        CreateFileW(readyFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE)
        CloseHandle(ready);
    for (int i = 0; i < 200; ++i)
        pause();
    return 0;
}

bool waitReady()
{
    for (int i = 0; i < 100; ++i) {
        if (GetFileAttributesW(readyFile().c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        pause();
    }
    return false;
}

// The probe's own process id, as the module snapshot of "the current process" (id 0) names it.
DWORD ownPid()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    const DWORD pid = snapshot != INVALID_HANDLE_VALUE && Module32FirstW(snapshot, &entry) ? entry.th32ProcessID : 0;
    if (snapshot != INVALID_HANDLE_VALUE)
        CloseHandle(snapshot);
    return pid;
}

// Windows lets any user raise their own processes' class again; the stand-in's host decides, and refuses an
// ordinary account. The lines whose answer follows from that carry the host's answer in their key, which the
// run of the probes tells both builds alike (run-probes.sh).
std::string hosted(const std::string &key)
{
    const char *host = std::getenv("HUSHDECK_PROBE_PRIORITY");
    return host && *host ? key + " (" + host + ")" : key;
}

void probeProcessSnapshot(DWORD child, DWORD self, const char *key)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    line(key, "%s", snapshot == INVALID_HANDLE_VALUE ? "invalid" : "valid");
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    BOOL more = Process32FirstW(snapshot, &entry);
    std::string k(key);
    ok((k + ".Process32FirstW").c_str(), more);
    bool found = false;
    while (more) {
        if (entry.th32ProcessID == child) {
            found = true;
            line((k + ".child.name").c_str(), "%s", programName(entry.szExeFile).c_str());
            line((k + ".child.parent").c_str(), "%s", entry.th32ParentProcessID == self ? "the probe" : "other");
            line((k + ".child.threads").c_str(), "%s", entry.cntThreads ? "nonzero" : "0");
            // After the class changes, the base is that of the class the host let the probe set.
            const std::string base = k + ".child.pcPriClassBase";
            line((k == "processes" ? base : hosted(base)).c_str(), "%ld", static_cast<long>(entry.pcPriClassBase));
        }
        more = Process32NextW(snapshot, &entry);
    }
    line((k + ".Process32NextW.end").c_str(), "error %lu", static_cast<unsigned long>(GetLastError()));
    line((k + ".child.found").c_str(), "%s", found ? "yes" : "no");
    CloseHandle(snapshot);
}

void probeThreads(DWORD child)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    line("threads.snapshot", "%s", snapshot == INVALID_HANDLE_VALUE ? "invalid" : "valid");
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    BOOL more = Thread32First(snapshot, &entry);
    ok("threads.Thread32First", more);
    int owned = 0;
    long basePriority = -1;
    while (more) {
        if (entry.th32OwnerProcessID == child) {
            if (!owned)
                basePriority = entry.tpBasePri;
            ++owned;
        }
        more = Thread32Next(snapshot, &entry);
    }
    line("threads.Thread32Next.end", "error %lu", static_cast<unsigned long>(GetLastError()));
    line("threads.child", "%s", owned ? "nonzero" : "none");
    line("threads.child.tpBasePri", "%ld", basePriority);
    CloseHandle(snapshot);
}

void probeModules(DWORD pid, const char *key)
{
    std::string k(key);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) {
        line(key, "invalid error %lu", static_cast<unsigned long>(GetLastError()));
        return;
    }
    line(key, "valid");
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    BOOL more = Module32FirstW(snapshot, &entry);
    ok((k + ".Module32FirstW").c_str(), more);
    if (more) {
        line((k + ".first").c_str(), "%s", programName(entry.szModule).c_str());
        line((k + ".first.pid").c_str(), "%s", entry.th32ProcessID == pid || pid == 0 ? "same" : "other");
        line((k + ".first.size").c_str(), "%s", entry.modBaseSize ? "nonzero" : "0");
    }
    int count = 0;
    while (more) {
        ++count;
        more = Module32NextW(snapshot, &entry);
    }
    line((k + ".Module32NextW.end").c_str(), "error %lu", static_cast<unsigned long>(GetLastError()));
    line((k + ".count").c_str(), "%s", count > 1 ? "more than one" : "one or none");
    CloseHandle(snapshot);
}

// The two ids that name no process of a user: 0 (the idle process) and 4 (the System process). Even the least
// access to 0 is refused with ERROR_INVALID_PARAMETER; full access to 4 with ERROR_ACCESS_DENIED.
void probeSystemIds()
{
    const struct
    {
        const char *key;
        DWORD pid;
        DWORD access;
    } opens[] = {{"OpenProcess.query.0", 0, PROCESS_QUERY_LIMITED_INFORMATION},
                 {"OpenProcess.all.4", 4, PROCESS_ALL_ACCESS}};
    for (const auto &o : opens) {
        SetLastError(0);
        HANDLE h = OpenProcess(o.access, FALSE, o.pid);
        line(o.key, "%s error %lu", h ? "handle" : "null", static_cast<unsigned long>(h ? 0 : GetLastError()));
        if (h)
            CloseHandle(h);
    }
}

// Closing what is not open is refused with ERROR_INVALID_HANDLE: a handle closed already, one never opened, and
// a pseudo-handle (the current process, the current thread), which is in no handle table.
void probeClose()
{
    SetLastError(12345);
    const BOOL process = CloseHandle(GetCurrentProcess());
    line("CloseHandle.current process", "%s last error %lu", process ? "ok" : "failed",
         static_cast<unsigned long>(GetLastError()));
    // GetCurrentThread()'s pseudo-handle, (HANDLE)-2, which the stand-in has no call for.
    SetLastError(12345);
    const BOOL thread = CloseHandle(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)));
    line("CloseHandle.current thread", "%s last error %lu", thread ? "ok" : "failed",
         static_cast<unsigned long>(GetLastError()));
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    SetLastError(0);
    ok("CloseHandle.open", CloseHandle(snapshot));
    SetLastError(0);
    ok("CloseHandle.again", CloseHandle(snapshot));
    SetLastError(0);
    ok("CloseHandle.never opened", CloseHandle(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FF0))));
    SetLastError(0);
    ok("CloseHandle.null", CloseHandle(nullptr));
}

void probePriorities(DWORD child)
{
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, child);
    line("OpenProcess.all", "%s", process ? "handle" : "null");
    const struct
    {
        const char *name;
        DWORD value;
    } classes[] = {{"idle", IDLE_PRIORITY_CLASS},     {"below", BELOW_NORMAL_PRIORITY_CLASS},
                   {"normal", NORMAL_PRIORITY_CLASS}, {"above", ABOVE_NORMAL_PRIORITY_CLASS},
                   {"high", HIGH_PRIORITY_CLASS},     {"realtime", REALTIME_PRIORITY_CLASS}};
    for (const auto &c : classes) {
        // Idle lowers the class, which every host allows; each class after it raises it from there.
        const std::string key = std::string("SetPriorityClass.") + c.name;
        auto named = [&c](const std::string &k) { return c.value == IDLE_PRIORITY_CLASS ? k : hosted(k); };
        ok(named(key).c_str(), SetPriorityClass(process, c.value));
        // As read back: real time needs the privilege to raise the base priority, which an elevated
        // administrator holds (the machine's user is one).
        line(named(key + ".GetPriorityClass").c_str(), "0x%lX", static_cast<unsigned long>(GetPriorityClass(process)));
    }
    // Real time asked for again from below it (the class last set is real time itself above).
    ok(hosted("SetPriorityClass.normal.again").c_str(), SetPriorityClass(process, NORMAL_PRIORITY_CLASS));
    ok(hosted("SetPriorityClass.realtime.again").c_str(), SetPriorityClass(process, REALTIME_PRIORITY_CLASS));
    line(hosted("SetPriorityClass.realtime.again.GetPriorityClass").c_str(), "0x%lX",
         static_cast<unsigned long>(GetPriorityClass(process)));
    ok("SetPriorityClass.invalid", SetPriorityClass(process, 0x12345));
    ok(hosted("SetPriorityClass.below.again").c_str(), SetPriorityClass(process, BELOW_NORMAL_PRIORITY_CLASS));
    // The probe's own process through GetCurrentProcess(), which has every right: its class, set to itself.
    const DWORD own = GetPriorityClass(GetCurrentProcess());
    line("GetPriorityClass.current process", "%s error %lu", own ? "a class" : "0",
         static_cast<unsigned long>(own ? 0 : GetLastError()));
    ok("SetPriorityClass.current process", SetPriorityClass(GetCurrentProcess(), own ? own : NORMAL_PRIORITY_CLASS));

    WCHAR image[512] = {};
    const DWORD length = K32GetProcessImageFileNameW(process, image, 512);
    line("K32GetProcessImageFileNameW", "%s", length ? "nonzero" : "0");
    const std::string text = probe::utf8(image);
    line("K32GetProcessImageFileNameW.device", "%s", text.rfind("\\Device\\", 0) == 0 ? "yes" : "no");
    // The length returned is the text's, in characters, without its NUL.
    DWORD characters = 0;
    while (characters < 512 && image[characters])
        ++characters;
    line("K32GetProcessImageFileNameW.length", "%s", length == characters ? "same as the text" : "other");
    line("K32GetProcessImageFileNameW.file", "%s", imageName(image).c_str());
    WCHAR small[4] = {'x', 'x', 'x', 0};
    SetLastError(0);
    const DWORD cut = K32GetProcessImageFileNameW(process, small, 4);
    probe::result("K32GetProcessImageFileNameW.small", cut, cut == 0);

    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ok("K32GetProcessMemoryInfo", K32GetProcessMemoryInfo(process, &counters, sizeof counters));
    line("K32GetProcessMemoryInfo.cb", "%lu", static_cast<unsigned long>(counters.cb));
    line("K32GetProcessMemoryInfo.WorkingSetSize", "%s", counters.WorkingSetSize ? "nonzero" : "0");
    line("K32GetProcessMemoryInfo.PeakWorkingSetSize", "%s",
         counters.PeakWorkingSetSize >= counters.WorkingSetSize ? "at least the working set" : "less");
    CloseHandle(process);
}

// The process manager compares a process's creation time before it ends it: the id may belong to a newer one.
unsigned long long creationTime(DWORD pid, bool *succeeded)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    *succeeded = process && GetProcessTimes(process, &created, &exited, &kernel, &user);
    if (process)
        CloseHandle(process);
    return static_cast<unsigned long long>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

void probeTimes(DWORD child, DWORD self)
{
    bool childOk = false, selfOk = false;
    const unsigned long long childCreated = creationTime(child, &childOk);
    const unsigned long long selfCreated = creationTime(self, &selfOk);
    ok("GetProcessTimes.child", childOk);
    ok("GetProcessTimes.self", selfOk);
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const unsigned long long nowTicks = static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    line("GetProcessTimes.order", "%s",
         selfCreated <= childCreated && childCreated <= nowTicks ? "self, then child, then now" : "other");
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    SetLastError(0);
    const BOOL none = GetProcessTimes(nullptr, &created, &exited, &kernel, &user);
    line("GetProcessTimes.null", "%s error %lu", none ? "ok" : "failed", static_cast<unsigned long>(GetLastError()));
}

void probeTerminate(DWORD child)
{
    HANDLE limited = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, child);
    line("OpenProcess.limited", "%s", limited ? "handle" : "null");
    ok("TerminateProcess.without right", TerminateProcess(limited, 3));
    line(hosted("GetPriorityClass.limited").c_str(), "0x%lX", static_cast<unsigned long>(GetPriorityClass(limited)));
    CloseHandle(limited);

    HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, child);
    line("OpenProcess.terminate", "%s", process ? "handle" : "null");
    // The process manager checks the image behind the id before it ends a process.
    WCHAR image[512] = {};
    const DWORD length = K32GetProcessImageFileNameW(process, image, 512);
    line("K32GetProcessImageFileNameW.limited", "%s", length ? imageName(image).c_str() : "0");
    ok("TerminateProcess", TerminateProcess(process, 7));
    line("TerminateProcess.ended", "%s", childEnded() ? "yes" : "no");
    CloseHandle(process);
}

void probePrivileges()
{
    HANDLE token = nullptr;
    ok("OpenProcessToken", OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    LUID luid = {};
    ok("LookupPrivilegeValueW.debug", LookupPrivilegeValueW(nullptr, WSTR("SeDebugPrivilege"), &luid));
    line("LookupPrivilegeValueW.debug.luid", "%ld:%lu", static_cast<long>(luid.HighPart),
         static_cast<unsigned long>(luid.LowPart));
    LUID other = {};
    ok("LookupPrivilegeValueW.case", LookupPrivilegeValueW(nullptr, WSTR("sedebugprivilege"), &other));
    line("LookupPrivilegeValueW.case.luid", "%s", other.LowPart == luid.LowPart ? "same" : "other");
    ok("LookupPrivilegeValueW.unknown", LookupPrivilegeValueW(nullptr, WSTR("SeNoSuchPrivilege"), &other));

    for (const bool enable : {true, false}) {
        TOKEN_PRIVILEGES privileges;
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Luid = luid;
        privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        SetLastError(12345);
        const BOOL adjusted =
            AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(TOKEN_PRIVILEGES), nullptr, nullptr);
        line(enable ? "AdjustTokenPrivileges.enable" : "AdjustTokenPrivileges.disable", "%s last error %lu",
             adjusted ? "ok" : "failed", static_cast<unsigned long>(GetLastError()));
    }
    CloseHandle(token);

    HANDLE queryOnly = nullptr;
    ok("OpenProcessToken.query", OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &queryOnly));
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ok("AdjustTokenPrivileges.query only",
       AdjustTokenPrivileges(queryOnly, FALSE, &privileges, sizeof(TOKEN_PRIVILEGES), nullptr, nullptr));
    CloseHandle(queryOnly);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "child") == 0)
        return runChild();
    probe::start();
    const wstring folder = probe::scratch(WSTR("HushdeckProbeProcesses"));
    DeleteFileW(readyFile().c_str());

    const DWORD self = ownPid();
    line("self", "%s", self ? "nonzero" : "0");
    probeModules(0, "modules.self");

    const DWORD child = startChild();
    line("child", "%s", child ? "started" : "not started");
    line("child.ready", "%s", child && waitReady() ? "yes" : "no");
    probeProcessSnapshot(child, self, "processes");
    probeThreads(child);
    probeModules(child, "modules.child");
    probePriorities(child);
    probeProcessSnapshot(child, self, "processes.below");
    probeTimes(child, self);
    probeTerminate(child);

    HANDLE missing = OpenProcess(PROCESS_ALL_ACCESS, FALSE, 0xFFFFFFF0);
    line("OpenProcess.missing", "%s error %lu", missing ? "handle" : "null",
         static_cast<unsigned long>(GetLastError()));
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0xFFFFFFF0);
    line("CreateToolhelp32Snapshot.missing", "%s error %lu", modules == INVALID_HANDLE_VALUE ? "invalid" : "valid",
         static_cast<unsigned long>(GetLastError()));
    HANDLE idle = OpenProcess(PROCESS_ALL_ACCESS, FALSE, 0);
    line("OpenProcess.zero", "%s error %lu", idle ? "handle" : "null", static_cast<unsigned long>(GetLastError()));

    probePrivileges();
    probeSystemIds();
    probeClose();

    DeleteFileW(readyFile().c_str());
    RemoveDirectoryW(folder.c_str());
    return probe::end();
}
