// The Folder Size Analyzer's result page: the progress panel while the scan runs, then the folder tree
// ("General") and the 20 biggest files and the files by category ("Summary"). Going back frees the results
// on a second thread before the start page removes the page. One page serves one scan.
#pragma once

#include "duplicatefilerecord.h"
#include "krutils.h"

#include <QItemSelection>
#include <QList>
#include <QModelIndex>
#include <QWidget>

class ClearRamThread;
class QHBoxLayout;
class QStandardItem;
class QStandardItemModel;
class QTreeView;
class QVBoxLayout;
class ScanInfoForm;
class WorkerThread;

namespace Ui {
class ScanProgressForm;
}

class ScanProgressForm : public QWidget
{
    Q_OBJECT

public:
    explicit ScanProgressForm(QWidget *parent = nullptr);
    ~ScanProgressForm() override;

    void startScan(QString path);
    // Stops the scan for a close of the main window; unlike Cancel it does not go back afterwards.
    void setCancelled(bool value);

    Ui::ScanProgressForm *ui;
    QStandardItemModel *folderModel;
    QStandardItemModel *biggestFilesModel;
    QStandardItemModel *dataFilesModel;
    QList<DuplicateFileRecord> biggestFiles;
    QList<QStandardItem *> rootRow;
    QVBoxLayout *mainLayout;
    QVBoxLayout *generalLayout;
    QVBoxLayout *summaryLayout;
    QVBoxLayout *biggestFilesLayout;
    QVBoxLayout *dataFilesLayout;
    QHBoxLayout *toolBarLayout;
    ScanInfoForm *scanInfo = nullptr;
    bool treeSortDescending = true;
    bool dataSortDescending = true;
    bool cancelled = false;
    bool backPending = false;
    WorkerThread *worker = nullptr;
    ClearRamThread *clearThread = nullptr;
    QList<FileCategory> *categories = nullptr;

signals:
    void backToMain();
    void scanFinish();
    void clearRAMStart();
    void clearRAMFinish();

public slots:
    void OnBiggestFileDoubleclicktree(QModelIndex index);
    void OnDataFileDoubleclicktree(QModelIndex index);
    void OnDoubleclicktree(QModelIndex index);
    void OnSectionClicked(int index);
    void OnDataFileSectionClicked(int index);
    void on_backButton_clicked();
    void on_explorerButton_clicked();
    void handleResults();
    void handleUpdatePath(QString path);
    void handleUpdateTotalSubFolder(int total);
    void handleUpdateScanProgress();
    void handleScanCancel();
    void onClearRamFinish();
    void on_tabWidget_currentChanged(int index);
    void on_tabWidget_2_currentChanged(int index);
    void on_treeView_clicked(QModelIndex index);
    void on_biggestFileTreeView_clicked(QModelIndex index);
    void on_dataFilesTreeView_clicked(QModelIndex index);
    void OnTreeViewSelectionChanged(QItemSelection selected, QItemSelection deselected);
    void OnBiggestFileTreeViewSelectionChanged(QItemSelection selected, QItemSelection deselected);
    void OnDataFilesTreeViewSelectionChanged(QItemSelection selected, QItemSelection deselected);
    void on_openFileButton_clicked();

private:
    void fillBiggestFiles();
    void startClearResults();
    void updateSummaryButtons(int subTab);
    void keepCategoryIcons();
    QTreeView *currentSummaryView() const;
    void openFile(const QModelIndex &index);
    void setSummaryButtons(QTreeView *view, bool anySelected);
};
