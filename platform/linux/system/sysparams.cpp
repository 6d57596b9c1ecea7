// SystemParametersInfoW over the machine's registry. Each parameter lives in the value where Windows keeps
// it in the user profile; a change made without SPIF_UPDATEINIFILE lasts for the session only, which the
// machine keeps in its settings table. Tests make an action fail with the machine setting
// "fail.SystemParametersInfoW" (a comma-separated list of action numbers).
#include "win32.h"
#include "linux/shell/deskwallpaper.h"
#include "linux/machine/machine.h"
#include "linux/registry/registrystore.h"

#include <QDebug>

namespace {

// An integer parameter kept as registry text.
struct IntParameter
{
    UINT get;
    UINT set;
    const char *key;
    const char *value;
    int fallback; // what the system uses while the value is absent
    int (*fromText)(const QString &);
    QString (*toText)(int);
};

// Window metrics are stored in twips when negative (15 to a pixel at 96 dpi), in pixels when positive.
int metricFromText(const QString &text)
{
    // In 64 bits: the most negative int has no negation in an int.
    const qint64 v = text.trimmed().toInt();
    return int(v < 0 ? (-v + 7) / 15 : v);
}

QString metricToText(int pixels)
{
    return QString::number(-15 * qint64(pixels));
}

// Delays and time-outs are plain decimal milliseconds.
int numberFromText(const QString &text)
{
    return text.trimmed().toInt();
}

QString numberToText(int value)
{
    return QString::number(value);
}

const IntParameter intParameters[] = {
    {SPI_GETBORDER, SPI_SETBORDER, "HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics", "BorderWidth", 1,
     metricFromText, metricToText},
    {SPI_GETMENUSHOWDELAY, SPI_SETMENUSHOWDELAY, "HKEY_CURRENT_USER\\Control Panel\\Desktop", "MenuShowDelay", 400,
     numberFromText, numberToText},
    {SPI_GETHUNGAPPTIMEOUT, SPI_SETHUNGAPPTIMEOUT, "HKEY_CURRENT_USER\\Control Panel\\Desktop", "HungAppTimeout", 5000,
     numberFromText, numberToText},
    {SPI_GETWAITTOKILLTIMEOUT, SPI_SETWAITTOKILLTIMEOUT, "HKEY_CURRENT_USER\\Control Panel\\Desktop",
     "WaitToKillAppTimeout", 5000, numberFromText, numberToText},
    {SPI_GETWAITTOKILLSERVICETIMEOUT, SPI_SETWAITTOKILLSERVICETIMEOUT,
     "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control", "WaitToKillServiceTimeout", 5000, numberFromText,
     numberToText},
};

QString sessionName(const IntParameter &p)
{
    return QStringLiteral("session.") + QLatin1String(p.value);
}

bool injectedFailure(UINT action)
{
    const QString failing = machine::setting(QStringLiteral("fail.SystemParametersInfoW"));
    if (failing.isEmpty())
        return false;
    const QStringList actions = failing.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &a : actions)
        if (a.trimmed().toUInt(nullptr, 0) == action)
            return true;
    return false;
}

int readParameter(const IntParameter &p)
{
    const QString session = machine::setting(sessionName(p));
    if (!session.isEmpty())
        return session.toInt();
    machine::Lock lock;
    const qint64 node = registrystore::findKey(QLatin1String(p.key));
    DWORD type = 0;
    QByteArray data;
    if (!node || !registrystore::readValue(node, QLatin1String(p.value), &type, &data) ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return p.fallback;
    return p.fromText(registrystore::dataString(data));
}

void writeParameter(const IntParameter &p, int value, UINT fWinIni)
{
    // The change and its announcement happen together or not at all.
    machine::Transaction tx;
    if (!registrystore::storeParameter(QLatin1String(p.key), QLatin1String(p.value), p.toText(value), sessionName(p),
                                       QString::number(value), fWinIni & SPIF_UPDATEINIFILE))
        return;
    if (fWinIni & SPIF_SENDCHANGE)
        machine::log(QStringLiteral("SettingChange"), QString::number(p.set));
    tx.commit();
}

BOOL systemParameter(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);

} // namespace

BOOL WINAPI SystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni)
{
    // A parameter the store failed to read or keep is a failure of the call, with the store's error.
    machine::StoreWatch watch;
    const BOOL done = systemParameter(uiAction, uiParam, pvParam, fWinIni);
    if (watch.failed()) {
        SetLastError(DWORD(machine::windowsError(watch.code())));
        return FALSE;
    }
    return done;
}

namespace {

BOOL systemParameter(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni)
{
    if (uiAction == SPI_SETDESKWALLPAPER || uiAction == SPI_GETDESKWALLPAPER) {
        if (injectedFailure(uiAction)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return uiAction == SPI_SETDESKWALLPAPER ? deskwallpaper::set(pvParam, fWinIni)
                                                : deskwallpaper::get(uiParam, pvParam);
    }
    for (const IntParameter &p : intParameters) {
        if (uiAction != p.get && uiAction != p.set)
            continue;
        if (injectedFailure(uiAction)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (uiAction == p.get) {
            if (!pvParam) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            *static_cast<int *>(pvParam) = readParameter(p);
            return TRUE;
        }
        writeParameter(p, int(uiParam), fWinIni);
        return TRUE;
    }
    qWarning() << "SystemParametersInfoW: the stand-in does not keep action" << uiAction;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

} // namespace
