#include "restorebackupdialog.h"
#include "ui_restorebackupdialog.h"

#include "backuprecord.h"
#include "childpaths.h"
#include "filecheck.h"
#include "krutils.h"
#include "pagetable.h"
#include "tickedrows.h"
#include "viewcolumns.h"

#include <QDateTime>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

const int cutRole = Qt::UserRole + 1;

// The backup folder, held from the application-data folder down while its files are listed, read or deleted:
// a link put on the way would lead to files that are no backups of this program.
bool holdBackupFolder(filecheck::HeldFolders &held, const QString &folder)
{
    return held.hold(filecheck::folderOf(filecheck::folderOf(folder)), folder);
}

struct ListedFile
{
    QString name;
    QDateTime created;
};

// The names of the folder's backup files, in the order Windows lists them on NTFS: case-insensitive.
QList<ListedFile> listBackupFiles(const QString &folder)
{
    QList<ListedFile> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(childpaths::callable(folder + QStringLiteral("\\*.bak"))), &data);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        const QString name = fromWide(data.cFileName, MAX_PATH);
        // The pattern also matches by short names ("x.bakery" as "X~1.BAK"): only a name ending so is a backup.
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !childpaths::staysBelow(name) ||
            !name.endsWith(QLatin1String(".bak"), Qt::CaseInsensitive))
            continue;
        const bool born = data.ftCreationTime.dwLowDateTime || data.ftCreationTime.dwHighDateTime;
        files.append({name, fileTimeToDateTime(born ? data.ftCreationTime : data.ftLastWriteTime)});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(files.begin(), files.end(),
              [](const ListedFile &a, const ListedFile &b) { return a.name.compare(b.name, Qt::CaseInsensitive) < 0; });
    return files;
}

} // namespace

RestoreBackupDialog::RestoreBackupDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::RestoreBackupDialog), checkedCount(0), restoreComplete(false)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    fileModel = new QStandardItemModel(0, 3, this);
    fileModel->setHorizontalHeaderLabels({tr("File Name"), tr("Created On"), tr("index")});
    detailModel = new QStandardItemModel(0, 5, this);
    detailModel->setHorizontalHeaderLabels({tr("Task"), tr("Location"), tr("index"), tr("oldValue"), tr("isDefault")});

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ui->RestorePushButton);
    buttons->addWidget(ui->ClosePushButton);
    // Said under the empty list, so that a folder without backups is not taken for a fault.
    noneLabel = new QLabel(tr("No backup files were found."), this);
    noneLabel->setObjectName(QStringLiteral("noneLabel"));
    noneLabel->setAlignment(Qt::AlignCenter);
    noneLabel->hide();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui->RestoreBackupTreeView);
    layout->addWidget(noneLabel);
    layout->addLayout(buttons);

    ui->RestorePushButton->setEnabled(false);
    ui->DetailTreeView->hide();
    ui->ApplyPushButton->hide();
    ui->RestoreBackupTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->RestoreBackupTreeView->setRootIsDecorated(false);
    ui->DetailTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->DetailTreeView->setRootIsDecorated(false);
}

RestoreBackupDialog::~RestoreBackupDialog()
{
    delete ui;
}

void RestoreBackupDialog::loadBackupList()
{
    KRUtils utils;
    const QString folder = utils.backupFolder();
    noneLabel->show();
    if (folder.isEmpty())
        return;
    qDebug() << "DirSpec: " << folder + QStringLiteral("\\*.bak");
    filecheck::HeldFolders held;
    if (!holdBackupFolder(held, folder))
        return;
    const QSet<int> knownIds = pageTableIds();
    int row = 0;
    for (const ListedFile &file : listBackupFiles(folder)) {
        const qint64 seconds = file.created.toSecsSinceEpoch();
        qDebug() << "fromSecsSinceEpoch" << seconds;
        QList<QStandardItem *> items;
        items << new QStandardItem(file.name);
        items << new QStandardItem(QDateTime::fromSecsSinceEpoch(seconds).toString(Qt::TextDate));
        items << new QStandardItem(QString::number(row++));
        // A damaged file stays in sight, so the user knows why it is not offered, but cannot be chosen.
        QList<KRGlobal::SettingsData> records;
        if (BackupRecord::readFile(folder + QLatin1Char('\\') + file.name, knownIds, &records) ==
            BackupRecord::FileState::Damaged) {
            items.at(1)->setText(items.at(1)->text() + tr(" (damaged, cannot be restored)"));
            for (QStandardItem *item : std::as_const(items))
                item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
        }
        fileModel->appendRow(items);
    }
    noneLabel->setVisible(fileModel->rowCount() == 0);
    ui->RestoreBackupTreeView->setModel(fileModel);
    ui->RestoreBackupTreeView->setColumnHidden(2, true);
    viewcolumns::setWidths(ui->RestoreBackupTreeView, {{0, 200}});
    connect(ui->RestoreBackupTreeView->selectionModel(),
            SIGNAL(selectionChanged(const QItemSelection &, const QItemSelection &)), this,
            SLOT(mySelectionChanged(const QItemSelection &, const QItemSelection &)));
}

