// ShellExecuteW and ShellExecuteExW as the pages and the tray helper call them: a program opened with its
// parameters and folder (the probe itself, which returns at once when started with "child"), and the answers
// for a missing program, a missing folder and a verb a document does not have.
#include "probe.h"

#include <cstring>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

using probe::line;

namespace {

using wstring = std::basic_string<WCHAR>;

// The probe's own program; how to learn it is not what is probed.
wstring selfPath()
{
#ifdef _WIN32
    WCHAR self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    return wstring(self, n);
#else
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return wstring();
    return wstring(self, self + std::strlen(self));
#endif
}

// ShellExecuteW's result: above 32 for success, else the SE_ERR_ code.
void shellLine(const char *key, HINSTANCE result)
{
    const INT_PTR code = reinterpret_cast<INT_PTR>(result);
    if (code > 32)
        line(key, "above 32");
    else
        line(key, "%ld", static_cast<long>(code));
}

void exLine(const char *key, SHELLEXECUTEINFOW &info)
{
    SetLastError(0);
    const BOOL ok = ShellExecuteExW(&info);
    const DWORD error = GetLastError();
    const INT_PTR code = reinterpret_cast<INT_PTR>(info.hInstApp);
    if (ok)
        line(key, "ok hInstApp %s", code > 32 ? "above 32" : std::to_string(code).c_str());
    else
        line(key, "failed error %lu hInstApp %ld", static_cast<unsigned long>(error), static_cast<long>(code));
}

// SEE_MASK_FLAG_NO_UI: Windows would otherwise show its own box for a failure, and wait on it.
constexpr ULONG noErrorUi = 0x00000400;

SHELLEXECUTEINFOW request(const WCHAR *verb, const WCHAR *file, const WCHAR *parameters, const WCHAR *folder)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = noErrorUi;
    info.lpVerb = verb;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = folder;
    info.nShow = SW_SHOWNORMAL;
    return info;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "child") == 0)
        return 0;
    probe::start();
    const wstring folder = probe::scratch(WSTR("HushdeckProbeShellExecute"));
    const wstring self = selfPath();
    const wstring missing = folder + WSTR("no such program.exe");
    const wstring noFolder = folder + WSTR("no such folder");
    const wstring document = folder + WSTR("notes.txt");
    HANDLE file =
        CreateFileW(document.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);

    shellLine("ShellExecuteW.program",
              ShellExecuteW(nullptr, WSTR("open"), self.c_str(), WSTR("child"), nullptr, SW_HIDE));
    shellLine("ShellExecuteW.program in folder",
              ShellExecuteW(nullptr, WSTR("open"), self.c_str(), WSTR("child"), folder.c_str(), SW_SHOWNORMAL));
    shellLine("ShellExecuteW.missing program",
              ShellExecuteW(nullptr, WSTR("open"), missing.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    shellLine("ShellExecuteW.missing program, default verb",
              ShellExecuteW(nullptr, nullptr, missing.c_str(), nullptr, nullptr, SW_SHOW));
    shellLine("ShellExecuteW.unknown verb",
              ShellExecuteW(nullptr, WSTR("hushdeckverb"), document.c_str(), nullptr, nullptr, SW_SHOWNORMAL));

    SHELLEXECUTEINFOW info = request(WSTR("open"), self.c_str(), WSTR("child"), folder.c_str());
    exLine("ShellExecuteExW.program", info);
    line("ShellExecuteExW.program.hProcess", "%s", info.hProcess ? "set" : "null");
    // The tray helper opens the main program elevated.
    info = request(WSTR("runas"), self.c_str(), WSTR("child"), folder.c_str());
    exLine("ShellExecuteExW.runas", info);
    info = request(WSTR("open"), missing.c_str(), WSTR("RAM"), folder.c_str());
    exLine("ShellExecuteExW.missing program", info);
    info = request(WSTR("open"), self.c_str(), WSTR("child"), noFolder.c_str());
    exLine("ShellExecuteExW.missing folder", info);

    DeleteFileW(document.c_str());
    RemoveDirectoryW(folder.c_str());
    return probe::end();
}
