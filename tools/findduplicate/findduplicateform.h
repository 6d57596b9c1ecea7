// The Find Duplicate module page: a start page (Options, a drop zone and Select Folder), one scan at a time on
// a FindDuplicateThread behind the progress panel, then the result page.
#pragma once

#include "findduplicatethread.h"
#include "krutils.h"

#include <QList>
#include <QWidget>

namespace Ui {
class FindDuplicateForm;
}

class FindDuplicateResultForm;
class QVBoxLayout;
class ScanInfoForm;

class FindDuplicateForm : public QWidget
{
    Q_OBJECT

public:
    explicit FindDuplicateForm(QWidget *parent = nullptr);
    ~FindDuplicateForm() override;

    // Read by the main window's close handling: a scan runs.
    bool busy = false;
    // Asks a running scan to stop; closeApp() follows once it has.
    void requestClose();

    QString currentFolder;
    ScanInfoForm *progressPanel = nullptr;
    FindDuplicateResultForm *resultForm = nullptr;
    QVBoxLayout *pageLayout = nullptr;
    FindDuplicateThread *scanThread = nullptr;
    QList<ScanCategory> scanCategories;
    bool cancelled = false;
    bool returnToStart = false;
    QList<CategoryResult> categoryResults;
    bool closePending = false;
    // The twelve built-in categories, then "Custom file types".
    QList<FileCategory> categories;

    // Configuration of the page (run by the constructor).
    void loadCustomFileTypes();
    void loadCategoryFlags();

signals:
    void closeApp();

public slots:
    void on_AddURL(QString url);
    void onScanFinish();
    void handleUpdatePath(QString path);
    void handleUpdateScanProgress();
    void handleUpdateTotalSubFolder(int total);
    void handleScanCancel();
    void showResultForm();
    void OnBackToMain();
    void OnOptionsChanged();

private slots:
    void on_optionsButton_clicked();
    void on_selectFolderButton_clicked();

private:
    void removeProgressPanel();
    void releaseScanThread();

    Ui::FindDuplicateForm *ui;
};
