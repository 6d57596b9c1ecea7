// Shell icons: every drive, folder and file kind gets an index in a process-wide system image list, and
// icons are drawn at the size asked for. Drawing works on QImage only, so worker threads may ask too.
#include "win32.h"
#include "linux/files/drivemap.h"
#include "linux/shell/iconhandle.h"

#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>

const IID IID_IImageList = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};

namespace {

struct Kinds
{
    QMutex mutex;
    QStringList kinds; // index -> kind ("drive", "folder", "file:.ext")
};

Kinds &kinds()
{
    static Kinds k;
    return k;
}

int indexOf(const QString &kind)
{
    Kinds &k = kinds();
    QMutexLocker g(&k.mutex);
    int i = int(k.kinds.indexOf(kind));
    if (i < 0) {
        k.kinds << kind;
        i = int(k.kinds.size()) - 1;
    }
    return i;
}

QString kindAt(int index)
{
    Kinds &k = kinds();
    QMutexLocker g(&k.mutex);
    return index >= 0 && index < k.kinds.size() ? k.kinds.at(index) : QString();
}

QColor colourOf(const QString &ext)
{
    // A steady colour per extension, so the same kind of file always looks the same, on every machine: Qt's
    // own string hash differs with the processor's instructions, so the hash is spelled out here (FNV-1a).
    quint32 h = 2166136261u;
    for (const char c : ext.toUtf8()) {
        h ^= quint8(c);
        h *= 16777619u;
    }
    return QColor::fromHsv(int(h % 360), 150, 200);
}

QImage draw(const QString &kind, int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    if (kind == QLatin1String("drive")) {
        p.setPen(QPen(QColor(90, 96, 105), s / 24));
        p.setBrush(QColor(200, 205, 212));
        p.drawRoundedRect(QRectF(s * 0.08, s * 0.3, s * 0.84, s * 0.4), s * 0.06, s * 0.06);
        p.setBrush(QColor(60, 180, 90));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(s * 0.72, s * 0.45, s * 0.1, s * 0.1));
    } else if (kind == QLatin1String("folder")) {
        p.setPen(QPen(QColor(190, 140, 30), s / 32));
        p.setBrush(QColor(240, 190, 70));
        QPainterPath path;
        path.moveTo(s * 0.06, s * 0.22);
        path.lineTo(s * 0.38, s * 0.22);
        path.lineTo(s * 0.46, s * 0.30);
        path.lineTo(s * 0.94, s * 0.30);
        path.lineTo(s * 0.94, s * 0.82);
        path.lineTo(s * 0.06, s * 0.82);
        path.closeSubpath();
        p.drawPath(path);
    } else {
        const QString ext = kind.mid(5);
        p.setPen(QPen(QColor(120, 125, 135), s / 32));
        p.setBrush(Qt::white);
        QPainterPath page;
        page.moveTo(s * 0.2, s * 0.06);
        page.lineTo(s * 0.62, s * 0.06);
        page.lineTo(s * 0.8, s * 0.24);
        page.lineTo(s * 0.8, s * 0.94);
        page.lineTo(s * 0.2, s * 0.94);
        page.closeSubpath();
        p.drawPath(page);
        p.setPen(Qt::NoPen);
        p.setBrush(ext.isEmpty() ? QColor(170, 175, 185) : colourOf(ext));
        p.drawRect(QRectF(s * 0.2, s * 0.6, s * 0.6, s * 0.2));
    }
    return img;
}

HICON makeIcon(const QString &kind, int size)
{
    return new HICON__{draw(kind, size)};
}

