#include "findduplicatethread.h"

#include "contentcomparer.h"
#include "extensiontable.h"
#include "folderwalker.h"

#include <QDebug>
#include <QDir>
#include <QHash>
#include <QLoggingCategory>
#include <QSet>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// The duplicate key: the 64-bit size and both halves of the last-write time.
using Key = QPair<quint64, quint64>;

Key keyOf(const DuplicateFileRecord &r)
{
    return Key(r.size, (quint64(r.lastWrite.dwHighDateTime) << 32) | r.lastWrite.dwLowDateTime);
}

// Where a key stands in one category: its entry in seenFiles and its group, -1 while it has none, and the
// walked folder of the file in seenFiles (-1: its path is known), whose path is made only once it has a group.
struct Slot
{
    int seen = -1;
    int group = -1;
    int folder = -1;
};

} // namespace

// Lookups that keep the walk linear: the category of an extension, and per category the place of every
// (size, last-write time) key in seenFiles and among the groups. The lists themselves stay as the page
// expects them; the index only finds entries in them without a linear search.
struct FindDuplicateThread::Index
{
    // Extensions, each with the first category that lists it.
    ExtensionTable categoryByKey;
    std::vector<QHash<Key, Slot>> keySlots;
    FolderWalker::Scope scope;
    FolderWalker *walker = nullptr;
    FolderWalker::Listing rootListing;
    std::vector<FolderWalker::FolderPtr> rootQueued;
    QStringList folders; // walked paths of the folders with files of a category
    int steps = 0;       // progress reports of the walk
    // Two lines per duplicate add up on a large tree; they are not even formatted when nobody reads them.
    bool debugOutput = QLoggingCategory::defaultCategory()->isDebugEnabled();
};

FindDuplicateThread::FindDuplicateThread(QObject *parent) : QThread(parent) {}

FindDuplicateThread::~FindDuplicateThread()
{
    // Never leave a running walk behind on the page's lists.
    cancel = true;
    wait();
}

void FindDuplicateThread::run()
{
    Index idx;
    index = &idx;
    const int categoryCount = scanCategories ? int(scanCategories->size()) : 0;
    idx.keySlots.resize(size_t(categoryCount));
    for (int i = 0; i < categoryCount; ++i) {
        for (const QString &e : scanCategories->at(i).extensions)
            idx.categoryByKey.add(e, i);
        // Lists handed over with content are indexed as they stand, so matching stays as a plain search's.
        const QList<DuplicateFileRecord> &seen = (*scanCategories)[i].seenFiles;
        for (int s = 0; s < seen.size(); ++s)
            idx.keySlots[size_t(i)][keyOf(seen.at(s))].seen = s;
        if (categoryResults && i < categoryResults->size()) {
            const QList<DuplicateGroup> &groups = (*categoryResults)[i].groups;
            for (int g = 0; g < groups.size(); ++g)
                if (!groups.at(g).files.isEmpty()) {
                    Slot &slot = idx.keySlots[size_t(i)][keyOf(groups.at(g).files.first())];
                    if (slot.group < 0)
                        slot.group = g;
                }
        }
    }
    // The first category in the page's order wins an extension that several list.
    idx.categoryByKey.finish();

    int count = 0;
    idx.scope.begin(rootFolder);
    {
        // Listings are read ahead on a few threads; the walk below keeps its own order. The walker's
        // threads also work out each file's category, so that the walk itself only matches. The category
        // table does not change from here on.
        FolderWalker walker(cancel, FolderWalker::defaultThreads(),
                            [this](const QString &, FolderWalker::Listing &listing) {
                                for (FolderWalker::Entry &e : listing.entries)
                                    if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY))
                                        e.tag = categorizeFile(e.name);
                            });
        idx.walker = &walker;
        if (!cancel) {
            // The root's one listing serves both the count and the walk.
            idx.rootListing = walker.take(walker.queue(rootFolder), &idx.rootQueued);
            for (const FolderWalker::Entry &e : idx.rootListing.entries)
                if (e.attributes & FILE_ATTRIBUTE_DIRECTORY)
                    ++count;
        }
        emit updateTotalSubFolder(count + 1);
        scanFolder(rootFolder, 0, nullptr);
    }
    confirmByContent(idx.steps);
    index = nullptr;
    emit scanFinish();
}

