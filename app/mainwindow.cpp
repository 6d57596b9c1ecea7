#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "aboutdialog.h"
#include "autodarkmodeform.h"
#include "autowallpaperchangerform.h"
#include "checkupdatedialog.h"
#include "diskusageform.h"
#include "findduplicateform.h"
#include "homeform.h"
#include "krutils.h"
#include "hushdeckform.h"
#include "misctoolsform.h"
#include "mytrayiconform.h"
#include "processmanagerform.h"
#include "securedeleteform.h"
#include "smartshortcutform.h"
#include "systeminfoform.h"
#include "trackcleanerform.h"
#include "transparenttaskbarmoduleform.h"
#include "troubleshooterform.h"
#include "win32.h"

#include <QAction>
#include <QCloseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QDebug>
#include <QStackedLayout>
#include <QToolBar>

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    for (int i = 0; i < PageCount; ++i) {
        pageIndex[i] = -1;
        page[i] = nullptr;
    }
    pageIndex[HomePage] = 0;
    currentIndex = 0;
    lastIndex = 0;

    restartExplorerPending = false;

    auto *updateAction = new QAction(QIcon(QStringLiteral(":/resources/images/Update24.png")),
                                     QCoreApplication::translate("MainWindow", "Check Update"), this);
    auto *aboutAction = new QAction(QIcon(QStringLiteral(":/resources/images/About24.png")),
                                    QCoreApplication::translate("MainWindow", "About"), this);
    connect(updateAction, &QAction::triggered, this, &MainWindow::OnUpdate);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::OnAbout);
    QToolBar *toolbar = addToolBar(QCoreApplication::translate("MainWindow", "Tabs toolbar"));
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setOrientation(Qt::Horizontal);
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar->setIconSize(QSize(24, 24));
    toolbar->addAction(updateAction);
    toolbar->addSeparator();
    toolbar->addAction(aboutAction);

    ui->buttonsLayout->setAlignment(Qt::AlignTop);
    // Only the Miscellaneous Tools module has no way in from the side panel.
    ui->miscToolsButton->hide();

    stackedLayout = new QStackedLayout;
    createHomePage();
    ui->centralLayout->addLayout(stackedLayout, 0);

    fitSidePanel();
    // A window made lower keeps the selected button in view.
    ui->scrollArea->viewport()->installEventFilter(this);
    resize(firstWindowSize());
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Once the scroll area has taken its new size and ranges, which it does after this filter.
    if (watched == ui->scrollArea->viewport() && event->type() == QEvent::Resize) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                for (int i = 0; i < PageCount; ++i)
                    if (pageIndex[i] == currentIndex)
                        ui->scrollArea->ensureWidgetVisible(sideButton(Page(i)));
            },
            Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::fitSidePanel()
{
    // Every button as wide as the widest needs in the host's fonts, and the panel as wide as they are, with
    // room for the scroll bar that shows when the window is too low for all of them.
    int width = 0;
    for (int i = 0; i < PageCount; ++i)
        width = qMax(width, sideButton(Page(i))->sizeHint().width());
    for (int i = 0; i < PageCount; ++i)
        sideButton(Page(i))->setFixedWidth(width);
    const QMargins buttons = ui->buttonsLayout->contentsMargins();
    const QMargins panel = ui->sidePanelLayout->contentsMargins();
    ui->sidePanelWidget->setFixedWidth(
        width + buttons.left() + buttons.right() + 2 * ui->scrollArea->frameWidth() +
        style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ui->scrollArea->verticalScrollBar()) + panel.left() +
        panel.right());
}

QSize MainWindow::firstWindowSize()
{
    // The least size at which the home page shows every card, found through the window's own layouts; the
    // form's size is the least the window opens at, and the screen's free area the most.
    auto *home = static_cast<HomeForm *>(page[HomePage]);
    // The window's layout keeps the central widget's sizes until told they changed.
    auto relayout = [this] {
        ui->centralLayout->invalidate();
        centralWidget()->updateGeometry();
        layout()->invalidate();
    };
    const QSize kept = home->minimumSize();
    home->setMinimumSize(home->sizeShowingAllCards());
    relayout();
    QSize wanted = minimumSizeHint().expandedTo(size());
    home->setMinimumSize(kept);
    relayout();
    if (const QScreen *s = screen())
        wanted = wanted.boundedTo(s->availableGeometry().size());
    return wanted;
}

MainWindow::~MainWindow()
{
    delete ui;
}

