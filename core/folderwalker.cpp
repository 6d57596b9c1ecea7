#include "folderwalker.h"

#include "childpaths.h"

namespace {

// How many folders may be listed but not yet taken: enough to keep the listing threads busy, little memory.
const int reach = 256;

} // namespace

class FolderWalker::Folder
{
public:
    enum class State { Queued, Listing, Listed, Gone };

    explicit Folder(const QString &path) : path(path) {}

    const QString path;
    State state = State::Queued;
    Listing listing;
    std::vector<FolderPtr> subFolders;
};

FolderWalker::FolderWalker(const std::atomic<bool> &cancelFlag, int count, Prepare prepareStep)
    : cancel(cancelFlag), prepare(std::move(prepareStep))
{
    for (int i = 0; i < count; ++i) {
        threads.emplace_back(QThread::create([this] { work(); }));
        threads.back()->start();
    }
}

FolderWalker::~FolderWalker()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wanted.notify_all();
    for (auto &t : threads)
        t->wait();
}

int FolderWalker::defaultThreads()
{
    return qBound(0, QThread::idealThreadCount() - 1, 6);
}

FolderWalker::FolderPtr FolderWalker::queue(const QString &path)
{
    auto folder = std::make_shared<Folder>(path);
    if (!threads.empty()) {
        std::lock_guard<std::mutex> lock(mutex);
        stack.push_back(folder);
        wanted.notify_one();
    }
    return folder;
}

void FolderWalker::work()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wanted.wait(lock, [this] { return stopping || cancel || (!stack.empty() && ready < reach); });
        if (stopping || cancel)
            return;
        const FolderPtr folder = std::move(stack.back());
        stack.pop_back();
        if (folder->state != Folder::State::Queued)
            continue; // taken by the walk, or let go
        folder->state = Folder::State::Listing;
        lock.unlock();
        Listing listing = readPrepared(folder->path);
        lock.lock();
        // Let go while it was listed: what was read goes with it.
        if (folder->state == Folder::State::Gone)
            continue;
        folder->listing = std::move(listing);
        queueSubFolders(*folder);
        folder->state = Folder::State::Listed;
        ++ready;
        // Only the walk waits for a listing, and only for the one it takes: waking it for any other costs a
        // switch per folder.
        if (folder.get() == awaited)
            listed.notify_all();
    }
}

FolderWalker::Listing FolderWalker::take(const FolderPtr &folder, std::vector<FolderPtr> *subFolders)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (folder->state == Folder::State::Queued) {
        // Not begun: the walk lists it itself rather than wait behind the queue.
        folder->state = Folder::State::Listing;
        lock.unlock();
        Listing listing = readPrepared(folder->path);
        lock.lock();
        folder->listing = std::move(listing);
        queueSubFolders(*folder);
    } else {
        // A thread that lists it looks at the cancel flag per entry, so this wait is short after a cancel.
        awaited = folder.get();
        listed.wait(lock, [&] { return folder->state != Folder::State::Listing; });
        awaited = nullptr;
        if (folder->state == Folder::State::Listed) {
            --ready;
            // Room in the read-ahead again: one more folder may be listed.
            if (ready < reach && !stack.empty())
                wanted.notify_one();
        }
    }
    folder->state = Folder::State::Gone;
    if (subFolders)
        *subFolders = std::move(folder->subFolders);
    else
        drop(folder);
    folder->subFolders.clear();
    return std::move(folder->listing);
}

void FolderWalker::release(const FolderPtr &folder)
{
    if (!folder)
        return;
    std::lock_guard<std::mutex> lock(mutex);
    drop(folder);
}

FolderWalker::FolderPtr FolderWalker::subFolder(const std::vector<FolderPtr> &subFolders, size_t &next,
                                                const QString &path)
{
    FolderPtr folder = next < subFolders.size() ? subFolders[next] : nullptr;
    ++next;
    return folder ? folder : queue(path);
}

void FolderWalker::releaseFrom(const std::vector<FolderPtr> &subFolders, size_t next)
{
    for (size_t i = next; i < subFolders.size(); ++i)
        release(subFolders[i]);
}

void FolderWalker::drop(const FolderPtr &folder)
{
    std::vector<FolderPtr> pending{folder};
    while (!pending.empty()) {
        const FolderPtr f = std::move(pending.back());
        pending.pop_back();
        if (!f)
            continue;
        if (f->state == Folder::State::Listed)
            --ready;
        // One being listed is dropped by its thread when that finds it gone; a queued one is passed by.
        f->state = Folder::State::Gone;
        f->listing = Listing();
        for (FolderPtr &sub : f->subFolders)
            pending.push_back(std::move(sub));
        f->subFolders.clear();
    }
    wanted.notify_all();
}

