// Files named by raw host bytes, beyond what Qt can spell (names that are not UTF-8), and an independent count
// of a tree by the host's own calls. Paths are host bytes.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rawnames {

// A file holding data, or a folder when data is null; its parent must exist.
inline bool make(const QByteArray &path, const QByteArray &data = QByteArray())
{
    if (data.isNull())
        return ::mkdir(path.constData(), 0777) == 0;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    const bool ok = fd >= 0 && ::write(fd, data.constData(), size_t(data.size())) == data.size();
    return fd >= 0 && ::close(fd) == 0 && ok;
}

// The whole file; "<none>" when it cannot be opened.
inline QByteArray read(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<none>";
    QByteArray out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof(buffer))) > 0;)
        out.append(buffer, int(n));
    ::close(fd);
    return out;
}

// Regular files below folder at any depth, links not followed; with remove, deletes the whole tree instead.
inline int walk(const QByteArray &folder, bool remove = false)
{
    int count = 0;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const struct dirent *d = ::readdir(dir)) {
            const QByteArray path = folder + '/' + d->d_name;
            struct stat st;
            if (qstrcmp(d->d_name, ".") == 0 || qstrcmp(d->d_name, "..") == 0 || ::lstat(path.constData(), &st))
                continue;
            count += S_ISDIR(st.st_mode) ? walk(path, remove) : S_ISREG(st.st_mode) ? 1 : 0;
            if (remove && !S_ISDIR(st.st_mode))
                ::unlink(path.constData());
        }
        ::closedir(dir);
    }
    if (remove)
        ::rmdir(folder.constData());
    return count;
}

// A temporary folder, removed with all it holds (QTemporaryDir cannot remove what Qt cannot spell).
struct Scratch
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    ~Scratch() { walk(root, true); }
};

} // namespace rawnames
