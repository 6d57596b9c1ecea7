#include "scanprogressform.h"
#include "ui_scanprogressform.h"

#include "clearramthread.h"
#include "folderwalker.h"
#include "graphdelegate.h"
#include "scaninfoform.h"
#include "shellhelpers.h"
#include "workerthread.h"
#include "viewcolumns.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

// The first selected row of a view, as its column-0 index; invalid when nothing is selected.
QModelIndex firstSelectedRow(QTreeView *view)
{
    QItemSelectionModel *selection = view->selectionModel();
    if (!selection || !view->model())
        return QModelIndex();
    const QModelIndexList rows = selection->selectedIndexes();
    return rows.isEmpty() ? QModelIndex() : rows.first().siblingAtColumn(0);
}

QString textAt(const QModelIndex &row, int column)
{
    return row.siblingAtColumn(column).data(Qt::DisplayRole).toString();
}

} // namespace

ScanProgressForm::ScanProgressForm(QWidget *parent) : QWidget(parent), ui(new Ui::ScanProgressForm)
{
    ui->setupUi(this);
    folderModel = new QStandardItemModel(this);
    biggestFilesModel = new QStandardItemModel(this);
    dataFilesModel = new QStandardItemModel(this);

    folderModel->setHorizontalHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("File Count"), QStringLiteral("Folder Count"),
         QStringLiteral("Size"), QStringLiteral("Path"), QStringLiteral("Percentage"), QStringLiteral("Index")});
    biggestFilesModel->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"),
                                                  QStringLiteral("Last Access Time"), QStringLiteral("Path"),
                                                  QStringLiteral("Raw Size")});
    dataFilesModel->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"),
                                               QStringLiteral("Last Access Time"), QStringLiteral("Path"),
                                               QStringLiteral("Raw Size"), QStringLiteral("Index")});

    for (QTreeView *view : {ui->treeView, ui->biggestFileTreeView, ui->dataFilesTreeView})
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto *graph = new GraphDelegate(this);
    graph->model = folderModel;
    ui->treeView->setItemDelegate(graph);

    ui->treeView->header()->setSectionsClickable(true);
    ui->dataFilesTreeView->header()->setSectionsClickable(true);
    connect(ui->treeView->header(), &QHeaderView::sectionClicked, this, &ScanProgressForm::OnSectionClicked);
    connect(ui->dataFilesTreeView->header(), &QHeaderView::sectionClicked, this,
            &ScanProgressForm::OnDataFileSectionClicked);
    connect(ui->treeView, &QTreeView::doubleClicked, this, &ScanProgressForm::OnDoubleclicktree);
    connect(ui->biggestFileTreeView, &QTreeView::doubleClicked, this, &ScanProgressForm::OnBiggestFileDoubleclicktree);
    connect(ui->dataFilesTreeView, &QTreeView::doubleClicked, this, &ScanProgressForm::OnDataFileDoubleclicktree);

    toolBarLayout = new QHBoxLayout(ui->toolBar);
    toolBarLayout->setAlignment(Qt::AlignLeft);
    toolBarLayout->setContentsMargins(0, 0, 0, 0);
    toolBarLayout->addWidget(ui->backButton);
    toolBarLayout->addWidget(ui->explorerButton);
    toolBarLayout->addWidget(ui->openFileButton);
    generalLayout = new QVBoxLayout(ui->generalTab);
    generalLayout->addWidget(ui->treeView);
    summaryLayout = new QVBoxLayout(ui->summaryTab);
    summaryLayout->addWidget(ui->tabWidget_2);
    biggestFilesLayout = new QVBoxLayout(ui->biggestFilesTab);
    biggestFilesLayout->addWidget(ui->biggestFileTreeView);
    dataFilesLayout = new QVBoxLayout(ui->dataFilesTab);
    dataFilesLayout->addWidget(ui->dataFilesTreeView);
    mainLayout = new QVBoxLayout(this);
    mainLayout->addWidget(ui->toolBar);
    mainLayout->addWidget(ui->tabWidget);

    scanInfo = new ScanInfoForm(this);
    mainLayout->addWidget(scanInfo);
    connect(scanInfo, &ScanInfoForm::scanCancel, this, &ScanProgressForm::handleScanCancel);

    ui->toolBar->hide();
    ui->tabWidget->hide();
    ui->tabWidget->setCurrentIndex(0);
    ui->tabWidget_2->setCurrentIndex(0);
    ui->openFileButton->hide();
}

