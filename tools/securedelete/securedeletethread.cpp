#include "securedeletethread.h"

#include "childpaths.h"

#include <QDebug>
#include <QHash>
#include <QStandardItemModel>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

// Whether an entry is at path, a link itself; any length of path, unlike PathFileExistsW, which takes MAX_PATH
// characters at most.
bool exists(const QString &path)
{
    return GetFileAttributesW(wstr(childpaths::callable(path))) != INVALID_FILE_ATTRIBUTES;
}

// Every pattern is one 64 KiB block; longer runs repeat it.
const quint64 patternSize = 65536;
// Bytes per write call: the pattern repeated 64 times.
const quint64 writeSize = 64 * patternSize;
// Bytes that receive all their passes before the next ones: a pass over a span is flushed once, and the
// dirty data waiting for a flush stays bounded however large the file.
const quint64 spanSize = 4 * writeSize;
// Answer buffer of the extent query: a 16-byte header and room for 8,192 extents.
const ULONG extentBufferSize = 0x20010;

template <int N> struct PatternBuffers
{
    BYTE *buffers[N] = {};
    bool built = false;
};

// Built once per process and kept until it ends, so that no pattern is computed per chunk.
PatternBuffers<35> gutmannBuffers;
PatternBuffers<7> dodBuffers;

