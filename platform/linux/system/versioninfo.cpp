// Version resources of the stand-in: the RT_VERSION resource of a PE file, found through its resource
// directory, and queried by block path as Windows does.
#include "win32.h"
#include "linux/files/regularfile.h"
#include "linux/machine/machine.h"

#include <QFileInfo>

#include <cstring>

namespace {

// A little-endian number at `at`, 0 past the end of the data.
template <typename T> T readAt(const QByteArray &d, qint64 at)
{
    if (at < 0 || at + qint64(sizeof(T)) > d.size())
        return 0;
    T v;
    std::memcpy(&v, d.constData() + at, sizeof(T));
    return v;
}

quint32 read32(const QByteArray &d, qint64 at)
{
    return readAt<quint32>(d, at);
}

quint16 read16(const QByteArray &d, qint64 at)
{
    return readAt<quint16>(d, at);
}

const quint32 rtVersion = 16;

// A bare file name ("iyuv_32.dll") is looked for as a library is loaded: in the System folder, then the
// Windows folder, then where the process is.
QString located(const QString &path)
{
    if (path.contains(QLatin1Char('\\')) || path.contains(QLatin1Char('/')) || path.contains(QLatin1Char(':')))
        return path;
    const QString windows = machine::windowsFolder();
    for (const QString &folder : {windows + QStringLiteral("/System32"), windows}) {
        const QString candidate = folder + QLatin1Char('/') + path;
        if (QFileInfo::exists(hostPath(candidate)))
            return candidate;
    }
    return path;
}

// The bytes of the file's first version resource; empty when it has none or is no PE file, with the error
// that says which: the file is not there, has no resource section (no PE file has none either), or has
// resources but no version resource.
QByteArray versionResource(const QString &path, DWORD *error)
{
    *error = ERROR_RESOURCE_DATA_NOT_FOUND;
    // The headers and resources looked at lie in the first 64 MiB of any program this reads.
    QByteArray d;
    switch (regularfile::read(hostPath(located(path)), 64 * 1024 * 1024, &d)) {
    case regularfile::Outcome::Read:
    case regularfile::Outcome::TooLarge:
        break;
    case regularfile::Outcome::Missing:
        *error = ERROR_FILE_NOT_FOUND;
        return QByteArray();
    case regularfile::Outcome::Failed:
        *error = ERROR_READ_FAULT;
        return QByteArray();
    default:
        *error = ERROR_ACCESS_DENIED; // a folder, pipe or device is no program
        return QByteArray();
    }
    if (d.size() < 64 || read16(d, 0) != 0x5A4D)
        return QByteArray();
    const qint64 pe = read32(d, 0x3C);
    if (read32(d, pe) != 0x00004550)
        return QByteArray();
    const qint64 coff = pe + 4;
    const int sections = read16(d, coff + 2);
    const int optionalSize = read16(d, coff + 16);
    const qint64 optional = coff + 20;
    const quint16 magic = read16(d, optional);
    const qint64 directories = optional + (magic == 0x20B ? 112 : 96);
    if (read32(d, optional + (magic == 0x20B ? 108 : 92)) < 3)
        return QByteArray(); // no resource directory entry
    const quint32 resourceRva = read32(d, directories + 2 * 8);
    if (!resourceRva)
        return QByteArray();
    const qint64 table = optional + optionalSize;
    auto offsetOf = [&](quint32 rva) -> qint64 {
        for (int i = 0; i < sections; ++i) {
            const qint64 s = table + i * 40;
            const quint32 va = read32(d, s + 12), size = qMax(read32(d, s + 8), read32(d, s + 16));
            if (rva >= va && rva < va + size)
                return qint64(rva - va) + read32(d, s + 20);
        }
        return -1;
    };
    const qint64 root = offsetOf(resourceRva);
    if (root < 0)
        return QByteArray();
    *error = ERROR_RESOURCE_TYPE_NOT_FOUND;
    // Level 1 by type (RT_VERSION), then the first name, then the first language.
    auto entry = [&](qint64 dir, bool byType) -> qint64 {
        const int named = read16(d, dir + 12), ids = read16(d, dir + 14);
        for (int i = 0; i < named + ids; ++i) {
            const qint64 e = dir + 16 + i * 8;
            if (!byType || (i >= named && read32(d, e) == rtVersion))
                return e;
        }
        return -1;
    };
    qint64 e = entry(root, true);
    for (int level = 0; level < 2 && e >= 0; ++level) {
        const quint32 next = read32(d, e + 4);
        if (!(next & 0x80000000u))
            return QByteArray();
        e = entry(root + (next & 0x7FFFFFFFu), false);
    }
    if (e < 0)
        return QByteArray();
    const quint32 dataEntry = read32(d, e + 4);
    if (dataEntry & 0x80000000u)
        return QByteArray();
    const qint64 data = offsetOf(read32(d, root + dataEntry));
    const quint32 size = read32(d, root + dataEntry + 4);
    if (data < 0 || data + size > d.size() || size < 6)
        return QByteArray();
    return d.mid(data, size);
}

// One block of a version resource: wLength, wValueLength, wType, key, value, children; all 32-bit aligned.
struct Block
{
    qint64 start = 0, end = 0;
    QString key;
    qint64 value = 0, valueBytes = 0, children = 0;
};

bool readBlock(const char *base, qint64 at, qint64 limit, Block *b)
{
    if (at + 6 > limit)
        return false;
    quint16 length, valueLength, type;
    std::memcpy(&length, base + at, 2);
    std::memcpy(&valueLength, base + at + 2, 2);
    std::memcpy(&type, base + at + 4, 2);
    if (length < 6 || at + length > limit)
        return false;
    b->start = at;
    b->end = at + length;
    qint64 p = at + 6;
    b->key.clear();
    while (p + 2 <= b->end) {
        char16_t c;
        std::memcpy(&c, base + p, 2);
        p += 2;
        if (!c)
            break;
        b->key += QChar(c);
    }
    p = (p + 3) & ~qint64(3);
    b->value = p;
    b->valueBytes = qMin<qint64>(type == 1 ? valueLength * 2 : valueLength, qMax<qint64>(0, b->end - p));
    b->children = (p + b->valueBytes + 3) & ~qint64(3);
    return true;
}

} // namespace

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle)
{
    if (lpdwHandle)
        *lpdwHandle = 0;
    DWORD error = 0;
    const QByteArray r = versionResource(fromWide(lptstrFilename), &error);
    if (r.isEmpty()) {
        SetLastError(error);
        return 0;
    }
    return DWORD(r.size());
}

