#include "linux/files/hostnames.h"

namespace hostnames {

namespace {

const char16_t mappedBase = 0xF000;

bool forbidden(char16_t c)
{
    switch (c) {
    case u'\\':
    case u':':
    case u'*':
    case u'?':
    case u'"':
    case u'<':
    case u'>':
    case u'|':
        return true;
    default:
        return false;
    }
}

// A character that shows as U+F000 + itself: a forbidden one anywhere, a dot or blank where it ends a name
// (Windows would drop it there, and the name would reach another file).
bool mappable(char16_t c)
{
    return forbidden(c) || c == u'.' || c == u' ';
}

bool isMapped(char16_t u)
{
    return u > mappedBase && u < mappedBase + 0x80 && mappable(char16_t(u - mappedBase));
}

bool isSeparator(char16_t c)
{
    return c == u'/' || c == u'\\';
}

// The length of the valid UTF-8 sequence at p (at most left bytes), with its code point; 0 when none starts
// there. Overlong forms, surrogates and code points past U+10FFFF are not valid.
int validSequence(const unsigned char *p, qsizetype left, char32_t *code)
{
    const unsigned char b = p[0];
    int length;
    char32_t c, least;
    if (b < 0x80) {
        *code = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        c = b & 0x1F;
        least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        c = b & 0x0F;
        least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        c = b & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    *code = c;
    return length;
}

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

} // namespace

QString decode(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        char32_t c = 0;
        const int length = validSequence(p + i, n - i, &c);
        if (length == 0) {
            out.append(QChar(char16_t(0xDC00 + p[i])));
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out.append(QChar(char16_t(0xD800 + ((c - 0x10000) >> 10))));
            out.append(QChar(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF))));
        } else {
            out.append(QChar(char16_t(c)));
        }
        i += length;
    }
    return out;
}

QByteArray encode(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    const char16_t *s = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(u - 0xD800) << 10) | char32_t(s[i + 1] - 0xDC00)));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out.append(char(u - 0xDC00));
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

QString toWindows(const QString &hostText)
{
    QString out;
    out.reserve(hostText.size());
    const qsizetype n = hostText.size();
    qsizetype nameStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = hostText.at(i);
        const char16_t u = c.unicode();
        if (u == u'/')
            nameStart = i + 1;
        const bool endsName = i + 1 == n || hostText.at(i + 1) == QLatin1Char('/');
        const QStringView name = QStringView(hostText).mid(nameStart, i + 1 - nameStart);
        if (forbidden(u) || ((u == u'.' || u == u' ') && endsName && name != u"." && name != u"..")) {
            out.append(QChar(char16_t(mappedBase + u)));
        } else if (isMapped(u)) {
            // A host name that holds a mapped character itself would come back as another name: its bytes
            // are given as stray bytes instead, which come back as they were.
            QByteArray bytes;
            appendUtf8(bytes, u);
            for (const char b : std::as_const(bytes))
                out.append(QChar(char16_t(0xDC00 + quint8(b))));
        } else {
            out.append(c);
        }
    }
    return out;
}

QString windowsName(const QByteArray &bytes)
{
    // Most names are plain ASCII that Windows can hold as it is: one conversion, no mapping pass.
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char b = bytes.at(i);
        if (quint8(b) >= 0x80 || forbidden(char16_t(quint8(b))) ||
            ((b == '.' || b == ' ') && (i + 1 == n || bytes.at(i + 1) == '/')))
            return toWindows(decode(bytes));
    }
    return QString::fromLatin1(bytes);
}

QString toHost(const QString &windowsText)
{
    QString out = windowsText;
    qsizetype nameStart = 0;
    bool mappedInName = false;
    for (qsizetype i = 0; i <= out.size(); ++i) {
        if (i == out.size() || isSeparator(out.at(i).unicode())) {
            // A mapped dot never makes "." or "..": no name climbs out of its folder.
            const QStringView name = QStringView(out).mid(nameStart, i - nameStart);
            if (mappedInName && (name == u"." || name == u".."))
                out.replace(nameStart, i - nameStart, windowsText.mid(nameStart, i - nameStart));
            nameStart = i + 1;
            mappedInName = false;
            continue;
        }
        const char16_t u = out.at(i).unicode();
        if (isMapped(u)) {
            out[i] = QChar(char16_t(u - mappedBase));
            mappedInName = true;
        }
    }
    return out;
}

} // namespace hostnames