ScanProgressForm::~ScanProgressForm()
{
    // Both threads write into the models: they end before the models go.
    if (worker) {
        worker->cancel = true;
        worker->wait();
    }
    if (clearThread)
        clearThread->wait();
    delete ui;
}

void ScanProgressForm::startScan(QString path)
{
    if (scanInfo)
        scanInfo->setMessageText(QStringLiteral("Scanning in progress. Please wait ..."));
    worker = new WorkerThread(this);
    worker->path = path;
    worker->folderModel = folderModel;
    worker->dataFilesModel = dataFilesModel;
    worker->rootRow = &rootRow;
    worker->biggestFiles = &biggestFiles;
    worker->categories = &categories;
    worker->folderIndex = 0;
    worker->dataIndex = 0;
    worker->cancel = false;
    connect(worker, &WorkerThread::resultReady, this, &ScanProgressForm::handleResults);
    connect(worker, &WorkerThread::updatePath, this, &ScanProgressForm::handleUpdatePath);
    connect(worker, &WorkerThread::updateTotalSubFolder, this, &ScanProgressForm::handleUpdateTotalSubFolder);
    connect(worker, &WorkerThread::updateScanProgress, this, &ScanProgressForm::handleUpdateScanProgress);
    worker->start(QThread::InheritPriority);
}

void ScanProgressForm::setCancelled(bool value)
{
    cancelled = value;
    if (worker)
        worker->cancel = value;
    // A close during the freeing need not wait for the rest of it: the page goes with the window.
    if (clearThread)
        clearThread->cancel = value;
}

void ScanProgressForm::handleUpdatePath(QString path)
{
    if (scanInfo)
        scanInfo->setDetailText(path);
}

void ScanProgressForm::handleUpdateTotalSubFolder(int total)
{
    if (scanInfo)
        scanInfo->setMaximum(total);
}

void ScanProgressForm::handleUpdateScanProgress()
{
    if (scanInfo)
        scanInfo->stepProgress();
}

void ScanProgressForm::handleScanCancel()
{
    cancelled = true;
    backPending = true;
    if (worker)
        worker->cancel = true;
}

void ScanProgressForm::handleResults()
{
    keepCategoryIcons();
    if (!cancelled && !backPending) {
        ui->treeView->setModel(folderModel);
        if (!rootRow.isEmpty())
            ui->treeView->expand(folderModel->indexFromItem(rootRow.first()));
        connect(ui->treeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &ScanProgressForm::OnTreeViewSelectionChanged);
        ui->treeView->hideColumn(4);
        ui->treeView->hideColumn(5);
        ui->treeView->hideColumn(6);
        viewcolumns::setWidths(ui->treeView, {{0, 200}, {1, 100}});
        ui->toolBar->show();
        ui->tabWidget->show();
        // The worker hands both models over sorted by raw size, largest first at every level: no sort of
        // a whole drive's files runs here.
        fillBiggestFiles();
        ui->dataFilesTreeView->setModel(dataFilesModel);
        connect(ui->dataFilesTreeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &ScanProgressForm::OnDataFilesTreeViewSelectionChanged);
        // The path takes the room the columns after it leave.
        viewcolumns::setWidths(ui->dataFilesTreeView, {{0, 300}, {2, 200}}, 3);
    }
    if (scanInfo) {
        scanInfo->deleteLater();
        scanInfo = nullptr;
    }
    ui->explorerButton->setEnabled(false);
    ui->openFileButton->setEnabled(false);
    emit scanFinish();
    if (backPending)
        startClearResults();
}

