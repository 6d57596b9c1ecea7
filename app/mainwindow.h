// The main window: a toolbar, a side panel of module buttons and a stack of module pages. Pages are made
// the first time they are opened and kept; closing asks to save catalogue changes and waits for busy
// modules to stop.
#pragma once

#include <QMainWindow>

class QStackedLayout;
class QToolButton;
class HomeForm;
class HushdeckForm;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The pages in side-panel order; the Miscellaneous Tools page has a hidden button of its own.
    enum Page {
        HomePage,
        AutoDarkPage,
        AutoWallpaperChangerPage,
        DiskUsagePage,
        FindDuplicatePage,
        MyTrayIconPage,
        ProcessManagerPage,
        SecureDeletePage,
        SmartShortcutPage,
        SystemInfoPage,
        TrackCleanerPage,
        TransparentTaskbarPage,
        TroubleshooterPage,
        HushdeckPage,
        MiscToolsPage,
        PageCount
    };

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Stack position of a page, -1 until it is first opened; the page itself, null until then.
    int stackPosition(Page p) const { return pageIndex[p]; }
    QWidget *modulePage(Page p) const { return page[p]; }
    int shownIndex() const { return currentIndex; }
    QStackedLayout *stack() const { return stackedLayout; }

public slots:
    void OnUpdate(bool checked = false);
    void OnAbout(bool checked = false);
    void OnCloseApp();
    void onOpenModule(int id);
    void enableSaveButton();
    void disableSaveButton();

    void on_HomeButton_clicked();
    void on_autoDarkButton_clicked();
    void on_autoWallpaperChangerButton_clicked();
    void on_diskUsageButton_clicked();
    void on_findDuplicateButton_clicked();
    void on_myTrayIconButton_clicked();
    void on_processManagerButton_clicked();
    void on_secureDeleteButton_clicked();
    void on_smartShortcutButton_clicked();
    void on_systemInfoButton_clicked();
    void on_trackCleanerButton_clicked();
    void on_transparentTaskbarButton_clicked();
    void on_troubleshooterButton_clicked();
    void on_hushdeckButton_clicked();
    void on_miscToolsButton_clicked();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void openPage(Page p);
    void showModule(int index);
    void showCurrentPage();
    void createHomePage();
    void createCatalogPage();
    void uncheckOtherButtons(int index);
    QWidget *createModulePage(Page p);
    QToolButton *sideButton(Page p) const;
    void fitSidePanel();
    // The size the window opens at: the whole home page, within the screen's free area.
    QSize firstWindowSize();

    Ui::MainWindow *ui;
    int pageIndex[PageCount];
    int currentIndex = 0;
    int lastIndex = 0;
    QWidget *page[PageCount];
    QStackedLayout *stackedLayout = nullptr;
};
