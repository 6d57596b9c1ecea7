// Errors, modules, version, process token and system folders of the stand-in, and the drive map that turns
// Windows paths into host paths.
#include "win32.h"
#include "linux/files/drivemap.h"
#include "linux/machine/calltrace.h"
#include "linux/machine/handles.h"
#include "linux/files/hostnames.h"
#include "linux/files/recyclebin.h"
#include "linux/files/windowspaths.h"
#include "linux/machine/machine.h"
#include "linux/shell/userfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

// Modules the stand-in knows: each is a static object whose address serves as its handle.
struct Module
{
    const char *name; // lower case, without ".dll"
    char tag;
};
Module processModule = {"", 0};
Module ntdllModule = {"ntdll", 0};

QString moduleBaseName(LPCWSTR name)
{
    QString n = fromWide(name);
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    n = n.mid(n.lastIndexOf(QLatin1Char('/')) + 1).toLower();
    if (n.endsWith(QLatin1String(".dll")))
        n.chop(4);
    return n;
}

Module *knownModule(LPCWSTR name)
{
    if (!name)
        return &processModule;
    if (moduleBaseName(name) == QLatin1String(ntdllModule.name))
        return &ntdllModule;
    return nullptr;
}

HMODULE handleOf(Module *m)
{
    return reinterpret_cast<HMODULE>(m);
}

// Open process tokens and the access they were opened with.
struct TokenTable
{
    QMutex mutex;
    QHash<quintptr, DWORD> access;
    quintptr next = 0x7000;
};

TokenTable &tokens()
{
    static TokenTable t;
    return t;
}

// Well-known privilege identifiers, as Windows numbers them.
struct Privilege
{
    const char *name;
    DWORD luid;
};
const Privilege privileges[] = {
    {"SeCreateTokenPrivilege", 2},
    {"SeAssignPrimaryTokenPrivilege", 3},
    {"SeLockMemoryPrivilege", 4},
    {"SeIncreaseQuotaPrivilege", 5},
    {"SeMachineAccountPrivilege", 6},
    {"SeTcbPrivilege", 7},
    {"SeSecurityPrivilege", 8},
    {"SeTakeOwnershipPrivilege", 9},
    {"SeLoadDriverPrivilege", 10},
    {"SeSystemProfilePrivilege", 11},
    {"SeSystemtimePrivilege", 12},
    {"SeProfileSingleProcessPrivilege", 13},
    {"SeIncreaseBasePriorityPrivilege", 14},
    {"SeCreatePagefilePrivilege", 15},
    {"SeCreatePermanentPrivilege", 16},
    {"SeBackupPrivilege", 17},
    {"SeRestorePrivilege", 18},
    {"SeShutdownPrivilege", 19},
    {"SeDebugPrivilege", 20},
    {"SeAuditPrivilege", 21},
    {"SeSystemEnvironmentPrivilege", 22},
    {"SeChangeNotifyPrivilege", 23},
    {"SeRemoteShutdownPrivilege", 24},
    {"SeUndockPrivilege", 25},
    {"SeManageVolumePrivilege", 28},
    {"SeImpersonatePrivilege", 29},
    {"SeCreateGlobalPrivilege", 30},
    {"SeIncreaseWorkingSetPrivilege", 33},
    {"SeTimeZonePrivilege", 34},
    {"SeCreateSymbolicLinkPrivilege", 35},
};

// A token that is not elevated holds only these (the filtered token of an administrator, or a user's).
bool heldWithoutElevation(DWORD luid)
{
    return luid == 19 || luid == 23 || luid == 25 || luid == 33 || luid == 34;
}

// The Windows buffer rule for functions that return a text: the length without NUL when it fits, else the
// size needed with NUL and nothing written.
DWORD copyOut(const QString &text, LPWSTR buffer, DWORD size)
{
    const DWORD needed = DWORD(text.size()) + 1;
    if (!buffer || size < needed)
        return needed;
    copyToWide(text, buffer, size);
    return needed - 1;
}

