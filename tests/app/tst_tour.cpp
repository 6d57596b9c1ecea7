// The screenshot tour: one picture of every page, catalogue tab, setting page and dialog, and a report that
// finds texts cut short and designer placeholders.
#include "hushdeckform.h"
#include "layoutchecks.h"
#include "mainwindow.h"
#include "startup.h"
#include "testmachine.h"
#include "tour.h"

#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <functional>

// What a test breaks in the window before the tour walks it.
using Fault = std::function<void(MainWindow &)>;

class TestTour : public QObject
{
    Q_OBJECT

private slots:
    // The test machine keeps Check for Updates, shown on the tour, off the internet.
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void picturesOfEverything()
    {
        QTemporaryDir out;
        MainWindow w;
        w.setWindowTitle(mainWindowTitle()); // as the program titles it
        w.show();
        Tour tour(&w, out.path());
        QVERIFY(tour.run({QSize(1024, 640), QSize(1400, 900)}));
        // At both sizes the scripts take, nothing is cut short and no placeholder shows.
        QVERIFY2(tour.findings().isEmpty(), qPrintable(tour.findings().join(QLatin1Char('\n'))));

        const QStringList files = QDir(out.path()).entryList({QStringLiteral("*.png")}, QDir::Files);
        QCOMPARE(files.size(), tour.shotCount());
        for (const QString &file : files) {
            const QImage picture(QDir(out.path()).filePath(file));
            QVERIFY2(!picture.isNull() && picture.width() > 50 && picture.height() > 50, qPrintable(file));
            if (file.startsWith(QLatin1String("1024x640-page-")) && file.count(QLatin1Char('-')) == 2)
                QCOMPARE(picture.size() / picture.devicePixelRatio(), QSize(1024, 640));
        }

        // Every module page was opened, also the one without a visible side button.
        for (int p = 0; p < MainWindow::PageCount; ++p)
            QVERIFY2(w.modulePage(MainWindow::Page(p)), qPrintable(QString::number(p)));

        // One picture per setting page the catalogue shows, counted from the pages themselves.
        auto *catalogue = qobject_cast<HushdeckForm *>(w.modulePage(MainWindow::HushdeckPage));
        QVERIFY(catalogue);
        int placed = 0;
        for (QWidget *page : catalogue->findChildren<QWidget *>())
            placed += page->inherits("SettingPage");
        QVERIFY(placed > 30);
        const QStringList catalogueTabs =
            files.filter(QRegularExpression(QStringLiteral("^1024x640-page-hushdeck-[a-z-]+\\.png$")));
        QCOMPARE(catalogueTabs.size(), 8 + placed);

        for (const char *name :
             {"page-home", "page-misc-tools", "page-disk-usage-special-folders", "about", "check-update",
              "review-changes", "restore-backup", "folder-size-details", "folder-size-options", "cancel-changes",
              "find-duplicate-options", "find-duplicate-custom-file-type", "secure-delete-options",
              "process-manager-more-info", "process-manager-set-priority", "track-cleaner-details"})
            QVERIFY2(files.contains(QStringLiteral("1024x640-%1.png").arg(QLatin1String(name))), name);
    }

