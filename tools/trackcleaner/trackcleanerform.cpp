#include "trackcleanerform.h"

#include "edition.h"
#include "trackcleanerclearthread.h"
#include "trackcleanerdetaildialog.h"
#include "trackcleanerthread.h"
#include "ui_trackcleanerform.h"

#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPointer>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

QString countText(int itemCount)
{
    return QString::number(itemCount) + QStringLiteral(" item(s) found");
}

QString countAndSizeText(int itemCount, int finalSize)
{
    return QString::number(itemCount) + QStringLiteral(" item(s) found - ") + QString::number(finalSize) +
           QStringLiteral(" MB");
}

} // namespace

TrackCleanerForm::TrackCleanerForm(QWidget *parent, bool miscTab)
    : QWidget(parent), ui(new Ui::TrackCleanerForm), miscTab(miscTab)
{
    ui->setupUi(this);
    rows[FileExplorerRecentFiles] = {ui->TrackCleanerFileExplorerRecentFilesCheckBox,
                                     ui->TrackCleanerFileExplorerRecentFilesLabel,
                                     ui->TrackCleanerFileExplorerRecentFilesButton, &fileExplorerRecentFilesList};
    rows[FileExplorerTypedPaths] = {ui->TrackCleanerFileExplorerTypedPathsCheckBox,
                                    ui->TrackCleanerFileExplorerTypedPathsLabel,
                                    ui->TrackCleanerFileExplorerTypedPathsButton, &fileExplorerTypedPathsList};
    rows[FileExplorerSearchHistory] = {ui->TrackCleanerFileExplorerSearchHistoryCheckBox,
                                       ui->TrackCleanerFileExplorerSearchHistoryLabel,
                                       ui->TrackCleanerFileExplorerSearchHistoryButton, &fileExplorerSearchHistoryList};
    rows[WindowsRunDialog] = {ui->TrackCleanerWindowsRunDialogCheckBox, ui->TrackCleanerWindowsRunDialogLabel,
                              ui->TrackCleanerWindowsRunDialogButton, &windowsRunDialogList};
    rows[WindowsLogFiles] = {ui->TrackCleanerWindowsLogFilesCheckBox, ui->TrackCleanerWindowsLogFilesLabel,
                             ui->TrackCleanerWindowsLogFilesButton, &windowsLogFilesList};
    rows[WindowsErrorReporting] = {ui->TrackCleanerWindowsErrorReportingCheckBox,
                                   ui->TrackCleanerWindowsErrorReportingLabel,
                                   ui->TrackCleanerWindowsErrorReportingButton, &windowsErrorReportingList};
    rows[WindowsNetworkData] = {ui->TrackCleanerWindowsNetworkDataCheckBox, ui->TrackCleanerWindowsNetworkDataLabel,
                                ui->TrackCleanerWindowsNetworkDataButton, &windowsNetworkDataList};
    rows[WindowsTempFiles] = {ui->TrackCleanerWindowsTempFilesCheckBox, ui->TrackCleanerWindowsTempFilesLabel,
                              ui->TrackCleanerWindowsTempFilesButton, &windowsTempFilesList};

    updateButtons();
    buildLayout();
    ui->TrackCleanerClearButton->hide();
    for (const KindRow &row : rows)
        row.viewButton->hide();
    ui->TrackCleanerProgressBar->hide();
    ui->TrackCleanerProgressBarLabel->hide();
    ui->TrackCleanerCancelButton->hide();
    resetResults();
}

TrackCleanerForm::~TrackCleanerForm()
{
    // The threads write into this page's lists: none may outlive them, nor be destroyed while it runs.
    if (scanThread)
        scanThread->cancel = true;
    if (clearThread)
        clearThread->cancel = true;
    const auto threads = findChildren<QThread *>(QString(), Qt::FindDirectChildrenOnly);
    for (QThread *thread : threads)
        thread->wait();
    delete ui;
}

