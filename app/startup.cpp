#include "startup.h"

#include "krutils.h"
#include "mainwindow.h"

#include <QCoreApplication>
#include <QDebug>

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

QString mainWindowTitle()
{
    return QStringLiteral(HUSHDECK_PRODUCT_NAME " for Windows 10");
}

std::unique_ptr<MainWindow> startMainWindow()
{
    if (!machineUsable())
        return nullptr;

    recordInstallPath();

    auto window = std::make_unique<MainWindow>();
    window->setWindowTitle(mainWindowTitle());

    WCHAR className[1024];
    className[0] = 0;
    GetClassNameW(reinterpret_cast<HWND>(window->winId()), className, 1024);
    qDebug().noquote() << QStringLiteral("Test: ") + fromWide(className, 1024);

    window->show();
    return window;
}
