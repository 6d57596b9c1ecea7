#include "folderlister.h"

#include "childpaths.h"

#include <QRunnable>
#include <QSemaphore>

class FolderLister::Request : public QRunnable
{
public:
    Request(FolderLister *owner, const QString &path, int depth) : owner(owner), path(path), depth(depth)
    {
        setAutoDelete(false);
    }
    void run() override
    {
        owner->readAhead(this);
        done.release();
    }

    FolderLister *owner;
    QString path;
    int depth;
    FolderListing listing;
    QVector<Request *> subFolders;
    QSemaphore done;
};

FolderLister::FolderLister(const std::atomic<bool> *cancel, int helpers) : cancel(cancel)
{
    pool.setMaxThreadCount(qMax(1, helpers));
}

FolderLister::~FolderLister()
{
    // What the walk did not take (it was cancelled, or went round a folder): drop what is queued, wait for
    // what runs.
    stopping = true;
    {
        QMutexLocker lock(&mutex);
        for (Request *r : std::as_const(open))
            (void)pool.tryTake(r);
    }
    pool.waitForDone();
    qDeleteAll(open);
}

FolderLister::Request *FolderLister::request(const QString &path, int depth)
{
    auto *r = new Request(this, path, depth);
    {
        QMutexLocker lock(&mutex);
        open.insert(r);
    }
    pool.start(r, depth);
    return r;
}

void FolderLister::readAhead(Request *request)
{
    if (stopping)
        return;
    list(request->path, cancel, &request->listing);
    const FolderListing &listing = request->listing;
    if (!listing.opened || !listing.identified || stopping || (cancel && *cancel))
        return;
    {
        QMutexLocker lock(&mutex);
        if (seen.contains({listing.volume, listing.fileIndex}))
            return;
        seen.insert({listing.volume, listing.fileIndex});
    }
    for (const ListedEntry &e : listing.entries) {
        if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        // Links are left to the walk, which knows which folders it has entered.
        const bool link = e.attributes & FILE_ATTRIBUTE_REPARSE_POINT;
        request->subFolders.append(link ? nullptr
                                        : this->request(childPath(request->path, e.name), request->depth + 1));
    }
}

FolderListing FolderLister::take(Request *request, QVector<Request *> *subFolders)
{
    if (pool.tryTake(request))
        request->run();
    request->done.acquire();
    FolderListing listing = std::move(request->listing);
    if (subFolders)
        *subFolders = std::move(request->subFolders);
    {
        QMutexLocker lock(&mutex);
        open.remove(request);
    }
    delete request;
    return listing;
}

void FolderLister::release(Request *request)
{
    QVector<Request *> pending{request};
    while (!pending.isEmpty()) {
        Request *r = pending.takeLast();
        if (!r)
            continue;
        // One still queued never runs; one being read is waited for, since it may queue more below it.
        if (!pool.tryTake(r))
            r->done.acquire();
        pending += r->subFolders;
        {
            QMutexLocker lock(&mutex);
            open.remove(r);
        }
        delete r;
    }
}

void FolderLister::list(const QString &path, const std::atomic<bool> *cancel, FolderListing *out)
{
    *out = FolderListing();
    if (cancel && cancel->load(std::memory_order_relaxed))
        return;

    // A drive given as "D:" names the current folder of that drive; its root is "D:\".
    const QString folder = path.endsWith(QLatin1Char(':')) ? path + QLatin1Char('/') : path;
    HANDLE handle = CreateFileW(wstr(folder), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info;
        if (GetFileInformationByHandle(handle, &info)) {
            out->identified = true;
            out->volume = info.dwVolumeSerialNumber;
            out->fileIndex = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        }
        CloseHandle(handle);
    }

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(childPath(path, QStringLiteral("*"))), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    out->opened = true;
    do {
        if (cancel && cancel->load(std::memory_order_relaxed))
            break;
        ListedEntry e;
        e.name = fromWide(data.cFileName, MAX_PATH);
        // "." and "..", and any name that would lead out of the folder, are no entries of it.
        if (!childpaths::staysBelow(e.name))
            continue;
        e.attributes = data.dwFileAttributes;
        e.size = (quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        e.lastAccess = data.ftLastAccessTime;
        out->entries.append(std::move(e));
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

QString FolderLister::childPath(const QString &folder, const QString &name)
{
    return childpaths::join(folder, name);
}
