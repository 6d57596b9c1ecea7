#include "linux/files/regularfile.h"

#include "linux/files/hostnames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace regularfile {

Outcome readAt(int folder, const QByteArray &name, qint64 maxBytes, QByteArray *bytes, Links links)
{
    bytes->clear();
    // O_NONBLOCK makes the open of a pipe return at once instead of waiting for its writer; on a regular file
    // it changes nothing, so it stays set for the reads.
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
    int fd;
    do
        fd = ::openat(folder, name.constData(), flags);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        switch (errno) {
        case ENOENT:
        case ENOTDIR:
            return Outcome::Missing;
        case EACCES:
        case EPERM:
            return Outcome::Denied;
        case ELOOP:
        case ENXIO: // a socket
        case EISDIR:
            return Outcome::NotAFile;
        default:
            return Outcome::Failed;
        }
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Outcome::NotAFile;
    }
    // The size is a hint only: files of /proc say 0 and have content, and a file may grow while it is read.
    const qint64 want = maxBytes < 0 ? 0 : maxBytes;
    bytes->resize(qsizetype(qBound<qint64>(0, qMin<qint64>(st.st_size, want) + 1, want + 1)));
    qint64 done = 0;
    Outcome outcome = Outcome::Read;
    for (;;) {
        if (done == bytes->size()) {
            if (done > want)
                break;
            bytes->resize(qsizetype(qMin<qint64>(want + 1, qMax<qint64>(done * 2, 4096))));
        }
        const ssize_t n = ::read(fd, bytes->data() + done, size_t(bytes->size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            outcome = Outcome::Failed;
            break;
        }
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    if (outcome == Outcome::Failed) {
        bytes->clear();
        return outcome;
    }
    if (done > want) {
        bytes->resize(qsizetype(want));
        return Outcome::TooLarge;
    }
    bytes->resize(qsizetype(done));
    return Outcome::Read;
}

Outcome read(const QString &path, qint64 maxBytes, QByteArray *bytes, Links links)
{
    if (path.isEmpty()) {
        bytes->clear();
        return Outcome::Missing;
    }
    return readAt(AT_FDCWD, hostnames::encode(path), maxBytes, bytes, links);
}

} // namespace regularfile
