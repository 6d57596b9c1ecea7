#include "linux/machine/ownfolder.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ownfolder {

int open(const QString &root, const QString &relative, bool create)
{
    int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QString &name : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (fd < 0)
            break;
        const QByteArray bytes = QFile::encodeName(name);
        if (create && ::mkdirat(fd, bytes.constData(), 0755) != 0 && errno != EEXIST) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return -1;
        }
        // O_NOFOLLOW refuses a link in the last place; a link to a folder would otherwise be entered.
        const int next = ::openat(fd, bytes.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        ::close(fd);
        fd = next;
        errno = error;
    }
    return fd;
}

bool writeAt(int folder, const QByteArray &name, const QByteArray &bytes, qint64 size, mode_t mode,
             const QString &where)
{
    struct stat st;
    const bool present = ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (present && S_ISDIR(st.st_mode)) {
        qDebug().noquote() << "machine:" << where << "is a folder and stays as it is";
        return false;
    }
    if (present && (!S_ISREG(st.st_mode) || st.st_nlink != 1))
        qDebug().noquote() << "machine:" << where << "is not the machine's own file; replaced";
    const QByteArray temporary = name + ".new-" + QByteArray::number(qint64(::getpid()));
    // A start that was cut short may have left its half-written file under this name.
    ::unlinkat(folder, temporary.constData(), 0);
    const int fd = ::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
        qDebug().noquote() << "machine:" << where << "cannot be written:" << strerror(errno);
        return false;
    }
    // The rest stays a hole: the size is real, the disk space is not spent.
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() &&
                         (size <= bytes.size() || ::ftruncate(fd, size) == 0) && ::fchmod(fd, mode) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::renameat(folder, temporary.constData(), folder, name.constData()) == 0)
        return true;
    qDebug().noquote() << "machine:" << where << "cannot be written:" << strerror(errno);
    ::unlinkat(folder, temporary.constData(), 0);
    return false;
}

bool seedFile(const QString &systemDrive, const QString &relative, const QByteArray &bytes, qint64 size, mode_t mode)
{
    const QFileInfo drive(systemDrive);
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    const QString where = QStringLiteral("C:\\") + QString(relative).replace(QLatin1Char('/'), QLatin1Char('\\'));
    const int folder =
        open(drive.path(), drive.fileName() + QLatin1Char('/') + relative.left(slash < 0 ? 0 : slash), true);
    if (folder < 0) {
        qDebug().noquote() << "machine:" << where << "not seeded: a folder on its way is a link or cannot be made";
        return false;
    }
    const bool written = writeAt(folder, QFile::encodeName(relative.mid(slash + 1)), bytes, size, mode, where);
    ::close(folder);
    return written;
}

} // namespace ownfolder
