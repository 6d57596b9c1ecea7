// The Recycle Bin as the drives show it: each host trash is the folder "$RECYCLE.BIN" at the root of one
// drive, as Windows keeps a Recycle Bin at the root of each drive. A "$Recycle.Bin" or "RECYCLER" that a host
// drive holds itself belongs to another system: listings of a drive root leave it out, so that nothing takes
// it for this machine's Recycle Bin.
#pragma once

#include <QString>

namespace recyclebin {

// Whether a name at a drive root is one Windows gives its Recycle Bin ("$RECYCLE.BIN", older "RECYCLER").
bool isRecycleBinName(const QString &name);

// The host folder of the trash that the drive shows as "$RECYCLE.BIN", or "" when it shows none (no trash
// yet, or the trash is shown under another drive).
QString trashOfDrive(QChar letter);

} // namespace recyclebin
