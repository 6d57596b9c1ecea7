// The Folder Size Analyzer's module page: a tile per fixed drive and per special folder, each of which starts
// a scan on a result page shown in place of the tiles. The page owns the file categories of every scan and
// takes part in the main window's close handling while a scan or the freeing of its results runs.
#pragma once

#include "krutils.h"

#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>

class QHBoxLayout;
class QStackedLayout;
class QVBoxLayout;
class ScanProgressForm;

namespace Ui {
class DiskUsageForm;
}

class DiskUsageForm : public QWidget
{
    Q_OBJECT

public:
    explicit DiskUsageForm(QWidget *parent = nullptr);
    ~DiskUsageForm() override;

    // Work that outlasts a close request: the main window reads these flags and asks the page to stop.
    bool busy = false;
    bool clearing = false;
    Ui::DiskUsageForm *ui;
    bool closePending = false;
    QList<FileCategory> categories;
    QString documentsFolder;
    QString musicFolder;
    QString videosFolder;
    QString picturesFolder;
    QString profileFolder;
    QVector<DriveInfo> drives;
    QVBoxLayout *pageLayout;
    QVBoxLayout *mainLayout;
    QHBoxLayout *toolBarLayout;
    QVBoxLayout *drivesLayout;
    QVBoxLayout *foldersLayout;
    QStackedLayout *stack;
    ScanProgressForm *resultPage = nullptr;

    void requestClose();
    // The used share of a drive for its tile's bar: 0 for a volume of no size.
    static int usedPercent(const DriveInfo &drive);

signals:
    void closeApp();

public slots:
    void OnShowDetails(int diskIndex);
    void OnStartScan(int diskIndex);
    void StartScanPath(QString path);
    void OnBackToMain();
    void OnScanFinish();
    void on_optionsButton_clicked();
    void OnClearRAMStart();
    void OnClearRAMFinish();
    void on_selectFolderButton_clicked();

private:
    void loadCategoryFlags();
    void closeIfPending();
};
