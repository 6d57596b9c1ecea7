// The home page: its cards with their texts, images and grid cells, a press anywhere on a card (any button,
// text included) asking for the card's module exactly once, and the main window opening that module.
#include "clickablelabel.h"
#include "homeform.h"
#include "mainwindow.h"
#include "testmachine.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QToolButton>
#include <QtTest>

class TestHomeForm : public QObject
{
    Q_OBJECT

private:
    template <typename T> static T *part(QWidget &form, const QString &name)
    {
        T *w = form.findChild<T *>(name);
        if (!w)
            qWarning() << "missing" << name;
        return w;
    }

    // A press where the user would press: through the window, so the widget on top at that point gets it.
    static void pressOnWindow(QWidget *target, const QPoint &pos, Qt::MouseButton button)
    {
        QWidget *top = target->window();
        QTest::mousePress(top->windowHandle(), button, Qt::NoModifier, target->mapTo(top, pos));
        QTest::mouseRelease(top->windowHandle(), button, Qt::NoModifier, target->mapTo(top, pos));
    }

    static void addCards()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("pageClass");
        QTest::addColumn<QString>("sideButton");
        QTest::newRow("AutoDarkMode") << "AutoDarkMode" << 0 << 0 << "Auto Dark Mode"
                                      << "Automatically change app and system theme mode to light or dark"
                                      << "AutoDark48.png" << 0 << "AutoDarkModeForm"
                                      << "autoDarkButton";
        QTest::newRow("AutoWallpaperChanger")
            << "AutoWallpaperChanger" << 0 << 1 << "Auto Wallpaper Changer"
            << "Updates your background every day or hour with beautiful images from Bing homepage"
            << "WallpaperChanger48.png" << 1 << "AutoWallpaperChangerForm"
            << "autoWallpaperChangerButton";
        QTest::newRow("FolderSizeAnalyzer") << "FolderSizeAnalyzer" << 1 << 0 << "Folder Size Analyzer"
                                            << "Figure out which files or folders who taking up your hard drive space"
                                            << "folder_size_analyzer_48x48.png" << 2 << "DiskUsageForm"
                                            << "diskUsageButton";
        QTest::newRow("FindDuplicate") << "FindDuplicate" << 1 << 1 << "Find Duplicate"
                                       << "Find and remove duplicate files"
                                       << "FileDuplicate48.png" << 3 << "FindDuplicateForm"
                                       << "findDuplicateButton";
        QTest::newRow("MyTrayIcon") << "MyTrayIcon" << 2 << 0 << "My Tray Icon"
                                    << "Special tray icon that helps you quickly access Windows settings"
                                    << "MyTrayIcon48.png" << 12 << "MyTrayIconForm"
                                    << "myTrayIconButton";
        QTest::newRow("ProcessManager") << "ProcessManager" << 2 << 1 << "Process Manager"
                                        << "View detail information about all running processes and change "
                                           "priority level for specified process"
                                        << "ProcessManager48.png" << 11 << "ProcessManagerForm"
                                        << "processManagerButton";
        QTest::newRow("SecureDelete") << "SecureDelete" << 3 << 0 << "Secure Delete"
                                      << "Completely and securely delete sensitive file from your hard drive"
                                      << "SecureDelete48.png" << 4 << "SecureDeleteForm"
                                      << "secureDeleteButton";
        QTest::newRow("Hopsteer") << "Hopsteer" << 3 << 1 << "Smart Shortcut"
                                  << "Automatically specified priority level for your favourite apps"
                                  << "SmartShortcut48.png" << 10 << "SmartShortcutForm"
                                  << "smartShortcutButton";
        QTest::newRow("SystemInformation") << "SystemInformation" << 4 << 0 << "System Information"
                                           << "Show detail information about your system"
                                           << "computing48.png" << 5 << "SystemInfoForm"
                                           << "systemInfoButton";
        QTest::newRow("TrackCleaner") << "TrackCleaner" << 4 << 1 << "Track Cleaner"
                                      << "Protect your privacy by eliminating traces of your digital activities"
                                      << "track_cleaner_48x48.png" << 6 << "TrackCleanerForm"
                                      << "trackCleanerButton";
        QTest::newRow("TransparentTaskbar") << "TransparentTaskbar" << 5 << 0 << "Transparent Taskbar"
                                            << "Make your Windows Taskbar completely transparent"
                                            << "Glasspan48.png" << 7 << "TransparentTaskbarModuleForm"
                                            << "transparentTaskbarButton";
        QTest::newRow("Troubleshooter") << "Troubleshooter" << 5 << 1 << "Troubleshooter "
                                        << "Fix problem with Internet connection, icon, thumbnail, and Microsoft Store"
                                        << "MiscTools48.png" << 8 << "TroubleshooterForm"
                                        << "troubleshooterButton";
        QTest::newRow("Hushdeck") << "Hushdeck" << 6 << 0 << "Hushdeck"
                                  << "Safely and easily explore Windows hidden settings"
                                  << "Hushdeck48.png" << 9 << "HushdeckForm"
                                  << "hushdeckButton";
    }

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void heading()
    {
        HomeForm home;
        QCOMPARE(home.objectName(), QStringLiteral("HomeForm"));
        auto *label = part<QLabel>(home, QStringLiteral("label"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Maintain Your Windows Performance"));
        QCOMPARE(label->font().pointSize(), 14);
        QCOMPARE(label->font().weight(), QFont::Bold);
        // The heading sits above the scrolling grid.
        auto *layout = qobject_cast<QVBoxLayout *>(home.layout());
        QVERIFY(layout);
        QCOMPARE(layout->itemAt(0)->widget(), label);
        QCOMPARE(layout->itemAt(1)->widget(), part<QScrollArea>(home, QStringLiteral("scrollArea")));
    }

    void cards_data() { addCards(); }

    void cards()
    {
        QFETCH(QString, key);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, title);
        QFETCH(QString, description);
        QFETCH(QString, image);

        HomeForm home;
        auto *card = part<QWidget>(home, key + QStringLiteral("Widget"));
        auto *label = part<ClickableLabel>(home, key + QStringLiteral("Label"));
        auto *titleLabel = part<QLabel>(home, key + QStringLiteral("Title"));
        auto *desc = part<QLabel>(home, key + QStringLiteral("Desc"));
        QVERIFY(card && label && titleLabel && desc);
        QCOMPARE(label->parentWidget(), card);
        QCOMPARE(titleLabel->parentWidget(), card);
        QCOMPARE(desc->parentWidget(), card);

        QCOMPARE(card->minimumSize(), QSize(321, 71));
        QCOMPARE(card->maximumSize(), QSize(321, 71));
        QCOMPARE(titleLabel->text(), title);
        QCOMPARE(titleLabel->font().pointSize(), 10);
        QCOMPARE(titleLabel->font().weight(), QFont::Bold);
        // Titles run to the card's right edge, so the host's fonts do not cut them short.
        QCOMPARE(titleLabel->geometry(), QRect(60, 0, 261, 16));
        QVERIFY(titleLabel->width() >= titleLabel->sizeHint().width());
        QCOMPARE(desc->text(), description);
        QVERIFY(desc->wordWrap());
        QCOMPARE(desc->geometry().topLeft(), QPoint(60, 20));

        QCOMPARE(label->geometry(), QRect(0, 0, 321, 71));
        QVERIFY(label->text().isEmpty());
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        const QImage expected(QStringLiteral(":/resources/images/") + image);
        QVERIFY(!expected.isNull());
        QCOMPARE(label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                 expected.convertToFormat(QImage::Format_ARGB32));

        // The clickable label is on top of the texts, so the whole card answers a press.
        QCOMPARE(card->childAt(titleLabel->geometry().center()), label);
        QCOMPARE(card->childAt(desc->geometry().center()), label);

        auto *grid =
            qobject_cast<QGridLayout *>(part<QWidget>(home, QStringLiteral("scrollAreaWidgetContents"))->layout());
        QVERIFY(grid);
        int r = -1, c = -1, rs = 0, cs = 0;
        grid->getItemPosition(grid->indexOf(card), &r, &c, &rs, &cs);
        QCOMPARE(QList<int>({r, c, rs, cs}), QList<int>({row, column, 1, 1}));
    }

    void fillerIsEmptyAndInert()
    {
        HomeForm home;
        home.show();
        QVERIFY(QTest::qWaitForWindowExposed(&home));
        auto *filler = part<QWidget>(home, QStringLiteral("CustomWidget"));
        QVERIFY(filler);
        QVERIFY(filler->children().isEmpty());
        QCOMPARE(filler->minimumSize(), QSize(321, 71));
        QCOMPARE(filler->maximumSize(), QSize(321, 71));
        auto *grid = qobject_cast<QGridLayout *>(filler->parentWidget()->layout());
        int r = -1, c = -1, rs = 0, cs = 0;
        grid->getItemPosition(grid->indexOf(filler), &r, &c, &rs, &cs);
        QCOMPARE(r, 6);
        QCOMPARE(c, 1);
        // Thirteen cards and the filler, nothing else in the grid.
        QCOMPARE(grid->count(), 14);

        QSignalSpy spy(&home, &HomeForm::openModule);
        part<QScrollArea>(home, QStringLiteral("scrollArea"))->ensureWidgetVisible(filler);
        pressOnWindow(filler, QPoint(30, 30), Qt::LeftButton);
        QCOMPARE(spy.count(), 0);
    }

    void pressOpensTheCardsModuleOnce_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("where");
        QTest::addColumn<Qt::MouseButton>("button");
        // Every card with the left button on its image, and a spread of cards pressed on their texts and
        // with the other buttons.
        const QList<QPair<QString, int>> all = {
            {"AutoDarkMode", 0},      {"AutoWallpaperChanger", 1}, {"FolderSizeAnalyzer", 2}, {"FindDuplicate", 3},
            {"MyTrayIcon", 12},       {"ProcessManager", 11},      {"SecureDelete", 4},       {"Hopsteer", 10},
            {"SystemInformation", 5}, {"TrackCleaner", 6},         {"TransparentTaskbar", 7}, {"Troubleshooter", 8},
            {"Hushdeck", 9}};
        for (const auto &card : all)
            QTest::addRow("%s image left", qPrintable(card.first))
                << card.first << card.second << QStringLiteral("image") << Qt::LeftButton;
        QTest::newRow("AutoDarkMode title right") << "AutoDarkMode" << 0 << "Title" << Qt::RightButton;
        QTest::newRow("AutoDarkMode desc middle") << "AutoDarkMode" << 0 << "Desc" << Qt::MiddleButton;
        QTest::newRow("Hopsteer title left") << "Hopsteer" << 10 << "Title" << Qt::LeftButton;
        QTest::newRow("MyTrayIcon desc right") << "MyTrayIcon" << 12 << "Desc" << Qt::RightButton;
        QTest::newRow("Hushdeck desc middle") << "Hushdeck" << 9 << "Desc" << Qt::MiddleButton;
        QTest::newRow("ProcessManager title right") << "ProcessManager" << 11 << "Title" << Qt::RightButton;
    }

    void pressOpensTheCardsModuleOnce()
    {
        QFETCH(QString, key);
        QFETCH(int, id);
        QFETCH(QString, where);
        QFETCH(Qt::MouseButton, button);

        HomeForm home;
        home.resize(741, 660);
        home.show();
        QVERIFY(QTest::qWaitForWindowExposed(&home));
        auto *card = part<QWidget>(home, key + QStringLiteral("Widget"));
        part<QScrollArea>(home, QStringLiteral("scrollArea"))->ensureWidgetVisible(card);
        const QPoint pos =
            where == QLatin1String("image") ? QPoint(24, 24) : part<QWidget>(home, key + where)->geometry().center();

        QSignalSpy spy(&home, &HomeForm::openModule);
        if (id == 0)
            QTest::ignoreMessage(QtDebugMsg, "on_AutoDarkModeLabel_clicked");
        pressOnWindow(card, pos, button);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), id);
    }

    void labelReportsPressesNotReleases()
    {
        QWidget parent;
        ClickableLabel label(&parent, Qt::Tool);
        QVERIFY(!label.isWindow()); // the flags are not passed on: still a plain child
        QCOMPARE(label.parentWidget(), &parent);
        QSignalSpy spy(&label, &ClickableLabel::clicked);
        QTest::mousePress(&label, Qt::RightButton);
        QCOMPARE(spy.count(), 1);
        QTest::mouseRelease(&label, Qt::RightButton);
        QCOMPARE(spy.count(), 1);
        QTest::mousePress(&label, Qt::MiddleButton);
        QTest::mousePress(&label, Qt::LeftButton);
        QCOMPARE(spy.count(), 3);
    }

    void narrowWindowScrollsTheGrid()
    {
        HomeForm home;
        home.resize(741, 660);
        home.show();
        QVERIFY(QTest::qWaitForWindowExposed(&home));
        auto *area = part<QScrollArea>(home, QStringLiteral("scrollArea"));
        QCOMPARE(area->horizontalScrollBar()->maximum(), 0);
        home.resize(400, 300);
        QTRY_VERIFY(area->horizontalScrollBar()->maximum() > 0);
        QVERIFY(area->verticalScrollBar()->maximum() > 0);
        for (QWidget *card :
             area->widget()->findChildren<QWidget *>(QRegularExpression("Widget$"), Qt::FindDirectChildrenOnly))
            QCOMPARE(card->size(), QSize(321, 71));
    }

    // The same presses through the main window: the card's page is made once, shown, and its side button
    // is the only one checked.
    void mainWindowOpensTheModule_data() { addCards(); }

    void mainWindowOpensTheModule()
    {
        QFETCH(QString, key);
        QFETCH(int, id);
        QFETCH(QString, pageClass);
        QFETCH(QString, sideButton);

        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *home = qobject_cast<HomeForm *>(w.modulePage(MainWindow::HomePage));
        QVERIFY(home);
        auto *card = part<QWidget>(*home, key + QStringLiteral("Widget"));
        part<QScrollArea>(*home, QStringLiteral("scrollArea"))->ensureWidgetVisible(card);
        if (id == 0)
            QTest::ignoreMessage(QtDebugMsg, "on_AutoDarkModeLabel_clicked");
        pressOnWindow(card, QPoint(24, 24), Qt::LeftButton);

        QCOMPARE(w.stack()->count(), 2);
        QWidget *shown = w.stack()->currentWidget();
        QCOMPARE(QString::fromLatin1(shown->metaObject()->className()), pageClass);
        QCOMPARE(w.stack()->currentIndex(), 1);
        QStringList checked;
        for (QToolButton *b : w.findChildren<QToolButton *>())
            if (b->isCheckable() && b->isChecked())
                checked << b->objectName();
        QCOMPARE(checked, QStringList{sideButton});

        // Home again, then the same card: the page made the first time comes back.
        part<QToolButton>(w, QStringLiteral("HomeButton"))->click();
        QCOMPARE(w.stack()->currentWidget(), home);
        if (id == 0)
            QTest::ignoreMessage(QtDebugMsg, "on_AutoDarkModeLabel_clicked");
        pressOnWindow(card, QPoint(24, 24), Qt::LeftButton);
        QCOMPARE(w.stack()->count(), 2);
        QCOMPARE(w.stack()->currentWidget(), shown);
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestHomeForm)
#include "tst_homeform.moc"
