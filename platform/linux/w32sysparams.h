// System parameters, declared for hosts without the Windows SDK. The stand-in keeps them in the machine's
// registry where Windows keeps them.
#pragma once

#include "w32types.h"

#define ERROR_BAD_FORMAT 11L

#define SPI_GETBORDER 0x0005
#define SPI_SETBORDER 0x0006
#define SPI_SETDESKWALLPAPER 0x0014
#define SPI_GETDESKWALLPAPER 0x0073

#define SPIF_UPDATEINIFILE 0x0001
#define SPIF_SENDCHANGE 0x0002
#define SPIF_SENDWININICHANGE SPIF_SENDCHANGE

#define WM_SETTINGCHANGE 0x001A

BOOL WINAPI SystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);