bool startsWithFolder(const QString &path, const QString &folder, Qt::CaseSensitivity cs)
{
    return path.startsWith(folder, cs) && (path.size() == folder.size() || path.at(folder.size()) == QLatin1Char('/'));
}

// rest ("/a/b", Windows text) below root, each part in its host spelling; a part that is not there as written
// takes the spelling of the entry that matches it whatever its case: Windows paths are case-insensitive, the
// host's are not.
QString resolveBelow(const QString &root, const QString &rest)
{
    QString out = root;
    bool matching = true;
    const QStringList parts = rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        QString name = hostnames::toHost(part);
        struct stat st;
        if (matching && ::lstat(hostnames::encode(out + QLatin1Char('/') + name).constData(), &st) != 0) {
            matching = false;
            if (DIR *dir = ::opendir(hostnames::encode(out).constData())) {
                while (const struct dirent *d = ::readdir(dir)) {
                    const QByteArray entry(d->d_name);
                    if (entry == "." || entry == "..")
                        continue;
                    if (hostnames::windowsName(entry).compare(part, Qt::CaseInsensitive) == 0) {
                        name = hostnames::decode(entry);
                        matching = true;
                        break;
                    }
                }
                ::closedir(dir);
            }
        }
        out += QLatin1Char('/') + name;
    }
    return out;
}

} // namespace

DWORD GetLastError()
{
    return lastError;
}

void SetLastError(DWORD code)
{
    lastError = code;
}

BOOL CloseHandle(HANDLE h)
{
    // The pseudo-handles (the current process, -1, which is also INVALID_HANDLE_VALUE; the current thread, -2;
    // and down to -6, the session and the tokens) are in no handle table: Windows refuses to close them, as any
    // value that names no open handle.
    const LONG_PTR value = reinterpret_cast<LONG_PTR>(h);
    if (value <= -1 && value >= -6) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (handles::close(h))
        return TRUE;
    TokenTable &t = tokens();
    QMutexLocker g(&t.mutex);
    if (t.access.remove(reinterpret_cast<quintptr>(h)))
        return TRUE;
    // A handle that is not open (never was, or closed already) is refused, as Windows refuses it.
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HMODULE GetModuleHandleW(LPCWSTR name)
{
    Module *m = knownModule(name);
    if (!m) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return handleOf(m);
}

// What GetProcAddress hands out: the function, noted first for a probe that records its calls.
static NTSTATUS WINAPI lookedUpRtlGetVersion(PRTL_OSVERSIONINFOW info)
{
    calltrace::note("RtlGetVersion");
    return RtlGetVersion(info);
}

static NTSTATUS WINAPI lookedUpNtFsControlFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE routine, PVOID context,
                                               PIO_STATUS_BLOCK status, ULONG code, PVOID in, ULONG inLength, PVOID out,
                                               ULONG outLength)
{
    calltrace::note("NtFsControlFile");
    return NtFsControlFile(file, event, routine, context, status, code, in, inLength, out, outLength);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    if (module != handleOf(&ntdllModule) && module != handleOf(&processModule)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // A name whose pointer value fits in a WORD is an ordinal; the stand-in exports none.
    const bool byName = reinterpret_cast<quintptr>(name) > 0xFFFF;
    if (module == handleOf(&ntdllModule) && byName && std::strcmp(name, "RtlGetVersion") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&lookedUpRtlGetVersion));
    if (module == handleOf(&ntdllModule) && byName && std::strcmp(name, "NtFsControlFile") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&lookedUpNtFsControlFile));
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

