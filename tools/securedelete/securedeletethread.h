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
    int kind = 1; // 1 file, 0 folder, 2 a link (removed itself, never what it points at)
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

    // The role of a row's Name item that holds what the user chose (a filecheck::Choice), taken when the row
    // was added: the row is shredded only while its path still leads there. A row without one stays.
    static constexpr int ChoiceRole = Qt::UserRole + 1;

    bool recycleBinMode = false;
    QStandardItemModel *listModel = nullptr;
    QStringList *recycleBinFolders = nullptr;
    std::atomic<bool> cancel{false};
    SecureDeleteOptions *options = nullptr;
    QList<SecureDeleteEntry> entries;
    // Rows or recycle-bin entries this run set out to shred, and how many of them went. Final at deleteFinish.
    int itemsToShred = 0;
    int itemsShredded = 0;
    // The rows or entries that were not shredded and stay, by what became of them, and whether a volume
    // refused a cluster overwrite among them. Final at deleteFinish.
    QStringList itemsKept;        // nothing of them was overwritten or removed
    QStringList itemsOverwritten; // files overwritten whose removal failed
    struct PartlyShredded
    {
        QString path;
        QStringList left;  // the first few of what is left below it, relative to it
        int leftCount = 0; // all that is left below it
    };
    QList<PartlyShredded> itemsPartly; // folders of which some was shredded or overwritten
    bool volumeRefused = false;

    // The outcome of walking a file's extents on its volume.
    struct ExtentResult
    {
        bool queryOk = false;      // the extents could be read to their end
        bool hadClusters = false;  // at least one extent lies on the volume
        bool writeOk = true;       // every extent on the volume received all passes
        bool refused = false;      // the volume denied a write (a file system in use that is not locked)
        bool noAllocation = false; // the file has no clusters allocated at all (the query's end of file at VCN 0)
    };

    void collectEntries(const QString &folder, QList<SecureDeleteEntry> &found);
    bool shredFolder(const QString &path, int depth);
    bool shredFile(const QString &path);
    bool overwriteFile(const QString &path, quint64 size);
    // size and attributes as the file was looked at.
    bool overwriteClusters(const QString &path, quint64 size, DWORD attributes, bool *deleted);
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
    // Shreds one row or entry of the kind given; base is the folder below which no link may lead to it (what
    // baseListed says, where that is known), and listed what it was when it was chosen or listed.
    bool shredItem(const QString &base, const QString &path, int kind, const filecheck::FileIdentity &listed,
                   const filecheck::FileIdentity &baseListed = filecheck::FileIdentity());
    // Removes a link itself, through a handle opened on it.
    bool removeLink(const QString &path);
    // Holds the folders from shredBase down to the folder of path for the row or entry itself (top), not for
    // an entry of a folder being shredded. False when one of them is no longer a plain folder or base has
    // changed: the row or entry is then named as changed.
    bool holdFoldersOf(const QString &path, bool top);
    // A file or folder absent at its turn: false, and the row or entry itself (top) is named as not found.
    bool notFound(const QString &path, bool top);
    // True when the row or entry itself (top) is still what was chosen or listed, as its path leads now; false
    // names it as changed. A look to name it only: what is done to it is checked again on its handle.
    bool stillTheItem(const QString &path, bool top);
    // A new row or entry: nothing of it done yet.
    void beginItem(const QString &path);
    // Something below the folder being shredded that stays, and whether it was overwritten.
    void leftBelow(const QString &path, bool overwritten);
    // Names a row or entry of the kind given that stays, by what became of it.
    void keep(const QString &path, int kind);
    // What the file or folder now being shredded must still be: the listed item's identity, for the item
    // itself only.
    filecheck::FileIdentity identityFor(bool top) const;

    bool writeSpanPasses(HANDLE handle, quint64 length);

    QString shredBase; // the folder below which no link may lead to the item being shredded
    filecheck::FileIdentity baseIdentity;
    filecheck::FileIdentity itemIdentity;
    QString itemPath;
    QString changedNote;      // how a row or entry that has changed is named
    bool itemTop = false;     // the next shredFile or shredFolder is the row or entry itself
    bool itemMissing = false; // the row or entry being shredded was not there at its turn
    bool itemChanged = false; // its path leads elsewhere than to what was chosen or listed
    bool itemTouched = false; // something of it was overwritten or removed
    bool wroteData = false;   // the file being shredded received a write
    QStringList leftNames;    // what is left below a folder being shredded, the first few
    int leftCount = 0;
    filecheck::FileIdentity fileIdentity; // what the file being shredded must still be
    filecheck::HeldFolders held;          // from shredBase down to the folder being shredded
    std::vector<BYTE> passBuffer;         // a pass's pattern, repeated for large writes
};
