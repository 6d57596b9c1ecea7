// The Folder Size Analyzer's scan: one depth-first walk of a folder that builds the folder tree, the Data
// Files model (every file of an enabled category, by category) and the list of the 20 biggest files. The
// models and the list belong to the result page; the page attaches them to views only after resultReady().
#pragma once

#include "duplicatefilerecord.h"
#include "extensiontable.h"
#include "folderwalker.h"
#include "krutils.h"
#include "resultitem.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QSet>
#include <QString>
#include <QThread>
#include <QVariant>
#include <QVector>
#include <atomic>

class QStandardItem;
class QStandardItemModel;

class WorkerThread : public QThread
{
    Q_OBJECT

public:
    explicit WorkerThread(QObject *parent = nullptr);
    ~WorkerThread() override;

    int folderIndex = 0;
    int dataIndex = 0;
    QStandardItemModel *folderModel = nullptr;
    QStandardItemModel *dataFilesModel = nullptr;
    QList<QStandardItem *> *rootRow = nullptr;
    QString path;
    std::atomic<bool> cancel{false};
    QList<DuplicateFileRecord> *biggestFiles = nullptr;
    quint64 biggestThreshold = 0;
    QList<FileCategory> **categories = nullptr;
    // The folder picture, asked of the shell until it answers once and then shared by every folder row.
    // Pictures made here stay images: pixmaps belong to the GUI thread.
    QImage folderIcon;
    // The category pictures this scan had to ask for (by category position; null where none was asked
    // for); the page keeps them in the category list once the scan has ended.
    QVector<QImage> fetchedCategoryIcons;

    // "1.50 KB", "1024.00 MB", "1.00 GB": two decimals, a point, no grouping, whatever the locale.
    static QString sizeText(quint64 bytes);
    // A file time as a local date and time in Qt's text form.
    static QString accessTimeText(const FILETIME &time);
    // The shell's 16 x 16 picture of a file or folder; null when the shell has none.
    static QImage smallIcon(const QString &path);
    // "." and everything after the first dot of a file name; "" for a name without a dot.
    static QString extensionKey(const QString &fileName);

signals:
    void updateTotalSubFolder(int total);
    void updatePath(QString path);
    void updateScanProgress();
    void resultReady();

protected:
    void run() override;

private:
    struct Folder;
    // The files of a category, noted during the walk; their rows are made when the walk is done, so that
    // the rows can be made in their final order and on several threads.
    struct CategoryRows
    {
        QList<QStandardItem *> row;
        QVector<ResultItem::File *> files;
        QVariant icon; // the picture of its files, once known
    };

    void prepareDataFilesModel();
    void scanFolder(const QString &folderPath, Folder *folder, int depth, const FolderWalker::Listing &listing,
                    const std::vector<FolderWalker::FolderPtr> &queued);
    void addBiggestFile(const QString &folderPath, const FolderWalker::Entry &file);
    void addDataFile(const QString &folderPath, const QString &shownFolder, const FolderWalker::Entry &file);
    void addFileTotals(Folder *folder, int fileCount, quint64 bytes);
    void addFolderCount(Folder *folder, int folderCount);
    void computePercentages(QStandardItem *item, double itemSize);
    void summariseCategories();
    static void makeFileRows(CategoryRows *rows, bool largestFirst);

    FolderWalker *walker = nullptr;
    QVector<CategoryRows> categoryRows;
    ExtensionTable matchOfKey;             // extension -> its entry in categoryMatches
    QVector<QVector<int>> categoryMatches; // category positions of a key, one per match
    FolderWalker::Scope scope;             // which folders the walk enters
};
