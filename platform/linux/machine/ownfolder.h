// The machine's own folders, reached name by name without following a link: what the stand-in writes into
// them at start-up (its folders, the System folder's scripts) never lands outside the machine through a link
// that a program or an older machine folder placed there.
#pragma once

#include <QString>

namespace ownfolder {

// Opens the folder root/relative (relative: names separated by '/') as a descriptor (O_DIRECTORY), making
// the names that are missing when create is set. Only root itself may be reached through a link. -1 with
// errno set when a name is a link (ELOOP), no folder, or cannot be made; the caller closes the descriptor.
int open(const QString &root, const QString &relative, bool create);

} // namespace ownfolder
