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
            ownfolder::writeAt(folder, name, script, 0, 0755,
                               QStringLiteral("C:\\Windows\\System32\\") + QLatin1String(name));
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
    for (const Cache &c : caches)
        ownfolder::seedFile(
            systemDrive, QStringLiteral("Users/User/AppData/Local/Microsoft/Windows/Explorer/") + QLatin1String(c.name),
            "CMMM", c.size);
}

} // namespace systemprograms