void ScanProgressForm::keepCategoryIcons()
{
    // The worker's pictures become icons here, on the GUI thread, and stay with the category list for
    // later scans.
    if (!worker || !categories)
        return;
    for (int i = 0; i < worker->fetchedCategoryIcons.size() && i < categories->size(); ++i) {
        const QImage &image = worker->fetchedCategoryIcons.at(i);
        FileCategory &category = (*categories)[i];
        if (!image.isNull() && !category.icon)
            category.icon = new QIcon(QPixmap::fromImage(image));
    }
}

void ScanProgressForm::fillBiggestFiles()
{
    for (const DuplicateFileRecord &record : std::as_const(biggestFiles)) {
        const QFileInfo info = windowsFileInfo(record.fullPath);
        auto *name = new QStandardItem(info.fileName());
        const QImage icon = WorkerThread::smallIcon(record.fullPath);
        if (!icon.isNull())
            name->setIcon(QIcon(QPixmap::fromImage(icon)));
        auto *raw = new QStandardItem;
        raw->setData(double(record.size) / 1048576.0, Qt::DisplayRole);
        biggestFilesModel->appendRow({name, new QStandardItem(WorkerThread::sizeText(record.size)),
                                      new QStandardItem(WorkerThread::accessTimeText(record.lastAccess)),
                                      new QStandardItem(nativeSeparators(info.path())), raw});
    }
    ui->biggestFileTreeView->setModel(biggestFilesModel);
    connect(ui->biggestFileTreeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ScanProgressForm::OnBiggestFileTreeViewSelectionChanged);
    ui->biggestFileTreeView->hideColumn(4);
    viewcolumns::setWidths(ui->biggestFileTreeView, {{0, 300}, {2, 200}}, 3);
}