void TrackCleanerForm::buildLayout()
{
    auto *grid = new QGridLayout;
    grid->addWidget(ui->TrackCleanerDescLabel, 0, 0, 1, 3);
    grid->addItem(new QSpacerItem(20, 10, QSizePolicy::Minimum, QSizePolicy::Fixed), 1, 0);
    grid->addWidget(ui->TrackCleanerFileExplorerIcon, 2, 0);
    grid->addWidget(ui->TrackCleanerFileExplorer, 2, 1);
    grid->addItem(new QSpacerItem(20, 10, QSizePolicy::Minimum, QSizePolicy::Fixed), 6, 0);
    grid->addWidget(ui->TrackCleanerWindowsIcon, 7, 0);
    grid->addWidget(ui->TrackCleanerWindows, 7, 1);
    // Kind rows: File Explorer's three in rows 3 to 5, the Windows five in rows 8 to 12.
    for (int kind = 0; kind < TrackCleanerKindCount; ++kind) {
        const int row = kind < WindowsRunDialog ? 3 + kind : 8 + (kind - WindowsRunDialog);
        grid->addWidget(rows[kind].checkBox, row, 1);
        grid->addWidget(rows[kind].countLabel, row, 2);
        grid->addWidget(rows[kind].viewButton, row, 3, Qt::AlignLeft);
    }
    grid->addWidget(ui->TrackCleanerProgressBarLabel, 13, 1, 1, 4);
    grid->addWidget(ui->TrackCleanerProgressBar, 14, 1, 1, 4);
    grid->addWidget(ui->TrackCleanerCancelButton, 14, 5);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ui->TrackCleanerAnalyzeButton);
    buttons->addWidget(ui->TrackCleanerClearButton);
    buttons->addStretch();
    grid->addLayout(buttons, 15, 1, 1, 4);
    grid->setColumnStretch(1, 0);
    grid->setColumnStretch(2, 10);
    grid->setColumnStretch(3, 10);
    grid->setColumnStretch(4, 100);
    // A far empty row takes the spare height, so the content stays at the top.
    grid->setRowStretch(54, 10);
    auto *page = new QVBoxLayout(this);
    page->addLayout(grid);
}

void TrackCleanerForm::requestClose()
{
    closePending = true;
    if (scanThread)
        scanThread->cancel = true;
    if (clearThread)
        clearThread->cancel = true;
}

// ---- buttons and boxes ----

void TrackCleanerForm::updateButtons()
{
    bool anyChecked = false;
    const int counted = miscTab ? int(WindowsRunDialog) + 1 : int(TrackCleanerKindCount);
    for (int kind = 0; kind < counted; ++kind)
        anyChecked = anyChecked || rows[kind].checkBox->isChecked();
    // A new analysis while a clearing runs would empty the lists the clearing thread is reading.
    ui->TrackCleanerAnalyzeButton->setEnabled(anyChecked && !scanning && !clearing);
    ui->TrackCleanerClearButton->setEnabled(anyChecked);
}

void TrackCleanerForm::setBoxesEnabled(bool enabled)
{
    for (const KindRow &row : rows)
        row.checkBox->setEnabled(enabled);
}

void TrackCleanerForm::resetResults()
{
    for (const KindRow &row : rows) {
        row.list->clear();
        row.countLabel->setText(QString());
        row.viewButton->hide();
    }
    listedTraces.clear();
    ui->TrackCleanerClearButton->hide();
}

void TrackCleanerForm::on_TrackCleanerFileExplorerRecentFilesCheckBox_toggled(bool)
{
    updateButtons();
}

void TrackCleanerForm::on_TrackCleanerFileExplorerTypedPathsCheckBox_toggled(bool)
{
    updateButtons();
}

void TrackCleanerForm::on_TrackCleanerFileExplorerSearchHistoryCheckBox_toggled(bool)
{
    updateButtons();
}

void TrackCleanerForm::on_TrackCleanerWindowsRunDialogCheckBox_toggled(bool)
{
    updateButtons();
}

void TrackCleanerForm::on_TrackCleanerWindowsTempFilesCheckBox_toggled(bool)
{
    if (!miscTab)
        updateButtons();
}

void TrackCleanerForm::on_TrackCleanerWindowsLogFilesCheckBox_toggled(bool)
{
    if (!miscTab)
        updateButtons();
}

void TrackCleanerForm::on_TrackCleanerWindowsErrorReportingCheckBox_toggled(bool)
{
    if (!miscTab)
        updateButtons();
}

void TrackCleanerForm::on_TrackCleanerWindowsNetworkDataCheckBox_toggled(bool)
{
    if (!miscTab)
        updateButtons();
}

