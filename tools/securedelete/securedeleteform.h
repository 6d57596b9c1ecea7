// The Secure Delete page: a list of files and folders to shred, and the recycle-bin folders of the fixed
// drives to empty for good. The shredding runs on a SecureDeleteThread; the page shows its progress and
// takes part in the main window's close handling.
#pragma once

#include "securedeletethread.h"

#include <QItemSelection>
#include <QStringList>
#include <QWidget>

class QLabel;
class QStandardItem;
class QStandardItemModel;
class QVBoxLayout;
class ScanInfoForm;

namespace Ui {
class SecureDeleteForm;
}

#define SECURE_DELETE_KEY "Software\\Keelrun\\Folder Size Analyzer\\Secure Delete"

class SecureDeleteForm : public QWidget
{
    Q_OBJECT

public:
    explicit SecureDeleteForm(QWidget *parent = nullptr);
    ~SecureDeleteForm() override;

    bool deleteRunning = false;
    Ui::SecureDeleteForm *ui;
    QStandardItemModel *listModel = nullptr;
    QStandardItem *rootItem = nullptr;
    SecureDeleteOptions options;
    SecureDeleteThread *deleteThread = nullptr;
    ScanInfoForm *scanInfo = nullptr;
    QVBoxLayout *mainLayout = nullptr;
    QStringList recycleBinFolders;
    QLabel *noFilesLabel = nullptr; // under the Files && Folders list while it is empty
    QLabel *noBinLabel = nullptr;   // under the recycle-bin list while no drive has a recycle-bin folder
    bool closePending = false;

    // The main window asks a running page to stop; the page emits closeApp once the run has ended.
    void requestClose();
    void updateListButtons();
    QString findRecycleBinFolder(char letter);

signals:
    void closeApp();

public slots:
    void on_ffAddFileButton_clicked();
    void on_ffAddFolderButton_clicked();
    void on_AddURL(QString url);
    void on_ffRemoveButton_clicked();
    void on_ffOptionsButton_clicked();
    void on_ffDeleteButton_clicked();
    void on_ffRemoveAllButton_clicked();
    void mySelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void onDeleteFinish();
    void handleUpdatePath(QString path);
    void handleUpdateDeleteProgress();
    void handleUpdateTotalProgress(int total);
    void handleScanCancel();
    void on_rbOptionsButton_clicked();
    void on_rbEmptyButton_clicked();
    void on_tabWidget_currentChanged(int index);

private:
    void appendRow(const QString &name, bool folder, const QString &parentFolder, const QString &iconPath);
    // A drive's root chosen or dropped is refused, with a box that says why; true then.
    bool refuseRoot(const QString &path);
    void startRun(bool recycleBin);
    void showOptions();
    // What the box at the end of a run says of the items it could not shred.
    static QString keptText(const SecureDeleteThread &run);
};
