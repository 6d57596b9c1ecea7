// The Recycle Bin of the stand-in is the host's trash, placed where the freedesktop trash rules place it:
// a file on the device of the home trash ($XDG_DATA_HOME/Trash) goes there; a file on another device goes to
// that device's own trash, $topdir/.Trash/$uid where an administrator made $topdir/.Trash (sticky, no link),
// else $topdir/.Trash-$uid. Each moved file gets its record (info/NAME.trashinfo), so the desktop can put it
// back. What the machine marks (a locked or vanished file) is refused as Windows refuses it. Each trash is
// shown as Windows shows a drive's Recycle Bin: a folder "$RECYCLE.BIN" at the root of the drive that holds it.
#include "win32.h"
#include "linux/files/drivemap.h"
#include "linux/files/filefaults.h"
#include "linux/files/hostnames.h"
#include "linux/files/recyclebin.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QScopeGuard>
#include <QUrl>

#include <cstdio>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString homeTrash()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/Trash");
}

// The device of a path, or of its nearest existing folder above it.
bool deviceOf(QString path, dev_t *device)
{
    for (;;) {
        struct stat st;
        if (::stat(hostnames::encode(path).constData(), &st) == 0) {
            *device = st.st_dev;
            return true;
        }
        const QString up = QFileInfo(path).absolutePath();
        if (up == path)
            return false;
        path = up;
    }
}

// The top folder of the device that holds path: the highest folder above it on the same device.
QString topDirOf(const QString &path, dev_t device)
{
    QString top = QFileInfo(path).absoluteFilePath();
    for (;;) {
        const QString up = QFileInfo(top).absolutePath();
        struct stat st;
        if (up == top || ::stat(hostnames::encode(up).constData(), &st) != 0 || st.st_dev != device)
            return top;
        top = up;
    }
}

