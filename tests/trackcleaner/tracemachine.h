// Where the simulated machine keeps each kind of usage trace, and helpers that prepare those places. The
// folders come from the machine itself, not from the code under test, so the tests check its path building.
#pragma once

#include "krutils.h"
#include "linux/machine/machine.h"
#include "trackcleanerkinds.h"
#include "win32.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace tracemachine {

inline const QString explorerKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer");
inline const QString typedPathsKey = explorerKey + QStringLiteral("\\TypedPaths");
inline const QString searchKey = explorerKey + QStringLiteral("\\WordWheelQuery");
inline const QString runKey = explorerKey + QStringLiteral("\\RunMRU");
inline const QString recentDocsKey = explorerKey + QStringLiteral("\\RecentDocs");

inline QString recentFolder()
{
    return machine::roamingAppData() + QStringLiteral("/Microsoft/Windows/recent");
}
inline QString localMicrosoft()
{
    return machine::localAppData() + QStringLiteral("/Microsoft");
}
inline QString errorReports()
{
    return machine::programDataFolder() + QStringLiteral("/Microsoft/Windows/WER/ReportArchive");
}
inline QString networkData()
{
    return machine::windowsFolder() + QStringLiteral("/System32/sru");
}
inline QString temp()
{
    return machine::tempFolder();
}

// A file of the given size (a hole beyond the text, so large sizes cost nothing), folders made as needed.
inline QString writeFile(const QString &path, qint64 size = 10, const QByteArray &text = QByteArray())
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(text.left(size));
        f.resize(size);
    }
    return path;
}

inline bool keyExists(const QString &key)
{
    return KRUtils().regKeyExists(HKEY_CURRENT_USER, key);
}

inline int valueCount(const QString &key)
{
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wstr(key), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(k);
    return int(values);
}

// Removes a key with all its sub-keys.
inline void dropKey(const QString &key)
{
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wstr(key), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return;
    QStringList children;
    for (DWORD i = 0;; ++i) {
        WCHAR name[MAX_PATH];
        DWORD length = MAX_PATH;
        if (RegEnumKeyExW(k, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children << fromWide(name, length);
    }
    RegCloseKey(k);
    for (const QString &child : children)
        dropKey(key + QLatin1Char('\\') + child);
    RegDeleteKeyW(HKEY_CURRENT_USER, wstr(key));
}

inline void setString(const QString &key, const QString &name, const QString &text)
{
    KRUtils().writeRegString(HKEY_CURRENT_USER, key, name, text);
}

inline void setBinary(const QString &key, const QString &name, const QByteArray &data)
{
    int size = int(data.size());
    KRUtils().writeRegBinary(HKEY_CURRENT_USER, key, name, reinterpret_cast<const BYTE *>(data.constData()), &size);
}

// A search string as File Explorer stores it: UTF-16LE with its terminator.
inline QByteArray utf16z(const QString &text)
{
    QByteArray bytes(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    bytes.append(2, '\0');
    return bytes;
}

inline void emptyFolder(const QString &folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

// A machine without any usage trace: the seeded ones go, so counts are exactly what a test puts there.
inline void removeSeededTraces()
{
    for (const QString &key : {typedPathsKey, searchKey, runKey, recentDocsKey})
        dropKey(key);
    emptyFolder(recentFolder());
    QDir(localMicrosoft()).removeRecursively();
    QDir(machine::programDataFolder() + QStringLiteral("/Microsoft")).removeRecursively();
    emptyFolder(machine::windowsFolder());
    QDir().mkpath(machine::windowsFolder() + QStringLiteral("/System32"));
    emptyFolder(temp());
}

// Every file below folder, as full paths, in no particular order.
inline QStringList filesBelow(const QString &folder)
{
    QStringList out;
    QDir dir(folder);
    for (const QFileInfo &fi :
         dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        if (fi.isDir() && !fi.isSymLink())
            out += filesBelow(fi.filePath());
        else
            out += fi.filePath();
    }
    return out;
}

} // namespace tracemachine
