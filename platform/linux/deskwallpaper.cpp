// The desktop wallpaper: the value "WallPaper" under HKCU\Control Panel\Desktop is the one in the user
// profile; a change made without SPIF_UPDATEINIFILE lasts for the session only, which the machine keeps in
// its settings ("session.WallPaper"). Windows refuses a file it cannot show.
#include "deskwallpaper.h"

#include "machine.h"
#include "registrystore.h"

#include <QFileInfo>
#include <QImageReader>

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
        const QString host = hostPath(path);
        if (!QFileInfo(host).isFile()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        if (!QImageReader(host).canRead()) {
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
