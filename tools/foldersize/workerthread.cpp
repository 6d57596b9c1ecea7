#include "workerthread.h"

#include "categoryicons.h"
#include "resultitem.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QThreadPool>

#include <algorithm>

namespace {

constexpr double bytesPerMB = 1048576.0;

QStandardItem *numberItem(const QVariant &value)
{
    auto *item = new QStandardItem;
    item->setData(value, Qt::DisplayRole);
    return item;
}

} // namespace

// A folder of the walk while it is open: its row and what its finished sub-folders have added so far.
struct WorkerThread::Folder
{
    QList<QStandardItem *> row;
    Folder *parent = nullptr;
    quint64 bytes = 0; // files of the finished descendants (column 4 while the folder is open)
    int fileCount = 0;
    int folderCount = 0;
};

WorkerThread::WorkerThread(QObject *parent) : QThread(parent) {}

WorkerThread::~WorkerThread()
{
    // Never destroyed while running: stop the walk and wait for it.
    cancel = true;
    wait();
}

QString WorkerThread::sizeText(quint64 bytes)
{
    const double b = double(bytes);
    if (b / 1073741824.0 >= 1)
        return QString::number(b / 1073741824.0, 'f', 2) + QStringLiteral(" GB");
    if (b / bytesPerMB >= 1)
        return QString::number(b / bytesPerMB, 'f', 2) + QStringLiteral(" MB");
    return QString::number(b / 1024.0, 'f', 2) + QStringLiteral(" KB");
}

QString WorkerThread::accessTimeText(const FILETIME &time)
{
    // The listing gives UTC; people read their own clock.
    return fileTimeToDateTime(time).toLocalTime().toString(Qt::TextDate);
}

QImage WorkerThread::smallIcon(const QString &path)
{
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(wstr(path), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) || !info.hIcon)
        return QImage();
    const QImage image = imageFromIcon(info.hIcon);
    DestroyIcon(info.hIcon);
    return image;
}

QString WorkerThread::extensionKey(const QString &fileName)
{
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot);
}

void WorkerThread::run()
{
    QList<FileCategory> *list = categories ? *categories : nullptr;
    fetchedCategoryIcons = QVector<QImage>(list ? list->size() : 0);
    scope.begin(path);

    prepareDataFilesModel();
    biggestThreshold = 0;

    // The root row stays off the model until the walk is done, so that no model signal runs per folder.
    rootRow->clear();
    *rootRow << new QStandardItem(windowsFileInfo(path).fileName())
             << new QStandardItem(QStringLiteral("Column 2 Text")) << new QStandardItem << new QStandardItem
             << new QStandardItem(QString()) << new QStandardItem(nativeSeparators(path)) << numberItem(100.0)
             << new QStandardItem;

    {
        // The walker's threads end with the walk, before anything is reported. They also look up the
        // categories of each file's extension; the table does not change from here on.
        FolderWalker folderWalker(cancel, FolderWalker::defaultThreads(),
                                  [this](const QString &, FolderWalker::Listing &listing) {
                                      if (matchOfKey.isEmpty())
                                          return;
                                      for (FolderWalker::Entry &e : listing.entries)
                                          if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY))
                                              e.tag = matchOfKey.find(e.name, u"");
                                  });
        walker = &folderWalker;
        FolderWalker::Listing rootListing;
        std::vector<FolderWalker::FolderPtr> queued;
        int subFolders = 0;
        if (!cancel) {
            rootListing = folderWalker.take(folderWalker.queue(path), &queued);
            for (const FolderWalker::Entry &e : rootListing.entries)
                if (e.attributes & FILE_ATTRIBUTE_DIRECTORY)
                    ++subFolders;
        }
        emit updateTotalSubFolder(subFolders + 1);

        Folder root;
        root.row = *rootRow;
        scanFolder(path, &root, 0, rootListing, queued);
        walker = nullptr;
    }
    computePercentages(rootRow->first(), rootRow->at(4)->data(Qt::DisplayRole).toDouble());
    folderModel->appendRow(*rootRow);
    if (!cancel)
        folderModel->sort(4, Qt::DescendingOrder);

    summariseCategories();
    emit resultReady();
}

void WorkerThread::prepareDataFilesModel()
{
    categoryRows.clear();
    matchOfKey = ExtensionTable();
    categoryMatches.clear();
    QHash<QString, int> matchNumbers; // case-folded key -> its entry in categoryMatches
    if (cancel || !categories || !*categories)
        return;
    QList<FileCategory> &list = **categories;
    categoryRows.resize(list.size());
    for (int i = 0; i < list.size(); ++i) {
        FileCategory &category = list[i];
        categoryRows[i].row << new QStandardItem(category.name) << new QStandardItem << new QStandardItem
                            << new QStandardItem(QString()) << new QStandardItem << new QStandardItem;
        category.totalBytes = 0;
        // A file is listed once for every matching extension of every enabled category, in list order.
        if (category.enabled)
            for (const QString &extension : std::as_const(category.extensions)) {
                const QString key = extension.toCaseFolded();
                const auto known = matchNumbers.constFind(key);
                if (known != matchNumbers.cend()) {
                    categoryMatches[*known].append(i);
                } else {
                    matchNumbers.insert(key, int(categoryMatches.size()));
                    matchOfKey.add(key, int(categoryMatches.size()));
                    categoryMatches.append(QVector<int>{i});
                }
            }
    }
    matchOfKey.finish();
}

