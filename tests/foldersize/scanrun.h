// Runs one folder scan to its end on the test's thread and offers its results, and builds the trees the
// scans walk. Every expectation in the tests is counted from the tree the test wrote, never from the scan.
#pragma once

#include "krutils.h"
#include "workerthread.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

// A file of the given size (sparse: only the size matters to a scan), with an optional access time.
inline void writeFile(const QString &path, qint64 size, const QDateTime &accessed = QDateTime())
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QVERIFY(f.resize(size));
    if (accessed.isValid())
        QVERIFY(f.setFileTime(accessed, QFileDevice::FileAccessTime));
}

// A path as the page hands it to the scan: a host path (the test's own tree) as the Win32 functions name it, a
// drive path such as "D:/Games" with Windows separators.
inline QString scanPath(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) ? fromHostPath(path) : nativeSeparators(path);
}

inline QStringList scanPaths(const QStringList &paths)
{
    QStringList out;
    for (const QString &p : paths)
        out << scanPath(p);
    return out;
}

class ScanRun
{
public:
    ScanRun() { KRUtils().buildFileCategories(ownCategories); }

    QStandardItemModel folderModel;
    QStandardItemModel dataFilesModel;
    QList<QStandardItem *> rootRow;
    QList<DuplicateFileRecord> biggest;
    QList<FileCategory> ownCategories;
    QList<FileCategory> *categories = &ownCategories;
    QList<int> totals;     // updateTotalSubFolder
    QStringList paths;     // updatePath, in order
    int progressSteps = 0; // updateScanProgress
    WorkerThread worker;

    // Starts the scan and waits for resultReady; false when it did not come.
    bool run(const QString &path, const std::function<void()> &onFirstPath = {})
    {
        worker.path = scanPath(path);
        worker.folderModel = &folderModel;
        worker.dataFilesModel = &dataFilesModel;
        worker.rootRow = &rootRow;
        worker.biggestFiles = &biggest;
        worker.categories = &categories;
        QObject context;
        QObject::connect(&worker, &WorkerThread::updateTotalSubFolder, &context, [this](int t) { totals << t; });
        QObject::connect(&worker, &WorkerThread::updateScanProgress, &context, [this] { ++progressSteps; });
        QObject::connect(
            &worker, &WorkerThread::updatePath, &context, [this](const QString &p) { paths << p; },
            Qt::QueuedConnection);
        if (onFirstPath)
            QObject::connect(&worker, &WorkerThread::updatePath, &worker, onFirstPath, Qt::DirectConnection);
        QSignalSpy done(&worker, &WorkerThread::resultReady);
        worker.start();
        if (!done.wait(60000) && done.isEmpty())
            return false;
        worker.wait();
        QCoreApplication::processEvents(); // the queued progress reports
        return done.size() == 1;
    }

    // The folder row whose "Path" column reads path (as a Windows path), as its column-0 index.
    QModelIndex folder(const QString &path) const { return find(QModelIndex(), scanPath(path)); }
    QVariant folderValue(const QString &path, int column) const
    {
        const QModelIndex row = folder(path);
        return row.isValid() ? row.siblingAtColumn(column).data() : QVariant(QStringLiteral("<no row>"));
    }
    // The Data Files row of a category, or an invalid index.
    QModelIndex category(const QString &name) const
    {
        for (int r = 0; r < dataFilesModel.rowCount(); ++r)
            if (dataFilesModel.index(r, 0).data().toString() == name)
                return dataFilesModel.index(r, 0);
        return QModelIndex();
    }
    QStringList categoryNames() const
    {
        QStringList out;
        for (int r = 0; r < dataFilesModel.rowCount(); ++r)
            out << dataFilesModel.index(r, 0).data().toString();
        return out;
    }
    QStringList fileNames(const QString &categoryName) const
    {
        QStringList out;
        const QModelIndex c = category(categoryName);
        for (int r = 0; r < dataFilesModel.rowCount(c); ++r)
            out << dataFilesModel.index(r, 0, c).data().toString();
        return out;
    }

private:
    QModelIndex find(const QModelIndex &parent, const QString &path) const
    {
        for (int r = 0; r < folderModel.rowCount(parent); ++r) {
            const QModelIndex row = folderModel.index(r, 0, parent);
            if (row.siblingAtColumn(5).data().toString() == path)
                return row;
            const QModelIndex below = find(row, path);
            if (below.isValid())
                return below;
        }
        return QModelIndex();
    }
};
