#include "filecheck.h"

#include "childpaths.h"

#include <QDebug>

namespace filecheck {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

} // namespace

FileIdentity identify(const QString &path)
{
    FileIdentity id;
    // No access rights asked: a file in use by others still tells who it is.
    HANDLE h = CreateFileW(wstr(childpaths::callable(path)), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return id;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (GetFileInformationByHandle(h, &info)) {
        id.known = true;
        id.volume = info.dwVolumeSerialNumber;
        id.index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        id.links = info.nNumberOfLinks;
    }
    CloseHandle(h);
    return id;
}

bool linkFreeBelow(const QString &base, const QString &path)
{
    qsizetype start = base.size();
    while (start > 1 && isSeparator(base.at(start - 1)))
        --start;
    // A root ("/") keeps its separator; any other base is followed by one in path.
    const bool root = start == 1 && isSeparator(base.at(0));
    if (base.isEmpty() || path.size() <= start || (!root && !isSeparator(path.at(start))) ||
        path.left(start).compare(base.left(start), Qt::CaseInsensitive) != 0)
        return false;
    // Every folder between base and the last name must still be a plain folder; "." and ".." lead elsewhere.
    qsizetype nameStart = root ? start : start + 1;
    for (qsizetype i = nameStart; i <= path.size(); ++i) {
        const bool last = i == path.size();
        if (!last && !isSeparator(path.at(i)))
            continue;
        const QString name = path.mid(nameStart, i - nameStart);
        nameStart = i + 1;
        if (name.isEmpty()) {
            if (last)
                return false; // a path ending in a separator names no file
            continue;
        }
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            return false;
        if (last)
            break;
        const DWORD attributes = GetFileAttributesW(wstr(childpaths::callable(path.left(i))));
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return false;
    }
    return true;
}

bool stillListed(const QString &base, const QString &path, const FileIdentity &listed)
{
    return linkFreeBelow(base, path) && identify(path).sameFile(listed);
}

namespace {

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION &info)
{
    FileIdentity id;
    id.known = true;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.links = info.nNumberOfLinks;
    return id;
}

// A plain folder, and the listed one when that is known.
bool isCheckedFolder(HANDLE h, const FileIdentity &listed)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    return h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (!listed.known || identityOf(info).sameFile(listed));
}

} // namespace

bool HeldFolders::hold(const QString &base, const QString &folder)
{
    release();
    qsizetype start = base.size();
    while (start > 1 && isSeparator(base.at(start - 1)))
        --start;
    const bool root = start == 1 && isSeparator(base.at(0));
    const bool same = folder.size() == start || (folder.size() == start + 1 && isSeparator(folder.at(start)));
    if (base.isEmpty() || folder.size() < start || (!same && !root && !isSeparator(folder.at(start))) ||
        folder.left(start).compare(base.left(start), Qt::CaseInsensitive) != 0)
        return false;
    // The base as named: a link the user went through to reach it is theirs to follow.
    HANDLE h =
        CreateFileW(wstr(childpaths::callable(folder.left(start))), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        return false;
    }
    handles.push_back(h);
    qsizetype nameStart = root ? start : start + 1;
    for (qsizetype i = nameStart; i <= folder.size(); ++i) {
        if (i < folder.size() && !isSeparator(folder.at(i)))
            continue;
        const QString name = folder.mid(nameStart, i - nameStart);
        nameStart = i + 1;
        if (name.isEmpty())
            continue;
        if (name == QLatin1String(".") || name == QLatin1String("..") || push(folder.left(i)) == INVALID_HANDLE_VALUE) {
            release();
            return false;
        }
    }
    return true;
}

HANDLE HeldFolders::push(const QString &folder, DWORD access, const FileIdentity &listed)
{
    HANDLE h =
        CreateFileW(wstr(childpaths::callable(folder)), GENERIC_READ | access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (!isCheckedFolder(h, listed)) {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        qDebug() << "Not a plain folder (a link, or changed since it was listed):" << folder;
        return INVALID_HANDLE_VALUE;
    }
    handles.push_back(h);
    return h;
}

void HeldFolders::pop()
{
    if (handles.empty())
        return;
    CloseHandle(handles.back());
    handles.pop_back();
}

void HeldFolders::release()
{
    while (!handles.empty())
        pop();
}

HANDLE openChecked(const QString &path, DWORD access, int requirements, const FileIdentity &listed, DWORD share)
{
    HANDLE h = CreateFileW(wstr(childpaths::callable(path)), access, share, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    BY_HANDLE_FILE_INFORMATION info = {};
    const char *refused = nullptr;
    if (!GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        refused = "no file";
    else if ((requirements & NotALink) && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        refused = "a link";
    else if ((requirements & OneName) && info.nNumberOfLinks != 1)
        refused = "another name shares its data";
    else if (listed.known && !identityOf(info).sameFile(listed))
        refused = "another file than the one listed";
    if (!refused)
        return h;
    CloseHandle(h);
    qDebug() << "Left alone (" << refused << "):" << path;
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}

bool renameTo(HANDLE file, const QString &plainName)
{
    // A relative name would be taken from the process's current folder: the new name is given as a full path
    // in the folder the open file is in now, in the "\\?\" form it is given in, which reaches any length.
    const QString path = finalPathOf(file);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    return slash >= 0 && renameOpenFile(file, path.left(slash + 1) + plainName);
}

bool markForDeletion(HANDLE file)
{
    FILE_DISPOSITION_INFO info = {};
    info.DeleteFile = TRUE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof(info)) != FALSE;
}

bool deleteChecked(const QString &path, int requirements, const FileIdentity &listed)
{
    HANDLE h = openChecked(path, DELETE, requirements, listed);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool marked = markForDeletion(h);
    CloseHandle(h);
    return marked && GetFileAttributesW(wstr(childpaths::callable(path))) == INVALID_FILE_ATTRIBUTES;
}

QString folderOf(const QString &path)
{
    qsizetype cut = path.size();
    while (cut > 0 && !isSeparator(path.at(cut - 1)))
        --cut;
    return cut == 0 ? QString() : path.left(cut == 1 ? 1 : cut - 1);
}

} // namespace filecheck