BOOL WINAPI GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData)
{
    if (!lpData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD error = 0;
    const QByteArray r = versionResource(fromWide(lptstrFilename), &error);
    if (r.isEmpty()) {
        SetLastError(error);
        return FALSE;
    }
    // A shorter buffer takes what fits. The root block's length then says where the copy ends, so no query
    // walks past it: also when the resource claims more than its data entry holds.
    const DWORD n = qMin<DWORD>(dwLen, DWORD(r.size()));
    std::memcpy(lpData, r.constData(), n);
    if (n >= 2 && read16(r, 0) > n) {
        const quint16 cut = quint16(qMin<DWORD>(n, 0xFFFF));
        std::memcpy(lpData, &cut, 2);
    }
    return TRUE;
}

BOOL WINAPI VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID *lplpBuffer, UINT *puLen)
{
    if (!pBlock || !lplpBuffer || !puLen)
        return FALSE;
    const char *base = static_cast<const char *>(pBlock);
    quint16 total;
    std::memcpy(&total, base, 2);
    Block b;
    if (!readBlock(base, 0, total, &b))
        return FALSE;
    const QStringList parts = fromWide(lpSubBlock).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        bool found = false;
        Block child;
        for (qint64 at = b.children; at < b.end && readBlock(base, at, b.end, &child);
             at = (child.end + 3) & ~qint64(3)) {
            if (child.key.compare(part, Qt::CaseInsensitive) == 0) {
                found = true;
                break;
            }
        }
        if (!found)
            return FALSE;
        b = child;
    }
    // A block without a value (StringFileInfo, a string table) is found, with a length of 0.
    *lplpBuffer = const_cast<char *>(base + b.value);
    // Text values are counted in characters, the others in bytes. A string of a string table is text also
    // when the file marks it binary (its length then counts bytes).
    quint16 type;
    std::memcpy(&type, base + b.start + 4, 2);
    const bool tableString =
        parts.size() == 3 && parts.first().compare(QLatin1String("StringFileInfo"), Qt::CaseInsensitive) == 0;
    *puLen = UINT(type == 1 || tableString ? b.valueBytes / 2 : b.valueBytes);
    return TRUE;
}