void ScanProgressForm::OnSectionClicked(int index)
{
    treeSortDescending = !treeSortDescending;
    folderModel->sort(index == 1 ? 4 : index, treeSortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ScanProgressForm::OnDataFileSectionClicked(int index)
{
    dataSortDescending = !dataSortDescending;
    dataFilesModel->sort(index == 1 ? 4 : index, dataSortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ScanProgressForm::openFile(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    // Category rows of the Data Files have no folder: they only fold and unfold.
    // The Data Files rows show their folder with forward slashes; the shell is given the Windows spelling.
    const QString folder = nativeSeparators(textAt(index, 3));
    if (folder.isEmpty())
        return;
    const QString file = FolderWalker::childPath(folder, textAt(index, 0));
    ShellExecuteW(nullptr, WSTR("open"), wstr(file), nullptr, wstr(folder), SW_SHOWNORMAL);
}

void ScanProgressForm::OnBiggestFileDoubleclicktree(QModelIndex index)
{
    openFile(index);
}

void ScanProgressForm::OnDataFileDoubleclicktree(QModelIndex index)
{
    openFile(index);
}

void ScanProgressForm::OnDoubleclicktree(QModelIndex) {}

QTreeView *ScanProgressForm::currentSummaryView() const
{
    return ui->tabWidget_2->currentIndex() != 0 ? ui->dataFilesTreeView : ui->biggestFileTreeView;
}

void ScanProgressForm::on_openFileButton_clicked()
{
    openFile(firstSelectedRow(currentSummaryView()));
}

void ScanProgressForm::on_explorerButton_clicked()
{
    QString path;
    if (ui->tabWidget->currentIndex() == 0) {
        const QModelIndex row = firstSelectedRow(ui->treeView);
        if (row.isValid())
            path = textAt(row, 5);
    } else {
        const QModelIndex row = firstSelectedRow(currentSummaryView());
        if (row.isValid())
            path = FolderWalker::childPath(textAt(row, 3), textAt(row, 0));
    }
    if (!path.isEmpty())
        showInExplorer(path, this);
}

void ScanProgressForm::on_backButton_clicked()
{
    startClearResults();
}

void ScanProgressForm::startClearResults()
{
    // The views let go of the models first, so that none of them follows the removals.
    QAbstractItemDelegate *graph = ui->treeView->itemDelegate();
    ui->treeView->setItemDelegate(nullptr);
    delete graph;
    ui->treeView->setModel(nullptr);
    ui->dataFilesTreeView->setModel(nullptr);
    ui->biggestFileTreeView->setModel(nullptr);
    ui->toolBar->hide();
    ui->tabWidget->hide();

    scanInfo = new ScanInfoForm(this);
    scanInfo->setMessageText(QStringLiteral("Clearing RAM back to the system in progress."));
    scanInfo->setDetailText(QStringLiteral("Please wait ..."));
    scanInfo->disableCancelButton();
    scanInfo->setMaximum(6);
    mainLayout->addWidget(scanInfo);
    emit clearRAMStart();

    clearThread = new ClearRamThread(this);
    clearThread->folderModel = folderModel;
    clearThread->biggestFilesModel = biggestFilesModel;
    clearThread->dataFilesModel = dataFilesModel;
    connect(clearThread, &ClearRamThread::updateScanProgress, this, &ScanProgressForm::handleUpdateScanProgress);
    connect(clearThread, &ClearRamThread::processFinish, this, &ScanProgressForm::onClearRamFinish);
    clearThread->start(QThread::InheritPriority);
}

void ScanProgressForm::onClearRamFinish()
{
    emit clearRAMFinish();
    emit backToMain();
}

void ScanProgressForm::setSummaryButtons(QTreeView *view, bool anySelected)
{
    const QModelIndex row = anySelected ? firstSelectedRow(view) : QModelIndex();
    const bool file = row.isValid() && !textAt(row, 3).isEmpty();
    ui->explorerButton->setEnabled(file);
    ui->openFileButton->setEnabled(file);
}

void ScanProgressForm::OnTreeViewSelectionChanged(QItemSelection selected, QItemSelection)
{
    if (selected.isEmpty()) {
        ui->explorerButton->setEnabled(false);
        return;
    }
    const QModelIndex row = firstSelectedRow(ui->treeView);
    ui->explorerButton->setEnabled(row.isValid() && !textAt(row, 5).isEmpty());
}

void ScanProgressForm::OnBiggestFileTreeViewSelectionChanged(QItemSelection selected, QItemSelection)
{
    setSummaryButtons(ui->biggestFileTreeView, !selected.isEmpty());
}

void ScanProgressForm::OnDataFilesTreeViewSelectionChanged(QItemSelection selected, QItemSelection)
{
    setSummaryButtons(ui->dataFilesTreeView, !selected.isEmpty());
}

void ScanProgressForm::on_tabWidget_currentChanged(int index)
{
    ui->openFileButton->setVisible(index != 0);
    if (index != 0) {
        updateSummaryButtons(ui->tabWidget_2->currentIndex());
        return;
    }
    QItemSelectionModel *selection = ui->treeView->selectionModel();
    ui->explorerButton->setEnabled(ui->treeView->model() && ui->treeView->currentIndex().isValid() && selection &&
                                   selection->hasSelection());
}

void ScanProgressForm::on_tabWidget_2_currentChanged(int index)
{
    updateSummaryButtons(index);
}

void ScanProgressForm::updateSummaryButtons(int subTab)
{
    QTreeView *view = subTab != 0 ? ui->dataFilesTreeView : ui->biggestFileTreeView;
    if (!view->model() || !view->currentIndex().isValid()) {
        ui->explorerButton->setEnabled(false);
        ui->openFileButton->setEnabled(false);
        return;
    }
    setSummaryButtons(view, true);
}

void ScanProgressForm::on_treeView_clicked(QModelIndex) {}

void ScanProgressForm::on_biggestFileTreeView_clicked(QModelIndex) {}

void ScanProgressForm::on_dataFilesTreeView_clicked(QModelIndex) {}
