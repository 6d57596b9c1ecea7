#include "findduplicatethread.h"

#include <QDebug>
#include <QDir>
#include <QHash>
#include <QLoggingCategory>
#include <unordered_map>
#include <unordered_set>

namespace {

// The duplicate key: the 64-bit size and both halves of the last-write time.
struct Key
{
    quint64 size;
    quint64 time;
    bool operator==(const Key &o) const { return size == o.size && time == o.time; }
};

struct KeyHash
{
    size_t operator()(const Key &k) const
    {
        quint64 h = k.size * 0x9E3779B97F4A7C15ULL ^ (k.time + 0x632BE59BD9B4E019ULL + (k.size << 6));
        return size_t(h ^ (h >> 29));
    }
};

Key keyOf(const DuplicateFileRecord &r)
{
    return Key{r.size, (quint64(r.lastWrite.dwHighDateTime) << 32) | r.lastWrite.dwLowDateTime};
}

// Where a key stands in one category: its entry in seenFiles and its group, -1 while it has none.
struct Slot
{
    int seen = -1;
    int group = -1;
};

struct FolderId
{
    quint64 volume;
    quint64 file;
    bool operator==(const FolderId &o) const { return volume == o.volume && file == o.file; }
};

struct FolderIdHash
{
    size_t operator()(const FolderId &f) const { return size_t(f.file * 0x9E3779B97F4A7C15ULL ^ f.volume); }
};

// The physical identity of a folder (volume and file id), following links and junctions to their target.
bool folderId(const QString &path, FolderId *id)
{
    HANDLE h = CreateFileW(wstr(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!ok)
        return false;
    id->volume = info.dwVolumeSerialNumber;
    id->file = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool isDots(const WCHAR *name)
{
    return name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0));
}

} // namespace

// Lookups that keep the walk linear: the category of an extension, and per category the place of every
// (size, last-write time) key in seenFiles and among the groups. The lists themselves stay as the page
// expects them; the index only finds entries in them without a linear search.
struct FindDuplicateThread::Index
{
    QHash<QString, int> categoryByKey; // case-folded extension -> first category that lists it
    std::vector<std::unordered_map<Key, Slot, KeyHash>> keySlots;
    std::unordered_set<FolderId, FolderIdHash> visited;
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
        for (const QString &e : scanCategories->at(i).extensions) {
            const QString k = e.toCaseFolded();
            if (!idx.categoryByKey.contains(k))
                idx.categoryByKey.insert(k, i);
        }
        // Lists handed over with content are indexed as they stand, so matching stays as a plain search's.
        const QList<DuplicateFileRecord> &seen = (*scanCategories)[i].seenFiles;
        for (int s = 0; s < seen.size(); ++s)
            idx.keySlots[size_t(i)].try_emplace(keyOf(seen.at(s))).first->second.seen = s;
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

    int count = 0;
    if (!cancel) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(wstr(rootFolder + QDir::separator() + QLatin1Char('*')), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!isDots(data.cFileName) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    ++count;
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
    }
    emit updateTotalSubFolder(count + 1);
    scanFolder(rootFolder, 0);
    index = nullptr;
    emit scanFinish();
}

void FindDuplicateThread::scanFolder(const QString &path, int depth)
{
    if (cancel)
        return;
    if (depth == 1) {
        emit updatePath(path);
        emit updateScanProgress();
    }
    // A link or junction back to a folder already walked would list its files a second time, and each
    // would become a duplicate of itself: every physical folder is entered once.
    FolderId id;
    if (folderId(path, &id) && !index->visited.insert(id).second)
        return;

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(path + QDir::separator() + QLatin1Char('*')), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    const QString folder = QDir::toNativeSeparators(path);
    do {
        if (cancel)
            break;
        if (isDots(data.cFileName))
            continue;
        const QString name = fromWide(data.cFileName);
        const QString entryPath = path + QDir::separator() + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            scanFolder(entryPath, depth + 1);
            continue;
        }
        DuplicateFileRecord record;
        record.name = name;
        record.folder = folder;
        record.fullPath = entryPath;
        record.size = (quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        record.lastAccess = data.ftLastAccessTime;
        record.creation = data.ftCreationTime;
        record.lastWrite = data.ftLastWriteTime;
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        if (dot >= 0)
            record.suffix = name.mid(dot + 1);
        categorizeFile(record);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

void FindDuplicateThread::categorizeFile(const DuplicateFileRecord &record)
{
    // The first enabled category, in the page's order, that lists "." + suffix (any letter case) takes it.
    const auto it = index->categoryByKey.constFind((QLatin1Char('.') + record.suffix).toCaseFolded());
    if (it != index->categoryByKey.constEnd())
        matchFile(record, it.value());
}

void FindDuplicateThread::matchFile(const DuplicateFileRecord &record, int category)
{
    auto &keys = index->keySlots[size_t(category)];
    const auto [it, inserted] = keys.try_emplace(keyOf(record));
    QList<DuplicateFileRecord> &seen = (*scanCategories)[category].seenFiles;
    if (!inserted && it->second.seen >= 0) {
        addToDuplicateList(record, seen.at(it->second.seen), category);
        return;
    }
    it->second.seen = int(seen.size());
    seen.append(record);
}

void FindDuplicateThread::addToDuplicateList(const DuplicateFileRecord &newFile, const DuplicateFileRecord &earlierFile,
                                             int category)
{
    if (index->debugOutput) {
        qDebug() << newFile.name << earlierFile.name << "addToDuplicateList";
        qDebug() << newFile.name << "=" << earlierFile.name;
    }
    QList<DuplicateGroup> &groups = (*categoryResults)[category].groups;
    Slot &slot = index->keySlots[size_t(category)][keyOf(newFile)];
    if (slot.group >= 0) {
        groups[slot.group].files.append(newFile);
        return;
    }
    // The first group of a key is opened by its second file; its first file stays the key.
    DuplicateGroup group;
    group.files << earlierFile << newFile;
    slot.group = int(groups.size());
    groups.append(group);
}
