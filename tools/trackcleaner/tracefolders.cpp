#include "tracefolders.h"

#include "childpaths.h"

#include <QDir>

namespace tracefolders {

bool isUsableBase(const QString &folder)
{
    // The folders come from the Win32 functions: Windows paths, read the same on every host.
    const QString path = QDir::cleanPath(QString(folder).replace(QLatin1Char('\\'), QLatin1Char('/')));
    const bool drive =
        path.size() >= 3 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':') && path.at(2) == QLatin1Char('/');
    if (!drive && !path.startsWith(QLatin1Char('/')))
        return false;
    return drive ? path.size() > 3 : path != QLatin1String("/") && !path.startsWith(QLatin1String("//"));
}

bool isFolder(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(wstr(childpaths::callable(path)));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static bool endsWithSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'));
}

QString join(const QString &folder, const QString &name)
{
    return childpaths::join(folder, name);
}

QString withSeparator(const QString &folder)
{
    return endsWithSeparator(folder) ? folder : folder + QLatin1Char('/');
}

} // namespace tracefolders

FolderListing::FolderListing(const QString &pattern)
{
    handle = FindFirstFileW(wstr(childpaths::callable(pattern)), &data);
    pending = handle != INVALID_HANDLE_VALUE;
}

FolderListing::~FolderListing()
{
    if (handle != INVALID_HANDLE_VALUE)
        FindClose(handle);
}

bool FolderListing::next()
{
    for (;;) {
        if (!pending) {
            if (handle == INVALID_HANDLE_VALUE || !FindNextFileW(handle, &data))
                return false;
        }
        pending = false;
        // "." and "..", and any name that would lead out of the folder, are no entries of it.
        if (childpaths::staysBelow(name()))
            return true;
    }
}

QString FolderListing::name() const
{
    return fromWide(data.cFileName, MAX_PATH);
}

bool FolderListing::isDirectory() const
{
    return data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
}

bool FolderListing::isReparsePoint() const
{
    return data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
}

DWORD FolderListing::attributes() const
{
    return data.dwFileAttributes;
}

quint64 FolderListing::size() const
{
    return (quint64(data.nFileSizeHigh) << 32) + data.nFileSizeLow;
}
