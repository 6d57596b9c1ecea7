#include "filecheck.h"

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
    HANDLE h = CreateFileW(wstr(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
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
        const DWORD attributes = GetFileAttributesW(wstr(path.left(i)));
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

} // namespace filecheck
