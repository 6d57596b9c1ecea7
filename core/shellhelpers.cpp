#include "shellhelpers.h"

#include <QDir>
#include <QProcess>

namespace {

QString knownFolder(int csidl)
{
    WCHAR path[MAX_PATH] = {0};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return QString(QLatin1String(""));
    QString text = fromWide(path, MAX_PATH);
    while (text.size() > 3 && (text.endsWith(QLatin1Char('\\')) || text.endsWith(QLatin1Char('/'))))
        text.chop(1);
    return text;
}

} // namespace

QString commonAppDataPath()
{
    return knownFolder(CSIDL_COMMON_APPDATA);
}

QString commonProgramsPath()
{
    return knownFolder(CSIDL_COMMON_PROGRAMS);
}

QString commonStartupPath()
{
    return knownFolder(CSIDL_COMMON_STARTUP);
}

QString desktopPath()
{
    return knownFolder(CSIDL_DESKTOPDIRECTORY);
}

QString documentsPath()
{
    return knownFolder(CSIDL_PERSONAL);
}

QString musicPath()
{
    return knownFolder(CSIDL_MYMUSIC);
}

QString picturesPath()
{
    return knownFolder(CSIDL_MYPICTURES);
}

QString videosPath()
{
    return knownFolder(CSIDL_MYVIDEO);
}

QString userProfilePath()
{
    return knownFolder(CSIDL_PROFILE);
}

QString startupPath()
{
    return knownFolder(CSIDL_STARTUP);
}

QString tempPath()
{
    WCHAR shortPath[MAX_PATH] = {0};
    const DWORD length = GetTempPathW(MAX_PATH, shortPath);
    // No temporary folder (or one longer than the buffer) means none: callers then have nothing to clean.
    if (length == 0 || length >= MAX_PATH)
        return QString(QLatin1String(""));
    WCHAR longPath[MAX_PATH] = {0};
    const DWORD longLength = GetLongPathNameW(shortPath, longPath, MAX_PATH);
    // Where the long form cannot be had, the short form still names the folder.
    QString text =
        (longLength > 0 && longLength < MAX_PATH) ? fromWide(longPath, MAX_PATH) : fromWide(shortPath, MAX_PATH);
    if (text.endsWith(QLatin1Char('\\')))
        text.chop(1);
    return text;
}

bool setPrivilege(HANDLE token, LPCWSTR privilegeName, bool enable)
{
    LUID luid;
    if (!LookupPrivilegeValueW(nullptr, privilegeName, &luid))
        return false;
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    if (!AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(TOKEN_PRIVILEGES), nullptr, nullptr))
        return false;
    return GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

void showInExplorer(const QString &path, QObject *parent)
{
    auto *process = new QProcess(parent);
    startProgram(process, QStringLiteral("explorer.exe"),
                 QStringList{QStringLiteral("/select,"), nativeSeparators(path)});
}
