// The shell link object. It writes and reads real .lnk files (the Shell Link Binary File Format), so that a
// link made here opens on Windows: a header, the target as LinkInfo (volume and local path, in the ANSI and
// the Unicode form) and the link's texts as Unicode StringData.
#include "win32.h"
#include "linux/files/filefaults.h"
#include "linux/files/drivemap.h"
#include "linux/files/regularfile.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace standin {
HRESULT createShellLink(REFIID riid, void **ppv);
} // namespace standin

namespace {

// LinkFlags
const DWORD hasLinkTargetIdList = 0x01;
const DWORD hasLinkInfo = 0x02;
const DWORD hasName = 0x04;
const DWORD hasRelativePath = 0x08;
const DWORD hasWorkingDir = 0x10;
const DWORD hasArguments = 0x20;
const DWORD hasIconLocation = 0x40;
const DWORD isUnicode = 0x80;

const DWORD headerSize = 0x4C;
// The most of a link file that its reader uses: the header, the largest item id list, a link info with room
// for paths of the longest Windows length in both forms, and five counted texts of the largest count. What
// follows (extra data blocks) is not read, so a huge file costs no more than this.
const qint64 largestLink = headerSize + (2 + 0xFFFF) + 4 * 0x10000 + 5 * (2 + 2 * 0xFFFF);
const DWORD linkInfoHeaderSize = 0x24; // with the offsets of the Unicode paths
const DWORD volumeIdAndLocalBasePath = 0x01;
const DWORD driveFixed = 3;
const DWORD attributeDirectory = 0x10;
const DWORD attributeArchive = 0x20;
const int showNormal = 1;

// Paths in the file and in the object are Windows paths, as the object gives them; a host path set on it
// gets its Windows name.
QString toLinkPath(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) ? standin::windowsPath(path) : path;
}

HRESULT errnoResult(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return E_ACCESSDENIED;
    case ENOSPC:
        return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    default:
        return E_FAIL;
    }
}