BYTE *allocatePattern()
{
    return static_cast<BYTE *>(VirtualAlloc(nullptr, patternSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

void releasePattern(BYTE *&buffer)
{
    if (buffer)
        VirtualFree(buffer, 0, MEM_RELEASE);
    buffer = nullptr;
}

void fillRandom(BYTE *buffer)
{
    for (quint64 i = 0; i < patternSize; ++i)
        buffer[i] = BYTE(rand() & 0xFF);
}

// Allocates all N buffers of a set, or none: what was allocated is released again when one fails.
template <int N> bool allocateAll(PatternBuffers<N> &set)
{
    for (int i = 0; i < N; ++i) {
        set.buffers[i] = allocatePattern();
        if (!set.buffers[i]) {
            for (int j = 0; j < i; ++j)
                releasePattern(set.buffers[j]);
            return false;
        }
    }
    return true;
}

bool buildGutmannBuffers()
{
    if (gutmannBuffers.built)
        return true;
    if (!allocateAll(gutmannBuffers))
        return false;
    // Buffers 4 to 30: one byte value each, repeated through the whole buffer.
    static const BYTE fixed[27] = {0x55, 0xAA, 0x92, 0x49, 0x24, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88,
                                   0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x92, 0x49, 0x24, 0x6D, 0xB6, 0xDB};
    srand(unsigned(_time64(nullptr)));
    for (int i = 0; i < 4; ++i)
        fillRandom(gutmannBuffers.buffers[i]);
    for (int i = 0; i < 27; ++i)
        std::memset(gutmannBuffers.buffers[4 + i], fixed[i], patternSize);
    // The last four continue the random sequence of the first four.
    for (int i = 31; i < 35; ++i)
        fillRandom(gutmannBuffers.buffers[i]);
    gutmannBuffers.built = true;
    return true;
}

bool buildDodBuffers()
{
    if (dodBuffers.built)
        return true;
    if (!allocateAll(dodBuffers))
        return false;
    BYTE **b = dodBuffers.buffers;
    srand(unsigned(_time64(nullptr) + 100));
    const int v = rand() & 0xFF;
    std::memset(b[0], v, patternSize);
    srand(unsigned(_time64(nullptr) + v));
    const int w = rand() & 0xFF;
    std::memset(b[1], v ^ 0xFF, patternSize);
    srand(unsigned(_time64(nullptr) - w + 5194));
    fillRandom(b[2]);
    for (int i = 3; i < 7; ++i) {
        srand(unsigned(_time64(nullptr) + 48 + w));
        fillRandom(b[i]);
    }
    dodBuffers.built = true;
    return true;
}

// One pass: length bytes of a 64 KiB pattern, after moving back over the bytes the previous pass wrote, so
// that every pass covers the same bytes. The pattern is repeated through a buffer of several MiB and written
// in few large calls, then flushed: each pass is on the disk before the next one starts, at the cost of one
// synchronous flush per pass rather than one synchronous write per 64 KiB. With a cancel flag, a set flag
// stops the pass before its next write; a short write or a failed flush counts as a failure. wrote is set once
// any byte was written.
bool writePass(HANDLE handle, const BYTE *pattern, quint64 length, int pass, const std::atomic<bool> *cancel,
               std::vector<BYTE> &buffer, bool &wrote)
{
    if (pass > 0) {
        LARGE_INTEGER back;
        back.QuadPart = -LONGLONG(length);
        if (!SetFilePointerEx(handle, back, nullptr, FILE_CURRENT))
            return false;
    }
    // Every write starts at a multiple of the pattern's size from the start of the range, as the pattern does.
    const quint64 filled = qMin(length, writeSize);
    if (buffer.size() < filled)
        buffer.resize(size_t(filled));
    for (quint64 at = 0; at < filled; at += patternSize)
        std::memcpy(buffer.data() + at, pattern, size_t(qMin(patternSize, filled - at)));
    quint64 left = length;
    while (left > 0) {
        if (cancel && *cancel)
            return false;
        const DWORD asked = DWORD(qMin(left, writeSize));
        DWORD written = 0;
        const BOOL ok = WriteFile(handle, buffer.data(), asked, &written, nullptr);
        wrote = wrote || written > 0;
        if (!ok || written != asked)
            return false;
        left -= asked;
    }
    return FlushFileBuffers(handle) != FALSE;
}

bool seekTo(HANDLE handle, quint64 offset)
{
    LARGE_INTEGER to;
    to.QuadPart = LONGLONG(offset);
    return SetFilePointerEx(handle, to, nullptr, FILE_BEGIN);
}

// What a file must be for its data to be overwritten: the file itself, never a link's target, and its only
// name, since overwriting data that another name shares (a hard link outside what the user chose) would
// destroy it under that name too.
const int shreddable = filecheck::NotALink | filecheck::OneName;

// Closes a handle on leaving a scope, unless it has been handed on.
struct HandleCloser
{
    HANDLE &handle;
    ~HandleCloser()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

NtFsControlFilePtr fsControl()
{
    static const NtFsControlFilePtr call = reinterpret_cast<NtFsControlFilePtr>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(WSTR("ntdll.dll")), "NtFsControlFile")));
    return call;
}

// The record a Recycle Bin keeps of an item, which tells where it came from: "$I..." beside a "$R..." item, or
// a host trash's info\NAME.trashinfo for its files\NAME. Empty for an entry that has none.
QString recordOf(const QString &path)
{
    const QString folder = filecheck::folderOf(path);
    const QString bin = filecheck::folderOf(folder);
    if (folder.isEmpty() || bin.isEmpty())
        return QString();
    const QString name = path.mid(folder.size() + 1);
    if (folder.mid(bin.size() + 1).compare(QLatin1String("files"), Qt::CaseInsensitive) == 0)
        return bin + QStringLiteral("\\info\\") + name + QStringLiteral(".trashinfo");
    if (name.size() > 2 && name.startsWith(QLatin1String("$R"), Qt::CaseInsensitive))
        return folder + QStringLiteral("\\$I") + name.mid(2);
    return QString();
}

} // namespace

SecureDeleteThread::SecureDeleteThread(QObject *parent) : QThread(parent) {}

void SecureDeleteThread::run()
{
    if (recycleBinMode)
        runRecycleBinMode();
    else
        runListMode();
    emit deleteFinish();
}

