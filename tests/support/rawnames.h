// Files named by raw host bytes, beyond what Qt can spell (a name that is not UTF-8), and an independent
// count of a tree by the host's own calls. Paths are host bytes throughout.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rawnames {

inline QByteArray bytesOf(const QString &plainPath)
{
    return QFile::encodeName(plainPath);
}

inline bool makeFolder(const QByteArray &path)
{
    return ::mkdir(path.constData(), 0777) == 0 || errno == EEXIST;
}

inline bool writeFile(const QByteArray &path, const QByteArray &data)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, data.constData(), size_t(data.size())) == data.size();
    return ::close(fd) == 0 && ok;
}

// Sets the last-write (and access) time of path to whole seconds since 1970.
inline bool setWritten(const QByteArray &path, qint64 seconds)
{
    const struct timespec times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
    return ::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

// The whole file, or a null array when it cannot be opened.
inline QByteArray readFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    QByteArray out("");
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof(buffer))) > 0)
        out.append(buffer, int(n));
    ::close(fd);
    return out;
}

inline bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// Calls visit(path, stat) for each entry of folder but "." and "..", without following links.
template <typename Visit> void forEachEntry(const QByteArray &folder, Visit visit)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const struct dirent *d = ::readdir(dir)) {
        const QByteArray name(d->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat st;
        if (::lstat(path.constData(), &st) == 0)
            visit(path, st);
    }
    ::closedir(dir);
}

// Regular files below folder at any depth; links are not followed.
inline int countFiles(const QByteArray &folder)
{
    int count = 0;
    forEachEntry(folder, [&count](const QByteArray &path, const struct stat &st) {
        if (S_ISDIR(st.st_mode))
            count += countFiles(path);
        else if (S_ISREG(st.st_mode))
            ++count;
    });
    return count;
}

// Removes folder and everything below it (Qt cannot remove what it cannot spell).
inline void removeTree(const QByteArray &folder)
{
    forEachEntry(folder, [](const QByteArray &path, const struct stat &st) {
        if (S_ISDIR(st.st_mode))
            removeTree(path);
        else
            ::unlink(path.constData());
    });
    ::rmdir(folder.constData());
}

// A temporary folder for trees of such names, removed with all it holds when it goes.
class Scratch
{
public:
    Scratch() : root(bytesOf(dir.path())) {}
    ~Scratch() { removeTree(root); }
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;
    QString path() const { return dir.path(); }

private:
    QTemporaryDir dir;

public:
    const QByteArray root;
};

} // namespace rawnames
