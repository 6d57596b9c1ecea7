#include "findduplicateresultform.h"
#include "ui_findduplicateresultform.h"

#include "showresultthread.h"
#include "filecheck.h"
#include "shellhelpers.h"
#include "win32.h"
#include "viewcolumns.h"

#include <QDebug>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>

FindDuplicateResultForm::FindDuplicateResultForm(QWidget *parent) : QWidget(parent), ui(new Ui::FindDuplicateResultForm)
{
    ui->setupUi(this);
    model.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("size"), QStringLiteral("Last Access Time"),
                                     QStringLiteral("Creation Time"), QStringLiteral("Last Write Time"),
                                     QStringLiteral("Path"), QStringLiteral("Note")});
    ui->treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Shown in the tree's place when the scan found nothing, so that an empty page is not taken for a fault.
    noneLabel = new QLabel(QStringLiteral("No duplicate files were found."), this);
    noneLabel->setObjectName(QStringLiteral("noneLabel"));
    noneLabel->setAlignment(Qt::AlignCenter);
    noneLabel->hide();
    ui->verticalLayout->addWidget(noneLabel);
}

FindDuplicateResultForm::~FindDuplicateResultForm()
{
    // The filling thread reads the scan's lists and builds rows for this page: it ends first.
    if (fillThread)
        fillThread->wait();
    if (moveThread) {
        moveThread->wait();
        delete moveThread;
    }
    delete ui;
}

void FindDuplicateResultForm::startFill()
{
    filling = true;
    // Back would delete this page under a running fill; it waits for the tree.
    ui->backButton->setEnabled(false);
    fillThread = new ShowResultThread(this);
    fillThread->categoryResults = &categoryResults;
    fillThread->model = &model;
    connect(fillThread, SIGNAL(processFinish()), this, SLOT(onProcessFinish()), Qt::QueuedConnection);
    fillThread->start(QThread::InheritPriority);
}

void FindDuplicateResultForm::on_backButton_clicked()
{
    emit backToMain();
}

void FindDuplicateResultForm::onProcessFinish()
{
    fillThread->wait();
    filling = false;
    ui->backButton->setEnabled(true);
    ui->treeView->setModel(&model);
    const bool none = model.rowCount() == 0;
    ui->treeView->setVisible(!none);
    noneLabel->setVisible(none);
    connect(&model, SIGNAL(itemChanged(QStandardItem *)), this, SLOT(onItemChanged(QStandardItem *)));
    ui->treeView->hideColumn(3);
    ui->treeView->hideColumn(4);
    // The path takes the room the note column leaves.
    viewcolumns::setWidths(ui->treeView, {{0, 200}}, 5);
    connect(ui->treeView->selectionModel(), SIGNAL(selectionChanged(QItemSelection, QItemSelection)), this,
            SLOT(mySelectionChanged(QItemSelection, QItemSelection)));
}

void FindDuplicateResultForm::onItemChanged(QStandardItem *item)
{
    if (item->checkState() == Qt::Checked)
        ++checkedCount;
    else
        --checkedCount;
    ui->RecycleBinButton->setEnabled(checkedCount > 0);
}

void FindDuplicateResultForm::on_RecycleBinButton_clicked()
{
    if (moving)
        return;
    pendingMoves.clear();
    QStandardItem *root = model.invisibleRootItem();
    for (int c = 0; c < root->rowCount(); ++c) {
        QStandardItem *category = root->child(c);
        for (int g = 0; g < category->rowCount(); ++g) {
            QStandardItem *group = category->child(g);
            for (int f = group->rowCount() - 1; f >= 0; --f) {
                QStandardItem *file = group->child(f, 0);
                if (file->checkState() != Qt::Checked)
                    continue;
                const QString path = group->child(f, 5)->text() + QLatin1Char('\\') + file->text();
                qDebug() << path;
                pendingMoves.push_back(PendingMove{QPersistentModelIndex(file->index()), path, false});
            }
        }
    }
    if (pendingMoves.empty())
        return;
    // Many files take a while: they move on a thread of their own, and the rows stay as they are until then.
    moving = true;
    ui->RecycleBinButton->setEnabled(false);
    ui->backButton->setEnabled(false);
    ui->treeView->setEnabled(false);
    moveThread = QThread::create([this] {
        for (PendingMove &m : pendingMoves)
            m.moved = moveChecked(m.path);
    });
    connect(moveThread, SIGNAL(finished()), this, SLOT(onMoveFinish()), Qt::QueuedConnection);
    moveThread->start();
}

