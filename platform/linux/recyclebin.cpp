// The Recycle Bin of the stand-in is the host's trash: what the user chose to remove can be taken back from
// the desktop's trash. What the machine marks (a locked or vanished file) is refused as Windows refuses it.
#include "../win32.h"
#include "filefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

bool moveToRecycleBin(const QString &path)
{
    const QString host = QFileInfo(hostPath(path)).absoluteFilePath();
    const QString fault = filefaults::fault(host);
    if (fault == QLatin1String("locked")) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return false;
    }
    if (fault == QLatin1String("vanish")) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    // Without the data folder the desktop's trash cannot be made, and the move would land in the current
    // folder instead.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (!QFile::moveToTrash(host)) {
        SetLastError(QFileInfo::exists(host) ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
        return false;
    }
    return true;
}
