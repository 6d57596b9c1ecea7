// ShellExecuteExW, declared for hosts without the Windows SDK. It starts programs on the same rules as
// ShellExecuteW; "runas" asks for elevation, which the machine's scripted answer "Elevation" ("IDNO" or
// "IDCANCEL") declines as a user would.
#pragma once

#include "linux/shell/w32shellexecute.h"

#define SEE_MASK_DEFAULT 0x00000000
#define SEE_MASK_NOCLOSEPROCESS 0x00000040
#define SE_ERR_ACCESSDENIED 5
#define ERROR_NO_ASSOCIATION 1155L

typedef struct _SHELLEXECUTEINFOW
{
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void *lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
} SHELLEXECUTEINFOW, *LPSHELLEXECUTEINFOW;

BOOL ShellExecuteExW(SHELLEXECUTEINFOW *pExecInfo);
