#include "filecheck.h"

#include "childpaths.h"

#include <QDebug>

namespace filecheck {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// How much of a full path is its root: "C:\", "\\?\C:\", "\\server\share\", "\\?\UNC\server\share\" or
// the host's "/"; 0 for a path that has none.
qsizetype rootLength(const QString &path)
{
    qsizetype at = 0;
    bool unc = false;
    if (path.startsWith(QLatin1String("\\\\?\\UNC\\"), Qt::CaseInsensitive)) {
        at = 8;
        unc = true;
    } else if (path.startsWith(QLatin1String("\\\\?\\")) || path.startsWith(QLatin1String("\\\\.\\"))) {
        at = 4;
    } else if (path.size() > 2 && isSeparator(path.at(0)) && isSeparator(path.at(1))) {
        at = 2;
        unc = true;
    } else if (!path.isEmpty() && path.at(0) == QLatin1Char('/')) {
        return 1;
    }
    if (unc) {
        // The server's name and the share's, each ending at a separator or at the end.
        for (int part = 0; part < 2; ++part) {
            const qsizetype start = at;
            while (at < path.size() && !isSeparator(path.at(at)))
                ++at;
            if (at == start)
                return 0;
            if (at < path.size())
                ++at;
        }
        return at;
    }
    if (path.size() >= at + 3 && path.at(at).isLetter() && path.at(at + 1) == QLatin1Char(':') &&
        isSeparator(path.at(at + 2)))
        return at + 3;
    return 0;
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION &info)
{
    FileIdentity id;
    id.known = true;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.links = info.nNumberOfLinks;
    return id;
}

FileIdentity identityAt(const QString &path, DWORD flags)
{
    // No access rights asked: a file in use by others still tells who it is.
    HANDLE h = CreateFileW(wstr(childpaths::callable(path)), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FileIdentity();
    BY_HANDLE_FILE_INFORMATION info = {};
    const FileIdentity id = GetFileInformationByHandle(h, &info) ? identityOf(info) : FileIdentity();
    CloseHandle(h);
    return id;
}

} // namespace

FileIdentity identify(const QString &path)
{
    return identityAt(path, FILE_FLAG_OPEN_REPARSE_POINT);
}

bool isRoot(const QString &path)
{
    const qsizetype root = rootLength(path);
    return root > 0 ? root >= path.size() : rootLength(path + QLatin1Char('\\')) == path.size() + 1;
}

Choice choose(const QString &path)
{
    Choice choice;
    const qsizetype root = rootLength(path);
    if (root == 0)
        return choice;
    choice.base = path.left(root);
    // Each folder on the way is looked at itself; below the deepest link among them every folder is plain.
    for (qsizetype i = root; i < path.size(); ++i) {
        if (!isSeparator(path.at(i)) || isSeparator(path.at(i - 1)))
            continue;
        const QString folder = path.left(i);
        const DWORD attributes = GetFileAttributesW(wstr(childpaths::callable(folder)));
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return Choice();
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            choice.base = folder;
    }
    choice.identity = identify(path);
    choice.baseIdentity = identityAt(choice.base, 0);
    if (!choice.identity.known || !choice.baseIdentity.known)
        return Choice();
    return choice;
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

bool HeldFolders::hold(const QString &base, const QString &folder, const FileIdentity &baseListed)
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
    // A root keeps its separator: "C:" alone would name the drive's current folder.
    QString named = folder.left(start);
    if (!root && rootLength(named + QLatin1Char('\\')) == start + 1)
        named += QLatin1Char('\\');
    // The base as named: a link the user went through to reach it is theirs to follow.
    HANDLE h = CreateFileW(wstr(childpaths::callable(named)), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (baseListed.known && !identityOf(info).sameFile(baseListed))) {
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
    // A link to a folder opens as folders do, with backup semantics; it is opened itself all the same.
    const bool link = requirements & ALink;
    HANDLE h = CreateFileW(wstr(childpaths::callable(path)), access, share, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT | (link ? FILE_FLAG_BACKUP_SEMANTICS : 0), nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    BY_HANDLE_FILE_INFORMATION info = {};
    const char *refused = nullptr;
    const bool known = GetFileInformationByHandle(h, &info);
    const bool reparse = info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (!known || ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(link && reparse)))
        refused = "no file";
    else if (link && !reparse)
        refused = "not a link";
    else if ((requirements & NotALink) && reparse)
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
