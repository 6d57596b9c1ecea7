// The one door to the Windows API. Product code includes this header and nothing else of the platform.
// On Windows it brings in the SDK; elsewhere it brings in our own declarations, backed by the stand-in
// in platform/linux, which behaves as the modules expect of Windows.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#include <windows.h>
#include <winsvc.h>
#include <shlobj.h>
#include <shellapi.h>
#include <shobjidl.h>
#include <shlwapi.h>
#include <commctrl.h>
#include <commoncontrols.h>
#include <objbase.h>
#include <tlhelp32.h>
#include <psapi.h>
#include <commoncontrols.h>
#include <winternl.h>
#include <winioctl.h>
// ntdll's file-system control call has no import library entry in the SDK; modules look it up by name.
typedef NTSTATUS(NTAPI *NtFsControlFilePtr)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, ULONG, PVOID,
                                            ULONG, PVOID, ULONG);
#ifndef STATUS_SUCCESS
#define STATUS_SUCCESS ((NTSTATUS)0x00000000L)
#endif
#ifndef STATUS_BUFFER_OVERFLOW
#define STATUS_BUFFER_OVERFLOW ((NTSTATUS)0x80000005L)
#endif
#ifndef STATUS_END_OF_FILE
#define STATUS_END_OF_FILE ((NTSTATUS)0xC0000011L)
#endif
#include <powrprof.h>
#include <urlmon.h>
#include <winver.h>
#include <taskschd.h>
#include <mmsystem.h>
#include <vfw.h>
#include <mmreg.h>
#include <msacm.h>
#include <dshow.h>
#include <dmo.h>
#ifdef __MINGW32__
#include "windows/mingwextras.h"
#endif
#define WSTR(s) L##s
#else
#include "linux/machine/w32types.h"
#include "linux/registry/w32registry.h"
#include "linux/windows/w32window.h"
#include "linux/shell/w32shell.h"
#include "linux/system/w32system.h"
#include "linux/files/w32volume.h"
#include "linux/files/w32file.h"
#include "linux/shell/w32shellicon.h"
#include "linux/shell/w32shellexecute.h"
#include "linux/system/w32memory.h"
#include "linux/files/w32rawvolume.h"
#include "linux/windows/w32winloop.h"
#include "linux/windows/w32timer.h"
#include "linux/system/w32time.h"
#include "linux/windows/w32menu.h"
#include "linux/windows/w32tray.h"
#include "linux/windows/w32resource.h"
#include "linux/windows/w32layered.h"
#include "linux/system/w32power.h"
#include "linux/com/w32guid.h"
#include "linux/network/w32urlmon.h"
#include "linux/shell/w32shellexecuteex.h"
#include "linux/system/w32sysparams.h"
#include "linux/processes/w32process.h"
#include "linux/shell/w32shellnotify.h"
#include "linux/services/w32service.h"
#include "linux/system/w32sysinfo.h"
#include "linux/services/w32taskschd.h"
#include "linux/system/w32version.h"
#include "linux/system/w32codecs.h"
#define WSTR(s) u##s
#endif

// Whether this program may run on the machine it finds; both programs ask first thing and end at once on
// false. Always true on Windows. On other hosts the stand-in opens its simulated machine here: when its
// database is damaged or cannot be opened, a message box names the file and how to start from a fresh
// machine, and nothing of the machine is used.
#ifdef _WIN32
inline bool machineUsable()
{
    return true;
}
#else
bool machineUsable();
#endif

// Plain Win32 programs (the helper) build without Qt: they see the Windows API and nothing more.
#ifndef HUSHDECK_PLAIN_WIN32

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <vector>

// QString <-> WCHAR. WCHAR is UTF-16 on every host, so the conversions are copies at most.
inline const WCHAR *wstr(const QString &s)
{
    return reinterpret_cast<const WCHAR *>(s.utf16());
}

// Text of a NUL-terminated wide string (empty for null).
inline QString fromWide(const WCHAR *s)
{
    if (!s)
        return QString();
    const char16_t *p = reinterpret_cast<const char16_t *>(s);
    qsizetype n = 0;
    while (p[n])
        ++n;
    return QString::fromUtf16(p, n);
}

// Text of at most len code units, cut at the first NUL inside them.
inline QString fromWide(const WCHAR *s, qsizetype len)
{
    if (!s || len <= 0)
        return QString();
    const char16_t *p = reinterpret_cast<const char16_t *>(s);
    qsizetype n = 0;
    while (n < len && p[n])
        ++n;
    return QString::fromUtf16(p, n);
}

// Copies text into a caller buffer of cap code units, always NUL-terminated, never past the buffer.
// Returns the number of code units copied (without the NUL).
inline qsizetype copyToWide(const QString &s, WCHAR *buf, qsizetype cap)
{
    if (!buf || cap <= 0)
        return 0;
    qsizetype n = qMin<qsizetype>(s.size(), cap - 1);
    const char16_t *src = reinterpret_cast<const char16_t *>(s.utf16());
    for (qsizetype i = 0; i < n; ++i)
        buf[i] = static_cast<WCHAR>(src[i]);
    buf[n] = 0;
    return n;
}

