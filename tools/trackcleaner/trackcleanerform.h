// The Track Cleaner module page: a row per kind of usage trace with its count and a View button, Analyze
// (counts on a TrackCleanerThread) and Clear Tracking Data (deletes on a TrackCleanerClearThread). The page
// owns the eight result lists both threads work on.
#pragma once

#include "trackcleanerkinds.h"
#include "tracefolders.h"

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class TrackCleanerClearThread;
class TrackCleanerThread;

namespace Ui {
class TrackCleanerForm;
}

class TrackCleanerForm : public QWidget
{
    Q_OBJECT

public:
    // miscTab: the page serves as a tab of Miscellaneous Tools, where only the four File Explorer and Run
    // boxes decide whether Analyze and Clear are offered.
    explicit TrackCleanerForm(QWidget *parent = nullptr, bool miscTab = false);
    ~TrackCleanerForm() override;

    // Work that outlasts a close request: the main window reads these flags and asks the page to stop.
    bool scanning = false;
    bool clearing = false;

private:
    Ui::TrackCleanerForm *ui;

public:
    int scanCancelled = 0;
    bool closePending = false;
    TrackCleanerThread *scanThread = nullptr;
    TrackCleanerClearThread *clearThread = nullptr;

    QStringList fileExplorerRecentFilesList;
    QStringList fileExplorerTypedPathsList;
    QStringList fileExplorerSearchHistoryList;
    QStringList windowsRunDialogList;
    QStringList windowsLogFilesList;
    QStringList windowsErrorReportingList;
    QStringList windowsNetworkDataList;
    QStringList windowsTempFilesList;
    // What the last analysis saw of the listed files, for the clearing to check them against.
    ListedTraces listedTraces;

    // Stops the running threads; the page emits closeApp() when the running one has ended.
    void requestClose();

signals:
    void closeApp();

private slots:
    void onFileExplorerRecentFilesScanFinish(int itemCount);
    void onFileExplorerTypedPathsScanFinish(int itemCount);
    void onFileExplorerSearchHistoryScanFinish(int itemCount);
    void onWindowsRunDialogScanFinish(int itemCount);
    void onWindowsLogFilesScanFinish(int itemCount, int finalSize);
    void onWindowsErrorReportingScanFinish(int itemCount, int finalSize);
    void onWindowsNetworkDataScanFinish(int itemCount, int finalSize);
    void onWindowsTempFilesScanFinish(int itemCount, int finalSize);
    void onTrackCleanerProcessScanFinish();
    void onFileExplorerRecentFilesClearFinish(int itemCount);
    void onFileExplorerTypedPathsClearFinish(int itemCount);
    void onFileExplorerSearchHistoryClearFinish(int itemCount);
    void onWindowsRunDialogClearFinish(int itemCount);
    void onWindowsLogFilesClearFinish(int itemCount, int finalSize);
    void onWindowsErrorReportingClearFinish(int itemCount, int finalSize);
    void onWindowsNetworkDataClearFinish(int itemCount, int finalSize);
    void onWindowsTempFilesClearFinish(int itemCount, int finalSize);
    void onTrackCleanerProcessClearFinish(int cannotDelete);
    void on_TrackCleanerFileExplorerRecentFilesButton_clicked();
    void on_TrackCleanerFileExplorerTypedPathsButton_clicked();
    void on_TrackCleanerFileExplorerSearchHistoryButton_clicked();
    void on_TrackCleanerWindowsRunDialogButton_clicked();
    void on_TrackCleanerWindowsTempFilesButton_clicked();
    void on_TrackCleanerWindowsLogFilesButton_clicked();
    void on_TrackCleanerWindowsErrorReportingButton_clicked();
    void on_TrackCleanerWindowsNetworkDataButton_clicked();
    void on_TrackCleanerFileExplorerRecentFilesCheckBox_toggled(bool checked);
    void on_TrackCleanerFileExplorerTypedPathsCheckBox_toggled(bool checked);
    void on_TrackCleanerFileExplorerSearchHistoryCheckBox_toggled(bool checked);
    void on_TrackCleanerWindowsRunDialogCheckBox_toggled(bool checked);
    void on_TrackCleanerWindowsTempFilesCheckBox_toggled(bool checked);
    void on_TrackCleanerWindowsLogFilesCheckBox_toggled(bool checked);
    void on_TrackCleanerWindowsErrorReportingCheckBox_toggled(bool checked);
    void on_TrackCleanerWindowsNetworkDataCheckBox_toggled(bool checked);
    void on_TrackCleanerAnalyzeButton_clicked();
    void on_TrackCleanerClearButton_clicked();
    void on_TrackCleanerCancelButton_clicked();

private:
    // The widgets and the result list of one kind.
    struct KindRow
    {
        QCheckBox *checkBox;
        QLabel *countLabel;
        QPushButton *viewButton;
        QStringList *list;
    };
    KindRow rows[TrackCleanerKindCount];
    const bool miscTab;

    void updateButtons();
    void resetResults();
    void startScan();
    void startClear();
    void buildLayout();
    void setBoxesEnabled(bool enabled);
    // The main window held its close back for this page's work: let it go through, once.
    void closeIfPending();
    // One kind's analysis arrived: its count text, its View button, one progress step.
    void showScanResult(TrackCleanerKind kind, const QString &text);
    // One kind was cleared: its results go.
    void dropResults(TrackCleanerKind kind);
    void showDetails(TrackCleanerKind kind);
    // Both threads take the same selection and the page's lists.
    template <typename Thread> void configure(Thread *thread);
};
