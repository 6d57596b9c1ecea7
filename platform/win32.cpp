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
