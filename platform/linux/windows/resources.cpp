// Resources of a program: its .rc file is the one source of its string table and icons on every host. The
// program carries the .rc (and the headers it includes) under ":/win32res/"; the icons it names are looked
// for there and in the image tree ":/resources/images/".
#include "win32.h"
#include "linux/shell/iconhandle.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QRegularExpression>
#include <QTextStream>

namespace {

struct Table
{
    bool loaded = false;
    bool hasResources = false; // the program carries an .rc at all
    QHash<QString, long> defines;
    QHash<long, QString> strings;
    QHash<long, QString> icons; // id -> file name
};

QMutex tableMutex;

const QString ResourceFolder = QStringLiteral(":/win32res/");

QString readResource(const QString &name)
{
    QFile f(ResourceFolder + name);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

bool number(const Table &t, const QString &token, long *value)
{
    bool ok = false;
    const long v = token.toLong(&ok, 0);
    if (ok) {
        *value = v;
        return true;
    }
    auto it = t.defines.constFind(token);
    if (it == t.defines.constEnd())
        return false;
    *value = *it;
    return true;
}

// A quoted .rc string: "" stands for one quote; \n, \t and \\ as in C.
QString unquote(const QString &quoted)
{
    QString out;
    for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
        const QChar c = quoted.at(i);
        if (c == QLatin1Char('"') && quoted.at(i + 1) == QLatin1Char('"')) {
            out += c;
            ++i;
        } else if (c == QLatin1Char('\\') && i + 2 < quoted.size()) {
            const QChar n = quoted.at(++i);
            out += n == QLatin1Char('n') ? QChar(u'\n') : n == QLatin1Char('t') ? QChar(u'\t') : n;
        } else {
            out += c;
        }
    }
    return out;
}

void parse(Table &t, const QString &text)
{
    static const QRegularExpression include(QStringLiteral(R"re(^#include\s+"([^"]+)")re"));
    static const QRegularExpression define(QStringLiteral(R"re(^#define\s+(\w+)\s+(\S+))re"));
    static const QRegularExpression icon(QStringLiteral(R"re(^(\w+)\s+ICON\s+(?:\w+\s+)*"([^"]+)")re"));
    static const QRegularExpression entry(QStringLiteral(R"re(^(\w+)\s*,?\s*("(?:[^"]|"")*"))re"));
    bool inTable = false;
    bool tableOpen = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("//")))
            continue;
        QRegularExpressionMatch m;
        if ((m = include.match(line)).hasMatch()) {
            parse(t, readResource(m.captured(1)));
        } else if ((m = define.match(line)).hasMatch()) {
            long v = 0;
            if (number(t, m.captured(2), &v))
                t.defines.insert(m.captured(1), v);
        } else if (line.startsWith(QLatin1String("STRINGTABLE"))) {
            inTable = true;
            tableOpen = false;
        } else if (inTable && (line == QLatin1String("BEGIN") || line == QLatin1String("{"))) {
            tableOpen = true;
        } else if (inTable && (line == QLatin1String("END") || line == QLatin1String("}"))) {
            inTable = tableOpen = false;
        } else if (tableOpen && (m = entry.match(line)).hasMatch()) {
            long id = 0;
            if (number(t, m.captured(1), &id))
                t.strings.insert(id, unquote(m.captured(2)));
        } else if ((m = icon.match(line)).hasMatch()) {
            long id = 0;
            if (number(t, m.captured(1), &id))
                t.icons.insert(id, m.captured(2));
        }
    }
}

const Table &table()
{
    static Table t;
    QMutexLocker g(&tableMutex);
    if (!t.loaded) {
        t.loaded = true;
        const QStringList files = QDir(ResourceFolder).entryList(QStringList{QStringLiteral("*.rc")}, QDir::Files);
        for (const QString &f : files)
            parse(t, readResource(f));
        t.hasResources = !files.isEmpty();
    }
    return t;
}

QString iconFile(const QString &name)
{
    const QString local = ResourceFolder + name;
    if (QFile::exists(local))
        return local;
    return QStringLiteral(":/resources/images/") + name;
}

HICON__ arrowCursor;

// A lookup that found nothing: a program without resources has no resource section to look in.
void setMissing(const Table &t)
{
    SetLastError(t.hasResources ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_DATA_NOT_FOUND);
}

} // namespace

int WINAPI LoadStringW(HINSTANCE, UINT uID, LPWSTR lpBuffer, int cchBufferMax)
{
    const Table &t = table();
    auto it = t.strings.constFind(long(uID));
    if (it == t.strings.constEnd() || !lpBuffer || cchBufferMax <= 0) {
        if (lpBuffer && cchBufferMax > 0)
            lpBuffer[0] = 0;
        setMissing(t);
        return 0;
    }
    return int(copyToWide(*it, lpBuffer, cchBufferMax));
}

HANDLE WINAPI LoadImageW(HINSTANCE, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad)
{
    if (type != IMAGE_ICON || !IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const Table &t = table();
    auto it = t.icons.constFind(long(reinterpret_cast<ULONG_PTR>(name)));
    if (it == t.icons.constEnd()) {
        setMissing(t);
        return nullptr;
    }
    if (cx <= 0 && (fuLoad & LR_DEFAULTSIZE))
        cx = GetSystemMetrics(SM_CXICON);
    if (cy <= 0 && (fuLoad & LR_DEFAULTSIZE))
        cy = GetSystemMetrics(SM_CYICON);
    // An .ico holds several sizes: take the one closest to what is asked for, then scale it.
    QImageReader reader(iconFile(*it));
    QImage best;
    do {
        QImage frame = reader.read();
        if (frame.isNull())
            break;
        if (best.isNull() || (cx > 0 && qAbs(frame.width() - cx) < qAbs(best.width() - cx)))
            best = frame;
    } while (reader.jumpToNextImage());
    if (best.isNull()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    if (cx > 0 && cy > 0 && best.size() != QSize(cx, cy))
        best = best.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return new HICON__{best};
}

HCURSOR WINAPI LoadCursorW(HINSTANCE, LPCWSTR)
{
    return &arrowCursor; // the system's shared cursors are never destroyed
}

int WINAPI GetSystemMetrics(int nIndex)
{
    switch (nIndex) {
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    default:
        return 0;
    }
}
