#include "krutils.h"
#include "mainwindow.h"
#include "startup.h"
#include "tour.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QTimer>

int main(int argc, char *argv[])
{
    // The command line goes to Qt alone; the program takes no argument of its own.
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/images/rocket.ico")));

    // A machine that cannot be used has been reported to the user; nothing runs on it.
    if (!machineUsable())
        return 1;

    recordInstallPath();

    MainWindow window;
    window.setWindowTitle(QStringLiteral("Keelrun Hushdeck Plus! for Windows 10"));

    WCHAR className[1024];
    className[0] = 0;
    window.winId(); // the native window, made as Windows makes it
    GetClassNameW(windowHandle(window.windowHandle()), className, 1024);
    qDebug().noquote() << QStringLiteral("Test: ") + fromWide(className, 1024);

    window.show();

    // HUSHDECK_TOUR=<folder>: save a picture of every page and dialog there, then quit.
    const QString tourDir = qEnvironmentVariable("HUSHDECK_TOUR");
    if (!tourDir.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, tourDir] {
            Tour tour(&window, tourDir);
            const bool saved = tour.run(
                Tour::parseSizes(qEnvironmentVariable("HUSHDECK_TOUR_SIZES", QStringLiteral("1024x640,1400x900"))));
            QCoreApplication::exit(saved && tour.shotCount() > 0 ? 0 : 1);
        });
    }
    return app.exec();
}
