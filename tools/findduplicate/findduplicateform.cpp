#include "findduplicateform.h"
#include "ui_findduplicateform.h"

#include "findduplicateoptionsdialog.h"
#include "findduplicatesettings.h"
#include "findduplicateresultform.h"
#include "scaninfoform.h"
#include "shellhelpers.h"

#include <QDebug>
#include <QPointer>

FindDuplicateForm::FindDuplicateForm(QWidget *parent) : QWidget(parent), ui(new Ui::FindDuplicateForm)
{
    ui->setupUi(this);
    pageLayout = ui->pageLayout;
    ui->label->hide();
    ui->frame->setAcceptDrops(true);
    connect(ui->frame, SIGNAL(addURL(QString)), this, SLOT(on_AddURL(QString)));

    KRUtils().buildFileCategories(categories);
    loadCustomFileTypes();
    loadCategoryFlags();
    OnOptionsChanged();
}

FindDuplicateForm::~FindDuplicateForm()
{
    // The walk writes into this page's lists and the result page's filling reads them: both end before the
    // lists go (children are deleted only after the members).
    releaseScanThread();
    delete resultForm;
    delete ui;
}

void FindDuplicateForm::loadCustomFileTypes()
{
    FileCategory custom;
    custom.name = QStringLiteral("Custom file types");
    custom.extensions = parseCustomFileTypes(readCustomFileTypeList());
    categories.append(custom);
}

void FindDuplicateForm::loadCategoryFlags()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wstr(QStringLiteral(FIND_DUPLICATE_KEY)), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < categories.size(); ++i) {
        // A missing value leaves the preset 1: enabled. Any other stored number disables.
        DWORD value = 1;
        DWORD bytes = sizeof(value);
        RegQueryValueExW(key, wstr(QString::number(i)), nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &bytes);
        categories[i].enabled = value == 1;
    }
    RegCloseKey(key);
}

void FindDuplicateForm::requestClose()
{
    closePending = true;
    cancelled = true;
    if (scanThread)
        scanThread->cancel = true;
}

void FindDuplicateForm::on_AddURL(QString url)
{
    if (!currentFolder.isEmpty())
        return;
    // An empty path would become the root of the current drive.
    if (url.trimmed().isEmpty())
        return;
    for (ScanCategory &c : scanCategories)
        c.seenFiles.clear();
    for (CategoryResult &r : categoryResults)
        r.groups.clear();
    cancelled = false;
    returnToStart = false;

    if (url.endsWith(QLatin1Char('\\')))
        url.chop(1);
    currentFolder = url;

    progressPanel = new ScanInfoForm(this);
    connect(progressPanel, SIGNAL(scanCancel()), this, SLOT(handleScanCancel()));
    ui->toolBar->hide();
    ui->widget->hide();
    pageLayout->addWidget(progressPanel);
    progressPanel->show();
    progressPanel->setMessageText(QStringLiteral("Searching in progress. Please wait ..."));
    busy = true;

    scanThread = new FindDuplicateThread;
    scanThread->rootFolder = currentFolder;
    scanThread->cancel = false;
    scanThread->scanCategories = &scanCategories;
    scanThread->categoryResults = &categoryResults;
    connect(scanThread, SIGNAL(updatePath(QString)), this, SLOT(handleUpdatePath(QString)), Qt::QueuedConnection);
    connect(scanThread, SIGNAL(updateScanProgress()), this, SLOT(handleUpdateScanProgress()), Qt::QueuedConnection);
    connect(scanThread, SIGNAL(updateTotalSubFolder(int)), this, SLOT(handleUpdateTotalSubFolder(int)),
            Qt::QueuedConnection);
    connect(scanThread, SIGNAL(scanFinish()), this, SLOT(onScanFinish()), Qt::QueuedConnection);
    scanThread->start(QThread::InheritPriority);
}

void FindDuplicateForm::on_selectFolderButton_clicked()
{
    const QString folder = KRUtils().browseForFolder(documentsPath(), QStringLiteral("Find duplicates ..."));
    if (!folder.isEmpty())
        on_AddURL(folder);
}

void FindDuplicateForm::handleUpdatePath(QString path)
{
    if (progressPanel)
        progressPanel->setDetailText(path);
}

void FindDuplicateForm::handleUpdateScanProgress()
{
    if (progressPanel)
        progressPanel->stepProgress();
}

void FindDuplicateForm::handleUpdateTotalSubFolder(int total)
{
    if (progressPanel)
        progressPanel->setMaximum(total);
}

void FindDuplicateForm::handleScanCancel()
{
    cancelled = true;
    returnToStart = true;
    if (scanThread)
        scanThread->cancel = true;
}

void FindDuplicateForm::onScanFinish()
{
    busy = false;
    qDebug() << "FindDuplicateForm::onScanFinish";
    // scanFinish() is the walk's last act: the thread is at its end, and waiting for it costs nothing before
    // it is freed.
    releaseScanThread();
    if (closePending) {
        // Asked once: should the close be refused after all, the page is back at its start, ready for the
        // next folder, and later scans must not repeat the request.
        closePending = false;
        returnToStart = true;
        emit closeApp();
        close();
    }
    if (cancelled) {
        removeProgressPanel();
        if (returnToStart)
            OnBackToMain();
        return;
    }
    showResultForm();
}

void FindDuplicateForm::showResultForm()
{
    resultForm = new FindDuplicateResultForm(this);
    resultForm->categoryResults = &categoryResults;
    resultForm->scanFolder = currentFolder;
    connect(resultForm, SIGNAL(backToMain()), this, SLOT(OnBackToMain()));
    resultForm->startFill();
    removeProgressPanel();
    pageLayout->addWidget(resultForm);
    resultForm->show();
}

void FindDuplicateForm::OnBackToMain()
{
    currentFolder.clear();
    ui->toolBar->show();
    ui->widget->show();
    if (resultForm) {
        pageLayout->removeWidget(resultForm);
        resultForm->hide();
        resultForm->deleteLater();
        resultForm = nullptr;
    }
}

void FindDuplicateForm::OnOptionsChanged()
{
    scanCategories.clear();
    categoryResults.clear();
    for (const FileCategory &c : categories) {
        if (!c.enabled)
            continue;
        ScanCategory scan;
        scan.extensions = c.extensions;
        scanCategories.append(scan);
        CategoryResult result;
        result.name = c.name;
        categoryResults.append(result);
    }
}

void FindDuplicateForm::on_optionsButton_clicked()
{
    auto *dialog = new FindDuplicateOptionsDialog(this);
    connect(dialog, SIGNAL(optionsChanged()), this, SLOT(OnOptionsChanged()));
    dialog->categories = &categories;
    dialog->fillTree();
    QPointer<FindDuplicateOptionsDialog> guard(dialog);
    dialog->exec();
    // Escape and the title-bar box end the run without a delete of their own.
    if (guard)
        guard->deleteLater();
}

void FindDuplicateForm::removeProgressPanel()
{
    if (!progressPanel)
        return;
    pageLayout->removeWidget(progressPanel);
    progressPanel->hide();
    progressPanel->deleteLater();
    progressPanel = nullptr;
}

void FindDuplicateForm::releaseScanThread()
{
    if (!scanThread)
        return;
    scanThread->cancel = true;
    scanThread->wait();
    delete scanThread;
    scanThread = nullptr;
}
