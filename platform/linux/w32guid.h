// GUID text, declared for hosts without the Windows SDK.
#pragma once

#include "w32types.h"
#include "w32shell.h"

#define CO_E_CLASSSTRING ((HRESULT)0x800401F3L)

int WINAPI StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);
HRESULT WINAPI CLSIDFromString(LPCOLESTR lpsz, CLSID *pclsid);
