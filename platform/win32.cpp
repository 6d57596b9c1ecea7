// The few helpers of the platform door that Windows itself does not provide.
#include "win32.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QWindow>

#ifdef __MINGW32__
// MinGW-w64's headers declare the image-list interface id, but none of its libraries defines it.
extern "C" const IID IID_IImageList = {0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};
#endif

QString hostPath(const QString &windowsPath)
{
    return windowsPath;
}

QString fromHostPath(const QString &qtPath)
{
    return qtPath;
}

QString nativeSeparators(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QFileInfo windowsFileInfo(const QString &windowsPath)
{
    return QFileInfo(windowsPath);
}

QString fromFileUrl(const QUrl &url)
{
    return url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : QString();
}

bool nativeMessageId(const QByteArray &eventType, void *message, UINT *id)
{
    if (eventType != "windows_generic_MSG" || !message)
        return false;
    *id = static_cast<MSG *>(message)->message;
    return true;
}

HWND windowHandle(QWindow *window)
{
    return window ? reinterpret_cast<HWND>(window->winId()) : nullptr;
}

QImage imageFromIcon(HICON icon)
{
    return QImage::fromHICON(icon);
}

void startProgram(QProcess *process, const QString &program, const QStringList &arguments)
{
    process->start(program, arguments, QIODevice::ReadWrite);
}

bool moveToRecycleBin(const QString &path)
{
    return QFile::moveToTrash(path);
}

namespace {

bool sameFile(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION x = {}, y = {};
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

} // namespace

bool moveToRecycleBin(HANDLE file)
{
    QString path = finalPathOf(file);
    if (path.startsWith(QLatin1String("\\\\?\\UNC\\")))
        path.replace(0, 8, QStringLiteral("\\\\"));
    else if (path.startsWith(QLatin1String("\\\\?\\")))
        path.remove(0, 4);
    // The shell moves whatever the name leads to: what went must be the open file, else it is put back.
    QString inTrash;
    if (path.isEmpty() || !QFile::moveToTrash(path, &inTrash))
        return false;
    HANDLE moved = CreateFileW(wstr(inTrash), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const bool same = moved != INVALID_HANDLE_VALUE && sameFile(file, moved);
    if (moved != INVALID_HANDLE_VALUE)
        CloseHandle(moved);
    if (same)
        return true;
    MoveFileExW(wstr(inTrash), wstr(path), 0);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
}
