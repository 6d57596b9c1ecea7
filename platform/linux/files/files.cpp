// Files and folders on the host, answered as Windows answers on NTFS: listings with "." and ".." first
// (not at a drive root) and names in case-insensitive order, symbolic links reported as reparse points and
// never followed, read-only files refused for writing and deleting. Hidden and system marks, locked files,
// unreadable folders, full disks and vanished files come from the machine (filefaults, fileattrs).
#include "win32.h"
#include "linux/files/drivemap.h"
#include "linux/files/filefaults.h"
#include "linux/machine/handles.h"
#include "linux/files/hostnames.h"
#include "linux/files/recyclebin.h"
#include "linux/files/windowspaths.h"
#include "linux/machine/machine.h"
#include "linux/shell/userfolders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QVector>
#include <algorithm>
#include <functional>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- machine marks, cached per machine generation ----

// The marks of one machine generation. A set is never changed once made: a listing keeps the one it began
// with and looks its entries up there without a lock.
// Marks belong to the file, not to the way it was reached: one folder may be reached through a link (the
// profile's Documents, a folder of Z:) or directly. They are kept under the path with its folder resolved,
// and a path found under neither spelling is looked up resolved.
QString resolvedFolder(const QString &folder)
{
    char *real = ::realpath(hostnames::encode(folder).constData(), nullptr);
    if (!real)
        return folder;
    const QString out = hostnames::decode(QByteArray(real));
    ::free(real);
    return out;
}

QString markKey(const QString &path, const std::function<QString(const QString &)> &resolve = resolvedFolder)
{
    const QString clean = QDir::cleanPath(path);
    const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return clean;
    return resolve(clean.left(slash)) + clean.mid(slash);
}

struct MarkSet
{
    QHash<QString, QString> faults;
    QHash<QString, DWORD> attrs;

    bool isEmpty() const { return faults.isEmpty() && attrs.isEmpty(); }
    QString faultOf(const QString &path) const
    {
        if (faults.isEmpty())
            return QString();
        const auto it = faults.constFind(path);
        return it != faults.cend() ? *it : faults.value(resolved(path));
    }
    DWORD attrsOf(const QString &path) const
    {
        if (attrs.isEmpty())
            return 0;
        const auto it = attrs.constFind(path);
        return it != attrs.cend() ? *it : attrs.value(resolved(path));
    }

private:
    // A listing asks for every entry of one folder: each folder is resolved once per set. A set lives until
    // the marks next change.
    QString resolved(const QString &path) const
    {
        return markKey(path, [this](const QString &folder) {
            QMutexLocker g(&cacheMutex);
            auto it = folders.constFind(folder);
            if (it == folders.cend()) {
                if (folders.size() > 4096)
                    folders.clear();
                it = folders.insert(folder, resolvedFolder(folder));
            }
            return *it;
        });
    }
    mutable QMutex cacheMutex;
    mutable QHash<QString, QString> folders;
};

struct Marks
{
    QMutex mutex;
    qint64 generation = -1;
    QString folder;
    std::shared_ptr<const MarkSet> set = std::make_shared<MarkSet>();
};

Marks &marks()
{
    static Marks m;
    return m;
}

void refreshMarks()
{
    const qint64 generation = machine::generation();
    const QString folder = machine::folder();
    Marks &m = marks();
    QMutexLocker g(&m.mutex);
    if (m.generation == generation && m.folder == folder)
        return;
    auto set = std::make_shared<MarkSet>();
    machine::Lock lock;
    {
        machine::Query q("SELECT path, fault FROM filefaults");
        while (q.next())
            set->faults.insert(q.text(0), q.text(1));
    }
    {
        machine::Query q("SELECT path, attrs FROM fileattrs");
        while (q.next())
            set->attrs.insert(q.text(0), DWORD(q.integer(1)));
    }
    m.set = std::move(set);
    m.generation = generation;
    m.folder = folder;
}

std::shared_ptr<const MarkSet> currentMarks()
{
    Marks &m = marks();
    QMutexLocker g(&m.mutex);
    return m.set;
}

QString faultOf(const QString &path)
{
    return currentMarks()->faultOf(path);
}

DWORD markedAttrs(const QString &path)
{
    return currentMarks()->attrsOf(path);
}

// What an entry shows: its own attributes and the marks the machine keeps for it. A file has NTFS's archive
// mark from when it was made or last written; FILE_ATTRIBUTE_NORMAL among its marks says the mark was taken
// away since. A file with no attribute left reads FILE_ATTRIBUTE_NORMAL, as Windows gives it.
DWORD withMarks(DWORD own, DWORD marked)
{
    DWORD attrs = own | (marked & ~DWORD(FILE_ATTRIBUTE_NORMAL));
    if (marked & FILE_ATTRIBUTE_NORMAL)
        attrs &= ~DWORD(FILE_ATTRIBUTE_ARCHIVE);
    return attrs ? attrs : DWORD(FILE_ATTRIBUTE_NORMAL);
}

// A file made or written has its archive mark again.
void markWritten(const QString &path)
{
    const DWORD marked = markedAttrs(path);
    if (marked & FILE_ATTRIBUTE_NORMAL)
        filefaults::setMarks(path, marked & ~DWORD(FILE_ATTRIBUTE_NORMAL));
}

// ---- paths and errors ----

// Without long-path support (the program declares none) Windows takes a path whose full form has limit
// characters or more only in the "\\?\" form, which it takes as written, without the limit. A host path is the
// stand-in's own spelling, which Windows never sees.
bool beyondLimit(const QString &path, qsizetype limit)
{
    if (limit <= 0 || path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1String("\\\\?\\")) ||
        path.startsWith(QLatin1String("\\\\.\\")))
        return false;
    // A path from a drive's root only gets shorter when resolved.
    const bool fromRoot = path.size() >= 3 && path.at(1) == QLatin1Char(':') &&
                          (path.at(2) == QLatin1Char('\\') || path.at(2) == QLatin1Char('/'));
    if (fromRoot && path.size() < limit)
        return false;
    return standin::fullPath(path).size() >= limit;
}

// The host path of a path a call takes, resolved as Windows resolves every path (standin::hostPathOf); false,
// with the last error Windows gives, where it names no file. A plain path at or over limit is refused as
// naming no place, as the path conversion refuses it.
bool toHost(LPCWSTR path, QString *host, qsizetype limit = MAX_PATH)
{
    const QString text = fromWide(path);
    DWORD error = 0;
    if (beyondLimit(text, limit))
        error = ERROR_PATH_NOT_FOUND;
    else if (standin::hostPathOf(text, host, &error))
        return true;
    SetLastError(error);
    return false;
}

// The host's bytes of a path: a name that is not UTF-8 is kept in the text as lone surrogates, which Qt's
// own encoding would lose.
QByteArray encoded(const QString &path)
{
    return hostnames::encode(path);
}

