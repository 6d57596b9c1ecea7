#include "securedeleteform.h"
#include "ui_securedeleteform.h"

#include "childpaths.h"
#include "filecheck.h"
#include "krutils.h"
#include "scaninfoform.h"
#include "securedeleteoptionsdialog.h"
#include "shellhelpers.h"
#include "viewcolumns.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QListWidgetItem>
#include <QMessageBox>
#include <QPixmap>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

// The small shell icon of a file or folder.
QIcon smallShellIcon(const QString &path)
{
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(wstr(path), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) || !info.hIcon)
        return QIcon();
    const QIcon icon(QPixmap::fromImage(imageFromIcon(info.hIcon)));
    DestroyIcon(info.hIcon);
    return icon;
}

// A 4-byte value of the key, whatever its type; false leaves the caller's default.
bool readFourBytes(HKEY key, LPCWSTR name, quint32 *value)
{
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&data), &size) != ERROR_SUCCESS ||
        size != sizeof(data))
        return false;
    *value = data;
    return true;
}

// The full path, "." and ".." resolved, as Windows resolves them; the path itself when it cannot be.
QString fullPath(const QString &path)
{
    std::vector<WCHAR> buffer(size_t(path.size()) + MAX_PATH);
    const DWORD length = GetFullPathNameW(wstr(path), DWORD(buffer.size()), buffer.data(), nullptr);
    return length == 0 || length >= buffer.size() ? path : fromWide(buffer.data(), int(length));
}

} // namespace

SecureDeleteForm::SecureDeleteForm(QWidget *parent) : QWidget(parent), ui(new Ui::SecureDeleteForm)
{
    ui->setupUi(this);
    mainLayout = ui->mainLayout;
    ui->tabWidget->setCurrentIndex(0);

    listModel = new QStandardItemModel(this);
    listModel->setHorizontalHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Type"), QStringLiteral("Path"), QStringLiteral("TypeIndex")});
    ui->ffTreeView->setModel(listModel);
    // The path takes the room the type index leaves.
    viewcolumns::setWidths(ui->ffTreeView, {{0, 250}}, 2);
    ui->ffTreeView->setAcceptDrops(true);
    ui->ffTreeView->setDropIndicatorShown(true);
    ui->ffTreeView->setSelectionMode(QAbstractItemView::ContiguousSelection);
    ui->ffTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(ui->ffTreeView, &KRTreeView::addURL, this, &SecureDeleteForm::on_AddURL);
    connect(ui->ffTreeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SecureDeleteForm::mySelectionChanged);
    rootItem = listModel->invisibleRootItem();

    // Empty lists are said so, not left blank.
    noFilesLabel = new QLabel(QStringLiteral("There are no files or folders in the list."), this);
    noFilesLabel->setObjectName(QStringLiteral("noFilesLabel"));
    ui->ffLayout->insertWidget(ui->ffLayout->indexOf(ui->ffTreeView) + 1, noFilesLabel);
    noBinLabel = new QLabel(QStringLiteral("No recycle bin folder was found."), this);
    noBinLabel->setObjectName(QStringLiteral("noBinLabel"));
    noBinLabel->hide();
    ui->rbLayout->insertWidget(ui->rbLayout->indexOf(ui->listWidget) + 1, noBinLabel);

    options.NumPasses = 1;
    options.DeleteMode = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wstr(QStringLiteral(SECURE_DELETE_KEY)), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        readFourBytes(key, WSTR("DeleteMode"), &options.DeleteMode);
        readFourBytes(key, WSTR("NumPasses"), &options.NumPasses);
        RegCloseKey(key);
    }
    // The random method needs at least one pass (none would delete a file that was never overwritten);
    // the dialog offers no more than 99.
    options.NumPasses = qBound<quint32>(1, options.NumPasses, 99);
}

SecureDeleteForm::~SecureDeleteForm()
{
    // A running thread is stopped and waited for; it must not outlive the model it reads.
    if (deleteThread) {
        deleteThread->cancel = true;
        deleteThread->wait();
    }
    delete ui;
}