void put16(QByteArray &out, WORD v)
{
    char b[2];
    qToLittleEndian<quint16>(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, DWORD v)
{
    char b[4];
    qToLittleEndian<quint32>(v, b);
    out.append(b, 4);
}

void put64(QByteArray &out, quint64 v)
{
    char b[8];
    qToLittleEndian<quint64>(v, b);
    out.append(b, 8);
}

QByteArray utf16z(const QString &s)
{
    QByteArray out;
    for (QChar c : s)
        put16(out, c.unicode());
    put16(out, 0);
    return out;
}

// 100-nanosecond steps since 1601, as FILETIME counts.
quint64 fileTime(const QDateTime &t)
{
    if (!t.isValid())
        return 0;
    return quint64(t.toMSecsSinceEpoch() + 11644473600000LL) * 10000;
}

QByteArray linkInfo(const QString &path)
{
    QByteArray volume;
    put32(volume, 0x11);       // VolumeIDSize
    put32(volume, driveFixed); // DriveType
    put32(volume, 0);          // DriveSerialNumber
    put32(volume, 0x10);       // VolumeLabelOffset
    volume.append('\0');       // empty label

    const QByteArray ansiPath = path.toLatin1() + '\0';
    const QByteArray ansiSuffix(1, '\0');
    const QByteArray widePath = utf16z(path);
    const QByteArray wideSuffix = utf16z(QString());

    const DWORD volumeAt = linkInfoHeaderSize;
    const DWORD pathAt = volumeAt + DWORD(volume.size());
    const DWORD suffixAt = pathAt + DWORD(ansiPath.size());
    const DWORD widePathAt = suffixAt + DWORD(ansiSuffix.size());
    const DWORD wideSuffixAt = widePathAt + DWORD(widePath.size());
    const DWORD total = wideSuffixAt + DWORD(wideSuffix.size());

    QByteArray out;
    put32(out, total);
    put32(out, linkInfoHeaderSize);
    put32(out, volumeIdAndLocalBasePath);
    put32(out, volumeAt);
    put32(out, pathAt);
    put32(out, 0); // no network location
    put32(out, suffixAt);
    put32(out, widePathAt);
    put32(out, wideSuffixAt);
    out += volume + ansiPath + ansiSuffix + widePath + wideSuffix;
    return out;
}

// Bounds-checked reads of a link file; a damaged file must not take the reader past its end.
class Reader
{
public:
    explicit Reader(const QByteArray &data) : d(data) {}
    bool ok = true;

    DWORD u32(qsizetype at)
    {
        if (at < 0 || at + 4 > d.size()) {
            ok = false;
            return 0;
        }
        return qFromLittleEndian<quint32>(d.constData() + at);
    }
    WORD u16(qsizetype at)
    {
        if (at < 0 || at + 2 > d.size()) {
            ok = false;
            return 0;
        }
        return qFromLittleEndian<quint16>(d.constData() + at);
    }
    // NUL-terminated text inside [at, end).
    QString ansiz(qsizetype at, qsizetype end)
    {
        QString s;
        for (qsizetype i = at; ok; ++i) {
            if (i < 0 || i >= end || i >= d.size()) {
                ok = false;
                break;
            }
            if (d.at(i) == '\0')
                break;
            s += QChar(uchar(d.at(i)));
        }
        return s;
    }
    QString widez(qsizetype at, qsizetype end)
    {
        QString s;
        for (qsizetype i = at; ok; i += 2) {
            if (i + 2 > end)
                ok = false;
            const WORD c = ok ? u16(i) : 0;
            if (!ok || c == 0)
                break;
            s += QChar(c);
        }
        return s;
    }
    QString counted(qsizetype *at, bool wide)
    {
        const WORD count = u16(*at);
        *at += 2;
        const qsizetype bytes = qsizetype(count) * (wide ? 2 : 1);
        if (!ok || *at + bytes > d.size()) {
            ok = false;
            return QString();
        }
        QString s = wide ? QString::fromUtf16(reinterpret_cast<const char16_t *>(d.constData() + *at), count)
                         : QString::fromLatin1(d.constData() + *at, count);
        if (wide && QSysInfo::ByteOrder == QSysInfo::BigEndian)
            for (QChar &c : s)
                c = QChar(qbswap(c.unicode()));
        *at += bytes;
        return s;
    }

private:
    const QByteArray &d;
};

HRESULT copyText(const QString &text, LPWSTR buffer, int cch)
{
    if (!buffer || cch <= 0)
        return E_INVALIDARG;
    copyToWide(text, buffer, cch);
    return S_OK;
}

class ShellLink final : public IShellLinkW, public IPersistFile
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IShellLinkW)
            *ppv = static_cast<IShellLinkW *>(this);
        else if (riid == IID_IPersistFile)
            *ppv = static_cast<IPersistFile *>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR pszFile, int cch, WIN32_FIND_DATAW *, DWORD) override
    {
        const HRESULT hr = copyText(target, pszFile, cch);
        return SUCCEEDED(hr) && target.isEmpty() ? S_FALSE : hr;
    }
    HRESULT STDMETHODCALLTYPE GetDescription(LPWSTR pszName, int cch) override
    {
        return copyText(description, pszName, cch);
    }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCWSTR pszName) override { return set(&description, pszName); }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPWSTR pszDir, int cch) override
    {
        return copyText(workingDir, pszDir, cch);
    }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR pszDir) override { return setPath(&workingDir, pszDir); }
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR pszArgs, int cch) override
    {
        return copyText(arguments, pszArgs, cch);
    }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR pszArgs) override { return set(&arguments, pszArgs); }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int *piShowCmd) override
    {
        if (!piShowCmd)
            return E_INVALIDARG;
        *piShowCmd = showCmd;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int iShowCmd) override
    {
        showCmd = iShowCmd;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPWSTR pszIconPath, int cch, int *piIcon) override
    {
        if (!piIcon)
            return E_INVALIDARG;
        *piIcon = iconIndex;
        return copyText(iconPath, pszIconPath, cch);
    }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCWSTR pszIconPath, int iIcon) override
    {
        iconIndex = iIcon;
        return setPath(&iconPath, pszIconPath);
    }
    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR pszFile) override { return setPath(&target, pszFile); }

    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR pszFileName, DWORD) override;
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR pszFileName, BOOL fRemember) override;