class ImageList : public IImageList
{
public:
    explicit ImageList(int size) : size(size) {}
    HRESULT QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IImageList) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        const ULONG r = --refs;
        if (r == 0)
            delete this;
        return r;
    }
    HRESULT GetIcon(int i, UINT, HICON *picon) override
    {
        if (!picon)
            return E_POINTER;
        const QString kind = kindAt(i);
        if (kind.isEmpty()) {
            *picon = nullptr;
            return E_INVALIDARG;
        }
        *picon = makeIcon(kind, size);
        return S_OK;
    }
    HRESULT GetIconSize(int *cx, int *cy) override
    {
        if (cx)
            *cx = size;
        if (cy)
            *cy = size;
        return S_OK;
    }
    int size;

private:
    QAtomicInteger<ULONG> refs = 1;
};

} // namespace

DWORD_PTR SHGetFileInfoW(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFOW *psfi, UINT cbFileInfo, UINT uFlags)
{
    if (!pszPath || (psfi && cbFileInfo < sizeof(SHFILEINFOW)))
        return 0;
    const QString path = fromWide(pszPath);
    QString kind;
    QString display;
    const bool byAttributes = uFlags & SHGFI_USEFILEATTRIBUTES;
    const bool rootOnly = path.size() <= 3 && path.size() >= 2 && path.at(1) == QLatin1Char(':');
    if (rootOnly) {
        drivemap::Drive d;
        if (!drivemap::drive(path.at(0), &d))
            return 0;
        kind = QStringLiteral("drive");
        display = (d.label.isEmpty() ? QStringLiteral("Local Disk") : d.label) + QStringLiteral(" (") +
                  path.at(0).toUpper() + QStringLiteral(":)");
    } else {
        // The entry as the file calls see it, and its name as they spell it: a host name may be one that Qt
        // cannot spell.
        const QFileInfo info(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
        bool isDir = false;
        if (byAttributes) {
            isDir = dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        } else {
            const DWORD attributes = GetFileAttributesW(pszPath);
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return 0;
            isDir = attributes & FILE_ATTRIBUTE_DIRECTORY;
        }
        kind = isDir ? QStringLiteral("folder")
                     : QStringLiteral("file:") +
                           (info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix().toLower());
        display = info.fileName();
    }
    const int index = indexOf(kind);
    if (psfi) {
        psfi->hIcon = nullptr;
        psfi->iIcon = index;
        psfi->dwAttributes = 0;
        if (uFlags & SHGFI_ICON)
            psfi->hIcon = makeIcon(kind, (uFlags & SHGFI_SMALLICON) ? 16 : 32);
        if (uFlags & SHGFI_DISPLAYNAME)
            copyToWide(display, psfi->szDisplayName, MAX_PATH);
        if (uFlags & SHGFI_TYPENAME)
            copyToWide(kind == QLatin1String("folder") ? QStringLiteral("File folder") : QStringLiteral("File"),
                       psfi->szTypeName, 80);
    }
    return (uFlags & SHGFI_SYSICONINDEX) ? DWORD_PTR(index + 1) : 1;
}

HRESULT SHGetImageList(int iImageList, REFIID riid, void **ppvObj)
{
    if (!ppvObj)
        return E_POINTER;
    *ppvObj = nullptr;
    int size = 32;
    switch (iImageList) {
    case SHIL_SMALL:
    case SHIL_SYSSMALL:
        size = 16;
        break;
    case SHIL_LARGE:
        size = 32;
        break;
    case SHIL_EXTRALARGE:
        size = 48;
        break;
    case SHIL_JUMBO:
        size = 256;
        break;
    default:
        return E_INVALIDARG;
    }
    auto *list = new ImageList(size);
    const HRESULT hr = list->QueryInterface(riid, ppvObj);
    list->Release();
    return hr;
}

HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags)
{
    if (!himl)
        return nullptr;
    HICON icon = nullptr;
    reinterpret_cast<IImageList *>(himl)->GetIcon(i, flags, &icon);
    return icon;
}

BOOL DestroyIcon(HICON hIcon)
{
    if (!hIcon)
        return FALSE;
    delete hIcon;
    return TRUE;
}

QImage imageFromIcon(HICON icon)
{
    return icon ? icon->image : QImage();
}