void SecureDeleteThread::runRecycleBinMode()
{
    entries.clear();
    changedNote = QStringLiteral(" (changed during the run)");
    if (recycleBinFolders) {
        for (const QString &folder : std::as_const(*recycleBinFolders)) {
            if (cancel)
                break;
            // A Recycle Bin keeps what it holds in folders of its own (one per user; the host trash's files
            // and info): emptying it shreds what they hold and leaves them, as the bin itself stays. A link
            // among them is none of them, and no item thrown away: it is left.
            QList<SecureDeleteEntry> own;
            collectEntries(folder, own);
            // In the order found, so that all entries still go in the reverse of it.
            for (auto it = own.crbegin(); it != own.crend(); ++it) {
                const SecureDeleteEntry &entry = *it;
                const qsizetype before = entries.size();
                if (entry.kind == 0)
                    collectEntries(entry.path, entries);
                else if (entry.kind == 1)
                    entries.prepend(entry);
                // Each is checked from the bin down, its own folder included.
                for (qsizetype i = 0; i < entries.size() - before; ++i)
                    entries[i].folder = folder;
            }
        }
    }
    itemsToShred = int(entries.size());
    emit updateTotalProgress(int(entries.size()) + 1);
    // An item's record goes only after the item, and only once the item has gone (or was gone before its
    // turn): whatever stays in the bin can still be put back where it came from.
    QHash<QString, qsizetype> byPath;
    for (qsizetype i = 0; i < entries.size(); ++i)
        byPath.insert(entries.at(i).path, i);
    std::vector<qsizetype> itemOf(size_t(entries.size()), -1); // of a record: its item
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const auto record = byPath.constFind(recordOf(entries.at(i).path));
        if (record != byPath.constEnd() && *record != i)
            itemOf[size_t(*record)] = i;
    }
    std::vector<bool> stays(size_t(entries.size()), false);
    for (const bool records : {false, true}) {
        for (qsizetype i = 0; i < entries.size() && !cancel; ++i) {
            const SecureDeleteEntry &entry = entries.at(i);
            const qsizetype item = itemOf[size_t(i)];
            if ((item >= 0) != records)
                continue;
            if (item >= 0 && stays[size_t(item)]) {
                emit updateDeleteProgress();
                beginItem(entry.path);
                keep(entry.path, entry.kind);
                continue;
            }
            // The list was made before the first entry was shredded: each one must still be what was listed.
            if (shredItem(entry.folder, entry.path, entry.kind, entry.identity)) {
                ++itemsShredded;
            } else {
                stays[size_t(i)] = !itemMissing;
                keep(entry.path, entry.kind);
            }
        }
    }
}

void SecureDeleteThread::beginItem(const QString &path)
{
    itemPath = path;
    itemMissing = false;
    itemChanged = false;
    itemTouched = false;
    leftNames.clear();
    leftCount = 0;
}

bool SecureDeleteThread::shredItem(const QString &base, const QString &path, int kind,
                                   const filecheck::FileIdentity &listed, const filecheck::FileIdentity &baseListed)
{
    shredBase = base;
    baseIdentity = baseListed;
    itemIdentity = listed;
    beginItem(path);
    itemTop = true;
    const bool gone = kind == 2 ? removeLink(path) : kind == 1 ? shredFile(path) : shredFolder(path, 0);
    itemTop = false;
    held.release();
    return gone;
}

bool SecureDeleteThread::removeLink(const QString &path)
{
    const bool top = itemTop;
    itemTop = false;
    if (cancel)
        return false;
    emit updatePath(path);
    emit updateDeleteProgress();
    if (!exists(path))
        return notFound(path, top);
    if (!holdFoldersOf(path, top))
        return false;
    // Through a handle on the link itself, still the one listed: what it points at is never opened.
    if (filecheck::deleteChecked(path, filecheck::ALink, identityFor(top)))
        return true;
    stillTheItem(path, top);
    return false;
}

bool SecureDeleteThread::holdFoldersOf(const QString &path, bool top)
{
    // A folder being shredded holds the folders above its entries already.
    if (!top || shredBase.isEmpty())
        return true;
    if (held.hold(shredBase, filecheck::folderOf(path), baseIdentity))
        return true;
    qDebug() << "Not shredded (behind a link, or its way has changed):" << path;
    itemChanged = true;
    return false;
}

bool SecureDeleteThread::stillTheItem(const QString &path, bool top)
{
    if (!top || !itemIdentity.known || filecheck::identify(path).sameFile(itemIdentity))
        return true;
    qDebug() << "Not shredded (no longer what was chosen or listed):" << path;
    itemChanged = true;
    return false;
}

filecheck::FileIdentity SecureDeleteThread::identityFor(bool top) const
{
    return top ? itemIdentity : filecheck::FileIdentity();
}

