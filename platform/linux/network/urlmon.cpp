// URL monikers over Qt Network. Both calls are synchronous, as on Windows; while they wait, the calling
// thread's Qt events keep being handled. Requests go to the address the machine's URL overrides give, and
// a transfer that stops moving for the machine setting "url.timeout" milliseconds (30 s by default) fails,
// as WinINet's receive time-out makes it fail. The callback hears each step as Windows reports it
// (connecting, request sent, MIME type known, data begun, the file named, data, data ended), and only then:
// a transfer that stalls hears nothing until data moves again or the time-out ends it.
#include "win32.h"
#include "linux/com/comobject.h"
#include "linux/files/drivemap.h"
#include "linux/files/filefaults.h"
#include "linux/machine/machine.h"
#include "linux/machine/ownfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

#include <atomic>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const IID IID_IBindStatusCallback = {0x79EAC9C1, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
const IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_ISequentialStream = {0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};

namespace {

constexpr qint64 readBufferBytes = 64 * 1024;

int timeoutMs()
{
    bool ok = false;
    const int ms = machine::setting(QStringLiteral("url.timeout")).toInt(&ok);
    return ok && ms > 0 ? ms : 30000;
}

HRESULT resultOf(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::NoError:
        return S_OK;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return INET_E_CONNECTION_TIMEOUT;
    case QNetworkReply::HostNotFoundError:
        return INET_E_RESOURCE_NOT_FOUND; // "The server or proxy was not found."
    case QNetworkReply::ContentNotFoundError:
        return INET_E_OBJECT_NOT_FOUND; // the server answered: "The object was not found."
    case QNetworkReply::ConnectionRefusedError:
        return INET_E_CANNOT_CONNECT;
    case QNetworkReply::ProtocolUnknownError:
        return INET_E_INVALID_URL;
    default:
        return INET_E_DOWNLOAD_FAILURE;
    }
}

// Fetches one address; each piece of the body goes to `sink` as it arrives. The callback sees the
// download's progress and may stop it by answering with a failure; a download to a file (`file`) names it
// once the data begins.
HRESULT fetch(LPCWSTR szURL, LPBINDSTATUSCALLBACK callback, const std::function<bool(const QByteArray &)> &sink,
              LPCWSTR file = nullptr)
{
    if (!szURL || !QCoreApplication::instance())
        return E_INVALIDARG;
    const QString address = fromWide(szURL);
    const QUrl url = machineUrl(QUrl(address));
    if (!url.isValid() || url.scheme().isEmpty())
        return INET_E_INVALID_URL;

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs());
    QNetworkReply *reply = manager.get(request);
    // Qt's network thread stops reading once this much waits unread: however fast the server sends, memory
    // holds no more than this beyond what the caller keeps, and the callback can stop the transfer in time.
    reply->setReadBufferSize(readBufferBytes);
    QEventLoop loop;
    HRESULT stopped = S_OK;
    bool failedWrite = false;
    quint64 received = 0;
    bool begun = false;
    auto progress = [&](ULONG status, LPCWSTR text = nullptr) {
        if (!callback || FAILED(stopped))
            return;
        const qint64 total = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        const HRESULT hr =
            callback->OnProgress(ULONG(received), ULONG(total > 0 ? total : 0), status, text ? text : szURL);
        if (FAILED(hr)) {
            stopped = E_ABORT;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        const QByteArray piece = reply->readAll();
        if (piece.isEmpty() || FAILED(stopped) || failedWrite)
            return;
        if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 400)
            return; // an error page is not the resource
        if (!sink(piece)) {
            failedWrite = true;
            reply->abort();
            return;
        }
        received += quint64(piece.size());
        if (!begun) {
            begun = true;
            progress(BINDSTATUS_BEGINDOWNLOADDATA);
            if (file)
                progress(BINDSTATUS_CACHEFILENAMEAVAILABLE, file);
        }
        progress(BINDSTATUS_DOWNLOADINGDATA);
    });
    // The answer's headers are in: its MIME type is known.
    bool typed = false;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        if (typed)
            return;
        typed = true;
        const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
        progress(BINDSTATUS_MIMETYPEAVAILABLE, reinterpret_cast<LPCWSTR>(type.utf16()));
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    progress(BINDSTATUS_CONNECTING);
    progress(BINDSTATUS_SENDINGREQUEST);
    if (!reply->isFinished() && SUCCEEDED(stopped))
        loop.exec();

    HRESULT result = S_OK;
    if (FAILED(stopped))
        result = stopped;
    else if (failedWrite)
        result = STG_E_CANTSAVE;
    else if (reply->error() != QNetworkReply::NoError)
        result = resultOf(reply->error());
    else {
        const QByteArray rest = reply->readAll();
        if (!rest.isEmpty()) {
            if (!sink(rest))
                result = STG_E_CANTSAVE;
            received += quint64(rest.size());
        }
        // A body cut short of its announced length is a failed download.
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (SUCCEEDED(result) && length.isValid() && quint64(length.toLongLong()) != received)
            result = INET_E_DOWNLOAD_FAILURE;
        if (SUCCEEDED(result))
            progress(BINDSTATUS_ENDDOWNLOADDATA);
        if (FAILED(stopped))
            result = stopped;
    }
    reply->deleteLater();
    machine::log(QStringLiteral("Url"), QStringLiteral("%1|%2").arg(address).arg(qlonglong(result), 0, 16));
    return result;
}

