#include "folderreadahead.h"

#include "childpaths.h"

#include <QDir>

#include <chrono>

namespace {

// How many folders may be read but not yet taken: enough to keep the readers busy, little memory.
const int reach = 256;

} // namespace

FolderReadAhead::FolderReadAhead(const std::atomic<bool> &cancelFlag, int count, Prepare prepareStep)
    : cancel(cancelFlag), prepare(std::move(prepareStep))
{
    for (int i = 0; i < count; ++i) {
        threads.emplace_back(QThread::create([this] { work(); }));
        threads.back()->start();
    }
}

FolderReadAhead::~FolderReadAhead()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    for (auto &t : threads)
        t->wait();
}

FolderReadAhead::Listing FolderReadAhead::read(const QString &path)
{
    Listing listing;
    HANDLE h = CreateFileW(wstr(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info = {};
        if (GetFileInformationByHandle(h, &info)) {
            listing.identified = true;
            listing.volume = info.dwVolumeSerialNumber;
            listing.fileId = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        }
        CloseHandle(h);
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(path + QDir::separator() + QLatin1Char('*')), &data);
    if (find == INVALID_HANDLE_VALUE)
        return listing;
    listing.opened = true;
    do {
        Entry e;
        e.name = fromWide(data.cFileName);
        // "." and "..", and any name that would lead out of the folder, are no entries of it.
        if (!childpaths::staysBelow(e.name))
            continue;
        e.attributes = data.dwFileAttributes;
        e.size = (quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        e.creation = data.ftCreationTime;
        e.lastAccess = data.ftLastAccessTime;
        e.lastWrite = data.ftLastWriteTime;
        listing.entries.push_back(std::move(e));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return listing;
}

FolderReadAhead::Listing FolderReadAhead::readPrepared(const QString &path) const
{
    Listing listing = read(path);
    if (prepare)
        prepare(path, listing);
    return listing;
}

void FolderReadAhead::queueSubfolders(const QString &path, const Listing &listing)
{
    // Called with the mutex held. A folder met again through a link is not read ahead a second time: the walk
    // will most likely pass it by, and a link to an ancestor would otherwise be followed without end.
    if (!listing.opened || threads.empty())
        return;
    if (listing.identified) {
        const QPair<quint64, quint64> id(listing.volume, listing.fileId);
        if (expanded.contains(id))
            return;
        expanded.insert(id);
    }
    bool queued = false;
    for (auto it = listing.entries.rbegin(); it != listing.entries.rend(); ++it) {
        if (!(it->attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const QString child = path + QDir::separator() + it->name;
        if (jobs.contains(child))
            continue;
        Job job;
        job.serial = ++nextSerial;
        jobs.insert(child, std::move(job));
        stack.push_back(child);
        queued = true;
    }
    if (queued)
        changed.notify_all();
}

void FolderReadAhead::work()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || cancel || (!stack.empty() && reading < reach); });
        if (stopping || cancel)
            return;
        const QString path = stack.back();
        stack.pop_back();
        auto it = jobs.find(path);
        if (it == jobs.end() || it->state != State::Queued)
            continue; // taken by the walk, or passed by
        it->state = State::Reading;
        const quint64 serial = it->serial;
        ++reading;
        lock.unlock();
        Listing listing = readPrepared(path);
        lock.lock();
        // The table may have grown while the folder was read (and grows below): the job is looked up anew,
        // never through an iterator kept across a change. A job passed by meanwhile, or queued again under
        // the same path, is not this reader's to finish.
        it = jobs.find(path);
        if (it == jobs.end() || it->serial != serial) {
            --reading;
            changed.notify_all();
            continue;
        }
        queueSubfolders(path, listing);
        it = jobs.find(path);
        it->listing = std::move(listing);
        it->state = State::Done;
        changed.notify_all();
    }
}

FolderReadAhead::Listing FolderReadAhead::take(const QString &path)
{
    std::unique_lock<std::mutex> lock(mutex);
    auto it = jobs.find(path);
    if (it != jobs.end() && it->state != State::Queued) {
        // Nobody signals a cancel: it is looked at now and then while a reader finishes the folder.
        while (!changed.wait_for(lock, std::chrono::milliseconds(50), [&] {
            it = jobs.find(path);
            return it == jobs.end() || it->state == State::Done || stopping || cancel;
        })) {
        }
        if (it != jobs.end() && it->state == State::Done) {
            Listing listing = std::move(it->listing);
            jobs.erase(it);
            --reading;
            changed.notify_all();
            return listing;
        }
    }
    // A job still being read is left to its reader, which finds it gone and counts it back.
    if (it != jobs.end())
        jobs.erase(it);
    if (cancel)
        return Listing();
    // Not read yet: the walk reads it itself rather than wait behind the queue.
    lock.unlock();
    Listing listing = readPrepared(path);
    lock.lock();
    queueSubfolders(path, listing);
    return listing;
}

void FolderReadAhead::skip(const QString &path)
{
    std::lock_guard<std::mutex> lock(mutex);
    const QString below = path + QDir::separator();
    for (auto it = jobs.begin(); it != jobs.end();) {
        if (it.key() == path || it.key().startsWith(below)) {
            if (it->state == State::Done)
                --reading;
            // A folder being read is counted back when its reader finds the job gone.
            it = jobs.erase(it);
        } else {
            ++it;
        }
    }
    changed.notify_all();
}
