// Tells which of a few files of one size have the same contents: first by a hash of their first 4 KiB, then by
// a hash of the whole file, and where the hashes agree, byte for byte. Files are read through the platform's
// own file calls. One comparer per thread: it keeps its read buffers.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <atomic>
#include <vector>

class ContentComparer
{
public:
    explicit ContentComparer(const std::atomic<bool> &cancel);

    // The sets of files with identical contents among paths, all listed with this size: each set holds two
    // or more indices into paths, ascending, and the sets come in the order of their first index. A file that
    // cannot be read, or no longer has the listed size, is in no set. Nothing once the cancel flag is set.
    std::vector<std::vector<int>> identicalSets(const QStringList &paths, quint64 size);

private:
    // Reads up to want bytes from the start of a file into the buffer: true when expected bytes came.
    bool readStart(const QString &path, quint64 want, quint64 expected);
    bool hashWhole(const QString &path, quint64 size, quint64 *hash);
    bool sameContents(const QString &a, const QString &b, quint64 size);

    const std::atomic<bool> &cancel;
    QByteArray buffer;
    QByteArray otherBuffer;
};