void SecureDeleteForm::requestClose()
{
    closePending = true;
    if (deleteThread)
        deleteThread->cancel = true;
}

void SecureDeleteForm::updateListButtons()
{
    const bool rows = listModel->rowCount() > 0;
    ui->ffDeleteButton->setEnabled(rows);
    ui->ffRemoveAllButton->setEnabled(rows);
    noFilesLabel->setVisible(!rows);
}

void SecureDeleteForm::appendRow(const QString &name, bool folder, const QString &parentFolder, const QString &iconPath)
{
    auto *nameItem = new QStandardItem(smallShellIcon(iconPath), name);
    // What the user chose now, as the row's path reaches it: at its turn the row is shredded only while its
    // path still leads there.
    nameItem->setData(QVariant::fromValue(filecheck::choose(childpaths::join(parentFolder, name, QLatin1Char('\\')))),
                      SecureDeleteThread::ChoiceRole);
    auto *typeItem = new QStandardItem(folder ? QStringLiteral("Folder") : QStringLiteral("File"));
    auto *pathItem = new QStandardItem(parentFolder);
    auto *indexItem = new QStandardItem(folder ? QStringLiteral("1") : QStringLiteral("0"));
    rootItem->appendRow({nameItem, typeItem, pathItem, indexItem});
}

void SecureDeleteForm::on_ffAddFileButton_clicked()
{
    const QStringList files = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Add Files"), hostPath(documentsPath()), QStringLiteral("All Files (*.*)"));
    for (const QString &chosen : files) {
        if (chosen.isEmpty())
            continue;
        // The dialog spells names as the host does; the shredding calls take the Win32 spelling.
        const QString file = fromHostPath(chosen);
        const QFileInfo info = windowsFileInfo(file);
        appendRow(info.fileName(), false, nativeSeparators(info.path()), nativeSeparators(file));
    }
    updateListButtons();
}

void SecureDeleteForm::on_ffAddFolderButton_clicked()
{
    KRUtils utils;
    const QString chosen = utils.browseForFolder(documentsPath(), QStringLiteral("Select folder to delete..."));
    if (chosen.isEmpty() || refuseRoot(chosen))
        return;
    // As Windows reads it: a folder typed with "." or ".." is the one they lead to.
    const QString folder = fullPath(chosen);
    const QFileInfo info = windowsFileInfo(folder);
    appendRow(info.fileName(), true, nativeSeparators(info.path()), nativeSeparators(folder));
    updateListButtons();
}

void SecureDeleteForm::on_AddURL(QString url)
{
    // What was dropped is looked at through the Win32 calls that will shred it: its name may be one that Qt
    // cannot spell.
    if (refuseRoot(url))
        return;
    const QFileInfo info = windowsFileInfo(url);
    const DWORD attributes = GetFileAttributesW(wstr(childpaths::callable(url)));
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    appendRow(info.fileName(), folder, info.path(), url);
    updateListButtons();
}

bool SecureDeleteForm::refuseRoot(const QString &path)
{
    if (!filecheck::isRoot(fullPath(path)))
        return false;
    // As Windows refuses to delete a drive's root: it is the drive itself, never an item on it.
    QMessageBox::warning(this, tr(HUSHDECK_PRODUCT_NAME),
                         QStringLiteral("%1 is the root of a drive, and a drive's root cannot be shredded. Add the "
                                        "files and folders on it instead.")
                             .arg(nativeSeparators(childpaths::shown(fullPath(path)))),
                         QMessageBox::Ok);
    return true;
}

void SecureDeleteForm::on_ffRemoveButton_clicked()
{
    const QModelIndexList selected = ui->ffTreeView->selectionModel()->selectedRows(0);
    if (selected.isEmpty())
        return;
    // Highest row first, so that the rows still to go keep their numbers.
    QList<int> rows;
    for (const QModelIndex &index : selected)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : std::as_const(rows))
        qDeleteAll(listModel->takeRow(row));
    updateListButtons();
}

void SecureDeleteForm::on_ffOptionsButton_clicked()
{
    showOptions();
}

void SecureDeleteForm::on_rbOptionsButton_clicked()
{
    showOptions();
}