NTSTATUS WINAPI RtlGetVersion(PRTL_OSVERSIONINFOW info)
{
    if (!info)
        return STATUS_INVALID_PARAMETER;
    DWORD build = 0;
    WCHAR text[32] = {};
    DWORD bytes = sizeof(text);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                     WSTR("CurrentBuildNumber"), RRF_RT_REG_SZ, nullptr, text, &bytes) == ERROR_SUCCESS)
        build = fromWide(text, sizeof(text) / sizeof(WCHAR)).trimmed().toUInt();
    info->dwMajorVersion = 10;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
    // The extended fields only when the caller said (by the size) that its record has them.
    if (info->dwOSVersionInfoSize >= sizeof(RTL_OSVERSIONINFOEXW)) {
        auto *ex = reinterpret_cast<PRTL_OSVERSIONINFOEXW>(info);
        ex->wServicePackMajor = 0;
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = VER_SUITE_SINGLEUSERTS;
        ex->wProductType = VER_NT_WORKSTATION;
        ex->wReserved = 0;
    }
    return STATUS_SUCCESS;
}

HANDLE WINAPI GetCurrentProcess()
{
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle)
{
    if (!ProcessHandle || !TokenHandle) {
        SetLastError(ProcessHandle ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    TokenTable &t = tokens();
    QMutexLocker g(&t.mutex);
    const quintptr h = t.next;
    t.next += 4;
    t.access.insert(h, DesiredAccess);
    *TokenHandle = reinterpret_cast<HANDLE>(h);
    return TRUE;
}

BOOL WINAPI LookupPrivilegeValueW(LPCWSTR, LPCWSTR lpName, PLUID lpLuid)
{
    const QString name = fromWide(lpName);
    for (const Privilege &p : privileges) {
        if (name.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0) {
            if (lpLuid) {
                lpLuid->LowPart = p.luid;
                lpLuid->HighPart = 0;
            }
            return TRUE;
        }
    }
    SetLastError(ERROR_NO_SUCH_PRIVILEGE);
    return FALSE;
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges, PTOKEN_PRIVILEGES NewState, DWORD,
                                  PTOKEN_PRIVILEGES, PDWORD)
{
    DWORD access = 0;
    {
        TokenTable &t = tokens();
        QMutexLocker g(&t.mutex);
        auto it = t.access.constFind(reinterpret_cast<quintptr>(TokenHandle));
        if (it == t.access.constEnd()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        access = *it;
    }
    if (!(access & TOKEN_ADJUST_PRIVILEGES)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!DisableAllPrivileges && !NewState) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Windows succeeds even when the token lacks a privilege, and says so through the last error. No module
    // asks for the previous state, so none is reported.
    bool allHeld = true;
    if (!DisableAllPrivileges && !machine::isElevated()) {
        for (DWORD i = 0; i < NewState->PrivilegeCount; ++i) {
            const LUID &l = NewState->Privileges[i].Luid;
            if (l.HighPart != 0 || !heldWithoutElevation(l.LowPart))
                allHeld = false;
        }
    }
    SetLastError(allHeld ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

DWORD WINAPI GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    // Callers rely on the trailing backslash (they strip it or append a name to it).
    return copyOut(standin::windowsPath(machine::tempFolder()) + QLatin1Char('\\'), lpBuffer, nBufferLength);
}

DWORD WINAPI GetLongPathNameW(LPCWSTR lpszShortPath, LPWSTR lpszLongPath, DWORD cchBuffer)
{
    if (!lpszShortPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The stand-in's paths have no short forms; the text is read before the (possibly same) buffer is written.
    const QString path = fromWide(lpszShortPath);
    struct stat st;
    if (::lstat(hostnames::encode(hostPath(path)).constData(), &st) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return copyOut(path, lpszLongPath, cchBuffer);
}

UINT WINAPI GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize)
{
    return copyOut(standin::windowsPath(machine::windowsFolder()), lpBuffer, uSize);
}

namespace {

// The host folder a drive letter stands for: the drive map's, else for C: the machine's drive and for Z: the
// host's root, which every machine has even where a test leaves only its own letters mapped.
QString driveRoot(QChar letter)
{
    drivemap::Drive d;
    QString root;
    if (drivemap::drive(letter, &d))
        root = d.hostRoot;
    else if (letter == QLatin1Char('C'))
        root = machine::systemDrive();
    else if (letter == QLatin1Char('Z'))
        root = QStringLiteral("/");
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root;
}

} // namespace

namespace {

bool isSlash(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

// The drive letter a path starts with ("x:..."), upper case; a null QChar where it starts with none.
QChar driveLetterOf(const QString &path)
{
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).unicode() < 128 && path.at(0).isLetter())
        return path.at(0).toUpper();
    return QChar();
}

bool isVerbatim(const QString &path)
{
    return path.startsWith(QLatin1String("\\\\?\\"));
}

// Windows' device namespace ("\\.\", either separator): a device's name, a drive letter among them.
bool isDeviceForm(const QString &path)
{
    return path.size() >= 4 && isSlash(path.at(0)) && isSlash(path.at(1)) && path.at(2) == QLatin1Char('.') &&
           isSlash(path.at(3));
}

// A host path as Qt gives one: a slash first (a backslash first is a path from the current drive's root).
bool isHostForm(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) && !isDeviceForm(path);
}

bool isUncForm(const QString &path)
{
    return path.size() >= 2 && path.at(0) == QLatin1Char('\\') && isSlash(path.at(1));
}

// The names of a path below its root as Windows resolves them: "." and empty names go, ".." takes the name
// before it away and none at the root, a folder's name loses one final dot ("a.\b" is "a\b") and the final
// name all its trailing dots and blanks ("report. " is "report"), unless a separator ends the path. Names of
// dots only are no folder names with a dot to lose ("..." is a name).
QString resolvedNames(const QString &rest)
{
    QStringList names;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && !isSlash(rest.at(i)))
            continue;
        QString name = rest.mid(start, i - start);
        const bool last = i == rest.size();
        start = i + 1;
        if (name.isEmpty() || name == QLatin1String("."))
            continue;
        if (name == QLatin1String("..")) {
            if (!names.isEmpty())
                names.removeLast();
            continue;
        }
        if (last) {
            while (!name.isEmpty() && (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' '))))
                name.chop(1);
            if (name.isEmpty())
                continue;
        } else if (name.endsWith(QLatin1Char('.')) && name.count(QLatin1Char('.')) != name.size()) {
            name.chop(1);
        }
        names.append(name);
    }
    QString out = names.join(QLatin1Char('\\'));
    if (!names.isEmpty() && !rest.isEmpty() && isSlash(rest.back()))
        out += QLatin1Char('\\');
    return out;
}

