// The desktop wallpaper: the value "WallPaper" under HKCU\Control Panel\Desktop is the one in the user
// profile; a change made without SPIF_UPDATEINIFILE lasts for the session only, which the machine keeps in
// its settings ("session.WallPaper"). Windows refuses a file it cannot show.
#include "linux/shell/deskwallpaper.h"

#include "linux/com/comobject.h"
#include "linux/files/regularfile.h"
#include "linux/machine/machine.h"
#include "linux/registry/registrystore.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdlib>

namespace {

const QString DesktopKey = QStringLiteral("HKEY_CURRENT_USER\\Control Panel\\Desktop");
const QString SessionName = QStringLiteral("session.WallPaper");

} // namespace

namespace deskwallpaper {

QString current()
{
    const QString session = machine::setting(SessionName);
    if (!session.isNull() && !session.isEmpty())
        return session.mid(1); // stored with a leading mark, so that "no wallpaper" can be told from unset
    machine::Lock lock;
    const qint64 node = registrystore::findKey(DesktopKey);
    DWORD type = 0;
    QByteArray data;
    if (!node || !registrystore::readValue(node, QStringLiteral("WallPaper"), &type, &data))
        return QString();
    return registrystore::dataString(data);
}

BOOL set(PVOID pvParam, UINT fWinIni)
{
    const QString path = pvParam ? fromWide(static_cast<LPCWSTR>(pvParam)) : QString();
    if (!path.isEmpty()) {
        // The picture's kind is told from its first bytes, read from the file without waiting on a pipe.
        QByteArray head;
        const regularfile::Outcome read = regularfile::read(hostPath(path), 64 * 1024, &head);
        if (read != regularfile::Outcome::Read && read != regularfile::Outcome::TooLarge) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        QBuffer buffer(&head);
        buffer.open(QIODevice::ReadOnly);
        if (!QImageReader(&buffer).canRead()) {
            SetLastError(ERROR_BAD_FORMAT);
            return FALSE;
        }
    }
    // The change and its announcement happen together or not at all; the caller's store watch gives the
    // reason of a failure.
    machine::Transaction tx;
    if (!registrystore::storeParameter(DesktopKey, QStringLiteral("WallPaper"), path, SessionName,
                                       QLatin1Char('=') + path, fWinIni & SPIF_UPDATEINIFILE))
        return FALSE;
    machine::log(QStringLiteral("Wallpaper"), path);
    if (fWinIni & SPIF_SENDCHANGE)
        machine::log(QStringLiteral("SettingChange"), QString::number(SPI_SETDESKWALLPAPER));
    return tx.commit() ? TRUE : FALSE;
}

BOOL get(UINT uiParam, PVOID pvParam)
{
    if (!pvParam || uiParam == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    copyToWide(current(), static_cast<LPWSTR>(pvParam), qsizetype(uiParam));
    return TRUE;
}

} // namespace deskwallpaper

const IID IID_IDesktopWallpaper = {0xB92B56A9, 0x8B55, 0x4E14, {0x9A, 0x89, 0x01, 0x99, 0xBB, 0xB6, 0xF9, 0x3B}};
const CLSID CLSID_DesktopWallpaper = {0xC2CF3110, 0x460E, 0x4FC1, {0xB9, 0xD0, 0x8A, 0x1C, 0x0C, 0x9C, 0xC4, 0xBD}};

namespace {

// The one desktop of the simulated machine: every monitor shows the same wallpaper.
class DesktopWallpaper final : public ComObject<IDesktopWallpaper, IID_IDesktopWallpaper>
{
public:
    HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR, LPCWSTR wallpaper) override
    {
        if (!wallpaper)
            return E_INVALIDARG;
        // The object keeps the choice in the user profile, as the desktop settings do.
        if (!deskwallpaper::set(const_cast<LPWSTR>(wallpaper), SPIF_UPDATEINIFILE | SPIF_SENDCHANGE))
            return HRESULT_FROM_WIN32(GetLastError());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR, LPWSTR *wallpaper) override
    {
        if (!wallpaper)
            return E_POINTER;
        const QString path = deskwallpaper::current();
        auto *copy = static_cast<LPWSTR>(std::malloc(size_t(path.size() + 1) * sizeof(WCHAR)));
        if (!copy)
            return E_OUTOFMEMORY;
        std::copy(path.utf16(), path.utf16() + path.size(), reinterpret_cast<char16_t *>(copy));
        copy[path.size()] = 0;
        *wallpaper = copy;
        return S_OK;
    }

private:
    ~DesktopWallpaper() override = default;
};

} // namespace

namespace standin {

HRESULT createDesktopWallpaper(REFIID riid, void **ppv)
{
    auto *object = new DesktopWallpaper;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

} // namespace standin
