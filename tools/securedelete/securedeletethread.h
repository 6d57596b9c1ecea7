// The shredding worker of the Secure Delete page: overwrites files in place with the chosen method, scrambles
// their names and deletes them, either the rows of the page's list or the contents of recycle-bin folders.
#pragma once

#include "filecheck.h"
#include "win32.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <vector>

class QStandardItemModel;

// One item found in a recycle-bin folder.
struct SecureDeleteEntry
{
    QString path;
    int kind = 1; // 1 file, 0 folder
    // The recycle-bin folder it was found in and what it was then: it is shredded only while it is still
    // that file or folder, reached without a link.
    QString folder;
    filecheck::FileIdentity identity;
};

// The shredding method, as the registry stores it.
struct SecureDeleteOptions
{
    quint32 NumPasses = 1;  // passes of the random method
    quint32 DeleteMode = 0; // 0 Gutmann, 1 DoD 7 passes, 2 DoD 3 passes, other: random
};

class SecureDeleteThread : public QThread
{
    Q_OBJECT

public:
    explicit SecureDeleteThread(QObject *parent = nullptr);

    bool recycleBinMode = false;
    QStandardItemModel *listModel = nullptr;
    QStringList *recycleBinFolders = nullptr;
    std::atomic<bool> cancel{false};
    SecureDeleteOptions *options = nullptr;
    QList<SecureDeleteEntry> entries;
    // Rows or recycle-bin entries this run set out to shred, and how many of them went. Final at deleteFinish.
    int itemsToShred = 0;
    int itemsShredded = 0;
    // The rows or entries that were not shredded and stay, and whether a volume refused a cluster overwrite
    // among them. Final at deleteFinish.
    QStringList itemsKept;
    bool volumeRefused = false;

    // The outcome of walking a file's extents on its volume.
    struct ExtentResult
    {
        bool queryOk = false;     // the extents could be read to their end
        bool hadClusters = false; // at least one extent lies on the volume
        bool writeOk = true;      // every extent on the volume received all passes
        bool refused = false;     // the volume denied a write (a file system in use that is not locked)
    };

    void collectEntries(const QString &folder, QList<SecureDeleteEntry> &found);
    bool shredFolder(const QString &path, int depth);
    bool shredFile(const QString &path);
    bool overwriteFile(const QString &path, quint64 size);
    bool overwriteClusters(const QString &path, bool *deleted);
    ExtentResult overwriteExtents(HANDLE volume, quint64 clusterSize, HANDLE file);
    // The renames go through file, a handle with delete access to path; without one, path is opened for them.
    QString scrambleName(const QString &path, HANDLE file = INVALID_HANDLE_VALUE);
    // Passes over length bytes from the file pointer, which ends just behind them.
    bool writePasses(HANDLE handle, quint64 length);
    bool writeGutmannPasses(HANDLE handle, quint64 length);
    bool writeDodPasses(HANDLE handle, quint64 length, int count);
    bool writeRandomPasses(HANDLE handle, quint64 length);

signals:
    void deleteFinish();
    void updateDeleteProgress();
    void updatePath(QString path);
    void updateTotalProgress(int total);

protected:
    void run() override;

private:
    void runListMode();
    void runRecycleBinMode();
    // Scrambles the name of the open file and deletes it, both through its handle, which it closes.
    bool removeScrambled(HANDLE file, const QString &path);
    // Shreds one row or entry; base is the folder it lies in, below which no link may lead to it, and listed
    // what it was when the run listed it.
    bool shredItem(const QString &base, const QString &path, bool file, const filecheck::FileIdentity &listed);
    // Holds the folders from shredBase down to the folder of path when nothing is held yet: path is a listed
    // item then, not an entry of a folder being shredded. False when one of them is no longer a plain folder.
    bool holdFoldersOf(const QString &path, bool *top);
    // A file or folder absent at its turn: false, and the row or entry being shredded, when it is the one,
    // is named as not found.
    bool notFound(const QString &path);
    // Names a row or entry that stays among those kept.
    void keep(const QString &path);
    // What the file or folder now being shredded must still be: the listed item's identity, for the item
    // itself only.
    filecheck::FileIdentity identityFor(bool top) const;

    bool writeSpanPasses(HANDLE handle, quint64 length);

    QString shredBase; // the folder of the item being shredded
    filecheck::FileIdentity itemIdentity;
    bool itemMissing = false;             // the row or entry being shredded was not there at its turn
    filecheck::FileIdentity fileIdentity; // what the file being shredded must still be
    filecheck::HeldFolders held;          // from shredBase down to the folder being shredded
    std::vector<BYTE> passBuffer;         // a pass's pattern, repeated for large writes
};