QString currentFolder()
{
    return fromHostPath(QDir::currentPath());
}

// The full Windows path of a path that is neither "\\?\", UNC nor a host path.
QString windowsFullPath(const QString &path)
{
    const QChar letter = driveLetterOf(path);
    QString drive, rest;
    if (!letter.isNull()) {
        drive = path.left(2);
        rest = path.mid(2);
        // "C:x" is x in the current folder of C:, which is C:'s root unless C: is the current drive.
        if (rest.isEmpty() || !isSlash(rest.at(0))) {
            const QString current = currentFolder();
            if (driveLetterOf(current) == letter)
                rest = rest.isEmpty() ? current.mid(2) : current.mid(2) + QLatin1Char('\\') + rest;
        }
    } else {
        const QString current = currentFolder();
        drive = current.left(2);
        // A path from the root names the current drive's root; a relative one the current folder.
        rest = !path.isEmpty() && isSlash(path.at(0)) ? path : current.mid(2) + QLatin1Char('\\') + path;
    }
    return drive + QLatin1Char('\\') + resolvedNames(rest);
}

// The host path of rest (Windows names, '/' separated, no "." or "..") below the host root of drive letter.
QString belowRoot(QChar letter, const QString &root, const QString &rest)
{
    if (rest.isEmpty() || rest == QLatin1String("/"))
        return root;
    // The drive's Recycle Bin is the host trash it shows at its root.
    const qsizetype nameEnd = rest.indexOf(QLatin1Char('/'), 1);
    const QString first = rest.mid(1, nameEnd < 0 ? -1 : nameEnd - 1);
    if (first.compare(QLatin1String("$RECYCLE.BIN"), Qt::CaseInsensitive) == 0) {
        const QString trash = recyclebin::trashOfDrive(letter);
        if (!trash.isEmpty())
            return nameEnd < 0 ? trash : trash + hostnames::toHost(rest.mid(nameEnd));
    }
    // The machine's own drive is case-insensitive, as Windows is: "C:\WINDOWS" is its Windows folder.
    if (root == machine::systemDrive())
        return userfolders::throughLink(resolveBelow(root, rest));
    return root == QLatin1String("/") ? hostnames::toHost(rest) : root + hostnames::toHost(rest);
}

} // namespace

