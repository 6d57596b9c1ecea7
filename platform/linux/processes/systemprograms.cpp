#include "linux/processes/systemprograms.h"

#include "linux/machine/ownfolder.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace systemprograms {

namespace {

const char *const programs[] = {"ipconfig.exe", "wsreset.exe"};

QString installFolder()
{
    const QString dir = qEnvironmentVariable("HUSHDECK_INSTALL");
    if (!dir.isEmpty())
        return dir;
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1String("'"), QLatin1String("'\\''")) + QLatin1Char('\'');
}

// True when the entry is the machine's own plain file (no link, no second name elsewhere) holding script.
bool ownScript(int folder, const char *name, const QByteArray &script)
{
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_size == script.size();
    if (same) {
        QByteArray data(script.size() + 1, '\0');
        same = ::read(fd, data.data(), size_t(data.size())) == script.size() && data.left(script.size()) == script;
    }
    ::close(fd);
    return same;
}

// Writes the script as a new file beside the entry and renames it into its place: a link or a file with
// other names is replaced as an entry, never written through. A folder of that name is left as it is.
void write(int folder, const char *name, const QByteArray &script)
{
    struct stat st;
    const bool present = ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (present && S_ISDIR(st.st_mode)) {
        qDebug() << "systemprograms:" << name << "in C:\\Windows\\System32 is a folder and stays as it is";
        return;
    }
    if (present && (!S_ISREG(st.st_mode) || st.st_nlink != 1))
        qDebug() << "systemprograms:" << name << "in C:\\Windows\\System32 is not the machine's own file; replaced";
    const QByteArray temporary = QByteArray(name) + ".new-" + QByteArray::number(qint64(::getpid()));
    // A start that was cut short may have left its half-written script under this name.
    ::unlinkat(folder, temporary.constData(), 0);
    const int fd = ::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0755);
    if (fd < 0) {
        qDebug() << "systemprograms:" << name << "in C:\\Windows\\System32 cannot be written:" << strerror(errno);
        return;
    }
    const bool written =
        ::write(fd, script.constData(), size_t(script.size())) == script.size() && ::fchmod(fd, 0755) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::renameat(folder, temporary.constData(), folder, name) == 0)
        return;
    qDebug() << "systemprograms:" << name << "in C:\\Windows\\System32 cannot be written:" << strerror(errno);
    ::unlinkat(folder, temporary.constData(), 0);
}

} // namespace

void install(const QString &systemDrive)
{
    const QString install = installFolder();
    if (install.isEmpty())
        return;
    // The folder is the machine's own only when no name on the way to it, the drive's included, is a link.
    const QFileInfo drive(systemDrive);
    const int folder = ownfolder::open(drive.path(), drive.fileName() + QStringLiteral("/Windows/System32"), false);
    if (folder < 0) {
        qDebug() << "systemprograms: C:\\Windows\\System32 is not the machine's own folder; no program written";
        return;
    }
    for (const char *name : programs) {
        // The machine is the one the script lies in, wherever the folder has moved since.
        const QByteArray script = "#!/bin/sh\n"
                                  "HUSHDECK_MACHINE=\"$(cd \"$(dirname \"$0\")/../../..\" && pwd)\" exec " +
                                  QFile::encodeName(quoted(install + QStringLiteral("/hushdeck-system"))) + ' ' + name +
                                  " \"$@\"\n";
        if (!ownScript(folder, name, script))
            write(folder, name, script);
    }
    ::close(folder);
}

void seedCaches(const QString &systemDrive)
{
    struct Cache
    {
        const char *name;
        qint64 size;
    };
    // Explorer's databases begin with "CMMM"; sizes as a used profile has them.
    const Cache caches[] = {{"iconcache_16.db", 1048576},    {"iconcache_32.db", 2097152},
                            {"iconcache_48.db", 1048576},    {"thumbcache_96.db", 3145728},
                            {"thumbcache_256.db", 10485760}, {"thumbcache_idx.db", 24600}};
    const QString folder = systemDrive + QStringLiteral("/Users/User/AppData/Local/Microsoft/Windows/Explorer/");
    QDir().mkpath(folder);
    for (const Cache &c : caches) {
        QFile file(folder + QLatin1String(c.name));
        if (!file.open(QIODevice::WriteOnly))
            continue;
        file.write("CMMM");
        file.resize(c.size);
    }
}

} // namespace systemprograms
