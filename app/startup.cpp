#include "startup.h"

#include "krutils.h"

#include <QCoreApplication>

void recordInstallPath()
{
    KRUtils utils;
    installPath = utils.appPath();
    if (!installPath.isEmpty())
        return; // a recorded "Path" is never rewritten, wherever it points
    // The program's own folder, where the helper program sits beside it; the working folder can be anywhere.
    installPath = fromHostPath(QCoreApplication::applicationDirPath());
    utils.writeRegString(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT), QStringLiteral("Path"),
                         installPath);
}