template <typename Thread> void TrackCleanerForm::configure(Thread *thread)
{
    thread->fileExplorerRecentFiles = rows[FileExplorerRecentFiles].checkBox->isChecked();
    thread->fileExplorerTypedPaths = rows[FileExplorerTypedPaths].checkBox->isChecked();
    thread->fileExplorerSearchHistory = rows[FileExplorerSearchHistory].checkBox->isChecked();
    thread->windowsRunDialog = rows[WindowsRunDialog].checkBox->isChecked();
    thread->windowsLogFiles = rows[WindowsLogFiles].checkBox->isChecked();
    thread->windowsErrorReporting = rows[WindowsErrorReporting].checkBox->isChecked();
    thread->windowsNetworkData = rows[WindowsNetworkData].checkBox->isChecked();
    thread->windowsTempFiles = rows[WindowsTempFiles].checkBox->isChecked();
    thread->fileExplorerRecentFilesList = &fileExplorerRecentFilesList;
    thread->fileExplorerTypedPathsList = &fileExplorerTypedPathsList;
    thread->fileExplorerSearchHistoryList = &fileExplorerSearchHistoryList;
    thread->windowsRunDialogList = &windowsRunDialogList;
    thread->windowsLogFilesList = &windowsLogFilesList;
    thread->windowsErrorReportingList = &windowsErrorReportingList;
    thread->windowsTempFilesList = &windowsTempFilesList;
    thread->windowsNetworkDataList = &windowsNetworkDataList;
    thread->listedTraces = &listedTraces;
}

// ---- analysis ----

void TrackCleanerForm::on_TrackCleanerAnalyzeButton_clicked()
{
    // The lists belong to the running thread until it has ended.
    if (scanning || clearing)
        return;
    ui->TrackCleanerAnalyzeButton->setEnabled(false);
    ui->TrackCleanerClearButton->hide();
    setBoxesEnabled(false);
    resetResults();
    startScan();
}

void TrackCleanerForm::startScan()
{
    if (scanning)
        return;
    scanCancelled = 0;
    int selected = 0;
    for (const KindRow &row : rows)
        selected += row.checkBox->isChecked() ? 1 : 0;
    ui->TrackCleanerProgressBar->setValue(0);
    ui->TrackCleanerProgressBar->setMaximum(selected);
    ui->TrackCleanerProgressBar->show();
    ui->TrackCleanerProgressBarLabel->show();
    ui->TrackCleanerCancelButton->show();

    scanning = true;
    scanThread = new TrackCleanerThread(this);
    configure(scanThread);
    connect(scanThread, &TrackCleanerThread::fileExplorerRecentFilesFinish, this,
            &TrackCleanerForm::onFileExplorerRecentFilesScanFinish);
    connect(scanThread, &TrackCleanerThread::fileExplorerTypedPathsFinish, this,
            &TrackCleanerForm::onFileExplorerTypedPathsScanFinish);
    connect(scanThread, &TrackCleanerThread::fileExplorerSearchHistoryFinish, this,
            &TrackCleanerForm::onFileExplorerSearchHistoryScanFinish);
    connect(scanThread, &TrackCleanerThread::windowsRunDialogFinish, this,
            &TrackCleanerForm::onWindowsRunDialogScanFinish);
    connect(scanThread, &TrackCleanerThread::windowsLogFilesFinish, this,
            &TrackCleanerForm::onWindowsLogFilesScanFinish);
    connect(scanThread, &TrackCleanerThread::windowsErrorReportingFinish, this,
            &TrackCleanerForm::onWindowsErrorReportingScanFinish);
    connect(scanThread, &TrackCleanerThread::windowsNetworkDataFinish, this,
            &TrackCleanerForm::onWindowsNetworkDataScanFinish);
    connect(scanThread, &TrackCleanerThread::windowsTempFilesFinish, this,
            &TrackCleanerForm::onWindowsTempFilesScanFinish);
    connect(scanThread, &TrackCleanerThread::processFinish, this, &TrackCleanerForm::onTrackCleanerProcessScanFinish);
    scanThread->start(QThread::InheritPriority);
}

void TrackCleanerForm::showScanResult(TrackCleanerKind kind, const QString &text)
{
    rows[kind].countLabel->setText(text);
    rows[kind].viewButton->show();
    ui->TrackCleanerProgressBar->setValue(ui->TrackCleanerProgressBar->value() + 1);
}

