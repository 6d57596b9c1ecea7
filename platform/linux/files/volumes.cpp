// Drives and volumes over the machine's drive map: sizes from statvfs of the drive's host folder, the rest
// from the map (or what the host's file system suggests).
#include "win32.h"
#include "linux/files/drivemap.h"
#include "linux/files/hostnames.h"
#include "linux/files/rawvolume.h"

#include <sys/statvfs.h>

namespace {

// "X:", "X:\" or "X:\path": the drive letter, or a null QChar.
QChar rootLetter(LPCWSTR root)
{
    if (!root)
        return QChar();
    const QString text = fromWide(root);
    if (text.size() < 2 || text.at(1) != QLatin1Char(':') || !text.at(0).isLetter())
        return QChar();
    return text.at(0).toUpper();
}

bool lookup(LPCWSTR root, drivemap::Drive *d)
{
    const QChar letter = rootLetter(root);
    if (letter.isNull() || !drivemap::drive(letter, d)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

struct Space
{
    quint64 total = 0, free = 0, available = 0;
    quint32 blockSize = 4096;
};

bool space(const drivemap::Drive &d, Space *s)
{
    struct statvfs st;
    if (::statvfs(hostnames::encode(d.hostRoot).constData(), &st) != 0) {
        SetLastError(ERROR_NOT_READY);
        return false;
    }
    s->blockSize = st.f_frsize ? quint32(st.f_frsize) : quint32(st.f_bsize);
    s->total = quint64(st.f_blocks) * s->blockSize;
    s->free = quint64(st.f_bfree) * s->blockSize;
    s->available = quint64(st.f_bavail) * s->blockSize;
    if (d.totalBytes >= 0)
        s->total = quint64(d.totalBytes);
    if (d.freeBytes >= 0)
        s->free = s->available = quint64(d.freeBytes);
    return true;
}

} // namespace

UINT GetDriveTypeW(LPCWSTR lpRootPathName)
{
    // Only a drive's root has a type: a folder below it is no root (it would have to be a mount point).
    const QString text = lpRootPathName ? fromWide(lpRootPathName) : QString();
    if (text.size() > 3 || (text.size() == 3 && text.at(2) != QLatin1Char('\\') && text.at(2) != QLatin1Char('/')))
        return DRIVE_NO_ROOT_DIR;
    drivemap::Drive d;
    if (!lookup(lpRootPathName, &d))
        return DRIVE_NO_ROOT_DIR;
    if (d.type == QLatin1String("removable"))
        return DRIVE_REMOVABLE;
    if (d.type == QLatin1String("network"))
        return DRIVE_REMOTE;
    if (d.type == QLatin1String("cdrom"))
        return DRIVE_CDROM;
    if (d.type == QLatin1String("ramdisk"))
        return DRIVE_RAMDISK;
    return DRIVE_FIXED;
}

BOOL GetVolumeInformationW(LPCWSTR lpRootPathName, LPWSTR lpVolumeNameBuffer, DWORD nVolumeNameSize,
                           LPDWORD lpVolumeSerialNumber, LPDWORD lpMaximumComponentLength, LPDWORD lpFileSystemFlags,
                           LPWSTR lpFileSystemNameBuffer, DWORD nFileSystemNameSize)
{
    drivemap::Drive d;
    if (!lookup(lpRootPathName, &d))
        return FALSE;
    if (d.type == QLatin1String("cdrom") && d.totalBytes == 0) {
        SetLastError(ERROR_NOT_READY); // no disc in the drive
        return FALSE;
    }
    if ((lpVolumeNameBuffer && DWORD(d.label.size()) + 1 > nVolumeNameSize) ||
        (lpFileSystemNameBuffer && DWORD(d.fileSystem.size()) + 1 > nFileSystemNameSize)) {
        SetLastError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    if (lpVolumeNameBuffer)
        copyToWide(d.label, lpVolumeNameBuffer, nVolumeNameSize);
    if (lpFileSystemNameBuffer)
        copyToWide(d.fileSystem, lpFileSystemNameBuffer, nFileSystemNameSize);
    if (lpVolumeSerialNumber)
        *lpVolumeSerialNumber = d.serial;
    if (lpMaximumComponentLength)
        *lpMaximumComponentLength = 255;
    if (lpFileSystemFlags)
        *lpFileSystemFlags = d.flags;
    return TRUE;
}

BOOL GetDiskFreeSpaceExW(LPCWSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                         PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes)
{
    drivemap::Drive d;
    Space s;
    if (!lookup(lpDirectoryName, &d) || !space(d, &s))
        return FALSE;
    if (lpFreeBytesAvailableToCaller)
        lpFreeBytesAvailableToCaller->QuadPart = s.available;
    if (lpTotalNumberOfBytes)
        lpTotalNumberOfBytes->QuadPart = s.total;
    if (lpTotalNumberOfFreeBytes)
        lpTotalNumberOfFreeBytes->QuadPart = s.free;
    return TRUE;
}

BOOL GetDiskFreeSpaceW(LPCWSTR lpRootPathName, LPDWORD lpSectorsPerCluster, LPDWORD lpBytesPerSector,
                       LPDWORD lpNumberOfFreeClusters, LPDWORD lpTotalNumberOfClusters)
{
    drivemap::Drive d;
    Space s;
    if (!lookup(lpRootPathName, &d) || !space(d, &s))
        return FALSE;
    // A simulated raw volume brings its own cluster size (or a failing query).
    const qint64 declared = rawvolume::declaredClusterSize(d.letter);
    if (declared < 0) {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    if (declared > 0)
        s.blockSize = quint32(declared);
    // Windows reports 512-byte sectors grouped into clusters of the file system's block size; the cluster
    // counts saturate at 32 bits as they do there.
    const DWORD bytesPerSector = 512;
    const DWORD sectorsPerCluster = qMax<DWORD>(1, s.blockSize / bytesPerSector);
    const quint64 cluster = quint64(bytesPerSector) * sectorsPerCluster;
    if (lpSectorsPerCluster)
        *lpSectorsPerCluster = sectorsPerCluster;
    if (lpBytesPerSector)
        *lpBytesPerSector = bytesPerSector;
    if (lpNumberOfFreeClusters)
        *lpNumberOfFreeClusters = DWORD(qMin<quint64>(s.available / cluster, 0xffffffffu));
    if (lpTotalNumberOfClusters)
        *lpTotalNumberOfClusters = DWORD(qMin<quint64>(s.total / cluster, 0xffffffffu));
    return TRUE;
}