bool isPlainFolder(const QString &path, bool sticky = false)
{
    struct stat st;
    return ::lstat(hostnames::encode(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           (!sticky || (st.st_mode & S_ISVTX));
}

// The trash a host path belongs in, as a path; empty when there is none yet.
QString trashFor(const QString &host)
{
    const QString home = homeTrash();
    dev_t device = 0, homeDevice = 0;
    if (!deviceOf(host, &device))
        return QString();
    if (!home.isEmpty() && deviceOf(home, &homeDevice) && device == homeDevice)
        return isPlainFolder(home) ? home : QString();
    const QString top = topDirOf(host, device);
    const QString uid = QString::number(::getuid());
    const QString admin = top + QStringLiteral("/.Trash");
    const QString trash =
        isPlainFolder(admin, true) ? admin + QLatin1Char('/') + uid : top + QStringLiteral("/.Trash-") + uid;
    return isPlainFolder(trash) ? trash : QString();
}

// A folder of the folder at, opened as itself (a link in its place is refused, ELOOP) and made first when make
// is set; with sticky, only one with its sticky bit. -1 when there is none.
int folderAt(int at, const QByteArray &name, bool make, bool sticky = false)
{
    if (at < 0)
        return -1;
    if (make)
        ::mkdirat(at, name.constData(), 0700);
    const int fd = ::openat(at, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && sticky && (::fstat(fd, &st) != 0 || !(st.st_mode & S_ISVTX))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A trash and its files and info folders, each opened once as itself: the record and the move go into the
// folders that were opened, whatever another program renames or puts in their places meanwhile.
struct TrashFolders
{
    int files = -1;
    int info = -1;
    TrashFolders() = default;
    TrashFolders(const TrashFolders &) = delete;
    TrashFolders &operator=(const TrashFolders &) = delete;
    ~TrashFolders()
    {
        for (const int fd : {files, info})
            if (fd >= 0)
                ::close(fd);
    }
};

// Opens (and makes, with its files and info folders) the trash a host path belongs in. Only the folder that
// holds the trash is reached by its path: the user's data folder, or the top of a device.
bool openTrash(const QString &host, TrashFolders *trash)
{
    const QString home = homeTrash();
    dev_t device = 0, homeDevice = 0;
    if (!deviceOf(host, &device))
        return false;
    int folder = -1;
    if (!home.isEmpty() && deviceOf(home, &homeDevice) && device == homeDevice) {
        const QString data = QFileInfo(home).path();
        if (!QDir().mkpath(data))
            return false;
        const int above = ::open(hostnames::encode(data).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folder = folderAt(above, QByteArrayLiteral("Trash"), true);
        if (above >= 0)
            ::close(above);
    } else {
        const QString top = topDirOf(host, device);
        const QByteArray uid = QByteArray::number(qulonglong(::getuid()));
        const int topFolder = ::open(hostnames::encode(top).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int admin = folderAt(topFolder, QByteArrayLiteral(".Trash"), false, true);
        folder = admin >= 0 ? folderAt(admin, uid, true) : folderAt(topFolder, ".Trash-" + uid, true);
        for (const int fd : {topFolder, admin})
            if (fd >= 0)
                ::close(fd);
    }
    trash->files = folderAt(folder, QByteArrayLiteral("files"), true);
    trash->info = folderAt(folder, QByteArrayLiteral("info"), true);
    if (folder >= 0)
        ::close(folder);
    return trash->files >= 0 && trash->info >= 0;
}

// A name that neither the trash's files nor its records use yet.
QString freeName(const TrashFolders &trash, const QString &name)
{
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = info.suffix().isEmpty() ? name : info.completeBaseName();
    QString candidate = name;
    // Names are host text here (a name that is not UTF-8 holds lone surrogates), so they are looked up by
    // their bytes: Qt's own look-up would spell such a name differently and miss a file already there.
    const auto taken = [](int folder, const QString &entry) {
        struct stat st;
        return ::fstatat(folder, hostnames::encode(entry).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    };
    for (int n = 2; taken(trash.files, candidate) || taken(trash.info, candidate + QStringLiteral(".trashinfo")); ++n)
        candidate = stem + QLatin1Char(' ') + QString::number(n) + suffix;
    return candidate;
}

} // namespace

namespace {

// Moves the entry of host to the trash it belongs in with its record: move is given the trash's files folder
// and the entry's name there and moves it there, never over an entry.
bool moveWithRecord(const QString &host, const std::function<bool(int files, const QByteArray &name)> &move)
{
    TrashFolders trash;
    if (!openTrash(host, &trash)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const QString name = freeName(trash, QFileInfo(host).fileName());
    const QByteArray record = hostnames::encode(name + QStringLiteral(".trashinfo"));
    // The record first, made only if it is new: two moves of one name cannot take the same place.
    const int fd = ::openat(trash.info, record.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const QByteArray text =
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(hostnames::encode(host), "/") +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toUtf8() +
        "\n";
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    if (!written || !move(trash.files, hostnames::encode(name))) {
        const DWORD error = written ? GetLastError() : DWORD(ERROR_ACCESS_DENIED);
        // Only the record made here goes: an entry that took its name since stays.
        struct stat made, entry;
        if (::fstat(fd, &made) == 0 && ::fstatat(trash.info, record.constData(), &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
            made.st_dev == entry.st_dev && made.st_ino == entry.st_ino)
            ::unlinkat(trash.info, record.constData(), 0);
        ::close(fd);
        SetLastError(error ? error : DWORD(ERROR_ACCESS_DENIED));
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace

bool moveToRecycleBin(const QString &path)
{
    const QString host = QFileInfo(hostPath(path)).absoluteFilePath();
    const QString fault = filefaults::fault(host);
    if (fault == QLatin1String("locked")) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return false;
    }
    // The entry is moved from its folder as the file functions reach it: through a folder held open, the one
    // that was held, never a link that took its place.
    QByteArray entry;
    const int folder = filefaults::openParentFolder(host, &entry);
    struct stat st;
    if (fault == QLatin1String("vanish") || folder < 0 ||
        ::fstatat(folder, entry.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (folder >= 0)
            ::close(folder);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    const auto closeFolder = qScopeGuard([folder] { ::close(folder); });
    return moveWithRecord(host, [&](int files, const QByteArray &name) {
        SetLastError(ERROR_ACCESS_DENIED);
        return ::renameat2(folder, entry.constData(), files, name.constData(), RENAME_NOREPLACE) == 0;
    });
}

bool moveToRecycleBin(HANDLE file)
{
    // Where the open file is now; the rename below goes through its handle, so it moves that file and no other
    // entry that has taken its name since (the file functions give back whatever took its place).
    QString path = finalPathOf(file);
    if (path.startsWith(QLatin1String("\\\\?\\")))
        path.remove(0, 4);
    const QString host = hostPath(path);
    if (path.isEmpty() || filefaults::fault(host) == QLatin1String("vanish")) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    return moveWithRecord(
        host, [file](int files, const QByteArray &name) { return filefaults::renameInto(file, files, name); });
}

namespace recyclebin {

bool isRecycleBinName(const QString &name)
{
    return name.compare(QLatin1String("$RECYCLE.BIN"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("RECYCLER"), Qt::CaseInsensitive) == 0;
}

QString trashOfDrive(QChar letter)
{
    // The trash a drive's files go to, if there is one yet.
    const auto trashOf = [](QChar l) {
        drivemap::Drive drive;
        if (!drivemap::drive(l, &drive) || drive.hostRoot.isEmpty())
            return QString();
        return trashFor(drive.hostRoot);
    };
    const QString trash = trashOf(letter.toUpper());
    if (trash.isEmpty())
        return QString();
    // Every drive on one device sends its files to one trash (all those on the home trash's device to that
    // one): it is shown once, under the drive that holds it, or else under the first drive that uses it.
    const QChar holder = drivemap::letterOfHostPath(trash);
    if (!holder.isNull() && trashOf(holder) == trash)
        return holder == letter.toUpper() ? trash : QString();
    for (char l = 'A'; l <= 'Z'; ++l)
        if (trashOf(QLatin1Char(l)) == trash)
            return QLatin1Char(l) == letter.toUpper() ? trash : QString();
    return QString();
}

} // namespace recyclebin