class BlockingStream final : public ComObject<IStream, IID_ISequentialStream, IID_IStream>
{
public:
    explicit BlockingStream(QByteArray bytes) : data(std::move(bytes)) {}

    HRESULT STDMETHODCALLTYPE Read(void *pv, ULONG cb, ULONG *pcbRead) override
    {
        if (!pv)
            return E_POINTER;
        const qsizetype n = qMin<qsizetype>(qsizetype(cb), data.size() - position);
        if (n > 0)
            memcpy(pv, data.constData() + position, size_t(n));
        position += n;
        if (pcbRead)
            *pcbRead = ULONG(n);
        return ULONG(n) == cb ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void *, ULONG, ULONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream *, ULARGE_INTEGER, ULARGE_INTEGER *, ULARGE_INTEGER *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG *, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream **) override { return E_NOTIMPL; }

private:
    ~BlockingStream() override = default;
    QByteArray data;
    qsizetype position = 0;
};

// Where a download's copy in the Internet cache goes: a folder of eight random letters and digits under
// INetCache\IE, and the address's last name with "[1]" before its extension ("index[1].htm").
QString cacheFileFor(const QString &address)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString folder;
    for (int i = 0; i < 8; ++i)
        folder += QLatin1Char(letters[QRandomGenerator::global()->bounded(36)]);
    QString name = QUrl(address).fileName();
    name.remove(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\\\/:*?\"<>|]")));
    name = name.left(100);
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("index.htm");
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    name.insert(dot > 0 ? dot : name.size(), QStringLiteral("[1]"));
    return machine::localAppData() + QStringLiteral("/Microsoft/Windows/INetCache/IE/") + folder + QLatin1Char('/') +
           name;
}

// An entry a download made, kept by its folder's descriptor and its identity: the clean-up removes that entry
// only, never what another program put in its place since.
struct MadeEntry
{
    int folder = -1;
    QByteArray name;
    dev_t device = 0;
    ino_t inode = 0;
    bool made = false;
    MadeEntry() = default;
    MadeEntry(const MadeEntry &) = delete;
    MadeEntry &operator=(const MadeEntry &) = delete;
    ~MadeEntry()
    {
        if (folder >= 0)
            ::close(folder);
    }
    void remember(int fd)
    {
        struct stat st;
        if (::fstat(fd, &st) == 0) {
            device = st.st_dev;
            inode = st.st_ino;
            made = true;
        }
    }
    void remove(int flags) const
    {
        struct stat st;
        if (made && ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == device &&
            st.st_ino == inode)
            ::unlinkat(folder, name.constData(), flags);
    }
};

