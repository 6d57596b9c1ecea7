#include "mainwindow.h"
#include "startup.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    // The command line goes to Qt alone; the program takes no argument of its own.
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/images/rocket.ico")));

    const std::unique_ptr<MainWindow> window = startMainWindow();
    if (!window)
        return 1; // a machine that cannot be used has been reported to the user; nothing runs on it
    return app.exec();
}
