// Joining a listed name onto its folder. A listed name is one entry of its folder; a name that is empty, "."
// or "..", or that holds a separator or a drive colon, would name another place, and a tool that deletes or
// shreds it would reach outside what the user chose. No listing of the system gives such a name (a host name
// that Windows could not hold is listed mapped), so one that turns up is refused, never followed.
#pragma once

#include <QString>

namespace childpaths {

// True for "." and "..", which a folder's listing gives for the folder itself and its parent.
bool isSelfOrParent(const QString &name);

// True when name, joined to a folder, names an entry of that folder.
bool staysBelow(const QString &name);

// folder, one separator (none more after a folder that ends with one) and name; "" when name would not stay
// below folder or folder is empty. A wildcard pattern ("*", "*.*") is a name here.
QString join(const QString &folder, const QString &name, QChar separator = QLatin1Char('/'));

// The form of a full path that every file call takes whatever its length. The program declares no long-path
// support, so Windows refuses a plain path of MAX_PATH characters or more (a new folder's of MAX_PATH - 12), and
// a deep tree's files are reached only as "\\?\C:\..." (or "\\?\UNC\server\share\..."), which is taken as
// written: the path itself where it is short enough, or is no Windows path.
QString callable(const QString &path);

// A path as the user sees it: without the "\\?\" prefix the system may give it.
QString shown(const QString &path);

} // namespace childpaths