void FindDuplicateResultForm::onMoveFinish()
{
    moveThread->wait();
    delete moveThread;
    moveThread = nullptr;
    // A file that did not go keeps its row, still checked, so the user sees it is still there.
    QStringList failed;
    QList<QPersistentModelIndex> groups;
    for (const PendingMove &m : pendingMoves) {
        if (m.moved && m.item.isValid()) {
            const QPersistentModelIndex group(m.item.parent());
            if (!groups.contains(group))
                groups << group;
            model.removeRow(m.item.row(), m.item.parent());
        } else if (!m.moved) {
            failed << nativeSeparators(m.path);
        }
    }
    // A group's label counts the files still shown under it.
    for (const QPersistentModelIndex &group : std::as_const(groups))
        if (QStandardItem *item = model.itemFromIndex(group))
            item->setText(QStringLiteral("File Count: ") + QString::number(item->rowCount()));
    pendingMoves.clear();
    moving = false;
    checkedCount = int(failed.size());
    ui->RecycleBinButton->setEnabled(checkedCount > 0);
    ui->backButton->setEnabled(true);
    ui->treeView->setEnabled(true);
    if (!failed.isEmpty()) {
        const QString text =
            QStringLiteral("These files could not be moved to the Recycle Bin:\n") + failed.join(QLatin1Char('\n'));
        MessageBoxW(nullptr, wstr(text), WSTR("Error"), MB_OK | MB_ICONERROR);
    }
}

bool FindDuplicateResultForm::moveChecked(const QString &path) const
{
    // The folders from the scanned one down to the file are held while it moves, and the file is looked at on
    // its own handle, which moves it: a folder swapped for a link since the scan, or a link in the file's place,
    // never sends anything outside the scanned folder to the Recycle Bin.
    const QString folder = filecheck::folderOf(path);
    filecheck::HeldFolders held;
    if (!held.hold(scanFolder.isEmpty() ? folder : scanFolder, folder))
        return false;
    HANDLE file = filecheck::openChecked(path, DELETE, filecheck::NotALink);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // The open file itself goes, through its handle: a link put in its place since it was checked stays.
    const bool moved = moveToRecycleBin(file);
    CloseHandle(file);
    return moved;
}

QString FindDuplicateResultForm::selectedFilePath() const
{
    const QModelIndexList selected = ui->treeView->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return QString();
    const QModelIndex index = selected.first();
    return index.siblingAtColumn(5).data().toString() + QLatin1Char('\\') + index.siblingAtColumn(0).data().toString();
}

void FindDuplicateResultForm::on_explorerButton_clicked()
{
    if (!ui->treeView->selectionModel())
        return;
    const QString path = selectedFilePath();
    if (!path.isEmpty())
        showInExplorer(path, this);
}

void FindDuplicateResultForm::mySelectionChanged(QItemSelection selected, QItemSelection)
{
    bool file = false;
    if (!selected.isEmpty()) {
        const QModelIndexList indexes = ui->treeView->selectionModel()->selectedIndexes();
        file = !indexes.isEmpty() && !indexes.first().siblingAtColumn(5).data().toString().isEmpty();
    }
    ui->explorerButton->setEnabled(file);
    ui->openButton->setEnabled(file);
}

void FindDuplicateResultForm::on_openButton_clicked()
{
    if (!ui->treeView->selectionModel())
        return;
    const QModelIndexList selected = ui->treeView->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const QString folder = selected.first().siblingAtColumn(5).data().toString();
    const QString path = selectedFilePath();
    ShellExecuteW(nullptr, WSTR("open"), wstr(path), nullptr, wstr(folder), SW_SHOWNORMAL);
}
