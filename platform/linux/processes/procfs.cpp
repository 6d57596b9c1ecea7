#include "linux/processes/procfs.h"

#include "linux/files/hostnames.h"
#include "linux/files/regularfile.h"
#include "linux/machine/machine.h"
#include "linux/processes/w32process.h"

#include <QFile>
#include <QList>
#include "linux/files/drivemap.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace procfs {

bool readSmallFile(const QByteArray &path, QByteArray *out)
{
    // The largest of these, a process's memory map, stays far below this even for a huge process.
    return regularfile::readAt(AT_FDCWD, path, 64 * 1024 * 1024, out) == regularfile::Outcome::Read;
}

bool readStat(const QByteArray &folder, Stat *out)
{
    QByteArray text;
    if (!readSmallFile(folder + "/stat", &text))
        return false;
    // "pid (name) state ppid ...": the name may hold blanks and parentheses, so the last ')' ends it.
    const int open = int(text.indexOf('('));
    const int close = int(text.lastIndexOf(')'));
    if (open < 0 || close < open)
        return false;
    out->name = QString::fromUtf8(text.constData() + open + 1, close - open - 1);
    const QList<QByteArray> f = text.mid(close + 2).split(' ');
    // f[0] is field 3 of the stat file (the state), so field n is f[n - 3].
    if (f.size() < 39)
        return false;
    out->parent = DWORD(f.at(1).toULong());
    out->faults = f.at(7).toULongLong() + f.at(9).toULongLong();
    out->userTicks = f.at(11).toULongLong();
    out->kernelTicks = f.at(12).toULongLong();
    out->startTicks = f.at(19).toULongLong();
    out->nice = f.at(16).toInt();
    out->threads = DWORD(f.at(17).toULong());
    out->policy = f.at(38).toInt();
    return true;
}

quint64 bootTime()
{
    QByteArray text;
    if (!readSmallFile("/proc/stat", &text))
        return 0;
    const int at = int(text.indexOf("\nbtime "));
    if (at < 0)
        return 0;
    const int end = int(text.indexOf('\n', at + 1));
    return text.mid(at + 7, end < 0 ? -1 : end - at - 7).trimmed().toULongLong();
}

quint64 ticksToFileTimeUnits(quint64 ticks)
{
    static const quint64 perSecond = quint64(qMax(1L, sysconf(_SC_CLK_TCK)));
    return ticks / perSecond * 10000000ULL + ticks % perSecond * 10000000ULL / perSecond;
}

QString executable(DWORD pid)
{
    char target[4096];
    const QByteArray link = "/proc/" + QByteArray::number(pid) + "/exe";
    const ssize_t n = ::readlink(link.constData(), target, sizeof(target) - 1);
    if (n <= 0)
        return QString();
    return mappedFile(QByteArray(target, int(n)));
}

QString mappedFile(QByteArray path)
{
    // The kernel marks a file that is gone; Windows names the image a process was started from.
    static const QByteArray gone(" (deleted)");
    struct stat st;
    if (path.endsWith(gone) && ::lstat(path.constData(), &st) != 0)
        path.chop(gone.size());
    return hostnames::decode(path);
}

bool markedProtected(DWORD pid)
{
    return machine::setting(QStringLiteral("process.protected.") + QString::number(pid)) == QLatin1String("1");
}

QString windowsPath(const QString &hostPath)
{
    // Names mapped first, as every path of a host name reaches the program ("memfd:x" holds a ':').
    return standin::windowsPath(hostnames::toWindows(hostPath));
}

DWORD priorityClassOf(int nice, int policy)
{
    if (policy == 1 || policy == 2)
        return REALTIME_PRIORITY_CLASS;
    if (nice >= 15)
        return IDLE_PRIORITY_CLASS;
    if (nice >= 5)
        return BELOW_NORMAL_PRIORITY_CLASS;
    if (nice >= -4)
        return NORMAL_PRIORITY_CLASS;
    if (nice >= -9)
        return ABOVE_NORMAL_PRIORITY_CLASS;
    // The host's topmost nice value is real time's own, so that the class set reads back as itself.
    if (nice > -20)
        return HIGH_PRIORITY_CLASS;
    return REALTIME_PRIORITY_CLASS;
}

int niceOfClass(DWORD priorityClass)
{
    switch (priorityClass) {
    case IDLE_PRIORITY_CLASS:
        return 19;
    case BELOW_NORMAL_PRIORITY_CLASS:
        return 10;
    case ABOVE_NORMAL_PRIORITY_CLASS:
        return -5;
    case HIGH_PRIORITY_CLASS:
        return -10;
    case REALTIME_PRIORITY_CLASS:
        return -20;
    default:
        return 0;
    }
}

LONG basePriorityOf(DWORD priorityClass)
{
    switch (priorityClass) {
    case IDLE_PRIORITY_CLASS:
        return 4;
    case BELOW_NORMAL_PRIORITY_CLASS:
        return 6;
    case NORMAL_PRIORITY_CLASS:
        return 8;
    case ABOVE_NORMAL_PRIORITY_CLASS:
        return 10;
    case HIGH_PRIORITY_CLASS:
        return 13;
    case REALTIME_PRIORITY_CLASS:
        return 24;
    default:
        return 0;
    }
}

} // namespace procfs