void WorkerThread::scanFolder(const QString &folderPath, Folder *folder, int depth,
                              const FolderWalker::Listing &listing, const std::vector<FolderWalker::FolderPtr> &queued)
{
    if (cancel)
        return;
    if (depth == 1) {
        emit updatePath(folderPath);
        emit updateScanProgress();
    }
    int fileCount = 0;
    int subFolderCount = 0;
    quint64 ownBytes = 0;

    const bool readable = scope.enter(listing);
    size_t nextChild = 0;
    if (readable) {
        QString shownFolder;
        for (const FolderWalker::Entry &e : listing.entries) {
            if (cancel)
                break;
            if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) {
                const QString childPath = FolderWalker::childPath(folderPath, e.name);
                Folder child;
                child.parent = folder;
                child.row << new QStandardItem(e.name) << new QStandardItem(QStringLiteral("Column 2 Text"))
                          << new QStandardItem << new QStandardItem << new QStandardItem
                          << new QStandardItem(nativeSeparators(childPath)) << new QStandardItem << new QStandardItem;
                folder->row.first()->appendRow(child.row);
                if (folderIcon.isNull()) {
                    folderIcon = smallIcon(childPath);
                    if (!folderIcon.isNull())
                        rootRow->first()->setData(folderIcon, Qt::DecorationRole);
                }
                if (!folderIcon.isNull())
                    child.row.first()->setData(folderIcon, Qt::DecorationRole);

                // A link or mount point is walked where it leads, if at all; its row says where that is.
                QString walkedPath = childPath;
                if (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    QString target;
                    walkedPath = scope.linkedFolder(childPath, &target);
                    if (!target.isEmpty())
                        child.row.first()->setToolTip(target);
                }
                // Listings are read ahead by the walker's threads; a link's target is read when it is
                // reached, since only the walk knows which folders it has entered.
                std::vector<FolderWalker::FolderPtr> childQueued;
                FolderWalker::Listing childListing;
                if (!walkedPath.isNull())
                    childListing = walker->take(walker->subFolder(queued, nextChild, walkedPath), &childQueued);
                else
                    ++nextChild; // nothing was listed ahead for it
                scanFolder(walkedPath.isNull() ? childPath : walkedPath, &child, depth + 1, childListing, childQueued);
                ++subFolderCount;
            } else {
                ++fileCount;
                addBiggestFile(folderPath, e);
                if (shownFolder.isNull())
                    shownFolder = windowsFileInfo(FolderWalker::childPath(folderPath, QStringLiteral("_"))).path();
                addDataFile(folderPath, shownFolder, e);
                ownBytes += e.size;
            }
        }
    }

    // Folders read ahead below one that is not entered (met before, or the walk was cancelled) are let go.
    walker->releaseFrom(queued, nextChild);

    // The folder is complete, also when the walk was cancelled inside it.
    const QList<QStandardItem *> &row = folder->row;
    const quint64 total = folder->bytes + ownBytes;
    row.at(4)->setData(double(total) / bytesPerMB, Qt::DisplayRole);
    row.at(1)->setText(sizeText(total));
    row.at(2)->setData(folder->fileCount + fileCount, Qt::DisplayRole);
    addFileTotals(folder->parent, fileCount, ownBytes);
    row.at(3)->setData(folder->folderCount + subFolderCount, Qt::DisplayRole);
    row.at(7)->setData(folderIndex++, Qt::DisplayRole);
    addFolderCount(folder->parent, subFolderCount);
}

void WorkerThread::addFileTotals(Folder *folder, int fileCount, quint64 bytes)
{
    for (; folder && !cancel; folder = folder->parent) {
        folder->fileCount += fileCount;
        folder->bytes += bytes;
    }
}

void WorkerThread::addFolderCount(Folder *folder, int folderCount)
{
    for (; folder && !cancel; folder = folder->parent)
        folder->folderCount += folderCount;
}

