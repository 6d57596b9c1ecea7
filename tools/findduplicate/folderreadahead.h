// Reads folder listings ahead of a depth-first walk, on a few threads of its own, so that the walk finds each
// listing ready when it gets there. The walk keeps its own order; only the reading runs ahead of it. On a
// large tree the listings (a file-system call per entry) are most of the work, and they overlap well.
#pragma once

#include "win32.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class FolderReadAhead
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
        // Filled by the prepare step, on the reading thread.
        int category = -1;
        QString fullPath;
        QString suffix;
    };

    // One folder as the listing gives it, without "." and "..".
    struct Listing
    {
        bool opened = false; // false: the folder could not be listed
        bool identified = false;
        quint64 volume = 0; // with fileId: the physical folder, links and junctions followed to their target
        quint64 fileId = 0;
        std::vector<Entry> entries;
        QString folder; // filled by the prepare step
    };

    // What the walk works out of each listing as soon as it is read; called on the reading threads, so it
    // must only read what does not change during the walk.
    using Prepare = std::function<void(const QString &path, Listing &listing)>;

    // threads 0 reads every folder on the caller's thread, when it is asked for.
    FolderReadAhead(const std::atomic<bool> &cancel, int threads, Prepare prepare = Prepare());
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead &) = delete;
    FolderReadAhead &operator=(const FolderReadAhead &) = delete;

    // The listing of a folder; its subfolders are then read ahead, first ones first. Once the cancel flag is
    // set it waits for no reader: an unread folder comes back as not listed.
    Listing take(const QString &path);
    // The walk will enter neither this folder nor anything below it: what was read ahead there goes.
    void skip(const QString &path);

    // Reads one folder now (without the prepare step).
    static Listing read(const QString &path);

private:
    enum class State { Queued, Reading, Done };
    struct Job
    {
        State state = State::Queued;
        quint64 serial = 0; // tells a job from a later one queued under the same path
        Listing listing;
    };

    void work();
    Listing readPrepared(const QString &path) const;
    void queueSubfolders(const QString &path, const Listing &listing);

    const std::atomic<bool> &cancel;
    const Prepare prepare;
    std::mutex mutex;
    std::condition_variable changed;
    bool stopping = false;
    QHash<QString, Job> jobs;
    std::vector<QString> stack; // folders to read, the next one last
    QSet<QPair<quint64, quint64>> expanded;
    quint64 nextSerial = 0;
    int reading = 0; // Reading and Done jobs not yet taken: the read-ahead's reach
    std::vector<std::unique_ptr<QThread>> threads;
};