    // The developer program takes the same pictures after Hushdeck's own start-up, at the sizes
    // scripts/screenshots.sh runs it at, inside the program's event loop; the program users get carries none
    // of the tour.
    void programTakesTheSamePictures()
    {
        QTemporaryDir inProcess, program;
        {
            MainWindow w;
            w.show();
            QVERIFY(Tour(&w, inProcess.path()).run({QSize(1024, 640), QSize(1400, 900)}));
        }
        QProcess tour;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
        tour.setProcessEnvironment(env);
        tour.start(QStringLiteral(HUSHDECK_TOUR_PROGRAM), {program.path(), QStringLiteral("1024x640,1400x900")});
        QVERIFY(tour.waitForFinished(120000));
        QCOMPARE(tour.exitStatus(), QProcess::NormalExit);
        QFile report(QDir(program.path()).filePath(QStringLiteral("tour-report.txt")));
        QVERIFY(report.open(QIODevice::ReadOnly));
        QVERIFY2(tour.exitCode() == 0, report.readAll().constData());
        // Debug lines go to the debug output, the start-up's one naming the main window's class; none of them
        // reaches the standard output.
        const QByteArray debug = tour.readAllStandardError();
        QVERIFY2(QRegularExpression(QStringLiteral("(^|\n)Test: Qt\\d+QWindowIcon\n"))
                     .match(QString::fromUtf8(debug))
                     .hasMatch(),
                 debug.constData());
        QVERIFY(!tour.readAllStandardOutput().split('\n').contains("true"));
        const QStringList pictures = QDir(program.path()).entryList({QStringLiteral("*.png")}, QDir::Files);
        QCOMPARE(pictures, QDir(inProcess.path()).entryList({QStringLiteral("*.png")}, QDir::Files));

        QFile hushdeck(qEnvironmentVariable("HUSHDECK_INSTALL") + QStringLiteral("/Hushdeck"));
        QVERIFY(hushdeck.open(QIODevice::ReadOnly));
        const QByteArray image = hushdeck.readAll();
        QVERIFY(image.size() > 100000);
        for (const char *trace : {"HUSHDECK_TOUR", "tour-report.txt", "grows the window to"})
            QVERIFY2(!image.contains(trace), trace);
    }

