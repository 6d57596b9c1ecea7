// The desktop wallpaper of the simulated machine (SPI_SETDESKWALLPAPER and SPI_GETDESKWALLPAPER).
#pragma once

#include "win32.h"

namespace deskwallpaper {

// The wallpaper now on the desktop: the one set for this session, else the one in the user profile.
QString current();
BOOL set(PVOID pvParam, UINT fWinIni);
BOOL get(UINT uiParam, PVOID pvParam);

} // namespace deskwallpaper