// FILETIME (100-nanosecond ticks since 1601, UTC) <-> QDateTime.
inline QDateTime fileTimeToDateTime(const FILETIME &ft)
{
    const qint64 ticks = qint64((quint64(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
    return QDateTime::fromMSecsSinceEpoch(ticks / 10000 - 11644473600000LL, Qt::UTC);
}

inline FILETIME dateTimeToFileTime(const QDateTime &dt)
{
    const quint64 ticks = quint64(dt.toMSecsSinceEpoch() + 11644473600000LL) * 10000ULL;
    FILETIME ft;
    ft.dwLowDateTime = DWORD(ticks & 0xffffffffu);
    ft.dwHighDateTime = DWORD(ticks >> 32);
    return ft;
}

// The path of an open file now, as GetFinalPathNameByHandleW gives it ("\\\\?\\C:\\..."); "" when it has none.
inline QString finalPathOf(HANDLE file)
{
    std::vector<WCHAR> where(32768);
    const DWORD length = GetFinalPathNameByHandleW(file, where.data(), DWORD(where.size()), VOLUME_NAME_DOS);
    return length == 0 || length >= where.size() ? QString() : fromWide(where.data(), qsizetype(length));
}

// Through a handle opened with DELETE access: the open file takes the name newPath (a full path on its
// volume), wherever its path leads now, and never over an entry.
inline bool renameOpenFile(HANDLE file, const QString &newPath)
{
    const DWORD bytes = DWORD(newPath.size() * sizeof(WCHAR));
    // The name follows the fixed part; the buffer is 8-byte aligned, as the structure's handle needs.
    std::vector<quint64> buffer((sizeof(FILE_RENAME_INFO) + bytes) / sizeof(quint64) + 1);
    auto *info = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = bytes;
    copyToWide(newPath, info->FileName, newPath.size() + 1);
    return SetFileInformationByHandle(file, FileRenameInfo, info, DWORD(buffer.size() * sizeof(quint64))) != FALSE;
}

// The id of a native window message that Qt hands to QWidget::nativeEvent; false where the event is not
// a Windows message (always, on other hosts).
class QByteArray;
bool nativeMessageId(const QByteArray &eventType, void *message, UINT *id);

// The window handle of a Qt window, as the window functions take it (its native window id on Windows). On
// other hosts the stand-in enters the window in its window table under the class Qt registers such a window
// with on Windows, so that GetClassNameW and the other window functions answer for it.
class QWindow;
HWND windowHandle(QWindow *window);

// The picture of an icon handle, as QImage::fromHICON gives it on Windows; safe on any thread.
class QImage;
QImage imageFromIcon(HICON icon);

// Starts a program by its Windows name (QProcess::start on Windows). On other hosts the stand-in's
// launcher records it and starts our own programs, or a host equivalent where one exists.
class QProcess;
void startProgram(QProcess *process, const QString &program, const QStringList &arguments);

// Moves a file or folder to the Recycle Bin (QFile::moveToTrash on Windows); false when it is still where it
// was. On other hosts the stand-in moves it to the host's trash, which the drive that holds it shows as its
// "$RECYCLE.BIN", and a file the machine marks locked or vanished stays, as Windows would refuse it.
bool moveToRecycleBin(const QString &path);
// The same for the file open as file (opened with DELETE access): that file goes, wherever its path leads now,
// never an entry another program put in its place; false when it stayed.
bool moveToRecycleBin(HANDLE file);

// A path that the drive functions or a listing give ("X:\...") as a path the host's file functions (Qt)
// take. Identity on Windows; on other hosts the machine's drive map decides, and a name that Windows could not
// hold gets its host spelling back. A name that is not UTF-8 has no spelling Qt can open: such files are
// reached through the Win32 file functions only.
QString hostPath(const QString &windowsPath);

// The reverse for a path that Qt gave (a file dialog, a QDir listing): the path as the Win32 file functions
// and listings spell it. Identity on Windows; on other hosts a backslash, colon or other character that
// Windows forbids in a name is mapped, so that it is not taken for a separator or a drive.
QString fromHostPath(const QString &qtPath);

// A path with the separators Windows writes (QDir::toNativeSeparators on Windows). The same on other hosts,
// where the paths the Win32 functions give are Windows paths too and Qt's own native separator would be '/'.
QString nativeSeparators(const QString &path);

// The name and folder parts of a Windows path as QFileInfo splits them on Windows (fileName(), path() with
// forward slashes, ...), for texts only: to reach the file itself use QFileInfo(hostPath(path)).
class QFileInfo;
QFileInfo windowsFileInfo(const QString &windowsPath);

// The path of a local file URL (a dropped file) as the Win32 file functions spell it, with native
// separators; "" for a URL that is no local file. Unlike QUrl::toLocalFile, it keeps a name that is not
// UTF-8.
QString fromFileUrl(const QUrl &url);

// A text that an earlier version of the program stored (written: when it was stored, as a backup file's
// time), as today's version would store it. Identity on Windows; on other hosts a host path that a version
// from before the machine's drive C: stored becomes the Windows path naming that place now, as the machine's
// carry-over rewrites the registry's strings. The stored file itself stays as it is.
#ifdef _WIN32
inline QString carriedOverText(const QString &text, const QDateTime &)
{
    return text;
}
#else
QString carriedOverText(const QString &text, const QDateTime &written);
#endif

// The address a web request really goes to. Identity on Windows; on other hosts the machine's URL
// overrides may send it elsewhere (tests answer from a local server).
#ifdef _WIN32
inline QUrl machineUrl(const QUrl &url)
{
    return url;
}
#else
QUrl machineUrl(const QUrl &url);
#endif

#endif // HUSHDECK_PLAIN_WIN32
