// Pictures for the download checks: whole ones in each format the wallpaper takes, and the ways a download
// can fail to be one (a header alone, a foreign format, a file cut short or damaged inside).
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>

namespace testpictures {

// A small picture in format ("JPG", "PNG", "BMP"); progressive: a JPEG of several scans.
inline QByteArray picture(const char *format, bool progressive = false)
{
    QImage image(64, 36, QImage::Format_RGB32);
    image.fill(QColor(30, 90, 160));
    QPainter(&image).fillRect(0, 0, 32, 18, QColor(240, 200, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// What a server may send that starts as a JPEG does and holds no picture.
inline QByteArray jpegHeaderOnly()
{
    return QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000");
}

inline QByteArray svg()
{
    return QByteArrayLiteral("<?xml version=\"1.0\"?><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" "
                             "height=\"36\"><rect width=\"64\" height=\"36\" fill=\"#1e5aa0\"/></svg>");
}

// A PNG whose chunks are all sound, CRCs included, but whose compressed image data is not: only a decoder
// finds out.
inline QByteArray pngWithBadImageData()
{
    QByteArray png = picture("PNG");
    const int idat = png.indexOf("IDAT");
    const quint32 length = qFromBigEndian<quint32>(png.constData() + idat - 4);
    // The zlib header's first byte: a compression method no decoder knows.
    png[idat + 4] = char(0x0F);
    quint32 crc = 0xFFFFFFFFu;
    for (quint32 i = 0; i < 4 + length; ++i) {
        crc ^= quint8(png.at(idat + int(i)));
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    qToBigEndian<quint32>(crc ^ 0xFFFFFFFFu, png.data() + idat + 4 + length);
    return png;
}

} // namespace testpictures