void TrackCleanerForm::onFileExplorerRecentFilesScanFinish(int itemCount)
{
    showScanResult(FileExplorerRecentFiles, countText(itemCount));
}

void TrackCleanerForm::onFileExplorerTypedPathsScanFinish(int itemCount)
{
    showScanResult(FileExplorerTypedPaths, countText(itemCount));
}

void TrackCleanerForm::onFileExplorerSearchHistoryScanFinish(int itemCount)
{
    showScanResult(FileExplorerSearchHistory, countText(itemCount));
}

void TrackCleanerForm::onWindowsRunDialogScanFinish(int itemCount)
{
    showScanResult(WindowsRunDialog, countText(itemCount));
}

void TrackCleanerForm::onWindowsLogFilesScanFinish(int itemCount, int finalSize)
{
    showScanResult(WindowsLogFiles, countAndSizeText(itemCount, finalSize));
}

void TrackCleanerForm::onWindowsErrorReportingScanFinish(int itemCount, int finalSize)
{
    showScanResult(WindowsErrorReporting, countAndSizeText(itemCount, finalSize));
}

void TrackCleanerForm::onWindowsNetworkDataScanFinish(int itemCount, int finalSize)
{
    showScanResult(WindowsNetworkData, countAndSizeText(itemCount, finalSize));
}

void TrackCleanerForm::onWindowsTempFilesScanFinish(int itemCount, int finalSize)
{
    showScanResult(WindowsTempFiles, countAndSizeText(itemCount, finalSize));
}

void TrackCleanerForm::onTrackCleanerProcessScanFinish()
{
    scanning = false;
    scanThread = nullptr;
    if (closePending) {
        emit closeApp();
        close();
    }
    ui->TrackCleanerClearButton->show();
    ui->TrackCleanerAnalyzeButton->setEnabled(true);
    ui->TrackCleanerProgressBar->hide();
    ui->TrackCleanerProgressBarLabel->hide();
    ui->TrackCleanerCancelButton->hide();
    setBoxesEnabled(true);
    // A cancelled analysis leaves nothing behind to clear.
    if (scanCancelled)
        resetResults();
}

void TrackCleanerForm::on_TrackCleanerCancelButton_clicked()
{
    if (scanThread) {
        scanCancelled = 1;
        scanThread->cancel = true;
    }
}

// ---- clearing ----

void TrackCleanerForm::on_TrackCleanerClearButton_clicked()
{
    setBoxesEnabled(false);
    startClear();
}

void TrackCleanerForm::startClear()
{
    if (clearing)
        return;
    clearing = true;
    ui->TrackCleanerAnalyzeButton->setEnabled(false);
    clearThread = new TrackCleanerClearThread(this);
    configure(clearThread);
    connect(clearThread, &TrackCleanerClearThread::fileExplorerRecentFilesFinish, this,
            &TrackCleanerForm::onFileExplorerRecentFilesClearFinish);
    connect(clearThread, &TrackCleanerClearThread::fileExplorerTypedPathsFinish, this,
            &TrackCleanerForm::onFileExplorerTypedPathsClearFinish);
    connect(clearThread, &TrackCleanerClearThread::fileExplorerSearchHistoryFinish, this,
            &TrackCleanerForm::onFileExplorerSearchHistoryClearFinish);
    connect(clearThread, &TrackCleanerClearThread::windowsRunDialogFinish, this,
            &TrackCleanerForm::onWindowsRunDialogClearFinish);
    connect(clearThread, &TrackCleanerClearThread::windowsLogFilesFinish, this,
            &TrackCleanerForm::onWindowsLogFilesClearFinish);
    connect(clearThread, &TrackCleanerClearThread::windowsErrorReportingFinish, this,
            &TrackCleanerForm::onWindowsErrorReportingClearFinish);
    connect(clearThread, &TrackCleanerClearThread::windowsNetworkDataFinish, this,
            &TrackCleanerForm::onWindowsNetworkDataClearFinish);
    connect(clearThread, &TrackCleanerClearThread::windowsTempFilesFinish, this,
            &TrackCleanerForm::onWindowsTempFilesClearFinish);
    connect(clearThread, &TrackCleanerClearThread::processFinish, this,
            &TrackCleanerForm::onTrackCleanerProcessClearFinish);
    clearThread->start(QThread::InheritPriority);
}

