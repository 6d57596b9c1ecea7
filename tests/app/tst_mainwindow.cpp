// The main window: pages made on first opening at the next stack position, the side buttons' checked
// states, the close protocol with its save question and busy modules, and the recorded install folder.
#include "diskusageform.h"
#include "findduplicateform.h"
#include "homeform.h"
#include "hushdeckform.h"
#include "krutils.h"
#include "mainwindow.h"
#include "startup.h"
#include "testmachine.h"
#include "trackcleanerform.h"

#include <QScreen>
#include <QStackedLayout>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    QToolButton *button(MainWindow &w, const char *name) { return w.findChild<QToolButton *>(QLatin1String(name)); }
    void click(MainWindow &w, const char *name) { button(w, name)->click(); }
    QStringList checkedButtons(MainWindow &w)
    {
        QStringList out;
        for (QToolButton *b : w.findChildren<QToolButton *>())
            if (b->isCheckable() && b->isChecked())
                out << b->objectName();
        return out;
    }

private slots:
    void init() { m.reset(new TestMachine); }

    // The window functions answer for the program's own windows as Windows answers for a Qt window: with the
    // class Qt registered it with, which the start-up's "Test: " line names.
    void windowClassIsQts_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("main window") << int(Qt::Window) << "QWindowIcon";
        QTest::newRow("tool window") << int(Qt::Tool) << "QWindowToolSaveBits";
        QTest::newRow("popup") << int(Qt::Popup) << "QWindowPopupDropShadowSaveBits";
        QTest::newRow("dialog without system menu") << int(Qt::Dialog) << "QWindow";
    }
    void windowClassIsQts()
    {
        QFETCH(int, flags);
        QFETCH(QString, suffix);
        MainWindow main;
        QWindow window;
        window.setFlags(Qt::WindowFlags(flags));
        window.setTitle(QStringLiteral("Probe"));
        main.winId(); // its native window, as main() makes it
        QWindow *const windows[] = {&window, main.windowHandle()};
        const QString prefix =
            QStringLiteral("Qt%1%2%3").arg(QT_VERSION_MAJOR).arg(QT_VERSION_MINOR).arg(QT_VERSION_PATCH);
        for (QWindow *w : windows) {
            const HWND hwnd = windowHandle(w);
            QVERIFY(hwnd && windowHandle(w) == hwnd); // one handle per window
            WCHAR name[1024];
            const QString expected = prefix + (w == &window ? suffix : QStringLiteral("QWindowIcon"));
            QCOMPARE(GetClassNameW(hwnd, name, 1024), int(expected.size()));
            QCOMPARE(fromWide(name, 1024), expected);
        }
        QCOMPARE(FindWindowW(wstr(prefix + suffix), WSTR("Probe")), windowHandle(&window));
    }
    void cleanup() { m.reset(); }

    void layout()
    {
        MainWindow w;
        // The test screen is narrower than the whole home page: the window takes its full width.
        const QSize free = w.screen()->availableGeometry().size();
        QCOMPARE(w.width(), free.width());
        QVERIFY(w.height() >= 513 && w.height() <= free.height());
        QStringList visible;
        for (QToolButton *b :
             w.findChild<QWidget *>(QStringLiteral("scrollAreaWidgetContents"))->findChildren<QToolButton *>())
            if (!b->isHidden())
                visible << b->text();
        QCOMPARE(visible.size(), 14);
        QCOMPARE(visible.at(2), QStringLiteral("Auto \nWallpaper Changer"));
        QCOMPARE(visible.at(12), QStringLiteral("Troubleshooter "));
        QVERIFY(button(w, "miscToolsButton")->isHidden());
        QCOMPARE(checkedButtons(w), QStringList{QStringLiteral("HomeButton")});
        auto *toolbar = w.findChild<QToolBar *>(QStringLiteral("toolbar"));
        QVERIFY(toolbar);
        QStringList actions;
        for (QAction *a : toolbar->actions())
            actions << (a->isSeparator() ? QStringLiteral("|") : a->text());
        QCOMPARE(actions, (QStringList{"Check Update", "|", "About"}));
        QVERIFY(qobject_cast<HomeForm *>(w.modulePage(MainWindow::HomePage)));
        QCOMPARE(w.stack()->count(), 1);
    }

    void pagesTakePositionsInOrderOfFirstOpening()
    {
        MainWindow w;
        click(w, "trackCleanerButton");
        click(w, "HomeButton");
        click(w, "findDuplicateButton");
        QCOMPARE(w.stackPosition(MainWindow::TrackCleanerPage), 1);
        QCOMPARE(w.stackPosition(MainWindow::FindDuplicatePage), 2);
        QCOMPARE(w.stack()->count(), 3);
        QCOMPARE(w.stack()->currentWidget(), w.modulePage(MainWindow::FindDuplicatePage));
        QWidget *tracks = w.modulePage(MainWindow::TrackCleanerPage);
        click(w, "trackCleanerButton");
        QCOMPARE(w.stack()->count(), 3);
        QCOMPARE(w.modulePage(MainWindow::TrackCleanerPage), tracks);
        QCOMPARE(w.stack()->currentIndex(), 1);
        QCOMPARE(w.stack()->widget(1), tracks);
        QCOMPARE(checkedButtons(w), QStringList{QStringLiteral("trackCleanerButton")});
        // Never-opened pages stay without a position.
        QCOMPARE(w.stackPosition(MainWindow::SecureDeletePage), -1);
        QVERIFY(!w.modulePage(MainWindow::SecureDeletePage));
    }

    void clickingTheShownPageOnlyTogglesItsButton()
    {
        MainWindow w;
        click(w, "systemInfoButton");
        QCOMPARE(checkedButtons(w), QStringList{QStringLiteral("systemInfoButton")});
        const int before = w.stack()->currentIndex();
        click(w, "systemInfoButton");
        QCOMPARE(w.stack()->currentIndex(), before);
        QCOMPARE(w.stack()->count(), 2);
        QVERIFY(checkedButtons(w).isEmpty());
    }

    void homeCards_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("page");
        QTest::newRow("0") << 0 << "autoDarkButton" << int(MainWindow::AutoDarkPage);
        QTest::newRow("1") << 1 << "autoWallpaperChangerButton" << int(MainWindow::AutoWallpaperChangerPage);
        QTest::newRow("2") << 2 << "diskUsageButton" << int(MainWindow::DiskUsagePage);
        QTest::newRow("3") << 3 << "findDuplicateButton" << int(MainWindow::FindDuplicatePage);
        QTest::newRow("4") << 4 << "secureDeleteButton" << int(MainWindow::SecureDeletePage);
        QTest::newRow("5") << 5 << "systemInfoButton" << int(MainWindow::SystemInfoPage);
        QTest::newRow("6") << 6 << "trackCleanerButton" << int(MainWindow::TrackCleanerPage);
        QTest::newRow("7") << 7 << "transparentTaskbarButton" << int(MainWindow::TransparentTaskbarPage);
        QTest::newRow("8") << 8 << "troubleshooterButton" << int(MainWindow::TroubleshooterPage);
        QTest::newRow("9") << 9 << "hushdeckButton" << int(MainWindow::HushdeckPage);
        QTest::newRow("10") << 10 << "smartShortcutButton" << int(MainWindow::SmartShortcutPage);
        QTest::newRow("11") << 11 << "processManagerButton" << int(MainWindow::ProcessManagerPage);
        QTest::newRow("12") << 12 << "myTrayIconButton" << int(MainWindow::MyTrayIconPage);
    }

    void homeCards()
    {
        QFETCH(int, id);
        QFETCH(QString, button);
        QFETCH(int, page);
        MainWindow w;
        click(w, "processManagerButton"); // something else checked first
        auto *home = static_cast<HomeForm *>(w.modulePage(MainWindow::HomePage));
        emit home->openModule(id);
        QCOMPARE(checkedButtons(w), QStringList{button});
        QVERIFY(w.modulePage(MainWindow::Page(page)));
        QCOMPARE(w.stack()->currentWidget(), w.modulePage(MainWindow::Page(page)));
        emit home->openModule(id); // a second time: the same page, no new one
        QCOMPARE(w.stack()->count(), id == 11 ? 2 : 3);
        emit home->openModule(13);
        emit home->openModule(-1);
        QCOMPARE(w.stack()->currentWidget(), w.modulePage(MainWindow::Page(page)));
    }

    void miscToolsIsReachedOnlyByItsHiddenButton()
    {
        MainWindow w;
        click(w, "miscToolsButton");
        QVERIFY(w.modulePage(MainWindow::MiscToolsPage));
        QCOMPARE(w.stackPosition(MainWindow::MiscToolsPage), 1);
    }

    void closingWithOnlyTheHomePageClosesAtOnce()
    {
        MainWindow w;
        w.show();
        QVERIFY(w.close());
        QVERIFY(m->logged(QStringLiteral("MessageBox")).isEmpty());
    }

    void saveQuestionAndBusyFindDuplicate()
    {
        MainWindow w;
        w.show();
        click(w, "hushdeckButton");
        click(w, "findDuplicateButton");
        auto *catalog = static_cast<HushdeckForm *>(w.modulePage(MainWindow::HushdeckPage));
        auto *finder = static_cast<FindDuplicateForm *>(w.modulePage(MainWindow::FindDuplicatePage));
        catalog->saveAction->setEnabled(true);
        finder->busy = true;

        m->answerMessageBox(QStringLiteral("IDNO"));
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QVERIFY(finder->closePending);
        QCOMPARE(m->logged(QStringLiteral("MessageBox")).size(), 1);
        QVERIFY(m->logged(QStringLiteral("MessageBox")).first().contains(QStringLiteral("Confirm Save Changes")));
        QVERIFY(catalog->saveAction->isEnabled());

        // The scan ends: the page clears its flag and reports; the question comes again and the window closes.
        finder->busy = false;
        m->answerMessageBox(QStringLiteral("IDYES"));
        emit finder->closeApp();
        QVERIFY(!w.isVisible());
        QCOMPARE(m->logged(QStringLiteral("MessageBox")).size(), 2);
        QVERIFY(!catalog->saveAction->isEnabled()); // Yes saved
    }

    void busyAnalyzerKeepsTheWindowOpen_data()
    {
        QTest::addColumn<bool>("scan");
        QTest::addColumn<bool>("clearRam");
        QTest::newRow("scan") << true << false;
        QTest::newRow("freeing memory") << false << true;
        QTest::newRow("both") << true << true;
    }

    void busyAnalyzerKeepsTheWindowOpen()
    {
        QFETCH(bool, scan);
        QFETCH(bool, clearRam);
        MainWindow w;
        w.show();
        click(w, "diskUsageButton");
        click(w, "trackCleanerButton");
        auto *analyzer = static_cast<DiskUsageForm *>(w.modulePage(MainWindow::DiskUsagePage));
        auto *tracks = static_cast<TrackCleanerForm *>(w.modulePage(MainWindow::TrackCleanerPage));
        analyzer->busy = scan;
        analyzer->clearing = clearRam;
        QVERIFY(!w.close());
        QVERIFY(analyzer->closePending);
        QVERIFY(!tracks->closePending); // an idle module is not asked
        analyzer->busy = false;
        analyzer->clearing = false;
        emit analyzer->closeApp();
        QVERIFY(!w.isVisible());
        QVERIFY(m->logged(QStringLiteral("MessageBox")).isEmpty());
    }

    void installPathIsRecordedOnce()
    {
        KRUtils u;
        recordInstallPath();
        // The folder as the Win32 functions name it (the host's root is drive Z:), in Qt's form.
        QCOMPARE(installPath,
                 fromHostPath(QCoreApplication::applicationDirPath()).replace(QLatin1Char('\\'), QLatin1Char('/')));
        QVERIFY(installPath.startsWith(QStringLiteral("Z:/")));
        QCOMPARE(u.appPath(), installPath);

        u.writeRegString(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT), QStringLiteral("Path"),
                         QStringLiteral("/elsewhere/entirely"));
        recordInstallPath();
        QCOMPARE(installPath, QStringLiteral("/elsewhere/entirely"));
        QCOMPARE(u.appPath(), QStringLiteral("/elsewhere/entirely"));
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
