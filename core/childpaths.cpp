#include "childpaths.h"

#include "win32.h"

#include <vector>

namespace childpaths {

bool isSelfOrParent(const QString &name)
{
    return name == QLatin1String(".") || name == QLatin1String("..");
}

bool staysBelow(const QString &name)
{
    if (name.isEmpty() || isSelfOrParent(name))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.isNull())
            return false;
    }
    return true;
}

QString join(const QString &folder, const QString &name, QChar separator)
{
    // Without a folder the name would hang off the root or the working folder.
    if (folder.isEmpty() || !staysBelow(name))
        return QString();
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + separator + name;
}

QString callable(const QString &path)
{
    // The shorter limit, a new folder's, serves every call; a host path ("/...") is the stand-in's own.
    if (path.size() < MAX_PATH - 12 || path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1String("\\\\?\\")) ||
        path.startsWith(QLatin1String("\\\\.\\")))
        return path;
    if (path.startsWith(QLatin1String("\\\\")))
        return QStringLiteral("\\\\?\\UNC") + path.mid(1);
    // Names joined onto a full path are kept as listed (a trailing dot or blank included); only a path that is
    // not one yet (forward slashes, "." or "..", relative) is first made full, as Windows would make it.
    bool plain = path.size() >= 3 && path.at(1) == QLatin1Char(':') && path.at(2) == QLatin1Char('\\') &&
                 !path.contains(QLatin1Char('/'));
    for (const QLatin1String step : {QLatin1String("\\.\\"), QLatin1String("\\..\\")})
        plain = plain && !path.contains(step);
    plain = plain && !path.endsWith(QLatin1String("\\.")) && !path.endsWith(QLatin1String("\\.."));
    if (plain)
        return QStringLiteral("\\\\?\\") + path;
    std::vector<WCHAR> buffer(size_t(path.size()) + MAX_PATH);
    DWORD length = GetFullPathNameW(wstr(path), DWORD(buffer.size()), buffer.data(), nullptr);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetFullPathNameW(wstr(path), DWORD(buffer.size()), buffer.data(), nullptr);
    }
    if (length == 0 || length >= buffer.size())
        return path;
    const QString full = fromWide(buffer.data(), int(length));
    if (full.startsWith(QLatin1String("\\\\")))
        return QStringLiteral("\\\\?\\UNC") + full.mid(1);
    return full.size() >= 3 && full.at(1) == QLatin1Char(':') ? QStringLiteral("\\\\?\\") + full : path;
}

QString shown(const QString &path)
{
    if (path.startsWith(QLatin1String("\\\\?\\UNC\\"), Qt::CaseInsensitive))
        return QLatin1Char('\\') + path.mid(7);
    if (path.startsWith(QLatin1String("\\\\?\\")))
        return path.mid(4);
    return path;
}

} // namespace childpaths
