// Paths resolved the way Windows resolves them before any file system sees them, in one place that every call
// taking a path goes through (by hostPath()), so that a path never leaves its drive.
#pragma once

#include "linux/machine/w32types.h"

#include <QString>

namespace standin {

// The full path Windows makes of a path, as GetFullPathNameW gives it: a relative, drive-relative ("C:x") or
// root-relative ("\x") path completed from the current folder and its drive, "." and ".." removed (".." at a
// root stays there), runs of separators made one and backslashes written, a folder name's last dot and a final
// name's trailing dots and blanks dropped. A "\\?\X:\" path keeps its prefix and drive, the rest resolved so;
// a host path ("/...", as Qt gives one) becomes the Windows path of what it names on the host.
QString fullPath(const QString &path);

// The host path a path names once resolved so; false, with the error Windows gives, where it names none: a
// drive that is not there (ERROR_PATH_NOT_FOUND), a "\\?\" path with a name no file may have, such as "..",
// (ERROR_INVALID_NAME).
bool hostPathOf(const QString &path, QString *host, DWORD *error);

} // namespace standin
