// SystemParametersInfoW over the machine's registry.
#include "../win32.h"
#include "deskwallpaper.h"

#include <QDebug>

BOOL WINAPI SystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni)
{
    switch (uiAction) {
    case SPI_SETDESKWALLPAPER:
        return deskwallpaper::set(pvParam, fWinIni);
    case SPI_GETDESKWALLPAPER:
        return deskwallpaper::get(uiParam, pvParam);
    default:
        qWarning() << "SystemParametersInfoW: the stand-in does not keep action" << uiAction;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}