void FolderWalker::queueSubFolders(Folder &folder)
{
    const Listing &listing = folder.listing;
    if (threads.empty() || !listing.opened || cancel)
        return;
    // A physical folder met again (a mount seen twice, a hard-linked folder) is not listed ahead again: the
    // walk will most likely pass it by, and a cycle would otherwise never end.
    if (listing.identified) {
        const QPair<quint64, quint64> id(listing.volume, listing.fileId);
        if (expanded.contains(id))
            return;
        expanded.insert(id);
    }
    const size_t first = stack.size();
    for (const Entry &e : listing.entries) {
        if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        // Links are left to the walk, which knows which folders it has entered.
        if (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            folder.subFolders.emplace_back();
            continue;
        }
        folder.subFolders.push_back(std::make_shared<Folder>(childPath(folder.path, e.name)));
        stack.push_back(folder.subFolders.back());
    }
    // The first sub-folder is the one the walk wants next: it goes on top.
    std::reverse(stack.begin() + qsizetype(first), stack.end());
    if (stack.size() > first)
        wanted.notify_all();
}

FolderWalker::Listing FolderWalker::readPrepared(const QString &path) const
{
    Listing listing = read(path, &cancel);
    if (prepare && !cancel)
        prepare(path, listing);
    return listing;
}

FolderWalker::Listing FolderWalker::read(const QString &path, const std::atomic<bool> *cancel)
{
    Listing listing;
    if (cancel && cancel->load(std::memory_order_relaxed))
        return listing;

    // A drive given as "D:" names the current folder of that drive; its root is "D:\".
    const QString folder = path.endsWith(QLatin1Char(':')) ? path + QLatin1Char('/') : path;
    // A deep folder is reached in the form that takes any length; its path stays as the user sees it.
    HANDLE handle =
        CreateFileW(wstr(childpaths::callable(folder)), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info = {};
        if (GetFileInformationByHandle(handle, &info)) {
            listing.identified = true;
            listing.volume = info.dwVolumeSerialNumber;
            listing.fileId = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        }
        CloseHandle(handle);
    }

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(childpaths::callable(childPath(path, QStringLiteral("*")))), &data);
    if (find == INVALID_HANDLE_VALUE)
        return listing;
    listing.opened = true;
    listing.entries.reserve(64);
    do {
        if (cancel && cancel->load(std::memory_order_relaxed))
            break;
        Entry e;
        e.name = fromWide(data.cFileName, MAX_PATH);
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

QString FolderWalker::childPath(const QString &folder, const QString &name)
{
    // The walked paths are Windows paths: the separator Windows writes.
    return childpaths::join(folder, name, QLatin1Char('\\'));
}

FolderWalker::Scope::Place FolderWalker::Scope::locate(const QString &path)
{
    Place place;
    const QString folder = path.endsWith(QLatin1Char(':')) ? path + QLatin1Char('\\') : path;
    HANDLE handle =
        CreateFileW(wstr(childpaths::callable(folder)), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return place;
    BY_HANDLE_FILE_INFORMATION info = {};
    std::vector<WCHAR> buffer(32768); // the "\\?\" form it is given in has any length
    const DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(), DWORD(buffer.size()), VOLUME_NAME_DOS);
    if (GetFileInformationByHandle(handle, &info) && length > 0 && length < buffer.size()) {
        place.known = true;
        place.volume = info.dwVolumeSerialNumber;
        place.fileId = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        place.path = childpaths::shown(fromWide(buffer.data(), int(length)));
        while (place.path.endsWith(QLatin1Char('\\')))
            place.path.chop(1);
    }
    CloseHandle(handle);
    return place;
}

void FolderWalker::Scope::begin(const QString &rootPath)
{
    root = locate(rootPath);
    visited.clear();
}

bool FolderWalker::Scope::enter(const Listing &listing)
{
    if (!listing.opened)
        return false;
    if (!listing.identified)
        return true;
    const QPair<quint64, quint64> id(listing.volume, listing.fileId);
    if (visited.contains(id))
        return false;
    visited.insert(id);
    return true;
}

QString FolderWalker::Scope::linkedFolder(const QString &linkPath, QString *target) const
{
    const Place place = locate(linkPath);
    if (target)
        *target = place.path;
    if (!place.known || !root.known || place.volume != root.volume)
        return QString();
    // Either one holding the other: a folder of the tree, or a folder that holds the tree.
    auto holds = [](const QString &outer, const QString &inner) {
        return inner.startsWith(outer, Qt::CaseInsensitive) &&
               (inner.size() == outer.size() || inner.at(outer.size()) == QLatin1Char('\\'));
    };
    if (holds(root.path, place.path) || holds(place.path, root.path))
        return QString();
    if (visited.contains({place.volume, place.fileId}))
        return QString();
    return place.path;
}