void WorkerThread::computePercentages(QStandardItem *item, double itemSize)
{
    if (cancel)
        return;
    for (int r = 0; r < item->rowCount(); ++r) {
        QStandardItem *child = item->child(r, 0);
        if (!child)
            break;
        const QStandardItem *sizeItem = item->child(r, 4);
        const double childSize = sizeItem ? sizeItem->data(Qt::DisplayRole).toDouble() : 0.0;
        const double share = childSize != 0 && itemSize != 0 ? 100.0 * childSize / itemSize : 0.0;
        if (QStandardItem *shareItem = item->child(r, 6))
            shareItem->setData(share, Qt::DisplayRole);
        computePercentages(child, childSize);
    }
}

void WorkerThread::addBiggestFile(const QString &folderPath, const FolderWalker::Entry &file)
{
    if (cancel || file.size <= biggestThreshold || !biggestFiles)
        return;
    DuplicateFileRecord record;
    record.fullPath = FolderWalker::childPath(folderPath, file.name);
    record.size = file.size;
    record.lastAccess = file.lastAccess;
    for (int i = 0; i < biggestFiles->size(); ++i) {
        if (biggestFiles->at(i).size < file.size) {
            biggestFiles->insert(i, record);
            if (biggestFiles->size() > 20)
                biggestFiles->removeLast();
            return;
        }
    }
    if (biggestFiles->size() < 20)
        biggestFiles->append(record);
    else
        biggestThreshold = biggestFiles->at(19).size;
}

void WorkerThread::addDataFile(const QString &folderPath, const QString &shownFolder, const FolderWalker::Entry &file)
{
    if (cancel || file.tag < 0)
        return;
    QList<FileCategory> &list = **categories;
    for (int c : categoryMatches.at(file.tag)) {
        CategoryRows &rows = categoryRows[c];
        if (!rows.icon.isValid()) {
            // All files of a category show the picture of the first one the shell answered for.
            if (list.at(c).icon) {
                rows.icon = QVariant::fromValue(*list.at(c).icon);
            } else {
                const QImage image = smallIcon(FolderWalker::childPath(folderPath, file.name));
                if (!image.isNull()) {
                    rows.icon = image;
                    fetchedCategoryIcons[c] = image;
                }
            }
        }
        auto *record = new ResultItem::File;
        record->name = file.name;
        record->folder = shownFolder;
        record->size = file.size;
        record->lastAccess = file.lastAccess;
        record->dataNumber = dataIndex++;
        rows.files.append(record);
        list[c].totalBytes += file.size;
    }
}

void WorkerThread::summariseCategories()
{
    if (categoryRows.isEmpty())
        return;
    QList<FileCategory> &list = **categories;
    QVector<int> shown;
    for (int i = 0; i < categoryRows.size(); ++i) {
        QList<QStandardItem *> &row = categoryRows[i].row;
        if (!list.at(i).enabled) {
            qDeleteAll(row);
            qDeleteAll(categoryRows[i].files);
            continue;
        }
        const QString icon = categoryIconByPosition(i);
        if (!icon.isEmpty())
            row.first()->setData(QImage(icon), Qt::DecorationRole);
        row.at(1)->setText(sizeText(list.at(i).totalBytes));
        row.at(4)->setData(double(list.at(i).totalBytes) / bytesPerMB, Qt::DisplayRole);
        row.at(5)->setData(dataIndex++, Qt::DisplayRole);
        shown.append(i);
    }

    // Largest first at both levels, equal sizes in the order found: what a stable descending sort of the
    // model by the raw size gives, without sorting a filled model.
    const bool sorted = !cancel;
    if (sorted)
        std::stable_sort(shown.begin(), shown.end(),
                         [&](int a, int b) { return double(list.at(a).totalBytes) > double(list.at(b).totalBytes); });
    // Each category's rows are made on a thread of their own: none of them is in a model yet.
    QThreadPool pool;
    pool.setMaxThreadCount(qMax(1, FolderWalker::defaultThreads()));
    for (int i : std::as_const(shown)) {
        CategoryRows *rows = &categoryRows[i];
        pool.start([rows, sorted] { makeFileRows(rows, sorted); });
    }
    pool.waitForDone();
    for (int i : std::as_const(shown))
        dataFilesModel->appendRow(categoryRows.at(i).row);
    categoryRows.clear();
}

void WorkerThread::makeFileRows(CategoryRows *rows, bool largestFirst)
{
    // Largest first, equal sizes in the order found: what a stable descending sort of the model by the raw
    // size gives, without sorting a filled model.
    if (largestFirst)
        std::stable_sort(rows->files.begin(), rows->files.end(),
                         [](const ResultItem::File *a, const ResultItem::File *b) { return a->size > b->size; });
    QStandardItem *parent = rows->row.first();
    if (rows->icon.isValid())
        parent->setData(rows->icon, ResultItem::fileIconRole);
    parent->setColumnCount(6);
    parent->setRowCount(int(rows->files.size()));
    for (int r = 0; r < rows->files.size(); ++r)
        ResultItem::setRow(parent, r, rows->files.at(r));
    rows->files = QVector<ResultItem::File *>();
}
