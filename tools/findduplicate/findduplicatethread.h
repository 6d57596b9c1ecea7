// The worker of Find Duplicate: walks a folder tree and, within each enabled file category, gathers the files
// of equal size and equal last-write time into groups; then splits every group into the sets of files whose
// contents are identical. Equal size and time alone do not make two files the same: only what was compared
// byte for byte is offered as a duplicate.
#pragma once

#include "duplicatefilerecord.h"
#include "folderwalker.h"
#include "win32.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>

// One set of duplicates: at least two files; the first is the group's key.
struct DuplicateGroup
{
    QList<DuplicateFileRecord> files;
};

// The working state of one enabled category during a scan.
struct ScanCategory
{
    QList<DuplicateFileRecord> seenFiles; // the first file met of every distinct (size, last-write time)
    QStringList extensions;               // as stored, built-in ones with their leading dot
};

// The result of one enabled category.
struct CategoryResult
{
    QString name;
    QList<DuplicateGroup> groups; // in the order in which they were opened
};

class FindDuplicateThread : public QThread
{
    Q_OBJECT

public:
    explicit FindDuplicateThread(QObject *parent = nullptr);
    ~FindDuplicateThread() override;

    // Set by the starter before start(); the two lists belong to the page and are filled in place.
    QString rootFolder;
    std::atomic<bool> cancel{false};
    QList<ScanCategory> *scanCategories = nullptr;
    QList<CategoryResult> *categoryResults = nullptr;

signals:
    void updateTotalSubFolder(int total);
    void updatePath(QString path);
    void updateScanProgress();
    void scanFinish();

protected:
    void run() override;

private:
    struct Index;
    // folder: the walker's queued folder; null for the root, whose listing the index holds.
    void scanFolder(const QString &path, int depth, const FolderWalker::FolderPtr &folder);
    // The index of the category that takes a file of this name, or -1 when none does.
    int categorizeFile(QStringView name) const;
    // folder: the walked folder of the file in the index's list of them.
    void matchFile(DuplicateFileRecord record, int category, int folder);
    // group: the index of the key's group in the category's groups, -1 until one is opened.
    void addToDuplicateList(DuplicateFileRecord newFile, const DuplicateFileRecord &earlierFile, int category,
                            int &group);
    // Replaces every group by its sets of identical files, in its place; on a cancel the groups not yet
    // compared go. steps: the progress reports of the walk so far.
    void confirmByContent(int steps);

    Index *index = nullptr; // lives only while run() executes
};