void FindDuplicateThread::scanFolder(const QString &path, int depth, const FolderWalker::FolderPtr &folder)
{
    if (cancel)
        return;
    if (depth == 1) {
        emit updatePath(path);
        emit updateScanProgress();
        ++index->steps;
    }
    std::vector<FolderWalker::FolderPtr> queued;
    const FolderWalker::Listing listing =
        depth == 0 ? std::move(index->rootListing) : index->walker->take(folder, &queued);
    if (depth == 0)
        queued = std::move(index->rootQueued);
    size_t nextChild = 0;
    // A link or junction back to a folder already walked would list its files a second time, and each
    // would become a duplicate of itself: every physical folder is entered once.
    const bool enter = index->scope.enter(listing);
    QString shownFolder;
    int folderNumber = -1;
    for (const FolderWalker::Entry &e : listing.entries) {
        if (!enter)
            break;
        if (cancel)
            break;
        if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            QString childPath = path + QLatin1Char('\\') + e.name;
            // A link or mount point is walked where it leads, so that its files are listed where they are.
            if (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                childPath = index->scope.linkedFolder(childPath);
                if (childPath.isNull()) {
                    ++nextChild; // nothing was listed ahead for it
                    continue;
                }
            }
            scanFolder(childPath, depth + 1, index->walker->subFolder(queued, nextChild, childPath));
            continue;
        }
        // A file that no enabled category takes plays no part: its record is never made.
        if (e.tag < 0)
            continue;
        if (folderNumber < 0) {
            shownFolder = nativeSeparators(path);
            folderNumber = int(index->folders.size());
            index->folders.append(path);
        }
        DuplicateFileRecord record;
        record.name = e.name;
        record.folder = shownFolder;
        record.size = e.size;
        record.lastAccess = e.lastAccess;
        record.creation = e.creation;
        record.lastWrite = e.lastWrite;
        const qsizetype dot = e.name.indexOf(QLatin1Char('.'));
        if (dot >= 0)
            record.suffix = e.name.mid(dot + 1);
        matchFile(std::move(record), e.tag, folderNumber);
    }
    // Folders listed ahead below one that is not entered (met before, or the walk was cancelled) go now.
    index->walker->releaseFrom(queued, nextChild);
}

int FindDuplicateThread::categorizeFile(QStringView name) const
{
    // A name without a dot has the key "."; the first enabled category, in the page's order, that lists the
    // key takes the file.
    return index->categoryByKey.find(name, u".");
}

void FindDuplicateThread::matchFile(DuplicateFileRecord record, int category, int folder)
{
    // One look-up per file: the slot of its key says both whether an earlier file has it and where its group is.
    Slot &slot = index->keySlots[size_t(category)][keyOf(record)];
    QList<DuplicateFileRecord> &seen = (*scanCategories)[category].seenFiles;
    if (slot.seen < 0) {
        // Most files stay alone: the path of this one is made only if another file joins it.
        slot.seen = int(seen.size());
        slot.folder = folder;
        seen.append(std::move(record));
        return;
    }
    const QChar separator = QLatin1Char('\\');
    record.fullPath = index->folders.at(folder) + separator + record.name;
    if (slot.folder >= 0) {
        DuplicateFileRecord &first = seen[slot.seen];
        first.fullPath = index->folders.at(slot.folder) + separator + first.name;
        slot.folder = -1;
    }
    addToDuplicateList(std::move(record), seen.at(slot.seen), category, slot.group);
}

void FindDuplicateThread::addToDuplicateList(DuplicateFileRecord newFile, const DuplicateFileRecord &earlierFile,
                                             int category, int &group)
{
    if (index->debugOutput) {
        qDebug() << newFile.name << earlierFile.name << "addToDuplicateList";
        qDebug() << newFile.name << "=" << earlierFile.name;
    }
    QList<DuplicateGroup> &groups = (*categoryResults)[category].groups;
    if (group >= 0) {
        groups[group].files.append(std::move(newFile));
        return;
    }
    // The first group of a key is opened by its second file; its first file stays the key.
    DuplicateGroup opened;
    opened.files.reserve(2);
    opened.files << earlierFile << std::move(newFile);
    group = int(groups.size());
    groups.append(std::move(opened));
}

