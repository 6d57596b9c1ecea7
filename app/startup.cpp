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
    // Stored in Qt's form ("Z:/..."), as Qt names a folder on Windows; the Run values are built from it.
    installPath = fromHostPath(QCoreApplication::applicationDirPath()).replace(QLatin1Char('\\'), QLatin1Char('/'));
    utils.writeRegString(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT), QStringLiteral("Path"),
                         installPath);
}
