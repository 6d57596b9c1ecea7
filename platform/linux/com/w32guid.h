// GUID text, declared for hosts without the Windows SDK.
#pragma once

#include "linux/machine/w32types.h"
#include "linux/shell/w32shell.h"

#define CO_E_CLASSSTRING ((HRESULT)0x800401F3L)

int WINAPI StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);
HRESULT WINAPI CLSIDFromString(LPCOLESTR lpsz, CLSID *pclsid);