void RestoreBackupDialog::mySelectionChanged(const QItemSelection &selected, const QItemSelection &)
{
    qDebug() << "mySelectionChanged: " << selected.size();
    // Only the indexes that can be chosen count: a damaged file's row cannot.
    ui->RestorePushButton->setEnabled(!selected.indexes().isEmpty());
}

void RestoreBackupDialog::on_RestorePushButton_clicked()
{
    ui->DetailTreeView->show();
    ui->ApplyPushButton->show();
    // The layouts hand back the items of the widgets they let go; those items are ours to free.
    delete layout()->replaceWidget(ui->RestoreBackupTreeView, ui->DetailTreeView);
    const QList<QHBoxLayout *> rows = findChildren<QHBoxLayout *>();
    for (QHBoxLayout *row : rows)
        delete row->replaceWidget(ui->RestorePushButton, ui->ApplyPushButton);
    ui->RestoreBackupTreeView->hide();
    ui->RestorePushButton->hide();
    noneLabel->hide();
    loadBackupFile();
}

void RestoreBackupDialog::loadBackupFile()
{
    ui->ApplyPushButton->setEnabled(false);
    KRUtils utils;
    const QString folder = utils.backupFolder();
    QItemSelectionModel *selection = ui->RestoreBackupTreeView->selectionModel();
    if (folder.isEmpty() || !selection || selection->selectedIndexes().isEmpty())
        return;
    const int fileRow = selection->selectedIndexes().first().row();
    backupFilePath = folder + QLatin1Char('\\') + fileModel->item(fileRow, 0)->text();
    // The file whose records are shown is the only one a full restore deletes: its identity is taken from the
    // handle it was read through.
    backupIdentity = filecheck::FileIdentity();
    filecheck::HeldFolders held;
    if (!holdBackupFolder(held, folder))
        return;
    QList<KRGlobal::SettingsData> records;
    switch (BackupRecord::readFile(backupFilePath, pageTableIds(), &records, &backupIdentity)) {
    case BackupRecord::FileState::Unreadable:
        qDebug() << "Cannot open file!";
        return;
    case BackupRecord::FileState::Damaged:
        // Changed since it was listed: nothing of it is offered.
        qDebug() << "damaged file: " << backupFilePath;
        return;
    case BackupRecord::FileState::Intact:
        break;
    }
    qDebug() << "open file: " << backupFilePath;
    for (const KRGlobal::SettingsData &record : std::as_const(records)) {
        tickedrows::append(detailModel, record.oldDesc,
                           {record.location, QString::number(record.index), record.oldValue,
                            QString::number(record.isDefault ? 1 : 0)});
        // Whether the value is only the beginning of the earlier text goes with it to the restore.
        detailModel->item(detailModel->rowCount() - 1, 3)->setData(record.reserved, cutRole);
    }
    checkedCount = detailModel->rowCount();
    ui->DetailTreeView->setModel(detailModel);
    ui->DetailTreeView->setColumnHidden(2, true);
    ui->DetailTreeView->setColumnHidden(3, true);
    ui->DetailTreeView->setColumnHidden(4, true);
    viewcolumns::setWidths(ui->DetailTreeView, {{0, 600}});
    ui->ApplyPushButton->setEnabled(checkedCount > 0);
    connect(detailModel, SIGNAL(itemChanged(QStandardItem *)), this, SLOT(onItemChanged(QStandardItem *)));
}

void RestoreBackupDialog::onItemChanged(QStandardItem *)
{
    checkedCount = tickedrows::count(detailModel);
    ui->ApplyPushButton->setEnabled(checkedCount > 0);
}

void RestoreBackupDialog::on_ApplyPushButton_clicked()
{
    settingList.clear();
    bool allChecked = true;
    for (int row = 0; row < detailModel->rowCount(); ++row) {
        if (!tickedrows::isTicked(detailModel, row)) {
            allChecked = false;
            continue;
        }
        KRGlobal::SettingsData entry;
        entry.index = detailModel->item(row, 2)->text().toInt();
        entry.desc = detailModel->item(row, 0)->text();
        entry.reserved = detailModel->item(row, 3)->data(cutRole).toBool();
        entry.location = detailModel->item(row, 1)->text();
        entry.oldValue = detailModel->item(row, 3)->text();
        entry.isDefault = detailModel->item(row, 4)->text() == QLatin1String("1");
        qDebug() << entry.index << entry.desc;
        settingList.append(entry);
    }
    restoreComplete = false;
    emit restoreBackup(settingList);
    // A partial restore, or one that did not reach the system in full, keeps the file.
    // Only the file that was read goes, reached from the application-data folder without a link.
    filecheck::HeldFolders held;
    if (allChecked && restoreComplete && backupIdentity.known &&
        holdBackupFolder(held, filecheck::folderOf(backupFilePath)))
        filecheck::deleteChecked(backupFilePath, filecheck::NotALink, backupIdentity);
    close();
}

void RestoreBackupDialog::on_ClosePushButton_clicked()
{
    close();
}