void SecureDeleteThread::runListMode()
{
    if (!listModel)
        return;
    changedNote = QStringLiteral(" (changed since it was added)");
    // The rows are read once, before any removal is handed back: the model belongs to the GUI thread, which
    // removes the shredded rows itself, last to first, so the row numbers read here stay valid.
    struct Row
    {
        QString path;
        int kind;
        filecheck::Choice choice; // what the user chose when the row was added
    };
    std::vector<Row> rows;
    const int count = listModel->rowCount();
    rows.reserve(size_t(count));
    for (int r = 0; r < count; ++r) {
        const QStandardItem *nameItem = listModel->item(r, 0);
        const QString name = nameItem ? nameItem->text() : QString();
        const QString folder = listModel->item(r, 2) ? listModel->item(r, 2)->text() : QString();
        const QString kind = listModel->item(r, 3) ? listModel->item(r, 3)->text() : QString();
        const QString path = childpaths::join(folder, name, QLatin1Char('\\'));
        rows.push_back(Row{path, kind == QLatin1String("0") ? 1 : 0,
                           nameItem ? nameItem->data(ChoiceRole).value<filecheck::Choice>() : filecheck::Choice()});
    }
    itemsToShred = count;
    for (int r = count - 1; r >= 0; --r) {
        if (cancel)
            break;
        const Row &row = rows[size_t(r)];
        bool gone = false;
        if (row.choice.identity.known && !row.choice.base.isEmpty()) {
            gone = shredItem(row.choice.base, row.path, row.kind, row.choice.identity, row.choice.baseIdentity);
        } else {
            // Nothing was there to choose when the row was added: whatever is there now, nobody chose it.
            emit updatePath(row.path);
            beginItem(row.path);
            itemMissing = !exists(row.path);
            itemChanged = !itemMissing;
        }
        if (gone) {
            ++itemsShredded;
            QStandardItemModel *model = listModel;
            QMetaObject::invokeMethod(
                model, [model, r]() { model->removeRow(r); }, Qt::QueuedConnection);
        } else {
            keep(row.path, row.kind);
        }
    }
}

