// The folder walk of both scans (folder sizes, duplicates): the scan walks depth-first in listing order, since
// its results are numbered and grouped in that order, while a few threads of the walker list the folders it
// will enter next. Each folder is listed once, by whichever thread gets to it first. A listing pays only what
// the system's directory listing gives per entry; a prepare step may work out more from it on the listing
// thread. Sub-folders are listed ahead only where they are real folders of the one listed (links are left to
// the walk, which knows which folders it has entered), and a physical folder only once, so that a cycle ends.
#pragma once

#include "win32.h"

#include <QPair>
#include <QSet>
#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class FolderWalker
{
public:
    struct Entry
    {
        QString name;
        DWORD attributes = 0;
        quint64 size = 0;
        FILETIME creation = {0, 0};
        FILETIME lastAccess = {0, 0};
        FILETIME lastWrite = {0, 0};
        int tag = -1; // free for the prepare step
    };

    // One folder as the listing gives it, without "." and "..".
    struct Listing
    {
        bool opened = false; // false: the folder could not be listed
        bool identified = false;
        quint64 volume = 0; // with fileId: the physical folder, links and junctions followed to their target
        quint64 fileId = 0;
        std::vector<Entry> entries;
    };

    // What the scan works out of a listing as soon as it is read, on the listing thread: it must only read
    // what does not change during the walk.
    using Prepare = std::function<void(const QString &path, Listing &listing)>;

    class Folder;
    using FolderPtr = std::shared_ptr<Folder>;

    // The listing threads a scan uses besides its own: the processors but one, a few at most, since the
    // walk that takes the listings in order can use no more.
    static int defaultThreads();

    // threads 0: every folder is listed on the walk's thread, when it is taken.
    FolderWalker(const std::atomic<bool> &cancel, int threads, Prepare prepare = Prepare());
    ~FolderWalker();
    FolderWalker(const FolderWalker &) = delete;
    FolderWalker &operator=(const FolderWalker &) = delete;

    // A folder to be listed; taken later, or let go.
    FolderPtr queue(const QString &path);
    // The listing of a queued folder: waits for the thread that lists it, or lists it now when none has begun.
    // subFolders receives, for each folder entry of the listing in order, the folder already queued for it,
    // or null where none was (a link, a physical folder listed before).
    Listing take(const FolderPtr &folder, std::vector<FolderPtr> *subFolders);
    // The walk will enter neither this folder nor anything below it: what was listed ahead there goes.
    void release(const FolderPtr &folder);
    // The folder to take for the next folder entry of a listing (next counts them): the one queued for it,
    // or, where none was, one queued now for path.
    FolderPtr subFolder(const std::vector<FolderPtr> &subFolders, size_t &next, const QString &path);
    // Lets go the folders queued for the folder entries from next on, which the walk does not enter.
    void releaseFrom(const std::vector<FolderPtr> &subFolders, size_t next);

    // Lists one folder on the calling thread.
    static Listing read(const QString &path, const std::atomic<bool> *cancel = nullptr);

    // Which folders a walk enters, so that each folder's files are met once, where they are, whatever the
    // listing order: every real folder of the tree; a link or mount point only where it leads, on the
    // volume the walk started on, to a folder outside the tree that the walk has not entered and that does not
    // hold the tree (a cycle). A link into the tree is not entered: its folder is walked where it stands.
    class Scope
    {
    public:
        // The walk's folder: where it really is, links followed.
        void begin(const QString &root);
        // Whether the walk enters a folder it has listed: not one it could not list, nor a physical folder
        // entered before.
        bool enter(const Listing &listing);
        // For a folder entry that is a link or mount point: the path to walk it at (the folder it leads to),
        // or a null text when the walk does not enter it. target receives where it leads, if known.
        QString linkedFolder(const QString &linkPath, QString *target = nullptr) const;

    private:
        struct Place
        {
            bool known = false;
            quint64 volume = 0;
            quint64 fileId = 0;
            QString path; // a Windows path, without the "\\?\" prefix
        };
        static Place locate(const QString &path);
        Place root;
        QSet<QPair<quint64, quint64>> visited; // (volume, file index) of every folder entered
    };
    // A name in a folder: one separator between them, also after a root that ends with one; "" for a name
    // that would lead out of the folder.
    static QString childPath(const QString &folder, const QString &name);

private:
    void work();
    Listing readPrepared(const QString &path) const;
    void queueSubFolders(Folder &folder); // with the mutex held
    void drop(const FolderPtr &folder);   // with the mutex held

    const std::atomic<bool> &cancel;
    const Prepare prepare;
    std::mutex mutex;
    std::condition_variable wanted;  // the listing threads: folders to list, room to list them
    std::condition_variable listed;  // the walk: the folder it waits for is listed
    const Folder *awaited = nullptr; // the folder the walk waits for, if any
    bool stopping = false;
    std::vector<FolderPtr> stack;           // folders to list, the next one last
    QSet<QPair<quint64, quint64>> expanded; // physical folders whose sub-folders were queued
    int ready = 0;                          // listed and not yet taken: the read-ahead's reach
    std::vector<std::unique_ptr<QThread>> threads;
};