    // Each kind of fault is reported, with the picture it is in.
    void reportFinds_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("expected"); // a pattern of the report's line
        const QSize size(1400, 900);
        QTest::newRow("text cut short") << Fault([](MainWindow &w) {
            w.findChild<QLabel *>(QStringLiteral("AutoDarkModeTitle"))->setFixedWidth(30);
        }) << size << QStringLiteral("^1400x900  page-home: QLabel AutoDarkModeTitle \"Auto Dark Mode\" needs \\d+ px");
        QTest::newRow("placeholder text") << Fault([](MainWindow &w) {
            w.findChild<QToolButton *>(QStringLiteral("findDuplicateButton"))->setText(QStringLiteral("ToolButton"));
        }) << size << QStringLiteral("QToolButton findDuplicateButton \"ToolButton\" is a placeholder$");
        // A blank card that names what it stands for, in the house colours.
        QTest::newRow("placeholder picture") << Fault([](MainWindow &w) {
            QPixmap card(240, 150);
            card.fill(QColor(0xF8FAFC));
            QPainter p(&card);
            p.setPen(QColor(0xCBD5E1));
            p.drawRect(0, 0, 239, 149);
            p.setPen(QColor(0x64748B));
            p.drawText(card.rect(), Qt::AlignCenter, QStringLiteral("Tray icon menu"));
            p.end();
            w.findChild<QLabel *>(QStringLiteral("AutoDarkModeTitle"))->setPixmap(card);
        }) << size << QStringLiteral("page-home: QLabel AutoDarkModeTitle \"240x150 picture\" is a placeholder card$");
        // A column the user narrowed keeps its width, beside a value column with room to give.
        QTest::newRow("cell cut beside room")
            << Fault([](MainWindow &w) {
                   w.findChild<QToolButton *>(QStringLiteral("systemInfoButton"))->click();
                   QCoreApplication::processEvents();
                   w.findChild<QTreeView *>(QStringLiteral("windowsTreeView"))->header()->resizeSection(0, 40);
               })
            << size
            << QStringLiteral("page-system-info: QTreeView windowsTreeView \"Field\" column cuts \"[^\"]+\" by \\d+ px "
                              "beside \\d+ px of room$");
        QTest::newRow("page taller than the window")
            << Fault([](MainWindow &w) { w.modulePage(MainWindow::HomePage)->setMinimumHeight(1000); }) << size
            << QStringLiteral(
                   "^1400x900  page-home: MainWindow MainWindow \"page-home\" grows the window to 1400x\\d+$");
        QTest::newRow("dialog larger than the window")
            << Fault([](MainWindow &) {}) << QSize(300, 200)
            << QStringLiteral("^300x200  about: AboutDialog \\w+ \"[^\"]*\" is \\d+x\\d+, larger than the window$");
    }
    void reportFinds()
    {
        QFETCH(Fault, fault);
        QFETCH(QSize, size);
        QFETCH(QString, expected);
        QTemporaryDir out;
        MainWindow w;
        w.show();
        fault(w);
        Tour tour(&w, out.path());
        QVERIFY(tour.run({size}));
        const QString report = tour.findings().join(QLatin1Char('\n'));
        const QRegularExpression line(expected, QRegularExpression::MultilineOption);
        QVERIFY2(line.match(report).hasMatch(), qPrintable(report));

        QFile file(QDir(out.path()).filePath(QStringLiteral("tour-report.txt")));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.mid(1), tour.findings());
        QVERIFY(lines.first().startsWith(QString::number(tour.findings().size()) + QLatin1Char(' ')));
    }

    // A picture at one size does not depend on the sizes walked before it: the catalogue's tabs start at their
    // top however far the smaller window's walk scrolled them.
    void picturesIndependentOfEarlierSizes()
    {
        QTemporaryDir both, alone;
        {
            MainWindow w;
            w.show();
            QVERIFY(Tour(&w, both.path()).run({QSize(1024, 640), QSize(1400, 900)}));
        }
        {
            MainWindow w;
            w.show();
            QVERIFY(Tour(&w, alone.path()).run({QSize(1400, 900)}));
        }
        const QStringList tabs = QDir(alone.path()).entryList({QStringLiteral("1400x900-page-hushdeck-*.png")});
        QVERIFY(tabs.size() > 8);
        for (const QString &file : tabs) {
            const QImage a(QDir(alone.path()).filePath(file)), b(QDir(both.path()).filePath(file));
            QVERIFY2(!a.isNull() && a == b, qPrintable(file));
        }
    }

    void hostPathsAreFound_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("host");
        QTest::newRow("host program") << "/usr/bin/bash" << true;
        QTest::newRow("in a sentence") << "Cannot open (/var/log/x.log)." << true;
        QTest::newRow("machine folder") << "Folder: {m}" << true;
        QTest::newRow("temporary folder, Windows separators") << "{t}\\x" << true;
        QTest::newRow("profile") << "C:\\Users\\User\\Documents" << false;
        QTest::newRow("other drive") << "Z:\\usr\\bin\\bash" << false;
        QTest::newRow("drive as QFileInfo gives it") << "Z:/usr/bin/bash" << false;
        QTest::newRow("temporary folder on drive Z:") << "Z:{t}/build/x" << false;
        QTest::newRow("temporary folder, and again without a drive") << "Z:{t}/x {t}/y" << true;
        QTest::newRow("web address") << "https://www.example.com/a/b" << false;
        QTest::newRow("words") << "and/or 1/2 read/write" << false;
    }
    void hostPathsAreFound()
    {
        QFETCH(QString, text);
        QFETCH(bool, host);
        const QString machine = QDir::cleanPath(m->folder());
        const QStringList folders = {QDir::cleanPath(QDir::tempPath()) + QStringLiteral("-elsewhere"), machine};
        text.replace(QLatin1String("{m}"), machine);
        text.replace(QLatin1String("{t}"), folders.first());
        QCOMPARE(LayoutChecks::showsHostPath(text, folders), host);
    }

    // A page that shows a host path fails the tour.
    void tourReportsHostPath()
    {
        QTemporaryDir out;
        MainWindow w;
        w.show();
        auto *title = w.findChild<QLabel *>(QStringLiteral("AutoDarkModeTitle"));
        QVERIFY(title);
        title->setText(m->folder() + QStringLiteral("/drive_c"));
        Tour tour(&w, out.path());
        QVERIFY(tour.run({QSize(1400, 900)}));
        QVERIFY2(tour.findings().join(QLatin1Char('\n')).contains(QStringLiteral("AutoDarkModeTitle")) &&
                     tour.findings().join(QLatin1Char('\n')).contains(QStringLiteral("shows a host path")),
                 qPrintable(tour.findings().join(QLatin1Char('\n'))));
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestTour)
#include "tst_tour.moc"