void SecureDeleteForm::showOptions()
{
    auto *dialog = new SecureDeleteOptionsDialog(this);
    dialog->options = &options;
    dialog->loadOptions();
    dialog->exec();
}

void SecureDeleteForm::on_ffDeleteButton_clicked()
{
    startRun(false);
}

void SecureDeleteForm::on_rbEmptyButton_clicked()
{
    recycleBinFolders.clear();
    for (int i = 0; i < ui->listWidget->count(); ++i) {
        const QListWidgetItem *item = ui->listWidget->item(i);
        if (item->checkState() == Qt::Checked)
            recycleBinFolders.append(item->text());
    }
    startRun(true);
}

void SecureDeleteForm::startRun(bool recycleBin)
{
    // The thread of the previous run has ended (its finish brought the page back); it goes now.
    if (deleteThread) {
        deleteThread->wait();
        delete deleteThread;
        deleteThread = nullptr;
    }
    deleteRunning = true;

    scanInfo = new ScanInfoForm(this);
    connect(scanInfo, &ScanInfoForm::scanCancel, this, &SecureDeleteForm::handleScanCancel);
    ui->tabWidget->hide();
    mainLayout->addWidget(scanInfo);
    scanInfo->setMessageText(QStringLiteral("Deleting in progress. Please wait ..."));
    scanInfo->setMaximum(recycleBin ? 100 : listModel->rowCount() + 1);

    deleteThread = new SecureDeleteThread(this);
    deleteThread->cancel = false;
    deleteThread->entries.clear();
    deleteThread->listModel = listModel;
    deleteThread->recycleBinMode = recycleBin;
    if (recycleBin)
        deleteThread->recycleBinFolders = &recycleBinFolders;
    connect(deleteThread, &SecureDeleteThread::updatePath, this, &SecureDeleteForm::handleUpdatePath);
    connect(deleteThread, &SecureDeleteThread::updateDeleteProgress, this,
            &SecureDeleteForm::handleUpdateDeleteProgress);
    if (recycleBin)
        connect(deleteThread, &SecureDeleteThread::updateTotalProgress, this,
                &SecureDeleteForm::handleUpdateTotalProgress);
    deleteThread->options = &options;
    connect(deleteThread, &SecureDeleteThread::deleteFinish, this, &SecureDeleteForm::onDeleteFinish);
    deleteThread->start(QThread::InheritPriority);
}

void SecureDeleteForm::on_ffRemoveAllButton_clicked()
{
    for (int row = listModel->rowCount() - 1; row >= 0; --row)
        listModel->removeRow(row);
    updateListButtons();
}

void SecureDeleteForm::mySelectionChanged(const QItemSelection &, const QItemSelection &)
{
    ui->ffRemoveButton->setEnabled(!ui->ffTreeView->selectionModel()->selectedIndexes().isEmpty());
}

void SecureDeleteForm::onDeleteFinish()
{
    deleteRunning = false;
    ui->tabWidget->show();
    if (scanInfo) {
        mainLayout->removeWidget(scanInfo);
        scanInfo->deleteLater();
        scanInfo = nullptr;
    }
    // A run told to stop says how far it came; one that ran to its end names what it could not shred. What
    // was not shredded keeps its row.
    QString stopped;
    if (deleteThread && deleteThread->cancel)
        stopped = QStringLiteral("The shredding was stopped: %1 of %2 items were shredded.")
                      .arg(deleteThread->itemsShredded)
                      .arg(deleteThread->itemsToShred);
    else if (deleteThread && (!deleteThread->itemsKept.isEmpty() || !deleteThread->itemsOverwritten.isEmpty() ||
                              !deleteThread->itemsPartly.isEmpty()))
        stopped = keptText(*deleteThread);
    // The page is left ready either way: the close may yet be refused (a Save that failed).
    ui->ffRemoveButton->setEnabled(false);
    updateListButtons();
    if (closePending) {
        // Asked once: should the close be refused after all, later runs must not repeat it.
        closePending = false;
        // The program is closing: no box may hold it up. The outcome goes to the debug output.
        if (!stopped.isEmpty())
            qInfo().noquote() << stopped;
        emit closeApp();
        close();
        return;
    }
    if (!stopped.isEmpty())
        QMessageBox::information(this, tr(HUSHDECK_PRODUCT_NAME), stopped, QMessageBox::Ok);
}

