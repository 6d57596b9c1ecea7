#include "linux/system/peimage.h"

#include <QList>
#include <QRegularExpression>

namespace peimage {

namespace {

const quint32 sectionRva = 0x1000;
const quint32 fileAlignment = 0x200;
const quint32 sectionAlignment = 0x1000;

void put(QByteArray &out, qint64 at, quint64 value, int bytes)
{
    // A field wider than the value (a reserved area) is zero beyond its first eight bytes.
    for (int i = 0; i < bytes; ++i)
        out[at + i] = i < 8 ? char((value >> (8 * i)) & 0xFF) : '\0';
}

void append(QByteArray &out, quint64 value, int bytes)
{
    out.append(QByteArray(bytes, '\0'));
    put(out, out.size() - bytes, value, bytes);
}

void pad(QByteArray &out, int alignment)
{
    while (out.size() % alignment)
        out.append('\0');
}

QByteArray utf16z(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), (text.size() + 1) * 2);
}

// One block of a version resource: length, value length, type (1 text, 0 binary), key, value, children,
// each part on a 32-bit boundary.
QByteArray block(const QString &key, quint16 type, const QByteArray &value, quint16 valueLength,
                 const QList<QByteArray> &children = {})
{
    QByteArray b(6, '\0');
    b += utf16z(key);
    pad(b, 4);
    b += value;
    for (const QByteArray &child : children) {
        pad(b, 4);
        b += child;
    }
    put(b, 0, quint64(b.size()), 2);
    put(b, 2, valueLength, 2);
    put(b, 4, type, 2);
    return b;
}

// The leading "a.b.c.d" of a version text as the fixed part's two numbers (most, least significant).
QPair<quint32, quint32> versionNumbers(const QString &text)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^\\s*(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?(?:\\.(\\d+))?")).match(text);
    quint32 n[4] = {};
    for (int i = 0; i < 4; ++i)
        n[i] = m.captured(i + 1).toUInt() & 0xFFFF;
    return {(n[0] << 16) | n[1], (n[2] << 16) | n[3]};
}

QByteArray versionResource(const Version &v)
{
    QByteArray fixed;
    const auto file = versionNumbers(v.fileVersion);
    const auto product = versionNumbers(v.productVersion);
    append(fixed, 0xFEEF04BD, 4); // signature
    append(fixed, 0x00010000, 4); // structure version
    append(fixed, file.first, 4);
    append(fixed, file.second, 4);
    append(fixed, product.first, 4);
    append(fixed, product.second, 4);
    append(fixed, 0x3F, 4);          // flags mask
    append(fixed, 0, 4);             // flags
    append(fixed, 0x00040004, 4);    // VOS_NT_WINDOWS32
    append(fixed, v.dll ? 2 : 1, 4); // VFT_DLL or VFT_APP
    append(fixed, 0, 4);             // subtype
    append(fixed, 0, 8);             // date

    const QPair<const char *, QString> strings[] = {
        {"CompanyName", v.companyName}, {"FileDescription", v.fileDescription}, {"FileVersion", v.fileVersion},
        {"ProductName", v.productName}, {"ProductVersion", v.productVersion},
    };
    QList<QByteArray> texts;
    for (const auto &s : strings)
        texts << block(QLatin1String(s.first), 1, utf16z(s.second), quint16(s.second.size() + 1));
    // US English, Unicode: the table and the translation that names it.
    const QByteArray table = block(QStringLiteral("040904B0"), 1, QByteArray(), 0, texts);
    QByteArray translation;
    append(translation, 0x0409, 2);
    append(translation, 0x04B0, 2);
    const QByteArray stringInfo = block(QStringLiteral("StringFileInfo"), 1, QByteArray(), 0, {table});
    const QByteArray varInfo = block(QStringLiteral("VarFileInfo"), 1, QByteArray(), 0,
                                     {block(QStringLiteral("Translation"), 0, translation, 4)});
    return block(QStringLiteral("VS_VERSION_INFO"), 0, fixed, quint16(fixed.size()), {stringInfo, varInfo});
}

// The .rsrc section: the three directory levels (type RT_VERSION, name 1, language US English), the data
// entry and the resource.
QByteArray resourceSection(const QByteArray &resource)
{
    QByteArray s;
    auto directory = [&](quint32 id, quint32 target) {
        append(s, 0, 12); // characteristics, time stamp, version
        append(s, 0, 2);  // named entries
        append(s, 1, 2);  // id entries
        append(s, id, 4);
        append(s, target, 4);
    };
    directory(16, 0x80000000u | 24); // RT_VERSION
    directory(1, 0x80000000u | 48);
    directory(0x0409, 72);
    append(s, sectionRva + 88, 4);
    append(s, quint64(resource.size()), 4);
    append(s, 0, 8); // code page, reserved
    s += resource;
    return s;
}

} // namespace

QByteArray build(const Version &version)
{
    const QByteArray section = resourceSection(versionResource(version));
    QByteArray raw = section;
    pad(raw, int(fileAlignment));

    QByteArray image(int(fileAlignment), '\0');
    put(image, 0, 0x5A4D, 2);  // "MZ"
    put(image, 0x3C, 0x40, 4); // where the PE header is
    put(image, 0x40, 0x00004550, 4);
    const qint64 coff = 0x44;
    put(image, coff, 0x8664, 2); // x64
    put(image, coff + 2, 1, 2);  // one section
    put(image, coff + 16, 240, 2);
    put(image, coff + 18, version.dll ? 0x2022 : 0x0022, 2); // executable, large addresses (, DLL)
    const qint64 opt = coff + 20;
    const quint32 imageSize = sectionRva + ((quint32(section.size()) + sectionAlignment - 1) & ~(sectionAlignment - 1));
    put(image, opt, 0x20B, 2); // PE32+
    put(image, opt + 2, 14, 1);
    put(image, opt + 8, quint64(raw.size()), 4); // initialised data
    put(image, opt + 24, version.dll ? 0x180000000ull : 0x140000000ull, 8);
    put(image, opt + 32, sectionAlignment, 4);
    put(image, opt + 36, fileAlignment, 4);
    put(image, opt + 40, 10, 2); // operating system 10.0
    put(image, opt + 48, 10, 2); // subsystem 10.0
    put(image, opt + 56, imageSize, 4);
    put(image, opt + 60, fileAlignment, 4); // size of the headers
    put(image, opt + 68, 2, 2);             // Windows GUI
    put(image, opt + 70, 0x8160, 2);        // high entropy, relocatable, NX, terminal-server aware
    put(image, opt + 72, 0x100000, 8);
    put(image, opt + 80, 0x1000, 8);
    put(image, opt + 88, 0x100000, 8);
    put(image, opt + 96, 0x1000, 8);
    put(image, opt + 108, 16, 4);                 // data directories
    put(image, opt + 112 + 2 * 8, sectionRva, 4); // resources
    put(image, opt + 112 + 2 * 8 + 4, quint64(section.size()), 4);
    const qint64 header = opt + 240;
    image.replace(header, 8, QByteArray(".rsrc\0\0\0", 8));
    put(image, header + 8, quint64(section.size()), 4);
    put(image, header + 12, sectionRva, 4);
    put(image, header + 16, quint64(raw.size()), 4);
    put(image, header + 20, fileAlignment, 4);
    put(image, header + 36, 0x40000040, 4); // initialised data, readable
    return image + raw;
}

} // namespace peimage