private:
    ~ShellLink() = default;

    static HRESULT set(QString *field, LPCWSTR value)
    {
        if (!value)
            return E_INVALIDARG;
        *field = fromWide(value);
        return S_OK;
    }
    static HRESULT setPath(QString *field, LPCWSTR value)
    {
        const HRESULT hr = set(field, value);
        *field = toLinkPath(*field);
        return hr;
    }
    QByteArray encode() const;
    bool decode(const QByteArray &data);

    std::atomic<ULONG> refs{1};
    QString target, arguments, workingDir, iconPath, description, currentFile;
    int iconIndex = 0;
    int showCmd = showNormal;
};

QByteArray ShellLink::encode() const
{
    struct Text
    {
        DWORD flag;
        QString text;
    };
    // In the order the format lays them out.
    const Text texts[] = {{hasName, description},
                          {hasWorkingDir, toLinkPath(workingDir)},
                          {hasArguments, arguments},
                          {hasIconLocation, toLinkPath(iconPath)}};
    DWORD flags = isUnicode;
    const QString targetPath = toLinkPath(target);
    if (!targetPath.isEmpty())
        flags |= hasLinkInfo;
    for (const Text &t : texts)
        if (!t.text.isEmpty())
            flags |= t.flag;

    const QFileInfo info(hostPath(target));
    DWORD attributes = 0;
    if (info.exists())
        attributes = info.isDir() ? attributeDirectory : attributeArchive;

    QByteArray out;
    put32(out, headerSize);
    put32(out, CLSID_ShellLink.Data1); // the class id, in its little-endian binary form
    put16(out, CLSID_ShellLink.Data2);
    put16(out, CLSID_ShellLink.Data3);
    out.append(reinterpret_cast<const char *>(CLSID_ShellLink.Data4), 8);
    put32(out, flags);
    put32(out, attributes);
    put64(out, fileTime(info.exists() ? info.birthTime() : QDateTime()));
    put64(out, fileTime(info.exists() ? info.lastRead() : QDateTime()));
    put64(out, fileTime(info.exists() ? info.lastModified() : QDateTime()));
    put32(out, info.exists() && !info.isDir() ? DWORD(info.size()) : 0);
    put32(out, DWORD(iconIndex));
    put32(out, DWORD(showCmd));
    put16(out, 0);        // no hot key
    out.append(10, '\0'); // reserved
    if (flags & hasLinkInfo)
        out += linkInfo(targetPath);
    for (const Text &t : texts) {
        if (!(flags & t.flag))
            continue;
        put16(out, WORD(t.text.size()));
        for (QChar c : t.text)
            put16(out, c.unicode());
    }
    put32(out, 0); // no extra data
    return out;
}