QString SecureDeleteForm::keptText(const SecureDeleteThread &run)
{
    const int shown = 10;
    // Each group of what stayed, the first few of it named, in words that say what became of it.
    const auto group = [&run](const QString &what, const QStringList &paths) {
        QStringList names;
        for (const QString &path : paths.mid(0, shown))
            names << nativeSeparators(path);
        if (paths.size() > shown)
            names << QStringLiteral("and %1 more").arg(paths.size() - shown);
        return what.arg(paths.size()).arg(run.itemsToShred).arg(names.join(QLatin1Char('\n')));
    };
    QStringList parts;
    if (!run.itemsKept.isEmpty())
        parts << group(QStringLiteral("%1 of %2 items could not be shredded and were kept as they were:\n%3"),
                       run.itemsKept);
    if (!run.itemsOverwritten.isEmpty())
        parts << group(QStringLiteral("%1 of %2 items were overwritten but could not be removed:\n%3"),
                       run.itemsOverwritten);
    if (!run.itemsPartly.isEmpty()) {
        QStringList folders;
        for (const SecureDeleteThread::PartlyShredded &folder : run.itemsPartly) {
            QStringList left;
            for (const QString &name : folder.left)
                left << nativeSeparators(name);
            if (folder.leftCount > folder.left.size())
                left << QStringLiteral("and %1 more").arg(folder.leftCount - folder.left.size());
            folders << (left.isEmpty() ? folder.path + QStringLiteral(" (emptied, but not removed)")
                                       : folder.path + QStringLiteral(" (left: ") + left.join(QStringLiteral(", ")) +
                                             QLatin1Char(')'));
        }
        parts << group(QStringLiteral("%1 of %2 items are folders that were shredded only in part:\n%3"), folders);
    }
    QString text = parts.join(QStringLiteral("\n\n"));
    if (run.volumeRefused)
        text += QStringLiteral("\n\nWindows refused to overwrite the clusters of a compressed, encrypted or "
                               "sparse file on its drive: it lets a program write to the sectors of a drive in "
                               "use only while the drive is locked.");
    return text;
}

void SecureDeleteForm::handleUpdatePath(QString path)
{
    if (scanInfo)
        scanInfo->setDetailText(nativeSeparators(path));
}

void SecureDeleteForm::handleUpdateDeleteProgress()
{
    if (scanInfo)
        scanInfo->stepProgress();
}

void SecureDeleteForm::handleUpdateTotalProgress(int total)
{
    if (scanInfo)
        scanInfo->setMaximum(total);
}

void SecureDeleteForm::handleScanCancel()
{
    if (deleteThread)
        deleteThread->cancel = true;
}

void SecureDeleteForm::on_tabWidget_currentChanged(int index)
{
    if (index != 1 || ui->listWidget->count() > 0)
        return;
    KRUtils utils;
    QStringList roots;
    utils.listFixedDriveRoots(roots);
    for (const QString &root : std::as_const(roots)) {
        const QString folder = findRecycleBinFolder(root.at(0).toLatin1());
        if (folder.isEmpty())
            continue;
        auto *item = new QListWidgetItem(folder, ui->listWidget);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    noBinLabel->setVisible(ui->listWidget->count() == 0);
}

QString SecureDeleteForm::findRecycleBinFolder(char letter)
{
    const QString root = QString(QLatin1Char(letter)) + QStringLiteral(":\\");
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(root + QLatin1Char('*')), &data);
    if (find == INVALID_HANDLE_VALUE)
        return QString();
    QString found;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            continue;
        const QString name = fromWide(data.cFileName, MAX_PATH);
        if (name.compare(QLatin1String("$RECYCLE.BIN"), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String("RECYCLER"), Qt::CaseInsensitive) == 0) {
            found = root + name; // as the disk spells it
            break;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return found;
}