QToolButton *MainWindow::sideButton(Page p) const
{
    switch (p) {
    case HomePage:
        return ui->HomeButton;
    case AutoDarkPage:
        return ui->autoDarkButton;
    case AutoWallpaperChangerPage:
        return ui->autoWallpaperChangerButton;
    case DiskUsagePage:
        return ui->diskUsageButton;
    case FindDuplicatePage:
        return ui->findDuplicateButton;
    case MyTrayIconPage:
        return ui->myTrayIconButton;
    case ProcessManagerPage:
        return ui->processManagerButton;
    case SecureDeletePage:
        return ui->secureDeleteButton;
    case SmartShortcutPage:
        return ui->smartShortcutButton;
    case SystemInfoPage:
        return ui->systemInfoButton;
    case TrackCleanerPage:
        return ui->trackCleanerButton;
    case TransparentTaskbarPage:
        return ui->transparentTaskbarButton;
    case TroubleshooterPage:
        return ui->troubleshooterButton;
    case HushdeckPage:
        return ui->hushdeckButton;
    case MiscToolsPage:
        return ui->miscToolsButton;
    case PageCount:
        break;
    }
    return nullptr;
}

QWidget *MainWindow::createModulePage(Page p)
{
    switch (p) {
    case AutoDarkPage:
        return new AutoDarkModeForm(this);
    case AutoWallpaperChangerPage:
        return new AutoWallpaperChangerForm(this);
    case DiskUsagePage:
        return new DiskUsageForm(this);
    case FindDuplicatePage:
        return new FindDuplicateForm(this);
    case MyTrayIconPage:
        return new MyTrayIconForm(this);
    case ProcessManagerPage:
        return new ProcessManagerForm(this);
    case SecureDeletePage:
        return new SecureDeleteForm(this);
    case SmartShortcutPage:
        return new SmartShortcutForm(this);
    case SystemInfoPage:
        return new SystemInfoForm(this);
    case TrackCleanerPage:
        return new TrackCleanerForm(this);
    case TransparentTaskbarPage:
        return new TransparentTaskbarModuleForm(this);
    case TroubleshooterPage:
        return new TroubleshooterForm(this);
    case MiscToolsPage:
        return new MiscToolsForm(this);
    case HomePage:
    case HushdeckPage:
    case PageCount:
        break;
    }
    return nullptr;
}

void MainWindow::openPage(Page p)
{
    if (pageIndex[p] < 0) {
        lastIndex = lastIndex + 1;
        pageIndex[p] = lastIndex;
    }
    uncheckOtherButtons(pageIndex[p]);
    showModule(pageIndex[p]);
    // A page opened from the home page or by the program has its button scrolled into view too.
    ui->scrollArea->ensureWidgetVisible(sideButton(p));
}

void MainWindow::uncheckOtherButtons(int index)
{
    for (int i = 0; i < PageCount; ++i) {
        if (pageIndex[i] != index)
            sideButton(Page(i))->setChecked(false);
    }
}

void MainWindow::showModule(int index)
{
    if (index == currentIndex) {
        // A page that closed itself for a close that was then refused comes back through its button.
        showCurrentPage();
        return;
    }
    currentIndex = index;
    for (int i = 0; i < PageCount; ++i) {
        if (pageIndex[i] != index || page[i])
            continue;
        const Page p = Page(i);
        if (p == HomePage) {
            createHomePage();
        } else if (p == HushdeckPage) {
            createCatalogPage();
        } else {
            QWidget *w = createModulePage(p);
            page[i] = w;
            // Pages whose work can outlast a close request report its end through closeApp().
            if (w->metaObject()->indexOfSignal("closeApp()") >= 0)
                connect(w, SIGNAL(closeApp()), this, SLOT(OnCloseApp()));
            w->show();
            stackedLayout->addWidget(w);
        }
        break;
    }
    stackedLayout->setCurrentIndex(index);
}

void MainWindow::createHomePage()
{
    if (page[HomePage])
        return;
    auto *home = new HomeForm(this);
    page[HomePage] = home;
    connect(home, &HomeForm::openModule, this, &MainWindow::onOpenModule);
    home->show();
    stackedLayout->addWidget(home);
}

void MainWindow::createCatalogPage()
{
    if (page[HushdeckPage])
        return;
    auto *catalog = new HushdeckForm(this);
    page[HushdeckPage] = catalog;
    connect(catalog, &HushdeckForm::enableSaveButton, this, &MainWindow::enableSaveButton);
    connect(catalog, &HushdeckForm::disableSaveButton, this, &MainWindow::disableSaveButton);
    catalog->show();
    stackedLayout->addWidget(catalog);
}