DWORD errorOf(int err, bool pathParentMissing = false)
{
    switch (err) {
    case ENOENT:
        return pathParentMissing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case ENAMETOOLONG:
        return ERROR_INVALID_NAME;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

BOOL fail(DWORD code)
{
    SetLastError(code);
    return FALSE;
}

FILETIME toFileTime(qint64 seconds, qint64 nanoseconds)
{
    const quint64 ticks = quint64(seconds + 11644473600LL) * 10000000ULL + quint64(nanoseconds / 100);
    return FILETIME{DWORD(ticks & 0xffffffffu), DWORD(ticks >> 32)};
}

struct Entry
{
    DWORD attributes = 0;
    quint64 size = 0;
    FILETIME created{}, accessed{}, written{};
    DWORD reparseTag = 0;
};

// Whether the link held by linkfd (opened O_PATH | O_NOFOLLOW in the folder dirfd) names a folder. A link to a
// folder is a folder's link on Windows, a kind of its own. What it names is read from the link that was opened,
// so a link put in its place meanwhile, or the entry put back, cannot lend it another kind.
bool linkNamesFolder(int linkfd, int dirfd)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlinkat(linkfd, "", target, sizeof target - 1);
    if (length <= 0)
        return false;
    target[length] = '\0';
    struct stat st;
    return ::fstatat(dirfd, target, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

// What Windows would report for a host path, without following a link. False when absent. marked: the
// hidden and system marks the machine keeps for it.
bool describe(int dirfd, const char *name, DWORD marked, Entry *e)
{
    // Everything is read from one look at the entry, never from the name twice: the one no-follow stat of the
    // name, and for a link, whose target is read as well, what the link opened says of itself.
    const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    struct statx st;
    if (::statx(dirfd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &st) != 0)
        return false;
    bool folderLink = false;
    if (S_ISLNK(st.stx_mode)) {
        const int fd = ::openat(dirfd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool found = ::statx(fd, "", AT_EMPTY_PATH, mask, &st) == 0;
        folderLink = found && S_ISLNK(st.stx_mode) && linkNamesFolder(fd, dirfd);
        ::close(fd);
        if (!found)
            return false;
    }
    DWORD attrs = 0;
    if (S_ISLNK(st.stx_mode)) {
        // A link holds no data, whatever the length of the target name the host counts as its size; a link to
        // a file is a file made as any other, with its archive mark.
        attrs |= FILE_ATTRIBUTE_REPARSE_POINT;
        e->reparseTag = IO_REPARSE_TAG_SYMLINK;
        attrs |= folderLink ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        e->size = 0;
    } else if (S_ISDIR(st.stx_mode)) {
        attrs |= FILE_ATTRIBUTE_DIRECTORY;
        e->size = 0;
        // Another of the host's mounts inside this one (proc, sys, a drive of its own) is another volume
        // mounted in a folder, which Windows shows as a mount point.
        if ((st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (st.stx_attributes & STATX_ATTR_MOUNT_ROOT)) {
            attrs |= FILE_ATTRIBUTE_REPARSE_POINT;
            e->reparseTag = IO_REPARSE_TAG_MOUNT_POINT;
        }
    } else {
        attrs |= FILE_ATTRIBUTE_ARCHIVE;
        e->size = st.stx_size;
    }
    if (!(st.stx_mode & 0222) && !S_ISLNK(st.stx_mode))
        attrs |= FILE_ATTRIBUTE_READONLY;
    e->attributes = withMarks(attrs, marked);
    e->written = toFileTime(st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec);
    e->accessed = toFileTime(st.stx_atime.tv_sec, st.stx_atime.tv_nsec);
    if (st.stx_mask & STATX_BTIME)
        e->created = toFileTime(st.stx_btime.tv_sec, st.stx_btime.tv_nsec);
    else
        e->created = toFileTime(st.stx_ctime.tv_sec, st.stx_ctime.tv_nsec);
    return true;
}

bool isDriveRoot(const QString &folder);
int openParentFolder(const QString &path, QByteArray *name);

// A path's entry as a call by name reaches it (openParentFolder): its folder and its name there.
struct PathEntry
{
    QByteArray name; // made before dirfd, which fills it in
    int dirfd = -1;
    explicit PathEntry(const QString &path) : dirfd(openParentFolder(path, &name)) {}
    ~PathEntry()
    {
        if (dirfd >= 0)
            ::close(dirfd);
    }
    PathEntry(const PathEntry &) = delete;
    PathEntry &operator=(const PathEntry &) = delete;
    bool reached() const { return dirfd >= 0; }
    // The entry itself, not followed if it is a link.
    bool look(struct stat *st) const
    {
        return dirfd >= 0 && ::fstatat(dirfd, name.constData(), st, AT_SYMLINK_NOFOLLOW) == 0;
    }
    // Whether the entry is a link that names a folder: a folder's link, which Windows takes as a folder.
    bool linksFolder() const
    {
        struct stat target;
        return dirfd >= 0 && ::fstatat(dirfd, name.constData(), &target, 0) == 0 && S_ISDIR(target.st_mode);
    }
    // What Windows says of an entry that is not there: its folder is missing, or only the entry.
    DWORD missing() const { return dirfd >= 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND; }
};

// Looked at in its folder as that is reached: below a held folder, the folder that was held. 0, or the error
// Windows gives for a path that names nothing.
DWORD describePath(const QString &path, Entry *e)
{
    const PathEntry at(path);
    if (faultOf(path) == QLatin1String("vanish") ||
        !(at.reached() && describe(at.dirfd, at.name.constData(), markedAttrs(path), e)))
        return at.missing();
    // A drive's own root is that volume's root, no folder it is mounted in.
    if (e->reparseTag == IO_REPARSE_TAG_MOUNT_POINT && isDriveRoot(path))
        e->attributes &= ~DWORD(FILE_ATTRIBUTE_REPARSE_POINT);
    return 0;
}

// ---- wildcards ----

bool matchesMask(const QString &name, const QString &mask)
{
    if (mask == QLatin1String("*") || mask == QLatin1String("*.*"))
        return true;
    // '*' and '?' as Windows takes them, case-insensitive.
    const QString n = name.toUpper(), m = mask.toUpper();
    qsizetype ni = 0, mi = 0, star = -1, mark = 0;
    while (ni < n.size()) {
        if (mi < m.size() && (m.at(mi) == QLatin1Char('?') || m.at(mi) == n.at(ni))) {
            ++ni;
            ++mi;
        } else if (mi < m.size() && m.at(mi) == QLatin1Char('*')) {
            star = mi++;
            mark = ni;
        } else if (star >= 0) {
            mi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (mi < m.size() && m.at(mi) == QLatin1Char('*'))
        ++mi;
    // "name.*" also matches "name" without an extension, as on Windows.
    if (mi + 2 == m.size() && m.mid(mi) == QLatin1String(".*"))
        return true;
    return mi == m.size();
}

// ---- find handles ----

struct FindObject : handles::Object
{
    int dirfd = -1;
    QString folder;
    // Windows name and where its host bytes begin in hostNames; "." and ".." first where they belong.
    QVector<QPair<QString, qsizetype>> names;
    QByteArray hostNames; // each name's bytes and a NUL: one buffer for the whole folder
    int next = 0;
    std::shared_ptr<const MarkSet> marks; // as the listing began
    QString profile;                      // the machine's user profile, whose user folders may be links
    ~FindObject() override
    {
        if (dirfd >= 0)
            ::close(dirfd);
    }
};

bool fillFindData(FindObject &f, LPWIN32_FIND_DATAW data)
{
    while (f.next < f.names.size()) {
        const auto &entry = f.names.at(f.next++);
        const char *hostName = f.hostNames.constData() + entry.second;
        // A drive's Recycle Bin is named by its host path (the trash lies elsewhere); hidden and system, as
        // Windows keeps it.
        const bool recycleBin = hostName[0] == '/';
        DWORD marked = recycleBin ? FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM : 0;
        // An entry's path is only needed to look up its marks; most machines have none.
        if (!f.marks->isEmpty()) {
            const QString full = !qstrcmp(hostName, ".") || !qstrcmp(hostName, "..") ? f.folder
                                 : recycleBin ? hostnames::decode(QByteArray(hostName))
                                              : (f.folder == QLatin1String("/") ? QString() : f.folder) +
                                                    QLatin1Char('/') + hostnames::decode(QByteArray(hostName));
            if (f.marks->faultOf(full) == QLatin1String("vanish"))
                continue;
            marked |= f.marks->attrsOf(full);
        }
        Entry e;
        // The profile's link to a user folder of the host is listed as the folder it stands for.
        QByteArray through;
        if (f.folder == f.profile && qstrcmp(hostName, ".") && qstrcmp(hostName, "..")) {
            const QString entry = f.folder + QLatin1Char('/') + hostnames::decode(QByteArray(hostName));
            const QString folder = userfolders::throughLink(entry);
            if (folder != entry)
                through = encoded(folder);
        }
        if (!describe(through.isEmpty() ? f.dirfd : AT_FDCWD, through.isEmpty() ? hostName : through.constData(),
                      marked, &e))
            continue; // gone since the folder was read
        std::memset(data, 0, sizeof(*data));
        data->dwFileAttributes = e.attributes;
        data->ftCreationTime = e.created;
        data->ftLastAccessTime = e.accessed;
        data->ftLastWriteTime = e.written;
        data->nFileSizeHigh = DWORD(e.size >> 32);
        data->nFileSizeLow = DWORD(e.size & 0xffffffffu);
        data->dwReserved0 = (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? e.reparseTag : 0;
        copyToWide(entry.first, data->cFileName, MAX_PATH);
        return true;
    }
    return false;
}

// NTFS orders the names of a folder by their upper-case forms, one UTF-16 unit at a time; compared in place,
// without an upper-case copy of every name.
bool upperCaseLess(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const QChar *pa = a.constData(), *pb = b.constData();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = pa[i].unicode(), y = pb[i].unicode();
        if (x == y)
            continue;
        x = x < 0x80 ? (x >= u'a' && x <= u'z' ? char16_t(x - 32) : x) : QChar::toUpper(x);
        y = y < 0x80 ? (y >= u'a' && y <= u'z' ? char16_t(y - 32) : y) : QChar::toUpper(y);
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    // Names equal but for case (a case-sensitive host may hold both): a fixed order all the same.
    return a < b;
}

// The letter of the drive whose root the folder is, or a null QChar.
QChar driveOfRoot(const QString &folder)
{
    QString rest;
    const QChar letter = drivemap::letterOfHostPath(folder, &rest);
    return rest.isEmpty() ? letter : QChar();
}

bool isDriveRoot(const QString &folder)
{
    return !driveOfRoot(folder).isNull();
}

// ---- open files ----

// ---- sharing modes ----

// What an open asks of a file, as far as sharing goes: reading, writing, deleting. An open that asks none of
// them (an identity or attribute query) neither is refused nor refuses others.
enum Use : DWORD { UseRead = 1, UseWrite = 2, UseDelete = 4 };

DWORD usesOf(DWORD access)
{
    DWORD uses = 0;
    if (access & (GENERIC_READ | GENERIC_ALL | GENERIC_EXECUTE | 0x0001 | 0x0020))
        uses |= UseRead;
    if (access & (GENERIC_WRITE | GENERIC_ALL | 0x0002 | 0x0004))
        uses |= UseWrite;
    if (access & (DELETE | GENERIC_ALL))
        uses |= UseDelete;
    return uses;
}

struct OpenFile
{
    dev_t device;
    ino_t inode;
    DWORD uses;
    DWORD share;
};

// The files this process holds open, by handle object, so that an open or a deletion that the holders' sharing
// modes forbid fails with ERROR_SHARING_VIOLATION, as Windows checks it between handles of any process.
struct HeldFolder
{
    QString path;
    int fd;
};

struct OpenFiles
{
    QMutex mutex;
    QHash<const void *, OpenFile> byHolder;
    // Folders open with data access and without FILE_SHARE_DELETE. Windows lets no one rename, remove or replace
    // such a folder while the handle is open, so a path through it reaches the folder that was opened. The host
    // lets another process do all of that: paths below a held folder are resolved from its descriptor instead.
    QHash<const void *, HeldFolder> held;
};

OpenFiles &openFiles()
{
    static OpenFiles o;
    return o;
}

// True when an open with these uses and sharing mode may join the file's present holders.
bool shareAllows(const OpenFiles &o, const struct stat &st, DWORD uses, DWORD share)
{
    if (!uses)
        return true;
    for (const OpenFile &held : o.byHolder) {
        if (held.device != st.st_dev || held.inode != st.st_ino || !held.uses)
            continue;
        // Each side's sharing mode must let in what the other side does (FILE_SHARE_* bits match Use bits).
        if ((uses & ~held.share) || (held.uses & ~share))
            return false;
    }
    return true;
}

bool shareAllows(const struct stat &st, DWORD uses, DWORD share)
{
    OpenFiles &o = openFiles();
    QMutexLocker g(&o.mutex);
    return shareAllows(o, st, uses, share);
}

struct FileObject : handles::Object
{
    int fd = -1;
    QString path;
    DWORD access = 0;
    // The folder the file was opened in and its name there: renames and the deletion go through them, so they
    // reach the entry that was opened, whatever has become of the path since.
    int dirfd = -1;
    QByteArray name;
    bool deletePending = false;
    // A link opened itself that names a folder: a folder's link, which Windows reports as a folder.
    bool folderLink = false;
    // Asked before each write, with the position it would start at: an error code refuses it.
    std::function<DWORD(qint64 offset, DWORD size)> writeGuard;
    ~FileObject() override
    {
        {
            OpenFiles &o = openFiles();
            QMutexLocker g(&o.mutex);
            o.byHolder.remove(this);
            o.held.remove(this);
        }
        if (deletePending)
            removeOpenedEntry();
        if (fd >= 0)
            ::close(fd);
        if (dirfd >= 0)
            ::close(dirfd);
    }
    // True while the entry of that name in the folder is the open file.
    bool isOpenFileAt(int folder, const QByteArray &entryName) const
    {
        struct stat entry, open;
        return folder >= 0 && ::fstatat(folder, entryName.constData(), &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
               ::fstat(fd, &open) == 0 && entry.st_dev == open.st_dev && entry.st_ino == open.st_ino;
    }
    bool entryIsOpenFile() const { return isOpenFileAt(dirfd, name); }
    // The host removes names, not files: another process that parks the file under another name for a moment
    // and puts something in its place can make the name removed not be the file's. The removal is checked on
    // the open file (its link count drops) and tried again until the file's own name went.
    void removeOpenedEntry()
    {
        struct stat before;
        if (::fstat(fd, &before) != 0)
            return;
        const int flags = S_ISDIR(before.st_mode) ? AT_REMOVEDIR : 0;
        QElapsedTimer waited;
        waited.start();
        while (before.st_nlink > 0 && waited.elapsed() < 100) {
            if (entryIsOpenFile() && ::unlinkat(dirfd, name.constData(), flags) == 0) {
                struct stat after;
                if (::fstat(fd, &after) != 0 || after.st_nlink < before.st_nlink)
                    return;
            }
            sched_yield();
            if (::fstat(fd, &before) != 0)
                return;
        }
    }
};

// Records f's open file among the held ones, unless the holders' sharing modes forbid it; false then.
bool holdShared(FileObject *f, DWORD access, DWORD share)
{
    struct stat st;
    if (::fstat(f->fd, &st) != 0)
        return true;
    OpenFiles &o = openFiles();
    QMutexLocker g(&o.mutex);
    const DWORD uses = usesOf(access);
    if (!shareAllows(o, st, uses, share))
        return false;
    o.byHolder.insert(
        f, OpenFile{st.st_dev, st.st_ino, uses, share & (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)});
    if (S_ISDIR(st.st_mode) && uses && !(share & FILE_SHARE_DELETE))
        o.held.insert(f, HeldFolder{f->path, f->fd});
    return true;
}

// The folder reached from folder through the names of rest ('/' between them), one name at a time and through no
// link: -1 (errno set) where a name is missing, is a link or is no folder. folder itself stays open.
int openBelow(int folder, const QString &rest)
{
    int fd = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    for (const QString &step : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (fd < 0)
            break;
        const int next = ::openat(fd, encoded(step).constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int err = errno;
        ::close(fd);
        fd = next;
        errno = err;
    }
    return fd;
}

// The folder a host path lies in, opened (O_PATH), and the path's last name there, in host bytes; -1 when it
// cannot be opened. Every call that takes a path reaches its entry this way. Below a folder this process holds,
// the path is walked from the deepest held folder on its way, through no link, as on Windows nothing can take
// the held folder's place nor lead a path through it elsewhere; a held folder's own path is that folder (its
// name "."). Elsewhere the folder is opened by its path, its links followed, as Windows follows them.
int openParentFolder(const QString &path, QByteArray *name)
{
    if (path == QLatin1String("/")) {
        *name = ".";
        return ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
    int heldfd = -1;
    QString rest;
    {
        OpenFiles &o = openFiles();
        QMutexLocker g(&o.mutex);
        const HeldFolder *best = nullptr;
        for (const HeldFolder &h : std::as_const(o.held)) {
            const bool below = path == h.path || h.path == QLatin1String("/") ||
                               (path.startsWith(h.path) && path.at(h.path.size()) == QLatin1Char('/'));
            if (below && (!best || h.path.size() > best->path.size()))
                best = &h;
        }
        // The walk itself is no business of the table: every call of every thread passes here.
        if (best) {
            heldfd = ::fcntl(best->fd, F_DUPFD_CLOEXEC, 0);
            if (heldfd < 0)
                return -1;
            if (path == best->path) {
                *name = ".";
                return heldfd;
            }
            rest = parent.mid(best->path.size());
        }
    }
    *name = encoded(path.mid(slash + 1));
    if (heldfd < 0)
        return ::open(encoded(parent).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int fd = openBelow(heldfd, rest);
    const int err = errno;
    ::close(heldfd);
    errno = err;
    return fd;
}

std::shared_ptr<FileObject> fileOf(HANDLE h)
{
    auto f = handles::getAs<FileObject>(h);
    if (!f)
        SetLastError(ERROR_INVALID_HANDLE);
    return f;
}

} // namespace

namespace filefaults {

std::function<HANDLE(const QString &, DWORD, DWORD)> &devicePathHook()
{
    static std::function<HANDLE(const QString &, DWORD, DWORD)> hook;
    return hook;
}

void guardWrites(HANDLE h, std::function<DWORD(qint64 offset, DWORD size)> guard)
{
    if (auto f = handles::getAs<FileObject>(h))
        f->writeGuard = std::move(guard);
}

int openParentFolder(const QString &hostPath, QByteArray *name)
{
    return ::openParentFolder(QDir::cleanPath(hostPath), name);
}

QString pathOfHandle(HANDLE h)
{
    auto f = handles::getAs<FileObject>(h);
    return f ? f->path : QString();
}

int duplicateDescriptor(HANDLE h)
{
    auto f = handles::getAs<FileObject>(h);
    return f && f->fd >= 0 ? ::fcntl(f->fd, F_DUPFD_CLOEXEC, 0) : -1;
}

std::function<void(const QString &, qint64, const void *, DWORD)> &writeObserver()
{
    static std::function<void(const QString &, qint64, const void *, DWORD)> observer;
    return observer;
}

std::function<void(const QString &)> &flushObserver()
{
    static std::function<void(const QString &)> observer;
    return observer;
}

void setFault(const QString &path, const QString &fault)
{
    {
        machine::Lock lock;
        if (fault.isEmpty()) {
            machine::Query q("DELETE FROM filefaults WHERE path=?");
            q.bind(1, markKey(path)).exec();
        } else {
            machine::Query q("INSERT OR REPLACE INTO filefaults(path, fault) VALUES(?, ?)");
            q.bind(1, markKey(path)).bind(2, fault).exec();
        }
    }
    machine::bumpGeneration();
}

void setMarks(const QString &path, DWORD attributes)
{
    {
        machine::Lock lock;
        machine::Query q("INSERT OR REPLACE INTO fileattrs(path, attrs) VALUES(?, ?)");
        q.bind(1, markKey(path)).bind(2, qint64(attributes)).exec();
    }
    machine::bumpGeneration();
}

QString fault(const QString &path)
{
    refreshMarks();
    return faultOf(QDir::cleanPath(path));
}

} // namespace filefaults

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData)
{
    if (!lpFileName || !lpFindFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    refreshMarks();
    // The mask stays in its Windows spelling: a '?' or '*' that is part of a host name reaches here mapped, and
    // only the unmapped ones are wildcards.
    QString pattern = fromWide(lpFileName);
    if (beyondLimit(pattern, MAX_PATH)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const auto lastSeparator = [](const QString &p) {
        return qMax(p.lastIndexOf(QLatin1Char('/')), p.lastIndexOf(QLatin1Char('\\')));
    };
    qsizetype slash = lastSeparator(pattern);
    QString mask = slash < 0 ? pattern : pattern.mid(slash + 1);
    const bool wildcard = mask.contains(QLatin1Char('*')) || mask.contains(QLatin1Char('?'));
    QString folder, single; // single: the host path a name without wildcards makes
    DWORD error = 0;
    if (!mask.isEmpty() && !wildcard) {
        // A single name is the full path it makes ("Sub\.." is Sub's folder, "dot." is "dot"); a drive root
        // is no entry.
        if (!standin::hostPathOf(pattern, &folder, &error)) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
        single = QDir::cleanPath(folder);
        if (!pattern.startsWith(QLatin1String("\\\\?\\")))
            pattern = standin::fullPath(pattern); // a "\\?\" name is taken as written
        slash = lastSeparator(pattern);
        mask = pattern.mid(slash + 1);
    }
    if (mask.isEmpty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    // The folder as every path is resolved, as the folder it is (its separator kept).
    if (slash < 0) {
        folder = QDir::currentPath();
    } else if (!standin::hostPathOf(pattern.left(slash + 1), &folder, &error)) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    if (folder.isEmpty())
        folder = QStringLiteral("/");
    folder = QDir::cleanPath(folder);
    const QString folderFault = faultOf(folder);
    if (folderFault == QLatin1String("vanish")) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (folderFault == QLatin1String("unreadable") && wildcard) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    auto find = std::make_shared<FindObject>();
    find->folder = folder;
    find->profile = machine::userProfile();
    find->marks = currentMarks();
    QByteArray singleName;
    {
        // A held folder is listed as it was held, as on Windows, where nothing can take its place; a single name
        // is looked up where a call by name reaches it, a held folder's own name being that folder.
        const PathEntry at(!single.isEmpty()              ? single
                           : folder == QLatin1String("/") ? QStringLiteral("/.")
                                                          : folder + QStringLiteral("/."));
        find->dirfd = at.reached() ? ::openat(at.dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        singleName = at.name;
    }
    if (find->dirfd < 0) {
        SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : errorOf(errno));
        return INVALID_HANDLE_VALUE;
    }
    // At a drive root the Recycle Bin is the trash the drive shows, never a host folder of that name.
    const QChar rootOf = driveOfRoot(folder);
    const QString trash = rootOf.isNull() ? QString() : recyclebin::trashOfDrive(rootOf);
    if (!wildcard && !rootOf.isNull() && recyclebin::isRecycleBinName(mask)) {
        if (trash.isEmpty() || mask.compare(QLatin1String("$RECYCLE.BIN"), Qt::CaseInsensitive) != 0) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        find->names.append({QStringLiteral("$RECYCLE.BIN"), 0});
        find->hostNames = encoded(trash);
    } else if (!wildcard) {
        // A single name: that entry, as it is spelled on disk (names match whatever their case).
        QByteArray bytes = singleName;
        const bool heldItself = bytes == ".";
        if (heldItself)
            find->folder = single; // the held folder itself, whose marks are its own
        // Shown as it is spelled on disk, which the path's own resolution may have found already.
        QString shown =
            hostnames::windowsName(heldItself ? encoded(single.mid(single.lastIndexOf(QLatin1Char('/')) + 1)) : bytes);
        struct stat st;
        if (::fstatat(find->dirfd, bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            bytes.clear();
            const int dupfd = ::dup(find->dirfd);
            if (DIR *dir = dupfd >= 0 ? ::fdopendir(dupfd) : nullptr) {
                while (struct dirent *d = ::readdir(dir)) {
                    const QString name = hostnames::windowsName(QByteArray(d->d_name));
                    if (name.compare(mask, Qt::CaseInsensitive) == 0) {
                        bytes = QByteArray(d->d_name);
                        shown = name;
                        break;
                    }
                }
                ::closedir(dir);
            } else if (dupfd >= 0) {
                ::close(dupfd);
            }
            if (bytes.isEmpty()) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                return INVALID_HANDLE_VALUE;
            }
        }
        find->names.append({shown, 0});
        find->hostNames = bytes;
    } else {
        const int dupfd = ::dup(find->dirfd);
        DIR *dir = dupfd >= 0 ? ::fdopendir(dupfd) : nullptr;
        if (!dir) {
            if (dupfd >= 0)
                ::close(dupfd);
            SetLastError(errorOf(errno));
            return INVALID_HANDLE_VALUE;
        }
        QVector<QPair<QString, qsizetype>> entries;
        QByteArray &hostNames = find->hostNames;
        // "." and ".." come first where a folder has them; their bytes lead the buffer either way.
        hostNames.append(".\0..\0", 5);
        while (struct dirent *d = ::readdir(dir)) {
            if (!qstrcmp(d->d_name, ".") || !qstrcmp(d->d_name, ".."))
                continue;
            const QByteArray bytes = QByteArray::fromRawData(d->d_name, qsizetype(qstrlen(d->d_name)));
            const QString name = hostnames::windowsName(bytes);
            if (!matchesMask(name, mask) || (!rootOf.isNull() && recyclebin::isRecycleBinName(name)))
                continue;
            entries.append({name, hostNames.size()});
            hostNames.append(bytes).append('\0');
        }
        ::closedir(dir);
        if (!trash.isEmpty() && matchesMask(QStringLiteral("$RECYCLE.BIN"), mask)) {
            entries.append({QStringLiteral("$RECYCLE.BIN"), hostNames.size()});
            hostNames.append(encoded(trash)).append('\0');
        }
        std::sort(entries.begin(), entries.end(),
                  [](const QPair<QString, qsizetype> &a, const QPair<QString, qsizetype> &b) {
                      return upperCaseLess(a.first, b.first);
                  });
        if (rootOf.isNull()) { // a drive root has no "." and ".."
            if (matchesMask(QStringLiteral("."), mask))
                find->names.append({QStringLiteral("."), 0});
            if (matchesMask(QStringLiteral(".."), mask))
                find->names.append({QStringLiteral(".."), 2});
        }
        find->names.reserve(find->names.size() + entries.size());
        for (auto &entry : entries)
            find->names.append(std::move(entry));
    }
    if (!fillFindData(*find, lpFindFileData)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return handles::add(find);
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData)
{
    auto find = handles::getAs<FindObject>(hFindFile);
    if (!find || !lpFindFileData)
        return fail(ERROR_INVALID_HANDLE);
    if (!fillFindData(*find, lpFindFileData))
        return fail(ERROR_NO_MORE_FILES);
    return TRUE;
}

BOOL FindClose(HANDLE hFindFile)
{
    if (!handles::getAs<FindObject>(hFindFile))
        return fail(ERROR_INVALID_HANDLE);
    handles::close(hFindFile);
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR lpFileName)
{
    if (!lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    refreshMarks();
    QString path;
    if (!toHost(lpFileName, &path))
        return INVALID_FILE_ATTRIBUTES;
    Entry e;
    if (const DWORD error = describePath(path, &e)) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    return e.attributes;
}

BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes)
{
    if (!lpFileName)
        return fail(ERROR_INVALID_PARAMETER);
    refreshMarks();
    QString path;
    if (!toHost(lpFileName, &path))
        return FALSE;
    const PathEntry at(path);
    if (faultOf(path) == QLatin1String("vanish") || !at.reached())
        return fail(at.missing());
    // The entry is opened once, not followed, and its mode set on what was opened: a link put in its place
    // meanwhile never lends its target's mode to be changed.
    const int fd = ::openat(at.dirfd, at.name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        return fail(err == ENOENT ? at.missing() : errorOf(err));
    }
    if (!S_ISLNK(st.st_mode)) {
        // Read-only is the file's write permission; the other marks live in the machine.
        mode_t mode = st.st_mode & 07777;
        if (dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            mode &= ~mode_t(0222);
        else if (!(mode & 0222))
            mode |= 0200;
        const QByteArray opened = "/proc/self/fd/" + QByteArray::number(fd);
        if (mode != (st.st_mode & 07777) && ::chmod(opened.constData(), mode) != 0) {
            const int err = errno;
            ::close(fd);
            return fail(errorOf(err));
        }
    }
    ::close(fd);
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY |
                       FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD before = markedAttrs(path);
    // Compression, encryption and sparseness are not attributes one sets this way; keep their marks.
    const DWORD fixed = before & (FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_SPARSE_FILE);
    // A folder keeps the archive mark only when asked for; a file loses the one it has unless asked for it.
    struct stat target;
    const bool folder =
        S_ISDIR(st.st_mode) ||
        (S_ISLNK(st.st_mode) && ::stat(encoded(path).constData(), &target) == 0 && S_ISDIR(target.st_mode));
    const DWORD archive = dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE;
    const DWORD after = fixed | (dwFileAttributes & kept) |
                        (folder    ? archive
                         : archive ? 0
                                   : DWORD(FILE_ATTRIBUTE_NORMAL));
    if (after != before)
        filefaults::setMarks(path, after);
    return TRUE;
}

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE)
{
    if (!lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const QString raw = fromWide(lpFileName);
    const bool deviceName = raw.startsWith(QLatin1String("\\\\.\\")) || raw.startsWith(QLatin1String("//./"));
    if (deviceName && !raw.mid(4).contains(QLatin1Char('\\')) && !raw.mid(4).contains(QLatin1Char('/'))) {
        // Devices and raw volumes: only what a module of the stand-in offers; never a host device. A path
        // below a device's name ("\\.\C:\x") is a file path, resolved as every path is.
        auto &hook = filefaults::devicePathHook();
        if (hook)
            return hook(raw, dwDesiredAccess, dwFlagsAndAttributes);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    refreshMarks();
    QString path;
    if (!toHost(lpFileName, &path))
        return INVALID_HANDLE_VALUE;
    const QString fault = faultOf(path);
    const bool wantsWrite = dwDesiredAccess & (GENERIC_WRITE | GENERIC_ALL | DELETE | 0x0002 | 0x0004);
    auto failed = [](DWORD code) {
        SetLastError(code);
        return INVALID_HANDLE_VALUE;
    };
    if (fault == QLatin1String("vanish") && dwCreationDisposition != CREATE_NEW &&
        dwCreationDisposition != CREATE_ALWAYS && dwCreationDisposition != OPEN_ALWAYS)
        return failed(ERROR_FILE_NOT_FOUND);
    if (fault == QLatin1String("locked") &&
        (wantsWrite || dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING))
        return failed(ERROR_SHARING_VIOLATION);
    if (fault == QLatin1String("unreadable"))
        return failed(ERROR_ACCESS_DENIED);

    // The file is opened in its folder, as the folder was reached: what is done through the handle later
    // (renaming, deleting) reaches that entry, never a path that has changed meanwhile.
    QByteArray name;
    const int dirfd = openParentFolder(path, &name);
    if (dirfd < 0)
        return failed(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : errorOf(errno));
    auto f = std::make_shared<FileObject>();
    f->dirfd = dirfd;
    f->name = name;
    f->path = path;
    f->access = dwDesiredAccess;
    // With FILE_FLAG_OPEN_REPARSE_POINT a link at the end of the path is opened itself, whatever access is
    // asked: its information tells it is a link, and nothing is read or written through it.
    const bool linkItself = dwFlagsAndAttributes & FILE_FLAG_OPEN_REPARSE_POINT;
    const auto openLink = [&]() {
        f->fd = ::openat(dirfd, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (f->fd < 0)
            return failed(errorOf(errno));
        // Another process may have put the folder or file back meanwhile: opened this way it would be neither
        // checked for sharing nor held, so it is refused, as a name that changed while it was opened.
        struct stat opened;
        if (::fstat(f->fd, &opened) != 0 || !S_ISLNK(opened.st_mode))
            return failed(ERROR_SHARING_VIOLATION);
        // A folder's link is a folder: it opens only with backup semantics, as folders do.
        f->folderLink = linkNamesFolder(f->fd, dirfd);
        if (f->folderLink && !(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS))
            return failed(ERROR_ACCESS_DENIED);
        return handles::add(f);
    };
    struct stat st;
    if (linkItself && ::fstatat(dirfd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        return openLink();
    const int nofollow = linkItself ? O_NOFOLLOW : 0;
    const bool exists = ::fstatat(dirfd, name.constData(), &st, 0) == 0;
    // Pipes, sockets and devices are no files on a Windows volume; opening a pipe would wait for a writer.
    if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return failed(ERROR_ACCESS_DENIED);
    if (exists && S_ISDIR(st.st_mode)) {
        // Folders open only for their own information, with backup semantics.
        if (!(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS))
            return failed(ERROR_ACCESS_DENIED);
        f->fd = ::openat(dirfd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | nofollow);
        if (f->fd < 0 && linkItself && (errno == ELOOP || errno == ENOTDIR))
            return openLink(); // became a link since it was looked at
        if (f->fd < 0)
            return failed(errorOf(errno));
        if (!holdShared(f.get(), dwDesiredAccess, dwShareMode))
            return failed(ERROR_SHARING_VIOLATION);
        return handles::add(f);
    }
    // Deleting is not writing: a read-only file opens for deletion, and refuses the deletion itself.
    const bool writesData = dwDesiredAccess & (GENERIC_WRITE | GENERIC_ALL | 0x0002 | 0x0004);
    if (exists && !(st.st_mode & 0222) && writesData)
        return failed(ERROR_ACCESS_DENIED); // Windows refuses to write a read-only file
    // Replacing a hidden or system file must name its attributes again, or Windows refuses it.
    const DWORD keptMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (exists && dwCreationDisposition == CREATE_ALWAYS &&
        (markedAttrs(path) & keptMarks & ~(dwFlagsAndAttributes & keptMarks)))
        return failed(ERROR_ACCESS_DENIED);
    // Checked before the open, which may truncate.
    if (exists && !shareAllows(st, usesOf(dwDesiredAccess), dwShareMode))
        return failed(ERROR_SHARING_VIOLATION);

    int flags = O_CLOEXEC | nofollow;
    const bool reads = dwDesiredAccess & (GENERIC_READ | GENERIC_ALL | 0x0001);
    const bool writes = writesData;
    flags |= writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (dwCreationDisposition) {
    case CREATE_NEW:
        if (exists)
            return failed(ERROR_FILE_EXISTS);
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_EXISTING:
        if (!exists)
            return failed(ERROR_FILE_NOT_FOUND);
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        if (!exists)
            return failed(ERROR_FILE_NOT_FOUND);
        if (!writes)
            return failed(ERROR_INVALID_PARAMETER);
        flags |= O_TRUNC;
        break;
    default:
        return failed(ERROR_INVALID_PARAMETER);
    }
    if (dwFlagsAndAttributes & FILE_FLAG_WRITE_THROUGH)
        flags |= O_DSYNC;
    // Opened without waiting: what took the name since it was looked at may be a pipe, which is read only
    // when it is still a plain file.
    f->fd = ::openat(dirfd, name.constData(), flags | O_NONBLOCK, 0666);
    if (f->fd < 0 && linkItself && errno == ELOOP)
        return openLink(); // became a link since it was looked at
    if (f->fd < 0)
        return failed(errorOf(errno));
    struct stat opened;
    if (::fstat(f->fd, &opened) != 0 || !S_ISREG(opened.st_mode))
        return failed(ERROR_ACCESS_DENIED);
    ::fcntl(f->fd, F_SETFL, ::fcntl(f->fd, F_GETFL) & ~O_NONBLOCK);
    if (!holdShared(f.get(), dwDesiredAccess, dwShareMode))
        return failed(ERROR_SHARING_VIOLATION);
    if (!exists || dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING)
        markWritten(path);
    if (exists && (dwCreationDisposition == OPEN_ALWAYS || dwCreationDisposition == CREATE_ALWAYS))
        SetLastError(ERROR_ALREADY_EXISTS);
    else
        SetLastError(ERROR_SUCCESS);
    return handles::add(f);
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead, LPOVERLAPPED)
{
    auto f = fileOf(hFile);
    if (!f)
        return FALSE;
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        const ssize_t n = ::read(f->fd, static_cast<char *>(lpBuffer) + done, nNumberOfBytesToRead - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errorOf(errno));
        }
        if (n == 0)
            break;
        done += DWORD(n);
    }
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = done;
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED)
{
    auto f = fileOf(hFile);
    if (!f)
        return FALSE;
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    if (filefaults::fault(f->path) == QLatin1String("diskfull"))
        return fail(ERROR_DISK_FULL);
    if (f->writeGuard)
        if (const DWORD refused = f->writeGuard(qint64(::lseek(f->fd, 0, SEEK_CUR)), nNumberOfBytesToWrite))
            return fail(refused);
    const auto &observer = filefaults::writeObserver();
    const off_t at = observer ? ::lseek(f->fd, 0, SEEK_CUR) : 0;
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        const ssize_t n = ::write(f->fd, static_cast<const char *>(lpBuffer) + done, nNumberOfBytesToWrite - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (lpNumberOfBytesWritten)
                *lpNumberOfBytesWritten = done;
            return fail(errorOf(errno));
        }
        done += DWORD(n);
    }
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = done;
    if (done)
        markWritten(f->path);
    if (observer)
        observer(f->path, qint64(at), lpBuffer, done);
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer, DWORD dwMoveMethod)
{
    auto f = fileOf(hFile);
    if (!f)
        return FALSE;
    const int whence = dwMoveMethod == FILE_BEGIN ? SEEK_SET : dwMoveMethod == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    if (dwMoveMethod > FILE_END)
        return fail(ERROR_INVALID_PARAMETER);
    const off_t pos = ::lseek(f->fd, off_t(liDistanceToMove.QuadPart), whence);
    if (pos < 0)
        return fail(ERROR_NEGATIVE_SEEK);
    if (lpNewFilePointer)
        lpNewFilePointer->QuadPart = pos;
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile)
{
    auto f = fileOf(hFile);
    if (!f)
        return FALSE;
    // Windows flushes only through a handle that may write ("must have the GENERIC_WRITE access right").
    const int mode = ::fcntl(f->fd, F_GETFL);
    if (mode != -1 && (mode & O_ACCMODE) == O_RDONLY)
        return fail(ERROR_ACCESS_DENIED);
    if (::fsync(f->fd) != 0 && errno != EINVAL)
        return fail(errorOf(errno));
    if (const auto &observer = filefaults::flushObserver())
        observer(f->path);
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize)
{
    auto f = fileOf(hFile);
    if (!f || !lpFileSize)
        return f ? fail(ERROR_INVALID_PARAMETER) : FALSE;
    struct stat st;
    if (::fstat(f->fd, &st) != 0)
        return fail(errorOf(errno));
    // A link holds no data, nor does a folder (the host counts its entries' room).
    lpFileSize->QuadPart = S_ISLNK(st.st_mode) || S_ISDIR(st.st_mode) ? 0 : st.st_size;
    return TRUE;
}

BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpFileInformation)
{
    auto f = fileOf(hFile);
    if (!f || !lpFileInformation)
        return f ? fail(ERROR_INVALID_PARAMETER) : FALSE;
    // What the handle was opened on: a link's target, since links are followed on opening (unless the link
    // itself was asked for).
    struct statx st;
    if (::statx(f->fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return fail(errorOf(errno));
    const bool folder = S_ISDIR(st.stx_mode) || f->folderLink;
    DWORD attrs = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (S_ISLNK(st.stx_mode))
        attrs |= FILE_ATTRIBUTE_REPARSE_POINT; // opened as the link itself
    else if (!(st.stx_mode & 0222))
        attrs |= FILE_ATTRIBUTE_READONLY;
    std::memset(lpFileInformation, 0, sizeof(*lpFileInformation));
    lpFileInformation->dwFileAttributes = withMarks(attrs, markedAttrs(f->path));
    const auto &born = (st.stx_mask & STATX_BTIME) ? st.stx_btime : st.stx_ctime;
    lpFileInformation->ftCreationTime = toFileTime(born.tv_sec, born.tv_nsec);
    lpFileInformation->ftLastAccessTime = toFileTime(st.stx_atime.tv_sec, st.stx_atime.tv_nsec);
    lpFileInformation->ftLastWriteTime = toFileTime(st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec);
    // The host's device and inode numbers tell two handles to one file apart, as the volume serial and the
    // file index do on Windows.
    lpFileInformation->dwVolumeSerialNumber = DWORD((quint64(st.stx_dev_major) << 20) | st.stx_dev_minor);
    // A link holds no data: the host's size of one is its target name's length.
    const quint64 size = folder || S_ISLNK(st.stx_mode) ? 0 : st.stx_size;
    lpFileInformation->nFileSizeHigh = DWORD(size >> 32);
    lpFileInformation->nFileSizeLow = DWORD(size & 0xffffffffu);
    // A folder has one name on NTFS; the host counts its "." and its sub-folders' "..".
    lpFileInformation->nNumberOfLinks = folder ? 1 : st.stx_nlink;
    lpFileInformation->nFileIndexHigh = DWORD(st.stx_ino >> 32);
    lpFileInformation->nFileIndexLow = DWORD(st.stx_ino & 0xffffffffu);
    return TRUE;
}

DWORD GetFinalPathNameByHandleW(HANDLE hFile, LPWSTR lpszFilePath, DWORD cchFilePath, DWORD dwFlags)
{
    auto f = fileOf(hFile);
    if (!f)
        return 0;
    if (dwFlags & ~DWORD(FILE_NAME_OPENED)) // only drive-letter names are offered
        return fail(ERROR_INVALID_PARAMETER);
    // Where the handle really is: every link followed, in the host's own spelling of it.
    char buffer[PATH_MAX + 1];
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(f->fd);
    const ssize_t n = ::readlink(proc.constData(), buffer, PATH_MAX);
    if (n <= 0)
        return fail(ERROR_PATH_NOT_FOUND);
    const QString path = QStringLiteral("\\\\?\\") + fromHostPath(hostnames::decode(QByteArray(buffer, int(n))));
    if (DWORD(path.size()) >= cchFilePath || !lpszFilePath)
        return DWORD(path.size() + 1);
    copyToWide(path, lpszFilePath, cchFilePath);
    return DWORD(path.size());
}

namespace {

// The folder and name a rename through a handle goes to: a name below the folder handle given, else a path that
// goes where it leads (through held folders, as any open does). -1 when that folder cannot be opened.
int renameTarget(const QString &target, HANDLE root, QByteArray *name, QString *newPath)
{
    if (root) {
        auto folder = handles::getAs<FileObject>(root);
        if (!folder || target.contains(QLatin1Char('\\')) || target.contains(QLatin1Char('/'))) {
            errno = EINVAL;
            return -1;
        }
        *name = encoded(hostnames::toHost(target));
        *newPath = folder->path + QLatin1Char('/') + hostnames::toHost(target);
        return ::dup(folder->fd);
    }
    // Without a folder handle the name is a path, a relative one taken from the current folder.
    if (!toHost(wstr(target), newPath, 0)) { // a name for the file system itself, with no path limit
        errno = ENOENT;                      // a path that names no place
        return -1;
    }
    return openParentFolder(*newPath, name);
}

BOOL setDisposition(FileObject &f, const FILE_DISPOSITION_INFO &info)
{
    if (!info.DeleteFile) {
        f.deletePending = false;
        return TRUE;
    }
    refreshMarks();
    if (faultOf(f.path) == QLatin1String("locked"))
        return fail(ERROR_SHARING_VIOLATION);
    struct stat st;
    if (!f.entryIsOpenFile() || ::fstat(f.fd, &st) != 0)
        return fail(ERROR_FILE_NOT_FOUND); // its name now leads to another file, or nowhere
    if (S_ISDIR(st.st_mode)) {
        // A folder goes only empty; Windows refuses to mark one that is not.
        const int listfd = ::openat(f.dirfd, f.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        DIR *dir = listfd >= 0 ? ::fdopendir(listfd) : nullptr;
        if (!dir) {
            if (listfd >= 0)
                ::close(listfd);
            return fail(errorOf(errno));
        }
        bool empty = true;
        while (struct dirent *d = ::readdir(dir))
            if (qstrcmp(d->d_name, ".") && qstrcmp(d->d_name, ".."))
                empty = false;
        ::closedir(dir);
        if (!empty)
            return fail(ERROR_DIR_NOT_EMPTY);
    } else if (!S_ISLNK(st.st_mode) && !(st.st_mode & 0222)) {
        return fail(ERROR_ACCESS_DENIED); // a read-only file is not deleted
    }
    f.deletePending = true;
    return TRUE;
}

BOOL renameOpenInto(FileObject &f, int dirfd, const QByteArray &name, const QString &newPath, bool replace);

BOOL setRename(FileObject &f, const FILE_RENAME_INFO &info, DWORD size)
{
    const DWORD header = DWORD(offsetof(FILE_RENAME_INFO, FileName));
    if (info.FileNameLength == 0 || info.FileNameLength % 2 || size < header + info.FileNameLength)
        return fail(ERROR_INVALID_PARAMETER);
    const QString target = fromWide(info.FileName, qsizetype(info.FileNameLength / 2));
    refreshMarks();
    if (faultOf(f.path) == QLatin1String("locked"))
        return fail(ERROR_SHARING_VIOLATION);
    if (!f.entryIsOpenFile())
        return fail(ERROR_FILE_NOT_FOUND);
    QByteArray name;
    QString newPath;
    const int dirfd = renameTarget(target, info.RootDirectory, &name, &newPath);
    if (dirfd < 0)
        return fail(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : errorOf(errno));
    return renameOpenInto(f, dirfd, name, newPath, info.ReplaceIfExists);
}

// Renames the open file to name in the folder dirfd (which it takes over, on success as on failure).
BOOL renameOpenInto(FileObject &f, int dirfd, const QByteArray &name, const QString &newPath, bool replace)
{
    struct stat existing, open;
    if (::fstatat(dirfd, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(f.fd, &open) == 0 &&
        (existing.st_dev != open.st_dev || existing.st_ino != open.st_ino)) {
        if (!replace || S_ISDIR(existing.st_mode)) {
            ::close(dirfd);
            return fail(replace ? ERROR_ACCESS_DENIED : ERROR_ALREADY_EXISTS);
        }
    }
    // Never over an entry that appeared since it was looked at, unless replacing was asked.
    if (::renameat2(f.dirfd, f.name.constData(), dirfd, name.constData(), replace ? 0 : RENAME_NOREPLACE) != 0) {
        const int err = errno;
        ::close(dirfd);
        return fail(err == EEXIST ? ERROR_ALREADY_EXISTS : errorOf(err));
    }
    // The host renames a name, not the file: what another process put in the file's place just then was
    // renamed instead. It gets its name back, and the file, untouched, keeps its own.
    if (!f.isOpenFileAt(dirfd, name)) {
        ::renameat2(dirfd, name.constData(), f.dirfd, f.name.constData(), RENAME_NOREPLACE);
        ::close(dirfd);
        return fail(ERROR_FILE_NOT_FOUND);
    }
    ::close(f.dirfd);
    f.dirfd = dirfd;
    f.name = name;
    f.path = newPath;
    OpenFiles &o = openFiles();
    QMutexLocker g(&o.mutex);
    const auto held = o.held.find(&f);
    if (held != o.held.end())
        held->path = f.path;
    return TRUE;
}

} // namespace

BOOL SetFileInformationByHandle(HANDLE hFile, FILE_INFO_BY_HANDLE_CLASS FileInformationClass, LPVOID lpFileInformation,
                                DWORD dwBufferSize)
{
    auto f = fileOf(hFile);
    if (!f)
        return FALSE;
    if (!lpFileInformation)
        return fail(ERROR_INVALID_PARAMETER);
    // Renaming and deleting take a handle opened with delete access.
    const bool mayDelete = f->access & (DELETE | GENERIC_ALL);
    switch (FileInformationClass) {
    case FileDispositionInfo:
        if (dwBufferSize < sizeof(FILE_DISPOSITION_INFO))
            return fail(ERROR_BAD_LENGTH);
        if (!mayDelete)
            return fail(ERROR_ACCESS_DENIED);
        return setDisposition(*f, *static_cast<const FILE_DISPOSITION_INFO *>(lpFileInformation));
    case FileRenameInfo:
        if (dwBufferSize < sizeof(FILE_RENAME_INFO))
            return fail(ERROR_BAD_LENGTH);
        if (!mayDelete)
            return fail(ERROR_ACCESS_DENIED);
        return setRename(*f, *static_cast<const FILE_RENAME_INFO *>(lpFileInformation), dwBufferSize);
    default:
        return fail(ERROR_INVALID_PARAMETER);
    }
}

namespace filefaults {

bool renameInto(HANDLE file, int folder, const QByteArray &name)
{
    auto f = fileOf(file);
    if (!f)
        return false;
    if (!(f->access & (DELETE | GENERIC_ALL)))
        return fail(ERROR_ACCESS_DENIED);
    refreshMarks();
    if (faultOf(f->path) == QLatin1String("locked"))
        return fail(ERROR_SHARING_VIOLATION);
    if (!f->entryIsOpenFile())
        return fail(ERROR_FILE_NOT_FOUND);
    // The folder's path now, for what the file functions look up by the file's path later (faults, marks).
    char buffer[PATH_MAX + 1];
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(folder);
    const ssize_t n = ::readlink(proc.constData(), buffer, PATH_MAX);
    const int dirfd = n > 0 ? ::fcntl(folder, F_DUPFD_CLOEXEC, 0) : -1;
    if (dirfd < 0)
        return fail(ERROR_PATH_NOT_FOUND);
    const QString newPath = hostnames::decode(QByteArray(buffer, int(n))) + QLatin1Char('/') + hostnames::decode(name);
    return renameOpenInto(*f, dirfd, name, newPath, false);
}

} // namespace filefaults

namespace {

// The entry that a deletion would remove, without following a link; 0, or the error Windows would give
// (the machine's vanished and locked files included).
DWORD removableEntry(const QString &path, const PathEntry &at, struct stat *st)
{
    refreshMarks();
    const QString fault = faultOf(path);
    if (fault == QLatin1String("vanish"))
        return ERROR_FILE_NOT_FOUND;
    if (fault == QLatin1String("locked"))
        return ERROR_SHARING_VIOLATION;
    if (!at.look(st))
        return at.missing();
    // Removing asks for delete access: a holder that does not share deleting keeps the entry.
    if (!shareAllows(*st, UseDelete, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return ERROR_SHARING_VIOLATION;
    return 0;
}

} // namespace

BOOL DeleteFileW(LPCWSTR lpFileName)
{
    if (!lpFileName)
        return fail(ERROR_INVALID_PARAMETER);
    QString path;
    if (!toHost(lpFileName, &path))
        return FALSE;
    const PathEntry at(path);
    struct stat st;
    if (const DWORD error = removableEntry(path, at, &st))
        return fail(error);
    // A link to a folder is a folder's link, which RemoveDirectoryW removes, as a folder.
    if (S_ISDIR(st.st_mode) || (S_ISLNK(st.st_mode) && at.linksFolder()))
        return fail(ERROR_ACCESS_DENIED);
    if (!S_ISLNK(st.st_mode) && !(st.st_mode & 0222))
        return fail(ERROR_ACCESS_DENIED); // read-only files are not deleted
    if (::unlinkat(at.dirfd, at.name.constData(), 0) != 0)
        return fail(errorOf(errno));
    return TRUE;
}

BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags)
{
    if (!lpExistingFileName || !lpNewFileName)
        return fail(ERROR_INVALID_PARAMETER);
    refreshMarks();
    QString from, to;
    if (!toHost(lpExistingFileName, &from) || !toHost(lpNewFileName, &to))
        return FALSE;
    const QString fault = faultOf(from);
    if (fault == QLatin1String("vanish"))
        return fail(ERROR_FILE_NOT_FOUND);
    if (fault == QLatin1String("locked") || faultOf(to) == QLatin1String("locked"))
        return fail(ERROR_SHARING_VIOLATION);
    const PathEntry source(from), destination(to);
    struct stat st;
    if (!source.look(&st))
        return fail(source.missing());
    if (!shareAllows(st, UseDelete, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return fail(ERROR_SHARING_VIOLATION);
    struct stat target;
    const bool targetExists = destination.look(&target);
    // Renaming a name to another spelling of itself is allowed, as on a case-insensitive volume.
    const bool sameFile = targetExists && target.st_ino == st.st_ino && target.st_dev == st.st_dev;
    if (targetExists && !sameFile) {
        if (!(dwFlags & MOVEFILE_REPLACE_EXISTING))
            return fail(ERROR_ALREADY_EXISTS);
        // A folder is never replaced, nor a read-only file, nor one a holder keeps from being deleted.
        if (S_ISDIR(target.st_mode) || !(target.st_mode & 0222))
            return fail(ERROR_ACCESS_DENIED);
        if (!shareAllows(target, UseDelete, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
            return fail(ERROR_SHARING_VIOLATION);
    }
    if (!destination.reached())
        return fail(ERROR_PATH_NOT_FOUND);
    // Without leave to replace, an entry that took the new name since it was looked at stays.
    const unsigned keep = sameFile || (dwFlags & MOVEFILE_REPLACE_EXISTING) ? 0 : RENAME_NOREPLACE;
    if (::renameat2(source.dirfd, source.name.constData(), destination.dirfd, destination.name.constData(), keep) != 0)
        return fail(errorOf(errno));
    return TRUE;
}

BOOL MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName)
{
    return MoveFileExW(lpExistingFileName, lpNewFileName, 0);
}

BOOL CreateHardLinkW(LPCWSTR lpFileName, LPCWSTR lpExistingFileName, LPSECURITY_ATTRIBUTES)
{
    if (!lpFileName || !lpExistingFileName)
        return fail(ERROR_INVALID_PARAMETER);
    QString link, existing;
    if (!toHost(lpFileName, &link) || !toHost(lpExistingFileName, &existing))
        return FALSE;
    const PathEntry made(link), source(existing);
    struct stat st;
    if (!source.look(&st))
        return fail(source.missing());
    // A folder has no second name.
    if (S_ISDIR(st.st_mode))
        return fail(ERROR_ACCESS_DENIED);
    if (!made.reached())
        return fail(ERROR_PATH_NOT_FOUND);
    // The entry itself gets the name, a link as a link: never what a link put there meanwhile names.
    if (::linkat(source.dirfd, source.name.constData(), made.dirfd, made.name.constData(), 0) != 0)
        return fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : errno == EEXIST ? ERROR_ALREADY_EXISTS : errorOf(errno));
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES)
{
    if (!lpPathName)
        return fail(ERROR_INVALID_PARAMETER);
    // The path conversion refuses a path of MAX_PATH or more first; a new folder's path leaves room for an 8.3
    // name in it besides: MAX_PATH less 12.
    QString path;
    if (!toHost(lpPathName, &path))
        return FALSE;
    if (beyondLimit(fromWide(lpPathName), MAX_PATH - 12))
        return fail(ERROR_FILENAME_EXCED_RANGE);
    const PathEntry at(path);
    if (!at.reached())
        return fail(ERROR_PATH_NOT_FOUND);
    if (::mkdirat(at.dirfd, at.name.constData(), 0777) != 0)
        return fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : errorOf(errno));
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR lpPathName)
{
    if (!lpPathName)
        return fail(ERROR_INVALID_PARAMETER);
    QString path;
    if (!toHost(lpPathName, &path))
        return FALSE;
    const PathEntry at(path);
    struct stat st;
    if (const DWORD error = removableEntry(path, at, &st))
        return fail(error);
    if (S_ISLNK(st.st_mode)) {
        // A link to a folder goes as the link, never through it.
        if (!at.linksFolder())
            return fail(ERROR_DIRECTORY);
        if (::unlinkat(at.dirfd, at.name.constData(), 0) != 0)
            return fail(errorOf(errno));
        return TRUE;
    }
    if (!S_ISDIR(st.st_mode))
        return fail(ERROR_DIRECTORY);
    // Removing a name, not following one: a link put in its place is refused, never gone through.
    if (::unlinkat(at.dirfd, at.name.constData(), AT_REMOVEDIR) != 0)
        return fail(errno == ENOTDIR ? ERROR_DIRECTORY : errorOf(errno));
    return TRUE;
}

BOOLEAN CreateSymbolicLinkW(LPCWSTR lpSymlinkFileName, LPCWSTR lpTargetFileName, DWORD dwFlags)
{
    if (!lpSymlinkFileName || !lpTargetFileName ||
        (dwFlags & ~DWORD(SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)))
        return fail(ERROR_INVALID_PARAMETER);
    // Making a link takes the privilege an elevated administrator holds; the machine has no developer mode.
    if (!machine::isElevated())
        return fail(ERROR_PRIVILEGE_NOT_HELD);
    QString link;
    if (!toHost(lpSymlinkFileName, &link))
        return FALSE;
    const QString target = fromWide(lpTargetFileName);
    // A full path becomes the host path of what it names; a relative one stays relative to the link's folder
    // where it names something below it. One that climbs is resolved from the link's folder as Windows
    // resolves it, never above the drive's root, and the link names that place.
    const bool full = (target.size() >= 2 && target.at(1) == QLatin1Char(':')) ||
                      target.startsWith(QLatin1Char('\\')) || target.startsWith(QLatin1Char('/'));
    QString hostTarget;
    QString linkPath = fromWide(lpSymlinkFileName);
    if (linkPath.startsWith(QLatin1String("\\\\?\\")))
        linkPath.remove(0, 4); // the folder it is in, whose names the link's own check let through
    linkPath = standin::fullPath(linkPath);
    // A target from the root ("\tmp") is kept relative to the link's own drive, never the current one.
    const bool fromRoot = (target.startsWith(QLatin1Char('\\')) || target.startsWith(QLatin1Char('/'))) &&
                          !target.startsWith(QLatin1String("\\\\")) && !target.startsWith(QLatin1String("//"));
    if (fromRoot && linkPath.size() >= 2 && linkPath.at(1) == QLatin1Char(':')) {
        if (!toHost(wstr(linkPath.left(2) + target), &hostTarget))
            return FALSE;
    } else if (full) {
        if (!toHost(lpTargetFileName, &hostTarget))
            return FALSE;
    } else {
        const QString linkFolder = linkPath.left(linkPath.lastIndexOf(QLatin1Char('\\')) + 1);
        const QString resolved = standin::fullPath(linkFolder + target);
        DWORD error = 0;
        if (resolved.startsWith(linkFolder, Qt::CaseInsensitive) && resolved.size() > linkFolder.size()) {
            hostTarget =
                hostnames::toHost(resolved.mid(linkFolder.size())).replace(QLatin1Char('\\'), QLatin1Char('/'));
        } else if (!standin::hostPathOf(resolved, &hostTarget, &error)) {
            return fail(error);
        }
    }
    const PathEntry at(link);
    struct stat st;
    if (at.look(&st))
        return fail(ERROR_ALREADY_EXISTS);
    if (!at.reached())
        return fail(ERROR_PATH_NOT_FOUND);
    if (::symlinkat(encoded(hostTarget).constData(), at.dirfd, at.name.constData()) != 0)
        return fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : errorOf(errno));
    return TRUE;
}

BOOL PathFileExistsW(LPCWSTR pszPath)
{
    if (!pszPath)
        return FALSE;
    refreshMarks();
    QString path;
    if (!toHost(pszPath, &path))
        return FALSE;
    if (faultOf(path) == QLatin1String("vanish"))
        return fail(ERROR_FILE_NOT_FOUND);
    QByteArray name;
    const int dirfd = openParentFolder(path, &name);
    struct stat st;
    const bool found = dirfd >= 0 && ::fstatat(dirfd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (dirfd >= 0)
        ::close(dirfd);
    if (!found)
        return fail(ERROR_FILE_NOT_FOUND);
    return TRUE;
}

DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer)
{
    const QString dir = fromHostPath(QDir::currentPath());
    const DWORD needed = DWORD(dir.size()) + 1;
    if (!lpBuffer || nBufferLength < needed)
        return needed;
    copyToWide(dir, lpBuffer, nBufferLength);
    return needed - 1;
}

DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR *lpFilePart)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const QString full = standin::fullPath(fromWide(lpFileName));
    const DWORD needed = DWORD(full.size()) + 1;
    if (!lpBuffer || nBufferLength < needed)
        return needed;
    copyToWide(full, lpBuffer, nBufferLength);
    if (lpFilePart) {
        const qsizetype cut = qMax(full.lastIndexOf(QLatin1Char('/')), full.lastIndexOf(QLatin1Char('\\')));
        *lpFilePart = cut + 1 < full.size() ? lpBuffer + cut + 1 : nullptr;
    }
    return needed - 1;
}
