// Raw volumes and the extent query over the machine's simulated volumes (rawvolume.h). A volume handle is a
// file handle on the drive's image, so reads, writes, seeks and injected faults work as on any file.
#include "linux/files/rawvolume.h"

#include "win32.h"
#include "linux/files/drivemap.h"
#include "linux/files/filefaults.h"
#include "linux/machine/handles.h"
#include "linux/machine/machine.h"

#include <QDir>
#include <QRegularExpression>

#include <cstring>

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
    // Raw access needs an administrator; a drive without a simulated volume is one the stand-in cannot open.
    const QString image = machine::setting(volumeKey(letter));
    if (!machine::isElevated() || image.isEmpty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = CreateFileW(wstr(image), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           flags & FILE_FLAG_WRITE_THROUGH, nullptr);
    // Windows refuses writes through a volume handle to the sectors of a mounted file system unless the
    // volume is locked or dismounted ("Blocking Direct Write Operations to Volumes and Disks"): the write
    // fails with access denied. The simulated volume is all file system; one declared without a mounted file
    // system takes writes anywhere.
    if (h != INVALID_HANDLE_VALUE && isMounted(letter))
        filefaults::guardWrites(h, [](qint64, DWORD) { return DWORD(ERROR_ACCESS_DENIED); });
    return h;
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
    const QList<rawvolume::Extent> extents = rawvolume::extentsOf(path);
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
    const QChar letter = drivemap::letterOfHostPath(hostPath(fromWide(lpszFileName)));
    if (letter.isNull()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    const QString root = QString(letter) + QStringLiteral(":\\");
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