bool ShellLink::decode(const QByteArray &data)
{
    Reader r(data);
    GUID clsid;
    clsid.Data1 = r.u32(4);
    clsid.Data2 = r.u16(8);
    clsid.Data3 = r.u16(10);
    for (int i = 0; i < 8; ++i)
        clsid.Data4[i] = 12 + i < data.size() ? uchar(data.at(12 + i)) : 0;
    if (!r.ok || r.u32(0) != headerSize || !(clsid == CLSID_ShellLink))
        return false;
    const DWORD flags = r.u32(0x14);
    const int icon = int(r.u32(0x38));
    const int show = int(r.u32(0x3C));
    qsizetype at = headerSize;
    if (flags & hasLinkTargetIdList)
        at += 2 + r.u16(at);

    QString path;
    if (flags & hasLinkInfo) {
        const qsizetype base = at;
        const qsizetype end = base + r.u32(base);
        const DWORD infoHeader = r.u32(base + 4);
        if (r.u32(base + 8) & volumeIdAndLocalBasePath) {
            if (infoHeader >= linkInfoHeaderSize && r.u32(base + 0x1C))
                path = r.widez(base + r.u32(base + 0x1C), end) + r.widez(base + r.u32(base + 0x20), end);
            else
                path = r.ansiz(base + r.u32(base + 0x10), end) + r.ansiz(base + r.u32(base + 0x18), end);
        }
        at = end;
    }
    const bool wide = flags & isUnicode;
    QString name, relative, dir, args, iconFile;
    const std::pair<DWORD, QString *> texts[] = {{hasName, &name},
                                                 {hasRelativePath, &relative},
                                                 {hasWorkingDir, &dir},
                                                 {hasArguments, &args},
                                                 {hasIconLocation, &iconFile}};
    for (const auto &t : texts)
        if (flags & t.first)
            *t.second = r.counted(&at, wide);
    if (!r.ok)
        return false;

    target = path.isEmpty() ? relative : path;
    description = name;
    workingDir = dir;
    arguments = args;
    iconPath = iconFile;
    iconIndex = icon;
    showCmd = show;
    return true;
}

HRESULT ShellLink::Load(LPCOLESTR pszFileName, DWORD)
{
    if (!pszFileName)
        return E_INVALIDARG;
    const QString file = hostPath(fromWide(pszFileName));
    // A link is a plain file of bounded size: what is beyond the largest link there can be is not read.
    QByteArray bytes;
    switch (regularfile::read(file, largestLink, &bytes)) {
    case regularfile::Outcome::Read:
    case regularfile::Outcome::TooLarge:
        break;
    case regularfile::Outcome::Missing:
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    case regularfile::Outcome::Failed:
        return E_FAIL;
    default:
        return E_ACCESSDENIED; // a folder, pipe or device is no file to load
    }
    if (bytes.size() < qsizetype(headerSize) || qFromLittleEndian<quint32>(bytes.constData()) != headerSize)
        return E_FAIL;
    if (!decode(bytes))
        return E_FAIL;
    currentFile = file;
    return S_OK;
}

HRESULT ShellLink::Save(LPCOLESTR pszFileName, BOOL fRemember)
{
    const QString file = pszFileName ? hostPath(fromWide(pszFileName)) : currentFile;
    if (file.isEmpty())
        return E_INVALIDARG;
    for (const QString *s : {&description, &workingDir, &arguments, &iconPath})
        if (s->size() > 0xFFFF) // the format counts characters in 16 bits
            return E_INVALIDARG;
    const QByteArray bytes = encode();

    // Written beside the link and renamed over it, so a failed save leaves an existing link as it was. The
    // file beside it is a new one: whatever stood under its name (a symbolic link too) is never written through.
    // Both are made in the link's folder as every call by name reaches it (a held folder as it was held), once.
    QByteArray finalName;
    const int folder = filefaults::openParentFolder(file, &finalName);
    if (folder < 0)
        return errnoResult(errno);
    const QByteArray tempName = finalName + ".~lnk";
    ::unlinkat(folder, tempName.constData(), 0);
    const int fd = ::openat(folder, tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int error = errno;
        ::close(folder);
        return errnoResult(error);
    }
    qsizetype done = 0;
    int err = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : ENOSPC;
            break;
        }
        done += n;
    }
    if (::close(fd) != 0 && !err)
        err = errno;
    if (!err && ::renameat(folder, tempName.constData(), folder, finalName.constData()) != 0)
        err = errno;
    if (err)
        ::unlinkat(folder, tempName.constData(), 0);
    ::close(folder);
    if (err)
        return errnoResult(err);
    if (fRemember)
        currentFile = file;
    return S_OK;
}

} // namespace

HRESULT standin::createShellLink(REFIID riid, void **ppv)
{
    auto *link = new ShellLink;
    const HRESULT hr = static_cast<IShellLinkW *>(link)->QueryInterface(riid, ppv);
    static_cast<IShellLinkW *>(link)->Release();
    return hr;
}
