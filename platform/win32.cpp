// The few helpers of the platform door that Windows itself does not provide.
#include "win32.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

QString hostPath(const QString &windowsPath)
{
    return windowsPath;
}

QString fromHostPath(const QString &qtPath)
{
    return qtPath;
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