void TrackCleanerForm::dropResults(TrackCleanerKind kind)
{
    rows[kind].list->clear();
    rows[kind].countLabel->setText(QString());
    rows[kind].viewButton->hide();
}

void TrackCleanerForm::onFileExplorerRecentFilesClearFinish(int)
{
    dropResults(FileExplorerRecentFiles);
}

void TrackCleanerForm::onFileExplorerTypedPathsClearFinish(int)
{
    dropResults(FileExplorerTypedPaths);
}

void TrackCleanerForm::onFileExplorerSearchHistoryClearFinish(int)
{
    dropResults(FileExplorerSearchHistory);
}

void TrackCleanerForm::onWindowsRunDialogClearFinish(int)
{
    dropResults(WindowsRunDialog);
}

void TrackCleanerForm::onWindowsLogFilesClearFinish(int, int)
{
    dropResults(WindowsLogFiles);
}

void TrackCleanerForm::onWindowsErrorReportingClearFinish(int, int)
{
    dropResults(WindowsErrorReporting);
}

void TrackCleanerForm::onWindowsNetworkDataClearFinish(int, int)
{
    dropResults(WindowsNetworkData);
}

void TrackCleanerForm::onWindowsTempFilesClearFinish(int, int)
{
    dropResults(WindowsTempFiles);
}

void TrackCleanerForm::onTrackCleanerProcessClearFinish(int cannotDelete)
{
    clearing = false;
    // A run told to stop did not get through its work: it says how far it came, never that it completed.
    QString message;
    if (clearThread && clearThread->cancel)
        message = QStringLiteral("The cleaning process was stopped: %1 of %2 files were cleared.")
                      .arg(clearThread->filesCleared)
                      .arg(clearThread->filesToClear);
    if (closePending) {
        // The program is closing: no box may hold it up. The outcome goes to the debug output.
        if (!message.isEmpty())
            qInfo().noquote() << message;
        emit closeApp();
        close();
        return;
    }
    setBoxesEnabled(true);
    updateButtons();
    // A new analysis comes before the next clearing.
    ui->TrackCleanerClearButton->hide();

    if (message.isEmpty()) {
        message = QStringLiteral("The cleaning process is completed.");
        if (cannotDelete == 1)
            message = QStringLiteral("The cleaning process is completed.\n") + QStringLiteral("1") +
                      QStringLiteral(" item cannot be deleted because it is still nedded.");
        else if (cannotDelete > 1)
            message = QStringLiteral("The cleaning process is completed.\n") + QString::number(cannotDelete) +
                      QStringLiteral(" items cannot be deleted because they are still nedded.");
    }
    QMessageBox::information(this, tr(HUSHDECK_PRODUCT_NAME), message, QMessageBox::Ok);
}

// ---- detail lists ----

void TrackCleanerForm::showDetails(TrackCleanerKind kind)
{
    QPointer<TrackCleanerDetailDialog> dialog = new TrackCleanerDetailDialog(this);
    dialog->items = rows[kind].list;
    dialog->setItems();
    dialog->exec();
    // Close deletes the dialog itself; one shut by its title bar goes now.
    if (dialog)
        dialog->deleteLater();
}

void TrackCleanerForm::on_TrackCleanerFileExplorerRecentFilesButton_clicked()
{
    showDetails(FileExplorerRecentFiles);
}

void TrackCleanerForm::on_TrackCleanerFileExplorerTypedPathsButton_clicked()
{
    showDetails(FileExplorerTypedPaths);
}

void TrackCleanerForm::on_TrackCleanerFileExplorerSearchHistoryButton_clicked()
{
    showDetails(FileExplorerSearchHistory);
}

void TrackCleanerForm::on_TrackCleanerWindowsRunDialogButton_clicked()
{
    showDetails(WindowsRunDialog);
}

void TrackCleanerForm::on_TrackCleanerWindowsTempFilesButton_clicked()
{
    showDetails(WindowsTempFiles);
}

void TrackCleanerForm::on_TrackCleanerWindowsLogFilesButton_clicked()
{
    showDetails(WindowsLogFiles);
}

void TrackCleanerForm::on_TrackCleanerWindowsErrorReportingButton_clicked()
{
    showDetails(WindowsErrorReporting);
}

void TrackCleanerForm::on_TrackCleanerWindowsNetworkDataButton_clicked()
{
    showDetails(WindowsNetworkData);
}