// Fetches into `file`, opened with the first piece of the answer (an empty answer makes an empty file) after
// its folder is made when `makeFolder` says so; the callback hears `name` as the file's. A failed transfer
// leaves nothing behind that it made, the folder included. `copy`, when given, keeps the bytes as well.
HRESULT fetchToFile(LPCWSTR szURL, LPBINDSTATUSCALLBACK callback, QFile &file, const QString &name, bool makeFolder,
                    QByteArray *copy = nullptr)
{
    const QString folder = QFileInfo(file).path();
    MadeEntry madeFolder, madeFile;
    auto open = [&] {
        int fd = -1;
        if (!makeFolder) {
            // By its name, as Windows writes it, reached as the file functions reach it (through held folders).
            madeFile.folder = filefaults::openParentFolder(file.fileName(), &madeFile.name);
            if (madeFile.folder < 0)
                return false;
            fd = ::openat(madeFile.folder, madeFile.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd >= 0)
                madeFile.remember(fd);
            else if (errno == EEXIST) {
                // A file there already is written over only when it is a plain file: opened without waiting,
                // so that a pipe in its place is refused rather than waited on, and emptied once it is known.
                fd = ::openat(madeFile.folder, madeFile.name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                struct stat st;
                if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::ftruncate(fd, 0) != 0 ||
                                ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
                    ::close(fd);
                    fd = -1;
                }
            }
            return fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
        }
        // The machine's own cache: its folders reached from the machine folder without a link, the file's
        // folder and the file made new, so nothing is written through a link that stands in their place.
        const QString machineFolder = machine::folder();
        if (!folder.startsWith(machineFolder + QLatin1Char('/')))
            return false;
        const QString relative = folder.mid(machineFolder.size() + 1);
        const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
        madeFolder.folder = ownfolder::open(machineFolder, relative.left(qMax<qsizetype>(slash, 0)), true);
        madeFolder.name = QFile::encodeName(relative.mid(slash + 1));
        if (madeFolder.folder < 0 || ::mkdirat(madeFolder.folder, madeFolder.name.constData(), 0755) != 0)
            return false;
        madeFile.folder =
            ::openat(madeFolder.folder, madeFolder.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (madeFile.folder < 0)
            return false;
        madeFolder.remember(madeFile.folder);
        madeFile.name = QFile::encodeName(QFileInfo(file).fileName());
        fd = ::openat(madeFile.folder, madeFile.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0644);
        if (fd >= 0)
            madeFile.remember(fd);
        return fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    };
    bool opened = false;
    HRESULT hr = fetch(
        szURL, callback,
        [&](const QByteArray &piece) {
            if (!opened && !(opened = open()))
                return false;
            if (copy)
                *copy += piece;
            return file.write(piece) == piece.size();
        },
        wstr(name));
    if (SUCCEEDED(hr) && !opened && !(opened = open()))
        hr = STG_E_CANTSAVE;
    file.close();
    if (FAILED(hr)) {
        madeFile.remove(0);
        madeFolder.remove(AT_REMOVEDIR);
    }
    return hr;
}

} // namespace

HRESULT WINAPI URLOpenBlockingStreamW(LPUNKNOWN, LPCWSTR szURL, LPSTREAM *ppStream, DWORD, LPBINDSTATUSCALLBACK lpfnCB)
{
    if (!ppStream)
        return E_INVALIDARG;
    *ppStream = nullptr;
    // The data is kept in the Internet cache as it comes, as a URL moniker keeps what it downloads, and the
    // callback hears the cache file's name; the stream hands back the same bytes.
    QFile cache(szURL ? cacheFileFor(fromWide(szURL)) : QString());
    QByteArray body;
    const HRESULT hr = fetchToFile(szURL, lpfnCB, cache, standin::windowsPath(cache.fileName()), true, &body);
    if (FAILED(hr))
        return hr;
    *ppStream = new BlockingStream(body);
    return S_OK;
}

HRESULT WINAPI URLDownloadToFileW(LPUNKNOWN, LPCWSTR szURL, LPCWSTR szFileName, DWORD, LPBINDSTATUSCALLBACK lpfnCB)
{
    if (!szFileName)
        return E_INVALIDARG;
    // The target folder must be there already: a download is not saved into a folder it makes.
    QFile file(hostPath(fromWide(szFileName)));
    return fetchToFile(szURL, lpfnCB, file, fromWide(szFileName), false);
}