void MainWindow::onOpenModule(int id)
{
    // Home card ids, in the order the home page lays its cards out.
    static const Page cards[] = {
        AutoDarkPage,      AutoWallpaperChangerPage, DiskUsagePage,          FindDuplicatePage,  SecureDeletePage,
        SystemInfoPage,    TrackCleanerPage,         TransparentTaskbarPage, TroubleshooterPage, HushdeckPage,
        SmartShortcutPage, ProcessManagerPage,       MyTrayIconPage};
    if (id < 0 || id >= int(sizeof(cards) / sizeof(cards[0])))
        return;
    if (id == 0)
        qDebug() << "autoDarkMode";
    else if (id == 1)
        qDebug() << "autoWallpaperChanger";
    const Page p = cards[id];
    openPage(p);
    sideButton(p)->setChecked(true);
}

// The dialogs are made anew on every use and free themselves however they are closed: their Close button
// frees them, and the close box or Escape does through WA_DeleteOnClose.
void MainWindow::OnUpdate(bool)
{
    auto *dialog = new CheckUpdateDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}

void MainWindow::OnAbout(bool)
{
    auto *dialog = new AboutDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}

void MainWindow::OnCloseApp()
{
    // The page that asked hides itself once this returns. Should the close be refused after all (a Save that
    // failed), the program goes on, and the page on view must not stay blank.
    if (!close())
        QMetaObject::invokeMethod(this, &MainWindow::showCurrentPage, Qt::QueuedConnection);
}

void MainWindow::showCurrentPage()
{
    if (QWidget *w = stackedLayout->currentWidget())
        w->show();
}

void MainWindow::enableSaveButton() {}

void MainWindow::disableSaveButton() {}

void MainWindow::on_HomeButton_clicked()
{
    openPage(HomePage);
}

void MainWindow::on_autoDarkButton_clicked()
{
    openPage(AutoDarkPage);
}

void MainWindow::on_autoWallpaperChangerButton_clicked()
{
    openPage(AutoWallpaperChangerPage);
}

void MainWindow::on_diskUsageButton_clicked()
{
    openPage(DiskUsagePage);
}

void MainWindow::on_findDuplicateButton_clicked()
{
    openPage(FindDuplicatePage);
}

void MainWindow::on_myTrayIconButton_clicked()
{
    openPage(MyTrayIconPage);
}

void MainWindow::on_processManagerButton_clicked()
{
    openPage(ProcessManagerPage);
}

void MainWindow::on_secureDeleteButton_clicked()
{
    openPage(SecureDeletePage);
}

void MainWindow::on_smartShortcutButton_clicked()
{
    openPage(SmartShortcutPage);
}

void MainWindow::on_systemInfoButton_clicked()
{
    openPage(SystemInfoPage);
}

void MainWindow::on_trackCleanerButton_clicked()
{
    openPage(TrackCleanerPage);
}

void MainWindow::on_transparentTaskbarButton_clicked()
{
    openPage(TransparentTaskbarPage);
}

void MainWindow::on_troubleshooterButton_clicked()
{
    openPage(TroubleshooterPage);
}

void MainWindow::on_hushdeckButton_clicked()
{
    openPage(HushdeckPage);
}

void MainWindow::on_miscToolsButton_clicked()
{
    openPage(MiscToolsPage);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();

    auto *catalog = static_cast<HushdeckForm *>(page[HushdeckPage]);
    if (catalog && catalog->saveAction->isEnabled()) {
        const int answer =
            MessageBoxW(nullptr, WSTR("There are unsaved changes.\nDo you want to save all changes now?"),
                        WSTR("Confirm Save Changes"), MB_ICONWARNING | MB_YESNO);
        // The user chose to keep the changes: a save that did not write them all keeps the window open.
        if (answer == IDYES && !catalog->OnSave()) {
            event->ignore();
            return;
        }
    }

    bool busy = false;
    auto stop = [&](bool flag, auto *p) {
        if (flag) {
            p->requestClose();
            busy = true;
        }
    };
    if (auto *p = static_cast<DiskUsageForm *>(page[DiskUsagePage])) {
        stop(p->busy, p);
        stop(p->clearing, p);
    }
    if (auto *p = static_cast<SecureDeleteForm *>(page[SecureDeletePage]))
        stop(p->deleteRunning, p);
    if (auto *p = static_cast<FindDuplicateForm *>(page[FindDuplicatePage]))
        stop(p->busy, p);
    if (auto *p = static_cast<AutoWallpaperChangerForm *>(page[AutoWallpaperChangerPage]))
        stop(p->downloadRunning, p);
    if (auto *p = static_cast<TrackCleanerForm *>(page[TrackCleanerPage])) {
        stop(p->scanning, p);
        stop(p->clearing, p);
    }
    // A busy module closes the window itself (closeApp) once its work has ended.
    if (busy)
        event->ignore();
}

bool MainWindow::nativeEvent(const QByteArray &eventType, void *message, qintptr *)
{
    UINT id = 0;
    if (nativeMessageId(eventType, message, &id) && id == WM_USER + 108)
        qDebug() << "Message recieved";
    return false;
}