namespace standin {

QString fullPath(const QString &path)
{
    // A "\\?\" path is taken as written by the calls that open it, but GetFullPathNameW resolves what follows
    // its drive as any path, and the names below the drive's root never climb above it.
    if (isVerbatim(path)) {
        const QString rest = path.mid(4);
        const bool drivePath = !driveLetterOf(rest).isNull() && rest.size() >= 3 && rest.at(2) == QLatin1Char('\\');
        return drivePath ? path.left(6) + QLatin1Char('\\') + resolvedNames(rest.mid(3)) : path;
    }
    if (isUncForm(path) || isDeviceForm(path))
        return path;
    if (isHostForm(path)) {
        QString host;
        DWORD error = 0;
        return hostPathOf(path, &host, &error) ? fromHostPath(host) : path;
    }
    return windowsFullPath(path);
}

bool hostPathOf(const QString &path, QString *host, DWORD *error)
{
    QString out;
    if (path.isEmpty()) {
        // nothing to resolve
    } else if (isVerbatim(path)) {
        // Taken as written: only a drive's own paths, each name as it is; "." and ".." are names no file has.
        const QString rest = path.mid(4);
        const QChar letter = driveLetterOf(rest);
        const QString root = letter.isNull() ? QString() : driveRoot(letter);
        if (rest.startsWith(QLatin1String("UNC\\"), Qt::CaseInsensitive)) {
            *error = ERROR_BAD_NETPATH; // another machine's share: there is no network to reach it
            return false;
        }
        if (root.isEmpty() || (rest.size() > 2 && rest.at(2) != QLatin1Char('\\'))) {
            *error = root.isEmpty() && !letter.isNull() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME;
            return false;
        }
        const QStringList names = rest.mid(3).split(QLatin1Char('\\'));
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString &name = names.at(i);
            if ((name.isEmpty() && i + 1 < names.size()) || name == QLatin1String(".") || name == QLatin1String("..") ||
                name.contains(QLatin1Char('/'))) {
                *error = ERROR_INVALID_NAME;
                return false;
            }
        }
        out = belowRoot(letter, root, QLatin1Char('/') + names.join(QLatin1Char('/')));
    } else if (isDeviceForm(path)) {
        // "\\.\C:\x" is C:\x reached through the device namespace, its names resolved as any path's, never
        // above the drive; any other name there is a device, which holds no files.
        const QString rest = resolvedNames(path.mid(4));
        const QChar letter = driveLetterOf(rest);
        const QString root = letter.isNull() ? QString() : driveRoot(letter);
        if (root.isEmpty() || (rest.size() > 2 && rest.at(2) != QLatin1Char('\\'))) {
            *error = rest.contains(QLatin1Char('\\')) ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
            return false;
        }
        out = belowRoot(letter, root, rest.mid(2).replace(QLatin1Char('\\'), QLatin1Char('/')));
    } else if (isHostForm(path)) {
        // A host path (as Qt gives it), cleaned as the host would. Inside the machine's drive names are
        // case-insensitive, as on Windows. Product code joins with backslashes even onto host paths; a
        // backslash that is part of a host name reaches here as U+F05C, so it never splits the name.
        const QString clean = QDir::cleanPath(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
        const QString root = machine::systemDrive();
        const QString windowsRoot = hostnames::toWindows(root);
        if (clean.size() > windowsRoot.size() && startsWithFolder(clean, windowsRoot, Qt::CaseSensitive))
            out = userfolders::throughLink(resolveBelow(root, clean.mid(windowsRoot.size())));
        else
            out = hostnames::toHost(clean);
    } else if (isUncForm(path)) {
        // Another machine's share ("\\server\share\..."): there is no network to reach it.
        *error = ERROR_BAD_NETPATH;
        return false;
    } else {
        const QString full = windowsFullPath(path);
        const QString root = driveRoot(full.at(0).toUpper());
        if (root.isEmpty()) {
            *error = ERROR_PATH_NOT_FOUND;
            return false;
        }
        out = belowRoot(full.at(0).toUpper(), root, full.mid(2).replace(QLatin1Char('\\'), QLatin1Char('/')));
    }
    while (out.size() > 1 && out.endsWith(QLatin1Char('/')))
        out.chop(1);
    *host = out;
    return true;
}

} // namespace standin