void SecureDeleteThread::collectEntries(const QString &folder, QList<SecureDeleteEntry> &found)
{
    if (cancel)
        return;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(childpaths::callable(folder + QStringLiteral("\\*"))), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (cancel)
            break;
        const QString name = fromWide(data.cFileName, MAX_PATH);
        // Every entry but the folder itself and its parent: a host trash holds dot names too (keys, .env
        // files, histories), and emptying the bin leaves none of them behind. A link is an entry of its own.
        if (childpaths::isSelfOrParent(name))
            continue;
        SecureDeleteEntry entry;
        entry.path = childpaths::join(folder, name, QLatin1Char('\\'));
        if (entry.path.isEmpty())
            continue;
        entry.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? 2
                     : (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)   ? 0
                                                                            : 1;
        entry.folder = folder;
        entry.identity = filecheck::identify(entry.path);
        // The newest find goes first: entries are shredded in the reverse of the order found.
        found.prepend(entry);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

bool SecureDeleteThread::shredFolder(const QString &path, int depth)
{
    const bool top = itemTop;
    itemTop = false;
    if (cancel)
        return false;
    emit updatePath(path);
    if (depth == 0)
        emit updateDeleteProgress();
    // Gone before its turn: nothing of it was overwritten here, so it is not counted as shredded.
    if (!exists(path))
        return notFound(path, top);
    if (!holdFoldersOf(path, top))
        return false;
    // Held while its entries go, so that none of them is reached through a link that took its place; a
    // listed folder that is a link is not followed: shredding through it would destroy what it points at.
    HANDLE folder = held.push(path, DELETE, identityFor(top));
    if (folder == INVALID_HANDLE_VALUE) {
        qDebug() << "Not shredded (link):" << path;
        stillTheItem(path, top);
        return false;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(childpaths::callable(path + QStringLiteral("\\*"))), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (cancel)
                break;
            const QString name = fromWide(data.cFileName, MAX_PATH);
            if (childpaths::isSelfOrParent(name))
                continue;
            // A name that would lead out of the folder is not followed, nor a link; the folder then stays, as
            // not shredded, and they are named as what is left of it.
            const QString child = childpaths::join(path, name, QLatin1Char('\\'));
            if (child.isEmpty() || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                qDebug() << "Not shredded (a link, or a name that leads elsewhere):" << path << name;
                leftBelow(path + QLatin1Char('\\') + name, false);
                continue;
            }
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                const int before = leftCount;
                // A folder that stays with nothing named below it is named itself.
                if (!shredFolder(child, depth + 1) && leftCount == before && exists(child))
                    leftBelow(child, false);
            } else if (!shredFile(child) && exists(child)) {
                leftBelow(child, wroteData);
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    // Removed through its handle, when it is empty: the folder that was held, wherever its path leads now.
    // Shredded only when that removal took: a folder that merely is not at its path any more (moved away
    // while it was held) was not removed.
    const bool removed = filecheck::markForDeletion(folder);
    held.pop();
    const bool gone = removed && !exists(path);
    itemTouched = itemTouched || gone;
    return gone;
}

bool SecureDeleteThread::notFound(const QString &path, bool top)
{
    qDebug() << "Not shredded (not found):" << path;
    // Only a row or entry itself is named so.
    if (top)
        itemMissing = true;
    return false;
}

void SecureDeleteThread::leftBelow(const QString &path, bool overwritten)
{
    ++leftCount;
    if (leftNames.size() >= 3)
        return;
    const bool below = path.size() > itemPath.size() && path.startsWith(itemPath);
    const QString name = below ? path.mid(itemPath.size() + 1) : path;
    leftNames << (overwritten ? name + QStringLiteral(" (overwritten)") : name);
}

void SecureDeleteThread::keep(const QString &path, int kind)
{
    if (itemMissing)
        itemsKept << path + QStringLiteral(" (not found)");
    else if (itemChanged)
        itemsKept << path + changedNote;
    else if (!itemTouched)
        itemsKept << path;
    else if (kind == 0)
        itemsPartly.append(PartlyShredded{path, leftNames, leftCount});
    else
        itemsOverwritten << path;
}

bool SecureDeleteThread::shredFile(const QString &path)
{
    const bool top = itemTop;
    itemTop = false;
    wroteData = false;
    if (cancel)
        return false;
    emit updatePath(path);
    emit updateDeleteProgress();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(childpaths::callable(path)), &data);
    if (find == INVALID_HANDLE_VALUE)
        return notFound(path, top);
    FindClose(find);
    if (!holdFoldersOf(path, top))
        return false;
    fileIdentity = identityFor(top);
    if (!stillTheItem(path, top) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // A listed link is not followed: overwriting through it would destroy the file it points at.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        qDebug() << "Not shredded (link):" << path;
        return false;
    }
    const quint64 size = (quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    bool deleted = false;
    bool handled = false;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_SPARSE_FILE))
        handled = overwriteClusters(path, size, data.dwFileAttributes, &deleted);
    if (!handled)
        deleted = overwriteFile(path, size);
    if (top)
        held.release();
    // Shredded means overwritten and deleted; anything less keeps the file, and with it the list row.
    const bool gone = deleted && !exists(path);
    itemTouched = itemTouched || gone || wroteData;
    if (!gone)
        qDebug() << "Not shredded:" << path;
    return gone;
}

bool SecureDeleteThread::overwriteFile(const QString &path, quint64 size)
{
    // Attributes are left as they are: a read-only file refuses the open and is not shredded. The checks are
    // made on the open handle, and everything after goes through it: a file swapped for a link or another file
    // after it was looked at is left alone, and nothing else is written.
    HANDLE file = filecheck::openChecked(path, GENERIC_WRITE | DELETE, shreddable, fileIdentity);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // The last byte first, with all passes; then the rest from the start, span by span.
    if (size > 0 &&
        (!seekTo(file, size - 1) || !writePasses(file, 1) || !seekTo(file, 0) || !writePasses(file, size - 1))) {
        CloseHandle(file);
        return false;
    }
    return removeScrambled(file, path);
}

bool SecureDeleteThread::removeScrambled(HANDLE file, const QString &path)
{
    const QString newName = scrambleName(path, file);
    bool gone = filecheck::markForDeletion(file);
    // The file stays: under its first name, so that the user finds it again.
    if (!gone && newName != path)
        filecheck::renameTo(file, path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1));
    CloseHandle(file);
    return gone;
}

