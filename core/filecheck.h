// The checks a tool that deletes makes at the moment it deletes: a list made earlier is never trusted, since a
// folder may have been swapped for a link, or a file for another one, since it was listed.
#pragma once

#include "win32.h"

#include <QString>

namespace filecheck {

// What tells one file from another on Windows: the volume's serial number and the file's index on it.
struct FileIdentity
{
    bool known = false;
    DWORD volume = 0;
    quint64 index = 0;
    DWORD links = 0; // names the file has on its volume (hard links)

    bool sameFile(const FileIdentity &other) const
    {
        return known && other.known && volume == other.volume && index == other.index;
    }
};

// The identity of path itself (a link is not followed); known is false when it cannot be opened.
FileIdentity identify(const QString &path);

// True when path lies below base and no folder between them is a link or junction (or has gone). The last
// name of path itself may be a link: deleting it removes the link, not what it points at.
bool linkFreeBelow(const QString &base, const QString &path);

// Both checks: path is still reached from base without a link, and is still the file that was listed.
bool stillListed(const QString &base, const QString &path, const FileIdentity &listed);

} // namespace filecheck