QString hostPath(const QString &windowsPath)
{
    // A path that names no file has no host path either.
    QString host;
    DWORD error = 0;
    return standin::hostPathOf(windowsPath, &host, &error) ? host : QString();
}

QString fromHostPath(const QString &qtPath)
{
    // A relative path or a bare name only gets its names mapped; an absolute one gets its drive.
    if (!qtPath.startsWith(QLatin1Char('/')))
        return hostnames::toWindows(qtPath);
    return standin::windowsPath(hostnames::toWindows(qtPath));
}

QString nativeSeparators(const QString &path)
{
    QString out = path;
    return out.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QFileInfo windowsFileInfo(const QString &windowsPath)
{
    // Windows' QFileInfo takes either separator; this host's only the slash.
    return QFileInfo(QString(windowsPath).replace(QLatin1Char('\\'), QLatin1Char('/')));
}

QString fromFileUrl(const QUrl &url)
{
    if (!url.isLocalFile())
        return QString();
    // The encoded form keeps the bytes of a name that is not UTF-8; the decoded one would replace them.
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return standin::windowsPath(hostnames::windowsName(bytes));
}

namespace standin {

// The name Windows gives a host path: the deepest drive whose folder holds it (C: for the machine's drive, Z:
// for the host's root), as a prefix names it. A path that already has a drive is only given backslashes.
QString windowsPath(const QString &host)
{
    QString path = host;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    path = QDir::cleanPath(path);
    QString drive;
    QString rest;
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':')) {
        drive = path.left(2);
        rest = path.mid(2);
    } else {
        QString below;
        const QChar letter = drivemap::letterOfHostPath(path, &below);
        const QString machineDrive = machine::systemDrive();
        if (startsWithFolder(path, machineDrive, Qt::CaseSensitive) &&
            (letter.isNull() || driveRoot(letter).size() < machineDrive.size())) {
            // The machine's drive even where a test leaves it unmapped.
            drive = QStringLiteral("C:");
            rest = path.mid(machineDrive.size());
        } else if (!letter.isNull()) {
            drive = QString(letter) + QLatin1Char(':');
            rest = below.isEmpty() ? QString() : QLatin1Char('/') + below;
        } else {
            drive = QStringLiteral("Z:");
            rest = path;
        }
    }
    if (rest.isEmpty() || rest == QLatin1String("/"))
        return drive + QLatin1Char('\\');
    return drive + rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

} // namespace standin
