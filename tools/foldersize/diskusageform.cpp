#include "diskusageform.h"
#include "ui_diskusageform.h"

#include "detailinfodialog.h"
#include "iteminfoform.h"
#include "optionsdialog.h"
#include "scanprogressform.h"
#include "shellhelpers.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QPointer>
#include <QScrollArea>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <cmath>

DiskUsageForm::DiskUsageForm(QWidget *parent) : QWidget(parent), ui(new Ui::DiskUsageForm)
{
    ui->setupUi(this);
    KRUtils utils;
    utils.buildFileCategories(categories);
    loadCategoryFlags();

    toolBarLayout = new QHBoxLayout(ui->toolBar);
    toolBarLayout->setAlignment(Qt::AlignLeft);
    toolBarLayout->setContentsMargins(0, 0, 0, 0);
    toolBarLayout->addWidget(ui->optionsButton);
    toolBarLayout->addWidget(ui->selectFolderButton);
    mainLayout = new QVBoxLayout(ui->mainWidget);
    mainLayout->addWidget(ui->toolBar);
    mainLayout->addWidget(ui->tabWidget);
    // The tiles have their fixed width: where the window has less room they scroll inside their tab rather
    // than widen the window.
    auto tileColumn = [](QWidget *tab) {
        auto *area = new QScrollArea(tab);
        area->setFrameShape(QFrame::NoFrame);
        area->setWidgetResizable(true);
        auto *tiles = new QWidget(area);
        area->setWidget(tiles);
        auto *tabLayout = new QVBoxLayout(tab);
        tabLayout->setContentsMargins(0, 0, 0, 0);
        tabLayout->addWidget(area);
        auto *column = new QVBoxLayout(tiles);
        column->setAlignment(Qt::AlignTop);
        return column;
    };
    drivesLayout = tileColumn(ui->tab);
    foldersLayout = tileColumn(ui->tab_2);
    pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    stack = new QStackedLayout;
    stack->addWidget(ui->mainWidget);
    pageLayout->addLayout(stack);

    utils.listFixedDrives(drives);
    for (int i = 0; i < drives.size(); ++i) {
        const DriveInfo &drive = drives.at(i);
        auto *tile = new ItemInfoForm(ui->tab);
        tile->index = i;
        tile->setName(drive.displayName);
        tile->setDetail(drive.fileSystem);
        tile->setSizeText(
            QStringLiteral("%1 free of %2 (%3)").arg(drive.freeSize, drive.totalSize, drive.freePercentText));
        tile->setUsage(usedPercent(drive));
        tile->setIconFromPath(drive.rootPath);
        connect(tile, &ItemInfoForm::showDetails, this, &DiskUsageForm::OnShowDetails);
        connect(tile, &ItemInfoForm::startScan, this, &DiskUsageForm::OnStartScan);
        drivesLayout->addWidget(tile);
    }

    documentsFolder = documentsPath();
    musicFolder = musicPath();
    videosFolder = videosPath();
    picturesFolder = picturesPath();
    profileFolder = userProfilePath();
    const QString folders[] = {documentsFolder, musicFolder, videosFolder, picturesFolder, profileFolder};
    // What a folder the machine lacks is still called, so that its tile says which one is missing.
    const QString names[] = {QStringLiteral("Documents"), QStringLiteral("Music"), QStringLiteral("Videos"),
                             QStringLiteral("Pictures"), QString()};
    for (int i = 0; i < int(std::size(folders)); ++i) {
        auto *tile = new ItemInfoForm(ui->tab_2);
        tile->index = i;
        const DWORD attributes = folders[i].isEmpty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wstr(folders[i]));
        const bool present = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        tile->setName(present ? windowsFileInfo(folders[i]).fileName() : names[i]);
        tile->setDetail(folders[i]);
        if (present)
            tile->setIconFromPath(folders[i]);
        tile->setStartEnabled(present);
        tile->hideUsage();
        connect(tile, &ItemInfoForm::showDetails, this, &DiskUsageForm::OnShowDetails);
        connect(tile, &ItemInfoForm::startScan, this, &DiskUsageForm::OnStartScan);
        foldersLayout->addWidget(tile);
    }
    ui->tabWidget->setCurrentIndex(0);
}

DiskUsageForm::~DiskUsageForm()
{
    // The result page's threads write into the category list: the page goes first.
    delete resultPage;
    for (FileCategory &category : categories)
        delete category.icon;
    delete ui;
}

