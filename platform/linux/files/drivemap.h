// The machine's drive letters, laid out as a prefix lays them out: C: is the machine's own drive (the folder
// drive_c of the machine folder), Z: is the host's root file system, and further real (non-virtual) host file
// systems get D:, E:, ... in mount order. The machine can override a letter (tests point letters at
// temporary folders) with the settings "drive.X" (a host folder, or "" for no drive) and describe it with
// "drive.X.type" (fixed, removable, network, cdrom, ramdisk), "drive.X.label", "drive.X.serial" (hex),
// "drive.X.fs", "drive.X.flags" (hex), "drive.X.total" and "drive.X.free" (bytes). The setting
// "drives.host" = "0" leaves the host's own file systems out, so that only overridden letters exist;
// "drives.mounts" names a file read as the host's mount table instead of /proc/self/mounts (tests).
#pragma once

#include <QString>

namespace drivemap {

struct Drive
{
    QChar letter;
    QString hostRoot; // where the drive's root is on the host
    QString type;     // fixed, removable, network, cdrom, ramdisk
    QString label;
    QString fileSystem; // as Windows names it: NTFS, FAT32, exFAT ...
    quint32 serial = 0;
    quint32 flags = 0;
    qint64 totalBytes = -1; // -1: from the host
    qint64 freeBytes = -1;
};

// The drive of a letter; false when the letter has no drive.
bool drive(QChar letter, Drive *out);
// The letter whose root holds a host path (the deepest mapped root), or a null QChar.
QChar letterOfHostPath(const QString &hostPath, QString *rest = nullptr);

// Volume devices: the host's real file systems in mount order, then every drive root that is none of them
// (in letter order), are the volumes "\Device\HarddiskVolume1", "...2", ... A drive letter names the
// volume of its root; a file lies on the volume with the deepest root that holds it.
QString deviceOfLetter(QChar letter); // "" when the letter has no drive
QString deviceOfHostPath(const QString &hostPath, QString *rest = nullptr);

} // namespace drivemap

namespace standin {

// The name Windows gives a host path: C:\... on the machine's drive, Z:\... for the rest of the host's root,
// or the letter of the deepest mapped drive that holds it. Defined with hostPath(), its reverse.
QString windowsPath(const QString &hostPath);

} // namespace standin
