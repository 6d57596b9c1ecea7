// Each engine run once, as its page runs it: the page hands the engine Windows paths (what the folder browser
// and the file dialogs give through fromHostPath), and what the engine gives back is read through hostPath, so
// that its answer can be set beside a peer tool's or a count made on the host. The benchmarks time these runs;
// the tests run them on small trees for their answers only.
#pragma once

#include "benchchecks.h"
#include "findduplicatethread.h"
#include "krutils.h"
#include "scanprogressform.h"
#include "securedeletethread.h"
#include "win32.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSignalSpy>
#include <QStandardItemModel>

#include <cmath>

namespace benchengine {

// The category of each extension the scan knows (case-folded, with its dot): the first category that lists it.
inline QHash<QString, int> categoryOfExtensions()
{
    QList<FileCategory> categories;
    KRUtils().buildFileCategories(categories);
    QHash<QString, int> categoryOf;
    for (int c = 0; c < categories.size(); ++c)
        for (QString e : categories.at(c).extensions) {
            if (!e.startsWith(QLatin1Char('.')))
                e.prepend(QLatin1Char('.'));
            if (!categoryOf.contains(e.toCaseFolded()))
                categoryOf.insert(e.toCaseFolded(), c);
        }
    return categoryOf;
}

// The duplicate scan of a host folder: its groups as host paths, a path a line, an empty line after each group
// (as jdupes prints them).
inline QByteArray duplicateGroups(const QString &tree)
{
    QList<FileCategory> categories;
    KRUtils().buildFileCategories(categories);
    QList<ScanCategory> scan;
    QList<CategoryResult> results;
    for (const FileCategory &c : std::as_const(categories)) {
        ScanCategory s;
        s.extensions = c.extensions;
        scan << s;
        CategoryResult r;
        r.name = c.name;
        results << r;
    }
    FindDuplicateThread thread;
    thread.rootFolder = nativeSeparators(fromHostPath(tree));
    thread.scanCategories = &scan;
    thread.categoryResults = &results;
    thread.start();
    thread.wait();
    QByteArray out;
    for (const CategoryResult &c : std::as_const(results))
        for (const DuplicateGroup &g : c.groups) {
            for (const DuplicateFileRecord &f : g.files)
                out += QFile::encodeName(hostPath(f.fullPath)) + '\n';
            out += '\n';
        }
    return out;
}

// The folder scan of a host folder, from its start to its results on the page; the root row's totals. The page
// is handed back, to be freed or not.
inline benchcheck::Answer folderTotals(const QString &tree, ScanProgressForm **scanned)
{
    QList<FileCategory> categories;
    KRUtils().buildFileCategories(categories);
    auto *page = new ScanProgressForm;
    page->categories = &categories;
    QSignalSpy finished(page, &ScanProgressForm::scanFinish);
    page->startScan(nativeSeparators(fromHostPath(tree)));
    while (finished.isEmpty())
        finished.wait(60000);
    benchcheck::Answer a;
    if (!page->rootRow.isEmpty()) {
        const QModelIndex root = page->folderModel->indexFromItem(page->rootRow.first());
        a.files = root.siblingAtColumn(2).data().toLongLong();
        a.folders = root.siblingAtColumn(3).data().toLongLong();
        a.bytes = std::llround(root.siblingAtColumn(4).data().toDouble() * 1048576.0);
    }
    // The page's categories are this function's: the page keeps no pointer to them past the scan, and the
    // icons it cached in them go with them.
    page->categories = nullptr;
    for (FileCategory &category : categories)
        delete category.icon;
    *scanned = page;
    return a;
}

// The shredding engine on one host file, as a row of the page's list (DoD three passes); true when it was
// shredded.
inline bool shredOne(const QString &file)
{
    const QFileInfo info = windowsFileInfo(fromHostPath(QFileInfo(file).absoluteFilePath()));
    QStandardItemModel model;
    auto *name = new QStandardItem(info.fileName());
    name->setData(QVariant::fromValue(filecheck::choose(nativeSeparators(info.filePath()))),
                  SecureDeleteThread::ChoiceRole);
    model.appendRow({name, new QStandardItem(QStringLiteral("File")), new QStandardItem(nativeSeparators(info.path())),
                     new QStandardItem(QStringLiteral("0"))});
    SecureDeleteOptions options;
    options.DeleteMode = 2;
    SecureDeleteThread thread;
    thread.options = &options;
    thread.listModel = &model;
    thread.start();
    thread.wait();
    return thread.itemsShredded == 1;
}

} // namespace benchengine