int DiskUsageForm::usedPercent(const DriveInfo &drive)
{
    // A volume of no size (or one that did not answer) has nothing used, not a full bar.
    ULARGE_INTEGER available = {}, total = {}, totalFree = {};
    if (!GetDiskFreeSpaceExW(wstr(drive.rootPath), &available, &total, &totalFree) || total.QuadPart == 0)
        return 0;
    if (!std::isfinite(drive.freePercent))
        return 0;
    return qBound(0, int(100.0f - drive.freePercent), 100);
}

void DiskUsageForm::loadCategoryFlags()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Keelrun\\Folder Size Analyzer\\Disk Usage Analyzer"), 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < categories.size(); ++i) {
        DWORD value = 1;
        DWORD size = sizeof(value);
        // A missing value leaves the category on; a value that cannot be read into four bytes counts as
        // missing rather than as whatever the buffer then holds.
        if (RegQueryValueExW(key, wstr(QString::number(i)), nullptr, nullptr, reinterpret_cast<BYTE *>(&value),
                             &size) != ERROR_SUCCESS)
            value = 1;
        categories[i].enabled = value == 1;
    }
    RegCloseKey(key);
}

void DiskUsageForm::OnShowDetails(int diskIndex)
{
    if (diskIndex < 0 || diskIndex >= drives.size())
        return;
    auto *dialog = new DetailInfoDialog(this);
    dialog->fill(drives.at(diskIndex));
    dialog->exec();
    delete dialog;
}

void DiskUsageForm::OnStartScan(int diskIndex)
{
    QString path;
    if (ui->tabWidget->currentIndex() != 0) {
        switch (diskIndex) {
        case 0:
            path = documentsFolder;
            break;
        case 1:
            path = musicFolder;
            break;
        case 2:
            path = videosFolder;
            break;
        case 3:
            path = picturesFolder;
            break;
        default:
            path = profileFolder;
            break;
        }
    } else if (diskIndex >= 0 && diskIndex < drives.size()) {
        // "D:\" is scanned as "D:", so that the paths below it read "D:\Games".
        path = drives.at(diskIndex).rootPath;
        path.chop(1);
    }
    // A folder the shell could not name is not scanned: an empty path would mean the current drive.
    if (path.isEmpty())
        return;
    StartScanPath(path);
}

void DiskUsageForm::StartScanPath(QString path)
{
    busy = true;
    resultPage = new ScanProgressForm(this);
    resultPage->categories = &categories;
    connect(resultPage, &ScanProgressForm::backToMain, this, &DiskUsageForm::OnBackToMain);
    connect(resultPage, &ScanProgressForm::scanFinish, this, &DiskUsageForm::OnScanFinish);
    connect(resultPage, &ScanProgressForm::clearRAMStart, this, &DiskUsageForm::OnClearRAMStart);
    connect(resultPage, &ScanProgressForm::clearRAMFinish, this, &DiskUsageForm::OnClearRAMFinish);
    resultPage->startScan(path);
    resultPage->show();
    stack->addWidget(resultPage);
    stack->setCurrentIndex(1);
}

void DiskUsageForm::on_selectFolderButton_clicked()
{
    const QString path = KRUtils().browseForFolder(documentsPath(), QStringLiteral("Select folder to scan..."));
    if (!path.isEmpty())
        StartScanPath(path);
}

void DiskUsageForm::on_optionsButton_clicked()
{
    auto *dialog = new OptionsDialog(this);
    dialog->categories = &categories;
    dialog->fillTree();
    // The dialog deletes itself from its own buttons.
    QPointer<OptionsDialog> guard(dialog);
    dialog->exec();
    delete guard.data();
}

void DiskUsageForm::OnBackToMain()
{
    if (!resultPage)
        return;
    stack->removeWidget(resultPage);
    resultPage->deleteLater();
    resultPage = nullptr;
}

void DiskUsageForm::OnScanFinish()
{
    busy = false;
    const bool stoppedForClose = closePending;
    closeIfPending();
    // The window stayed after all (a Save that failed): the stopped scan has nothing to show, so the page
    // frees what it gathered and goes back to its tiles, as after Cancel.
    if (stoppedForClose && resultPage && window()->isVisible())
        resultPage->on_backButton_clicked();
}

void DiskUsageForm::closeIfPending()
{
    // The main window held its close back for this page; now it can go through.
    if (closePending) {
        // Asked once: should the close be refused after all, later work must not repeat it.
        closePending = false;
        emit closeApp();
        close();
    }
}

void DiskUsageForm::OnClearRAMStart()
{
    clearing = true;
}

void DiskUsageForm::OnClearRAMFinish()
{
    clearing = false;
    closeIfPending();
}

void DiskUsageForm::requestClose()
{
    if (busy || clearing)
        closePending = true;
    if (resultPage)
        resultPage->setCancelled(true);
}
