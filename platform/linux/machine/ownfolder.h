// The machine's own folders, reached name by name without following a link: what the stand-in writes into
// them at start-up (its folders, the System folder's scripts) never lands outside the machine through a link
// that a program or an older machine folder placed there.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace ownfolder {

// Opens the folder root/relative (relative: names separated by '/') as a descriptor (O_DIRECTORY), making
// the names that are missing when create is set. Only root itself may be reached through a link. -1 with
// errno set when a name is a link (ELOOP), no folder, or cannot be made; the caller closes the descriptor.
int open(const QString &root, const QString &relative, bool create);

// Writes bytes, grown (sparsely) to size when that is larger, as the file name in folder (a descriptor from
// open): a new plain file beside the entry, renamed into its place, so a link or a file with other names there
// is replaced as an entry, never written through. A folder of that name stays. where names the file in the
// debug output. False when nothing was written.
bool writeAt(int folder, const QByteArray &name, const QByteArray &bytes, qint64 size, mode_t mode,
             const QString &where);

// The same for the file systemDrive/relative (a host drive folder, names separated by '/'), its folders made
// as open makes them: a link on the way (systemDrive itself included) leaves it unwritten, and says so in the
// debug output.
bool seedFile(const QString &systemDrive, const QString &relative, const QByteArray &bytes, qint64 size = 0,
              mode_t mode = 0644);

} // namespace ownfolder
