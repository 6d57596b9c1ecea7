#include "contentcomparer.h"

#include "childpaths.h"
#include "win32.h"

#include <QHash>
#include <algorithm>
#include <cstring>

namespace {

using Sets = std::vector<std::vector<int>>;

const quint64 headSize = 4096;
const quint64 chunkSize = 256 * 1024;
// Small files are read whole in one go, each opened once for all three comparisons, as long as the group's
// contents stay within a few megabytes; other files are read in chunks, once per comparison.
const quint64 wholeFileLimit = 64 * 1024;
const quint64 wholeGroupLimit = 8 * 1024 * 1024;

quint64 hashOf(const char *data, quint64 size, quint64 seed)
{
    return quint64(qHashBits(data, size_t(size), size_t(seed)));
}

// A file opened for reading only, shared with whoever else has it open.
class ReadHandle
{
public:
    explicit ReadHandle(const QString &path)
        : handle(CreateFileW(wstr(childpaths::callable(path)), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr))
    {
    }
    ~ReadHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    ReadHandle(const ReadHandle &) = delete;
    ReadHandle &operator=(const ReadHandle &) = delete;

    bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }
    // The bytes read into buffer, up to size; -1 when the read failed.
    qint64 read(QByteArray &buffer, quint64 size)
    {
        if (quint64(buffer.size()) < size)
            buffer.resize(qsizetype(size));
        DWORD got = 0;
        if (!ReadFile(handle, buffer.data(), DWORD(size), &got, nullptr))
            return -1;
        return got;
    }

private:
    HANDLE handle;
};

// Splits every set by a key of its members: members keep their order, unreadable ones and sets of one go.
Sets splitByKey(const Sets &sets, const std::vector<quint64> &key, const std::vector<char> &readable)
{
    Sets out;
    for (const std::vector<int> &set : sets) {
        QHash<quint64, size_t> partOfKey;
        const size_t first = out.size();
        for (int m : set) {
            if (!readable[size_t(m)])
                continue;
            auto it = partOfKey.constFind(key[size_t(m)]);
            if (it == partOfKey.constEnd()) {
                partOfKey.insert(key[size_t(m)], out.size());
                out.push_back({m});
            } else {
                out[*it].push_back(m);
            }
        }
        out.erase(std::remove_if(out.begin() + qsizetype(first), out.end(),
                                 [](const std::vector<int> &part) { return part.size() < 2; }),
                  out.end());
    }
    return out;
}

// Splits every set into the runs of members equal to one another; each member is compared with the first
// member of every part so far (after two hashes agreed there is nearly always one part).
template <typename Equal> Sets splitByEquality(const Sets &sets, Equal equal)
{
    Sets out;
    for (const std::vector<int> &set : sets) {
        const size_t first = out.size();
        for (int m : set) {
            size_t p = first;
            while (p < out.size() && !equal(out[p].front(), m))
                ++p;
            if (p < out.size())
                out[p].push_back(m);
            else
                out.push_back({m});
        }
        out.erase(std::remove_if(out.begin() + qsizetype(first), out.end(),
                                 [](const std::vector<int> &part) { return part.size() < 2; }),
                  out.end());
    }
    return out;
}

} // namespace

ContentComparer::ContentComparer(const std::atomic<bool> &cancelFlag) : cancel(cancelFlag) {}

std::vector<std::vector<int>> ContentComparer::identicalSets(const QStringList &paths, quint64 size)
{
    const size_t n = size_t(paths.size());
    const bool whole = size <= wholeFileLimit && size * n <= wholeGroupLimit;
    std::vector<QByteArray> contents(whole ? n : 0);
    std::vector<quint64> key(n);
    std::vector<char> readable(n, 0);
    Sets sets(1);
    for (size_t i = 0; i < n; ++i) {
        if (cancel)
            return {};
        sets[0].push_back(int(i));
        // A whole file is asked for with one byte more than listed, which tells a file that has grown since.
        const quint64 head = std::min(size, headSize);
        readable[i] =
            whole ? readStart(paths.at(qsizetype(i)), size + 1, size) : readStart(paths.at(qsizetype(i)), head, head);
        if (!readable[i])
            continue;
        key[i] = hashOf(buffer.constData(), head, 0);
        if (whole)
            contents[i] = QByteArray(buffer.constData(), qsizetype(size));
    }
    sets = splitByKey(sets, key, readable);

    for (const std::vector<int> &set : sets)
        for (int m : set) {
            if (cancel)
                return {};
            const size_t i = size_t(m);
            if (whole)
                key[i] = hashOf(contents[i].constData(), size, 1);
            else
                readable[i] = hashWhole(paths.at(m), size, &key[i]);
        }
    sets = splitByKey(sets, key, readable);

    sets = splitByEquality(sets, [&](int a, int b) {
        if (whole)
            return contents[size_t(a)] == contents[size_t(b)];
        return sameContents(paths.at(a), paths.at(b), size);
    });
    if (cancel)
        return {};
    std::sort(sets.begin(), sets.end(), [](const auto &a, const auto &b) { return a.front() < b.front(); });
    return sets;
}

bool ContentComparer::readStart(const QString &path, quint64 want, quint64 expected)
{
    ReadHandle file(path);
    return file.isOpen() && file.read(buffer, want) == qint64(expected);
}

bool ContentComparer::hashWhole(const QString &path, quint64 size, quint64 *hash)
{
    ReadHandle file(path);
    if (!file.isOpen())
        return false;
    quint64 total = 0;
    quint64 h = 1;
    for (;;) {
        if (cancel)
            return false;
        const qint64 got = file.read(buffer, chunkSize);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        total += quint64(got);
        if (total > size)
            return false;
        h = hashOf(buffer.constData(), quint64(got), h);
    }
    *hash = h;
    return total == size;
}

bool ContentComparer::sameContents(const QString &a, const QString &b, quint64 size)
{
    ReadHandle first(a);
    ReadHandle second(b);
    if (!first.isOpen() || !second.isOpen())
        return false;
    quint64 total = 0;
    for (;;) {
        if (cancel)
            return false;
        const qint64 got = first.read(buffer, chunkSize);
        if (got < 0 || second.read(otherBuffer, chunkSize) != got)
            return false;
        if (got == 0)
            break;
        if (std::memcmp(buffer.constData(), otherBuffer.constData(), size_t(got)) != 0)
            return false;
        total += quint64(got);
    }
    return total == size;
}
