// The screenshot tour as a program of its own, for people checking the layout: Hushdeck's start-up, then a
// picture of every page and dialog.
//   HushdeckTour OUTDIR [WxH,WxH]   (sizes default to 1024x640,1400x900)
// Exits 0 when every picture and the report were written.
#include "mainwindow.h"
#include "startup.h"
#include "tour.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/images/rocket.ico")));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        QTextStream(stderr) << "usage: HushdeckTour OUTDIR [WxH,WxH]\n";
        return 2;
    }
    const QList<QSize> sizes = Tour::parseSizes(args.size() > 2 ? args.at(2) : QStringLiteral("1024x640,1400x900"));
    if (sizes.isEmpty()) {
        QTextStream(stderr) << "no window size in " << args.at(2) << '\n';
        return 2;
    }

    const std::unique_ptr<MainWindow> window = startMainWindow();
    if (!window)
        return 1;
    QTimer::singleShot(0, window.get(), [&window, dir = args.at(1), sizes] {
        Tour tour(window.get(), dir);
        const bool saved = tour.run(sizes);
        QCoreApplication::exit(saved && tour.shotCount() > 0 ? 0 : 1);
    });
    return app.exec();
}
