// ShellExecuteW, declared for hosts without the Windows SDK.
#pragma once

#include "linux/machine/w32types.h"

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

// Results of 32 or less are errors.
#define SE_ERR_FNF 2
#define SE_ERR_NOASSOC 31

HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory,
                        INT nShowCmd);