void FindDuplicateThread::confirmByContent(int steps)
{
    struct Item
    {
        int category;
        int group;
        quint64 weight; // what comparing it costs, roughly: for the progress only
        std::vector<std::vector<int>> sets;
        bool compared = false;
    };
    std::vector<Item> items;
    quint64 totalWeight = 0;
    const int categoryCount = categoryResults ? int(categoryResults->size()) : 0;
    for (int c = 0; c < categoryCount; ++c) {
        const QList<DuplicateGroup> &groups = categoryResults->at(c).groups;
        for (int g = 0; g < groups.size(); ++g) {
            const QList<DuplicateFileRecord> &files = groups.at(g).files;
            const quint64 weight = files.isEmpty() ? 0 : quint64(files.size()) * (files.first().size + 4096);
            items.push_back({c, g, weight, {}, false});
            totalWeight += weight;
        }
    }

    if (!items.empty() && !cancel) {
        // The progress goes on where the walk left it, one report per hundredth of the work at most.
        const int units = int(std::min<size_t>(items.size(), 100));
        emit updateTotalSubFolder(steps + units + 1);
        std::atomic<size_t> next{0};
        std::atomic<quint64> doneWeight{0};
        std::mutex mutex;
        std::condition_variable changed;
        const int helperCount = qBound(1, QThread::idealThreadCount(), 4);
        int running = helperCount;
        // The lists are only read while the helpers run; the groups are replaced once all have ended.
        auto work = [&] {
            ContentComparer comparer(cancel);
            for (size_t i = next++; i < items.size() && !cancel; i = next++) {
                Item &item = items[i];
                const QList<DuplicateFileRecord> &files =
                    categoryResults->at(item.category).groups.at(item.group).files;
                QStringList paths;
                paths.reserve(files.size());
                for (const DuplicateFileRecord &f : files)
                    paths << f.fullPath;
                if (files.size() > 1)
                    item.sets = comparer.identicalSets(paths, files.first().size);
                item.compared = !cancel;
                doneWeight += item.weight;
                changed.notify_all();
            }
            std::lock_guard<std::mutex> lock(mutex);
            --running;
            changed.notify_all();
        };
        std::vector<std::unique_ptr<QThread>> helpers;
        for (int i = 0; i < helperCount; ++i) {
            helpers.emplace_back(QThread::create(work));
            helpers.back()->start();
        }
        int reported = 0;
        auto report = [&](int upTo) {
            for (; reported < upTo && !cancel; ++reported) {
                const Item &item = items[std::clamp<size_t>(next.load(), 1, items.size()) - 1];
                emit updatePath(categoryResults->at(item.category).groups.at(item.group).files.value(0).fullPath);
                emit updateScanProgress();
            }
        };
        {
            std::unique_lock<std::mutex> lock(mutex);
            while (running > 0) {
                // Woken by every finished group, and now and then for a long one.
                changed.wait_for(lock, std::chrono::milliseconds(100));
                const int upTo = int(quint64(units) * doneWeight.load() / std::max<quint64>(totalWeight, 1));
                lock.unlock();
                report(upTo);
                lock.lock();
            }
        }
        for (auto &helper : helpers)
            helper->wait();
        report(units);
    }

    // Each group gives way to its sets, in its place; what was not compared is no duplicate of anything.
    size_t at = 0;
    for (int c = 0; c < categoryCount; ++c) {
        QList<DuplicateGroup> &groups = (*categoryResults)[c].groups;
        QList<DuplicateGroup> confirmed;
        for (int g = 0; g < groups.size(); ++g, ++at) {
            const Item &item = items[at];
            if (!item.compared)
                continue;
            for (const std::vector<int> &set : item.sets) {
                DuplicateGroup group;
                group.files.reserve(qsizetype(set.size()));
                for (int f : set)
                    group.files.append(groups.at(g).files.at(f));
                confirmed.append(std::move(group));
            }
        }
        groups = std::move(confirmed);
    }
}
