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

bool makeFolder(const QString &path)
{
    return ::mkdir(hostnames::encode(path).constData(), 0700) == 0 || isPlainFolder(path);
}

// The trash a host path belongs in; made (with its files and info folders) when make is set. Empty when
// there is none.
QString trashFor(const QString &host, bool make)
{
    const QString home = homeTrash();
    dev_t device = 0, homeDevice = 0;
    if (!deviceOf(host, &device))
        return QString();
    if (!home.isEmpty() && deviceOf(home, &homeDevice) && device == homeDevice) {
        if (make && !(QDir().mkpath(home) && makeFolder(home + QStringLiteral("/files")) &&
                      makeFolder(home + QStringLiteral("/info"))))
            return QString();
        return isPlainFolder(home) ? home : QString();
    }
    const QString top = topDirOf(host, device);
    const QString uid = QString::number(::getuid());
    const QString admin = top + QStringLiteral("/.Trash");
    const QString trash =
        isPlainFolder(admin, true) ? admin + QLatin1Char('/') + uid : top + QStringLiteral("/.Trash-") + uid;
    if (make && !(makeFolder(trash) && makeFolder(trash + QStringLiteral("/files")) &&
                  makeFolder(trash + QStringLiteral("/info"))))
        return QString();
    return isPlainFolder(trash) ? trash : QString();
}

// A name that neither the trash's files nor its records use yet.
QString freeName(const QString &trash, const QString &name)
{
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = info.suffix().isEmpty() ? name : info.completeBaseName();
    QString candidate = name;
    // Names are host text here (a name that is not UTF-8 holds lone surrogates), so they are looked up by
    // their bytes: Qt's own look-up would spell such a name differently and miss a file already there.
    const auto taken = [&](const QString &path) {
        struct stat st;
        return ::lstat(hostnames::encode(path).constData(), &st) == 0;
    };
    for (int n = 2; taken(trash + QStringLiteral("/files/") + candidate) ||
                    taken(trash + QStringLiteral("/info/") + candidate + QStringLiteral(".trashinfo"));
         ++n)
        candidate = stem + QLatin1Char(' ') + QString::number(n) + suffix;
    return candidate;
}

} // namespace

namespace {

// Moves the entry of host to the trash it belongs in with its record: move is given the host path of the
// entry's place in the trash and moves it there, never over an entry.
bool moveWithRecord(const QString &host, const std::function<bool(const QString &target)> &move)
{
    const QString trash = trashFor(host, true);
    if (trash.isEmpty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const QString name = freeName(trash, QFileInfo(host).fileName());
    const QString record = trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo");
    // The record first, made only if it is new: two moves of one name cannot take the same place.
    const int fd = ::open(hostnames::encode(record).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const QByteArray text =
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(hostnames::encode(host), "/") +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toUtf8() +
        "\n";
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    if (!written || !move(trash + QStringLiteral("/files/") + name)) {
        const DWORD error = written ? GetLastError() : DWORD(ERROR_ACCESS_DENIED);
        ::unlink(hostnames::encode(record).constData());
        SetLastError(error ? error : DWORD(ERROR_ACCESS_DENIED));
        return false;
    }
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
    return moveWithRecord(host, [&](const QString &target) {
        SetLastError(ERROR_ACCESS_DENIED);
        return ::renameat2(folder, entry.constData(), AT_FDCWD, hostnames::encode(target).constData(),
                           RENAME_NOREPLACE) == 0;
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
    return moveWithRecord(host, [file](const QString &target) { return renameOpenFile(file, fromHostPath(target)); });
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
        return trashFor(drive.hostRoot, false);
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
