#include "picturecheck.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace picturecheck {

namespace {

uint32_t bigEndian32(const unsigned char *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint32_t littleEndian32(const unsigned char *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t littleEndian16(const unsigned char *p)
{
    return uint16_t(p[0] | p[1] << 8);
}

// ---- JPEG ----

// Start-of-frame markers: C0 to CF, except C4 (Huffman tables), C8 (reserved) and CC (arithmetic conditioning).
bool isFrameMarker(unsigned char code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// From `at`, just past a scan's header, to the marker that ends its entropy-coded data; false when the data
// ends first. Inside the data an FF is followed by a stuffed zero, a restart marker or more fill bytes.
bool skipEntropyData(const unsigned char *p, size_t n, size_t *at)
{
    size_t i = *at;
    while (i < n) {
        const void *ff = std::memchr(p + i, 0xFF, n - i);
        if (!ff)
            return false;
        i = size_t(static_cast<const unsigned char *>(ff) - p);
        if (i + 1 >= n)
            return false;
        const unsigned char next = p[i + 1];
        if (next == 0x00 || (next >= 0xD0 && next <= 0xD7))
            i += 2;
        else if (next == 0xFF)
            i += 1;
        else {
            *at = i;
            return true;
        }
    }
    return false;
}

bool wholeJpeg(const unsigned char *p, size_t n)
{
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    size_t at = 2;
    bool frame = false;
    bool scan = false;
    for (;;) {
        if (at >= n || p[at] != 0xFF)
            return false;
        while (at < n && p[at] == 0xFF) // fill bytes before a marker
            ++at;
        if (at >= n)
            return false;
        const unsigned char code = p[at++];
        if (code == 0xD9) // end of image
            return frame && scan;
        // A second start of image, a restart or a stuffed zero outside a scan: not the structure of a picture.
        if (code == 0x00 || code == 0xD8 || (code >= 0xD0 && code <= 0xD7))
            return false;
        if (code == 0x01) // TEM stands alone
            continue;
        if (n - at < 2)
            return false;
        const size_t length = size_t(p[at]) << 8 | p[at + 1];
        if (length < 2 || length > n - at)
            return false;
        const unsigned char *segment = p + at + 2;
        const size_t segmentSize = length - 2;
        if (isFrameMarker(code)) {
            // One frame: precision, height, width, component count, three bytes per component.
            if (frame || segmentSize < 6)
                return false;
            const unsigned width = unsigned(segment[3]) << 8 | segment[4];
            const unsigned components = segment[5];
            if (width == 0 || components < 1 || components > 4 || segmentSize != 6 + 3 * size_t(components))
                return false;
            frame = true;
        } else if (code == 0xDA) {
            // A scan needs its frame first: component count, two bytes per component, three more.
            if (!frame || segmentSize < 1)
                return false;
            const unsigned components = segment[0];
            if (components < 1 || components > 4 || segmentSize != 4 + 2 * size_t(components))
                return false;
            at += length;
            if (!skipEntropyData(p, n, &at))
                return false;
            scan = true;
            continue;
        }
        at += length;
    }
}

// ---- PNG ----

const std::array<uint32_t, 256> &crcTable()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

uint32_t crc32(const unsigned char *p, size_t n)
{
    const std::array<uint32_t, 256> &table = crcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

bool soundHeader(const unsigned char *d)
{
    const uint32_t width = bigEndian32(d);
    const uint32_t height = bigEndian32(d + 4);
    const unsigned depth = d[8], colour = d[9];
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return false;
    if (d[10] != 0 || d[11] != 0 || d[12] > 1) // compression, filter, interlace
        return false;
    switch (colour) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

bool wholePng(const unsigned char *p, size_t n)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (n < 8 || std::memcmp(p, signature, 8) != 0)
        return false;
    size_t at = 8;
    bool first = true;
    bool data = false;
    for (;;) {
        // Length, type, data, CRC: the chunk lies inside the file.
        if (n - at < 12)
            return false;
        const uint32_t length = bigEndian32(p + at);
        if (length > 0x7FFFFFFFu || length > n - at - 12)
            return false;
        const unsigned char *type = p + at + 4;
        for (int i = 0; i < 4; ++i)
            if (!((type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z')))
                return false;
        if (crc32(type, 4 + size_t(length)) != bigEndian32(type + 4 + length))
            return false;
        const bool header = std::memcmp(type, "IHDR", 4) == 0;
        if (first != header || (header && (length != 13 || !soundHeader(type + 4))))
            return false;
        first = false;
        if (std::memcmp(type, "IDAT", 4) == 0)
            data = true;
        at += 12 + size_t(length);
        if (std::memcmp(type, "IEND", 4) == 0)
            return length == 0 && data && at == n;
    }
}

// ---- BMP ----

bool wholeBmp(const unsigned char *p, size_t n)
{
    if (n < 26 || p[0] != 'B' || p[1] != 'M')
        return false;
    const uint32_t pixels = littleEndian32(p + 10);
    const uint32_t headerSize = littleEndian32(p + 14);
    int64_t width = 0, height = 0;
    unsigned planes = 0, bits = 0;
    uint32_t compression = 0, imageSize = 0;
    if (headerSize == 12) {
        width = littleEndian16(p + 18);
        height = littleEndian16(p + 20);
        planes = littleEndian16(p + 22);
        bits = littleEndian16(p + 24);
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
        if (n < 14 + size_t(headerSize))
            return false;
        width = int32_t(littleEndian32(p + 18));
        height = int32_t(littleEndian32(p + 22));
        planes = littleEndian16(p + 26);
        bits = littleEndian16(p + 28);
        compression = littleEndian32(p + 30);
        imageSize = littleEndian32(p + 34);
    } else {
        return false;
    }
    if (height < 0) // rows stored top-down
        height = -height;
    if (planes != 1 || width <= 0 || height == 0)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    if (pixels < 14 + headerSize || pixels > n)
        return false;
    const uint64_t room = n - pixels;
    switch (compression) {
    case 0: // plain rows, each padded to four bytes
    case 3: // the same with colour masks
    case 6: {
        const uint64_t rowBytes = (uint64_t(width) * bits + 31) / 32 * 4;
        return rowBytes * uint64_t(height) <= room;
    }
    case 1: // run-length coded: the coded size is all there is to check
        return bits == 8 && imageSize > 0 && imageSize <= room;
    case 2:
        return bits == 4 && imageSize > 0 && imageSize <= room;
    default:
        return false;
    }
}

} // namespace

bool isWholePicture(const unsigned char *data, size_t size)
{
    if (!data || size < 2)
        return false;
    if (data[0] == 0xFF && data[1] == 0xD8)
        return wholeJpeg(data, size);
    if (data[0] == 0x89 && data[1] == 'P')
        return wholePng(data, size);
    if (data[0] == 'B' && data[1] == 'M')
        return wholeBmp(data, size);
    return false;
}

} // namespace picturecheck
