// Shell change notification, declared for hosts without the Windows SDK.
#pragma once

#include "linux/machine/w32types.h"

#define SHCNE_ASSOCCHANGED 0x08000000L
#define SHCNE_UPDATEDIR 0x00001000L
#define SHCNF_IDLIST 0x0000
#define SHCNF_PATHW 0x0005
#define SHCNF_TYPE 0x00FF
#define SHCNF_FLUSH 0x1000
#define SHCNF_FLUSHNOWAIT 0x3000

void WINAPI SHChangeNotify(LONG wEventId, UINT uFlags, LPCVOID dwItem1, LPCVOID dwItem2);
