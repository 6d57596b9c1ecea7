// What the stand-in reads of host processes under /proc, and how Windows priority classes map onto nice
// values. The mapping both ways:
//   class          set to nice   read from nice
//   Idle                19          15 .. 19
//   Below normal        10           5 .. 14
//   Normal               0          -4 .. 4
//   Above normal        -5          -9 .. -5
//   High               -10         -20 .. -10
//   Real time     a real-time scheduling policy (FIFO or round robin), whatever the nice value
// Setting the real-time class sets High, as Windows does for a caller without the privilege to raise
// priorities: the stand-in never gives a host process a real-time policy.
#pragma once

#include "linux/machine/w32types.h"

#include <QByteArray>
#include <QString>

namespace procfs {

struct Stat
{
    QString name; // the kernel's short name of the program (at most 15 characters)
    DWORD parent = 0;
    int nice = 0;
    int policy = 0; // scheduling policy (0 normal, 1 FIFO, 2 round robin, ...)
    DWORD threads = 0;
    quint64 faults = 0;    // minor and major page faults
    quint64 userTicks = 0; // CPU time in user and kernel mode, in clock ticks
    quint64 kernelTicks = 0;
    quint64 startTicks = 0; // start time, in clock ticks after boot
};

// The stat file of a process ("/proc/<pid>") or a thread ("/proc/<pid>/task/<tid>").
bool readStat(const QByteArray &folder, Stat *out);
// A small file of /proc in one read; false when it cannot be read.
bool readSmallFile(const QByteArray &path, QByteArray *out);
// The boot time, in seconds since 1970 ("btime" of /proc/stat); 0 when it cannot be read.
quint64 bootTime();
// Clock ticks as 100-nanosecond units.
quint64 ticksToFileTimeUnits(quint64 ticks);

// The process's executable as a host path; "" when it cannot be read (another user's process, a kernel thread).
QString executable(DWORD pid);
// A file path as /proc names it (the link of exe, a line of maps), as host text: without the mark the kernel
// adds when the file was deleted.
QString mappedFile(QByteArray path);

// The machine marks a host process protected with the setting "process.protected.<pid>" = "1" (tests run
// as root, who may open anything): it then refuses what Windows refuses for a protected process.
bool markedProtected(DWORD pid);

// The Windows name of a host path (system.cpp).
QString windowsPath(const QString &hostPath);

// A class is a nice value on the host: idle 19, below normal 10, normal 0, above normal -5, high -10 and real
// time -20, which no other class uses (a real-time scheduling policy reads as real time too).
DWORD priorityClassOf(int nice, int policy);
int niceOfClass(DWORD priorityClass); // the class must be one of the six
// The base priority Windows gives the threads of a class (4, 6, 8, 10, 13, 24); 0 for an unknown class.
LONG basePriorityOf(DWORD priorityClass);

} // namespace procfs
