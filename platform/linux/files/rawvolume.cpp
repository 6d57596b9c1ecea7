// Raw volumes and the extent query over the machine's simulated volumes (rawvolume.h). A volume handle is a
// file handle on the drive's image, so reads, writes, seeks and injected faults work as on any file.
#include "linux/files/rawvolume.h"

#include "win32.h"
#include "linux/files/drivemap.h"
#include "linux/files/filefaults.h"
#include "linux/files/hostnames.h"
#include "linux/machine/handles.h"
#include "linux/machine/machine.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace rawvolume {

namespace {

QString volumeKey(QChar letter)
{
    return QStringLiteral("volume.") + letter.toUpper();
}

bool isMounted(QChar letter)
{
    return machine::setting(volumeKey(letter) + QStringLiteral(".mounted")) != QLatin1String("0");
}

HANDLE openVolume(const QString &device, DWORD access, DWORD flags)
{
    static const QRegularExpression volumeName(QStringLiteral("^[\\\\/]{2}\\.[\\\\/]([A-Za-z]):$"));
    const QRegularExpressionMatch m = volumeName.match(device);
    if (!m.hasMatch()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const QChar letter = m.captured(1).at(0).toUpper();
    if (!drivemap::drive(letter, nullptr)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    // Raw access needs an administrator.
    if (!machine::isElevated()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    // A drive without a simulated volume is one of the host's: its volume opens on an empty image in the
    // machine folder, since the stand-in never opens a host device, so its reads find nothing. Its file system
    // is mounted and in use, and never locked.
    QString image = machine::setting(volumeKey(letter));
    const bool hostVolume = image.isEmpty();
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE h = INVALID_HANDLE_VALUE;
    if (hostVolume) {
        // The empty image is the machine's own file: a link in its place is refused, never followed to what it
        // names (nor made there when it names nothing), and a missing image is made new.
        image = machine::folder() + QStringLiteral("/hostvolume.img");
        const DWORD own = (flags & FILE_FLAG_WRITE_THROUGH) | FILE_FLAG_OPEN_REPARSE_POINT;
        h = CreateFileW(wstr(image), access, share, nullptr, OPEN_EXISTING, own, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
            h = CreateFileW(wstr(image), access, share, nullptr, CREATE_NEW, own, nullptr);
        BY_HANDLE_FILE_INFORMATION info = {};
        if (h != INVALID_HANDLE_VALUE &&
            (!GetFileInformationByHandle(h, &info) ||
             (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))) {
            CloseHandle(h);
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    } else {
        h = CreateFileW(wstr(image), access, share, nullptr, OPEN_EXISTING, flags & FILE_FLAG_WRITE_THROUGH, nullptr);
    }
    // Windows refuses writes through a volume handle to the sectors of a mounted file system unless the
    // volume is locked or dismounted ("Blocking Direct Write Operations to Volumes and Disks"): the write
    // fails with access denied. The simulated volume is all file system; one declared without a mounted file
    // system takes writes anywhere.
    if (h != INVALID_HANDLE_VALUE && (hostVolume || isMounted(letter)))
        filefaults::guardWrites(h, [](qint64, DWORD) { return DWORD(ERROR_ACCESS_DENIED); });
    if (h != INVALID_HANDLE_VALUE && hostVolume)
        SetLastError(ERROR_SUCCESS); // the image's own opening is no concern of the caller's
    return h;
}

// Data this small stays in the file's own record on NTFS (a record is 1 KiB; what its other attributes leave
// is some 700 bytes), which gives it no clusters.
constexpr qint64 residentLimit = 700;
// A file of more runs than this is answered as where the host tells none: the answer stays bounded in time
// and memory whatever the host reports.
constexpr int runLimit = 65536;

// The runs of a file on one of the host's drives, in clusters of the drive's size: the host's own extents
// (FIEMAP), gaps between them as runs without clusters; where the host tells none (a file system without
// the query), one run of the file's size at a cluster taken from its file number, which no other file has.
QList<Extent> hostExtents(int fd, qint64 cluster)
{
    QList<Extent> out;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < residentLimit)
        return out;
    const qint64 clusters = (qint64(st.st_size) + cluster - 1) / cluster;
    constexpr unsigned batch = 256;
    std::vector<char> buffer(sizeof(fiemap) + batch * sizeof(fiemap_extent));
    auto *map = reinterpret_cast<fiemap *>(buffer.data());
    qint64 vcn = 0;
    bool answered = true, last = false;
    while (!last && vcn < clusters && out.size() < runLimit) {
        std::fill(buffer.begin(), buffer.end(), 0);
        map->fm_start = quint64(vcn) * quint64(cluster);
        map->fm_length = ~quint64(0) - map->fm_start;
        map->fm_flags = FIEMAP_FLAG_SYNC;
        map->fm_extent_count = batch;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0) {
            answered = false;
            break;
        }
        if (map->fm_mapped_extents == 0)
            break;
        for (unsigned i = 0; i < map->fm_mapped_extents && vcn < clusters; ++i) {
            const fiemap_extent &e = map->fm_extents[i];
            last = e.fe_flags & FIEMAP_EXTENT_LAST;
            // Data kept with the file's metadata is resident; a place the host does not know yet is no place.
            if (e.fe_flags & FIEMAP_EXTENT_DATA_INLINE)
                return {};
            if (e.fe_flags & FIEMAP_EXTENT_UNKNOWN) {
                answered = false;
                break;
            }
            const qint64 first = qint64(e.fe_logical) / cluster;
            const qint64 end = qMin(clusters, qint64((e.fe_logical + e.fe_length + quint64(cluster) - 1) / cluster));
            if (end <= vcn)
                continue;
            if (first > vcn)
                out.append(Extent{first, -1});
            out.append(Extent{end, qint64(e.fe_physical) / cluster + qMax<qint64>(0, vcn - first)});
            vcn = end;
        }
        if (!answered)
            break;
    }
    if (!answered || out.size() >= runLimit)
        return {Extent{clusters, qint64(st.st_ino)}};
    if (vcn < clusters)
        out.append(Extent{clusters, -1}); // a hole to the end (all of a file that is only a hole)
    return out;
}

// Installed when the stand-in starts: CreateFileW hands device paths here.
[[maybe_unused]] const bool hookInstalled = [] {
    filefaults::devicePathHook() = openVolume;
    return true;
}();

} // namespace

void declareVolume(QChar letter, const QString &imageHostPath)
{
    machine::setSetting(volumeKey(letter), imageHostPath);
}

void declareMounted(QChar letter, bool mounted)
{
    machine::setSetting(volumeKey(letter) + QStringLiteral(".mounted"), mounted ? QString() : QStringLiteral("0"));
}

void declareClusterSize(QChar letter, qint64 clusterBytes)
{
    machine::setSetting(volumeKey(letter) + QStringLiteral(".cluster"), clusterBytes < 0 ? QStringLiteral("fail")
                                                                        : clusterBytes == 0
                                                                            ? QString()
                                                                            : QString::number(clusterBytes));
}

qint64 declaredClusterSize(QChar letter)
{
    const QString text = machine::setting(volumeKey(letter) + QStringLiteral(".cluster"));
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const qint64 bytes = text.toLongLong(&ok);
    return ok && bytes > 0 ? bytes : -1;
}

void declareExtents(const QString &fileHostPath, const QList<Extent> &extents)
{
    const QString path = QDir::cleanPath(fileHostPath);
    machine::Transaction t;
    {
        machine::Query q("DELETE FROM volumeextents WHERE path=?");
        q.bind(1, path).exec();
    }
    for (int i = 0; i < extents.size(); ++i) {
        machine::Query q("INSERT INTO volumeextents(path, seq, nextvcn, lcn) VALUES(?, ?, ?, ?)");
        q.bind(1, path).bind(2, qint64(i)).bind(3, extents.at(i).nextVcn).bind(4, extents.at(i).lcn).exec();
    }
    t.commit();
}

QList<Extent> extentsOf(const QString &fileHostPath)
{
    QList<Extent> out;
    machine::Lock lock;
    machine::Query q("SELECT nextvcn, lcn FROM volumeextents WHERE path=? ORDER BY seq");
    q.bind(1, QDir::cleanPath(fileHostPath));
    while (q.next())
        out.append(Extent{q.integer(0), q.integer(1)});
    return out;
}

QList<Extent> runsOf(const QString &fileHostPath, int fd)
{
    QList<Extent> declared = extentsOf(fileHostPath);
    const QChar letter = drivemap::letterOfHostPath(fileHostPath);
    // A simulated volume's layout is all the machine's: a file it declares no runs for has none.
    if (!declared.isEmpty() || (!letter.isNull() && !machine::setting(volumeKey(letter)).isEmpty()))
        return declared;
    // Read from the file the handle holds, never from its name again.
    struct statvfs st;
    if (fd < 0 || ::fstatvfs(fd, &st) != 0)
        return declared;
    // The cluster size GetDiskFreeSpaceW gives: 512-byte sectors, the file system's block size.
    const qint64 block = letter.isNull() ? 0 : declaredClusterSize(letter);
    const qint64 bytes = block > 0 ? block : qint64(st.f_frsize ? st.f_frsize : st.f_bsize);
    return hostExtents(fd, qMax<qint64>(512, bytes / 512 * 512));
}

} // namespace rawvolume

NTSTATUS WINAPI NtFsControlFile(HANDLE FileHandle, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK IoStatusBlock,
                                ULONG FsControlCode, PVOID InputBuffer, ULONG InputBufferLength, PVOID OutputBuffer,
                                ULONG OutputBufferLength)
{
    const QString path = filefaults::pathOfHandle(FileHandle);
    if (path.isEmpty())
        return STATUS_INVALID_HANDLE;
    if (FsControlCode != FSCTL_GET_RETRIEVAL_POINTERS)
        return STATUS_INVALID_DEVICE_REQUEST;
    if (!InputBuffer || InputBufferLength < sizeof(STARTING_VCN_INPUT_BUFFER) || !IoStatusBlock)
        return STATUS_INVALID_PARAMETER;
    const ULONG header = ULONG(offsetof(RETRIEVAL_POINTERS_BUFFER, Extents));
    const ULONG extentSize = ULONG(sizeof(RETRIEVAL_POINTERS_BUFFER::Extents[0]));
    if (!OutputBuffer || OutputBufferLength < header + extentSize)
        return STATUS_BUFFER_TOO_SMALL;

    qint64 startingVcn = 0;
    std::memcpy(&startingVcn, InputBuffer, sizeof(startingVcn));
    const int fd = filefaults::duplicateDescriptor(FileHandle);
    const QList<rawvolume::Extent> extents = rawvolume::runsOf(path, fd);
    if (fd >= 0)
        ::close(fd);
    NTSTATUS status = STATUS_END_OF_FILE;
    ULONG written = 0;
    // The answer starts with the run that holds the starting VCN, and says where that run starts.
    int first = 0;
    qint64 runStart = 0;
    while (first < extents.size() && extents.at(first).nextVcn <= startingVcn)
        runStart = extents.at(first++).nextVcn;
    if (startingVcn >= 0 && first < extents.size()) {
        auto *answer = static_cast<RETRIEVAL_POINTERS_BUFFER *>(OutputBuffer);
        const ULONG room = (OutputBufferLength - header) / extentSize;
        const ULONG count = ULONG(qMin<qint64>(room, extents.size() - first));
        answer->ExtentCount = count;
        answer->StartingVcn.QuadPart = runStart;
        for (ULONG i = 0; i < count; ++i) {
            answer->Extents[i].NextVcn.QuadPart = extents.at(first + int(i)).nextVcn;
            answer->Extents[i].Lcn.QuadPart = extents.at(first + int(i)).lcn;
        }
        written = header + count * extentSize;
        status = first + int(count) < extents.size() ? STATUS_BUFFER_OVERFLOW : STATUS_SUCCESS;
    }
    IoStatusBlock->Status = status;
    IoStatusBlock->Information = written;
    if (machine::setting(QStringLiteral("fsctl.pending")) == QLatin1String("1"))
        return STATUS_PENDING;
    return status;
}

BOOL WINAPI GetVolumePathNameW(LPCWSTR lpszFileName, LPWSTR lpszVolumePathName, DWORD cchBufferLength)
{
    if (!lpszFileName || !lpszVolumePathName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const QString path = QDir::cleanPath(hostPath(fromWide(lpszFileName)));
    QString rest;
    const QChar letter = drivemap::letterOfHostPath(path, &rest);
    if (letter.isNull()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    // The deepest folder on the way that is another of the host's mounts: the stand-in shows each as a volume
    // mounted in a folder, and such a mount point is the root of the volume below it.
    QString root = QString(letter) + QStringLiteral(":\\");
    QString folder = path.left(path.size() - rest.size());
    for (const QString &part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        folder += part;
        struct statx st;
        if (::statx(AT_FDCWD, hostnames::encode(folder).constData(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &st) == 0 &&
            S_ISDIR(st.stx_mode) && (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
            (st.stx_attributes & STATX_ATTR_MOUNT_ROOT))
            root = standin::windowsPath(hostnames::toWindows(folder)) + QLatin1Char('\\');
    }
    if (cchBufferLength < DWORD(root.size()) + 1) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    copyToWide(root, lpszVolumePathName, cchBufferLength);
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD)
{
    // File operations of the stand-in complete before they return, so an open file is always signalled.
    if (!handles::get(hHandle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return WAIT_OBJECT_0;
}
