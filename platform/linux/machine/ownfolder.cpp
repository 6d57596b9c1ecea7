#include "linux/machine/ownfolder.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
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

} // namespace ownfolder