QString SecureDeleteThread::scrambleName(const QString &path, HANDLE file)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    if (slash < 0)
        return path;
    HANDLE own = INVALID_HANDLE_VALUE;
    const HandleCloser closer{own};
    if (file == INVALID_HANDLE_VALUE) {
        own = filecheck::openChecked(path, DELETE, filecheck::AnyEntry);
        file = own;
    }
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    QString current = path;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        QString scrambled = name;
        for (QChar &c : scrambled)
            if (c != QLatin1Char('.'))
                c = QLatin1Char(letter);
        if (file == INVALID_HANDLE_VALUE || !filecheck::renameTo(file, scrambled))
            break;
        current = folder + scrambled;
    }
    return current;
}

bool SecureDeleteThread::overwriteClusters(const QString &path, quint64 size, DWORD attributes, bool *deleted)
{
    *deleted = false;
    // The drive letter of the volume that holds the file ("X:\" from the volume root; on a drive path the
    // same letter as the path's own). A volume mounted in a folder ("X:\mnt\") is not the drive's volume, and
    // its clusters are no places on that one: it gets no volume handle, so the file stays.
    WCHAR volumeRoot[MAX_PATH + 1] = {};
    QChar letter = path.isEmpty() ? QLatin1Char('A') : path.at(0);
    bool inFolder = false;
    if (GetVolumePathNameW(wstr(path), volumeRoot, MAX_PATH + 1) && volumeRoot[0] && volumeRoot[1] == u':') {
        letter = QChar(char16_t(volumeRoot[0]));
        inFolder = volumeRoot[3] != 0;
    }
    QString volumeName = QStringLiteral("\\\\.\\A:");
    volumeName[4] = letter;
    QString rootName = QStringLiteral("A:\\");
    rootName[0] = letter;

    HANDLE volume = inFolder ? INVALID_HANDLE_VALUE
                             : CreateFileW(wstr(volumeName), GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    const HandleCloser volumeCloser{volume};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    quint64 clusterSize = 0;
    if (GetDiskFreeSpaceW(wstr(rootName), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        clusterSize = quint64(sectorsPerCluster) * bytesPerSector;

    // The clusters belong to every name of the file: one shared with another name is left as it is.
    HANDLE file = filecheck::openChecked(path, GENERIC_READ | DELETE, shreddable, fileIdentity, 0);
    if (file == INVALID_HANDLE_VALUE)
        return true; // nothing written; the file stays
    const ExtentResult result = overwriteExtents(volume, clusterSize, file);
    if (result.noAllocation) {
        // Nothing of the file lies on the volume outside its file record (1 KiB, or a sector where sectors are
        // larger): a file that fits in there, an empty one, or a sparse one without data. Its data, if any, is
        // in that record, which the ordinary overwrite reaches. A larger file cannot be without clusters: the
        // answer is not believed, and the file stays.
        const quint64 fileRecord = qMax<quint64>(1024, bytesPerSector);
        CloseHandle(file);
        if (size < fileRecord || (attributes & FILE_ATTRIBUTE_SPARSE_FILE))
            return false;
        qDebug() << "Not shredded (no clusters listed for a file that needs them):" << path;
        return true;
    }
    if (!result.queryOk || (result.hadClusters && !result.writeOk)) {
        // Clusters that could not all be overwritten keep the file: deleting it would pass for shredding.
        // Windows refuses writes to the sectors of a mounted file system that the writer has not locked.
        if (!result.writeOk) {
            volumeRefused = volumeRefused || result.refused;
            qDebug() << "Not shredded (the volume refused the overwrite):" << path;
        }
        CloseHandle(file);
        return true;
    }
    if (!result.hadClusters) {
        CloseHandle(file);
        return false; // nothing on the volume: the ordinary overwrite reaches the data
    }
    *deleted = removeScrambled(file, path);
    return true;
}

SecureDeleteThread::ExtentResult SecureDeleteThread::overwriteExtents(HANDLE volume, quint64 clusterSize, HANDLE file)
{
    ExtentResult result;
    const NtFsControlFilePtr control = fsControl();
    if (!control)
        return result;
    std::vector<quint64> answer(extentBufferSize / sizeof(quint64)); // 8-byte aligned, as the answer needs
    auto *pointers = reinterpret_cast<RETRIEVAL_POINTERS_BUFFER *>(answer.data());
    const DWORD room = (extentBufferSize - offsetof(RETRIEVAL_POINTERS_BUFFER, Extents)) / sizeof(pointers->Extents[0]);
    LONGLONG startingVcn = 0;
    for (;;) {
        STARTING_VCN_INPUT_BUFFER input;
        input.StartingVcn.QuadPart = startingVcn;
        IO_STATUS_BLOCK status = {};
        NTSTATUS st = control(file, nullptr, nullptr, nullptr, &status, FSCTL_GET_RETRIEVAL_POINTERS, &input,
                              sizeof(input), answer.data(), extentBufferSize);
        if (st == STATUS_PENDING) {
            WaitForSingleObject(file, INFINITE);
            st = status.Status;
        }
        // From the first cluster on, the end of the file means there is no allocation at all.
        if (st == STATUS_END_OF_FILE && startingVcn == 0) {
            result.queryOk = true;
            result.noAllocation = true;
            return result;
        }
        if (st != STATUS_SUCCESS && st != STATUS_BUFFER_OVERFLOW)
            return result;
        const DWORD extents = qMin(pointers->ExtentCount, room);
        LONGLONG vcn = pointers->StartingVcn.QuadPart;
        for (DWORD i = 0; i < extents; ++i) {
            const LONGLONG nextVcn = pointers->Extents[i].NextVcn.QuadPart;
            const LONGLONG lcn = pointers->Extents[i].Lcn.QuadPart;
            if (lcn != -1) { // -1: a run without clusters on the volume
                result.hadClusters = true;
                if (volume == INVALID_HANDLE_VALUE || clusterSize == 0 || nextVcn < vcn ||
                    !seekTo(volume, clusterSize * quint64(lcn)) ||
                    !writePasses(volume, clusterSize * quint64(nextVcn - vcn))) {
                    result.refused = volume != INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED;
                    result.queryOk = true;
                    result.writeOk = false;
                    return result;
                }
            }
            vcn = nextVcn;
        }
        if (st == STATUS_SUCCESS) {
            result.queryOk = true;
            return result;
        }
        // More extents follow; an answer that brings none would never end.
        if (extents == 0)
            return result;
        startingVcn = vcn;
    }
}

bool SecureDeleteThread::writePasses(HANDLE handle, quint64 length)
{
    // Span by span, each span receiving all its passes before the next.
    for (quint64 left = length; left > 0;) {
        const quint64 n = qMin(left, spanSize);
        if (!writeSpanPasses(handle, n))
            return false;
        left -= n;
    }
    return true;
}

bool SecureDeleteThread::writeSpanPasses(HANDLE handle, quint64 length)
{
    const quint32 mode = options ? options->DeleteMode : 0;
    switch (mode) {
    case 0:
        return writeGutmannPasses(handle, length);
    case 1:
        return writeDodPasses(handle, length, 7);
    case 2:
        return writeDodPasses(handle, length, 3);
    default:
        return writeRandomPasses(handle, length);
    }
}

bool SecureDeleteThread::writeGutmannPasses(HANDLE handle, quint64 length)
{
    if (!buildGutmannBuffers())
        return false;
    // A cancel stops the overwrite between writes; the half-overwritten file then counts as not shredded.
    for (int p = 0; p < 35; ++p)
        if (!writePass(handle, gutmannBuffers.buffers[p], length, p, &cancel, passBuffer, wroteData))
            return false;
    return true;
}

bool SecureDeleteThread::writeDodPasses(HANDLE handle, quint64 length, int count)
{
    if (!buildDodBuffers())
        return false;
    for (int p = 0; p < count; ++p)
        if (!writePass(handle, dodBuffers.buffers[p], length, p, nullptr, passBuffer, wroteData))
            return false;
    return true;
}

bool SecureDeleteThread::writeRandomPasses(HANDLE handle, quint64 length)
{
    // At least one pass: without any, the file would be deleted with its contents intact.
    const quint32 passes = qBound<quint32>(1, options ? options->NumPasses : 1, 99);
    for (quint32 p = 0; p < passes; ++p) {
        srand(unsigned(_time64(nullptr)));
        BYTE *buffer = allocatePattern();
        if (!buffer)
            return false;
        fillRandom(buffer);
        const bool ok = writePass(handle, buffer, length, int(p), nullptr, passBuffer, wroteData);
        releasePattern(buffer);
        if (!ok)
            return false;
    }
    return true;
}
