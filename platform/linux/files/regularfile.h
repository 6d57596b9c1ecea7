// Reading a file the stand-in takes by path, without waiting on it. A named pipe, a socket or a device where a
// file is expected would hold an ordinary open or read until a writer comes, possibly for ever: the file is
// opened without blocking, looked at through the descriptor that was opened, and read only when it is a
// regular file, and then only up to a bound.
#pragma once

#include <QByteArray>
#include <QString>

namespace regularfile {

enum class Outcome {
    Read,     // all of it is in the bytes
    TooLarge, // the bytes hold the first maxBytes; there is more
    Missing,  // nothing of that name (or a folder on the way is missing)
    Denied,   // the host refused to open it
    NotAFile, // a folder, pipe, socket or device; or a link where none is taken
    Failed,   // a read failed part way
};

enum class Links { Follow, Refuse };

// Reads the host file at path into bytes (at most maxBytes of it). With Links::Refuse a link in the last place
// of the path is not followed: the stand-in's own files are never links.
Outcome read(const QString &path, qint64 maxBytes, QByteArray *bytes, Links links = Links::Follow);

// The same for a name inside an open folder (a descriptor), for callers that hold the folder.
Outcome readAt(int folder, const QByteArray &name, qint64 maxBytes, QByteArray *bytes, Links links = Links::Follow);

} // namespace regularfile
