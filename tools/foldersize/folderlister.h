// Reads folder listings ahead of a depth-first walk on a few helper threads, so that the walk finds each
// listing ready when it enters the folder. Each folder is listed once. A helper that has read a folder queues
// its sub-folders at once, deeper folders first, which is the order in which the walk will want them; it does
// not go on through links, nor below a folder already read through another path, so a cycle of links ends.
// Helpers stop once the walk's cancel flag is set.
#pragma once

#include "win32.h"

#include <QMutex>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QVector>
#include <atomic>

// One entry of a listing, as the directory listing gave it.
struct ListedEntry
{
    QString name;
    DWORD attributes = 0;
    quint64 size = 0;
    FILETIME lastAccess = {0, 0};
};

class FolderLister;

struct FolderListing
{
    bool opened = false; // false: the folder could not be listed
    // The physical folder behind the path (volume and file index), when the system could tell it.
    bool identified = false;
    quint64 volume = 0;
    quint64 fileIndex = 0;
    QVector<ListedEntry> entries; // without "." and ".."
};

class FolderLister
{
public:
    class Request;

    FolderLister(const std::atomic<bool> *cancel, int helpers);
    ~FolderLister();
    FolderLister(const FolderLister &) = delete;
    FolderLister &operator=(const FolderLister &) = delete;

    // Queues a folder for reading; depth orders the queue (deeper first).
    Request *request(const QString &path, int depth);
    // The listing of a queued folder: waits for the helper that reads it, or reads it on the calling thread
    // when no helper has begun. The request is used up. subFolders receives, for each folder entry of the
    // listing in order, the request already queued for it, or null where none was.
    FolderListing take(Request *request, QVector<Request *> *subFolders = nullptr);
    // A queued folder the walk will not enter: it and whatever was queued below it go now, not at the end.
    void release(Request *request);
    // Reads one folder on the calling thread.
    static void list(const QString &path, const std::atomic<bool> *cancel, FolderListing *out);
    // A name in a folder: one separator between them, also after a root that ends with one; "" for a name
    // that would lead out of the folder.
    static QString childPath(const QString &folder, const QString &name);

private:
    void readAhead(Request *request);

    const std::atomic<bool> *cancel;
    std::atomic<bool> stopping{false};
    QThreadPool pool;
    QMutex mutex;                       // guards the two sets
    QSet<Request *> open;               // queued and not yet taken
    QSet<QPair<quint64, quint64>> seen; // folders whose sub-folders have been queued
};
