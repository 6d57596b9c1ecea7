// Simulated raw volumes. Linux hands out no raw volume here: a drive's volume ("\\.\X:") is an image file that
// the machine declares, and the extents of a file on it (what FSCTL_GET_RETRIEVAL_POINTERS reports) are a
// list the machine keeps for that file. Tests lay out an image, copy a file's bytes to its declared
// clusters, and read back what a module wrote there.
//
// Machine settings: "volume.X" = host path of drive X's image (absent: the volume cannot be opened);
// "volume.X.mounted" = "0" declares a volume without a mounted file system: Windows refuses writes to the
// sectors of a mounted one through a volume handle unless the volume is locked or dismounted, and so does the
// stand-in (ERROR_ACCESS_DENIED) for every other declared volume;
// "volume.X.cluster" = the cluster size in bytes that GetDiskFreeSpaceW reports for the drive (a multiple of
// 512), or "fail" for a drive whose query fails; "fsctl.pending" = "1" makes the extent query answer
// STATUS_PENDING, its result then waiting in the I/O status block.
// Table volumeextents(path, seq, nextvcn, lcn): the runs of a file in order, starting at VCN 0; lcn -1
// marks a run without clusters on the volume. A file without runs answers STATUS_END_OF_FILE, as a file
// whose data lives in its file record does. A drive without "volume.X" is one of the host's: its volume opens
// (on an empty image: reads find nothing) and refuses every write, its file system being mounted and in use,
// and a file on it that the table does not name has the runs the host gives it.
#pragma once

#include <QChar>
#include <QList>
#include <QPair>
#include <QString>

namespace rawvolume {

struct Extent
{
    qint64 nextVcn;
    qint64 lcn; // -1: no clusters on the volume
};

void declareVolume(QChar letter, const QString &imageHostPath);
// A volume is mounted (and refuses writes to its sectors) unless declared otherwise.
void declareMounted(QChar letter, bool mounted);
// clusterBytes 0 removes the declaration (the host's block size applies); -1 makes the query fail.
void declareClusterSize(QChar letter, qint64 clusterBytes);
void declareExtents(const QString &fileHostPath, const QList<Extent> &extents);
QList<Extent> extentsOf(const QString &fileHostPath);
// What the extent query answers for a file: its declared runs; none for another file of a simulated volume;
// for a file of the host's drives, the runs on the host of the open file fd (resident, with none, under 700
// bytes).
QList<Extent> runsOf(const QString &fileHostPath, int fd);

// The cluster size declared for a drive: bytes, 0 when none is declared, -1 when the query is to fail.
qint64 declaredClusterSize(QChar letter);

} // namespace rawvolume
