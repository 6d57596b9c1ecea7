// Window styles, layered windows and WinEvent hooks, declared for hosts without the Windows SDK. They work
// on any window of the machine's window table, the simulated taskbar included.
#pragma once

#include "linux/machine/w32types.h"

#define ERROR_INVALID_INDEX 1413L

#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define WS_EX_TOOLWINDOW 0x00000080L
#define WS_EX_LAYERED 0x00080000L

typedef DWORD COLORREF;
#define LWA_COLORKEY 0x00000001
#define LWA_ALPHA 0x00000002

struct HWINEVENTHOOK__;
typedef HWINEVENTHOOK__ *HWINEVENTHOOK;
typedef void(CALLBACK *WINEVENTPROC)(HWINEVENTHOOK hWinEventHook, DWORD event, HWND hwnd, LONG idObject, LONG idChild,
                                     DWORD idEventThread, DWORD dwmsEventTime);

#define EVENT_OBJECT_CREATE 0x8000
#define EVENT_OBJECT_DESTROY 0x8001
#define WINEVENT_OUTOFCONTEXT 0x0000
#define OBJID_WINDOW ((LONG)0x00000000)
#define CHILDID_SELF 0

LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex);
LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong);
BOOL WINAPI SetLayeredWindowAttributes(HWND hwnd, COLORREF crKey, BYTE bAlpha, DWORD dwFlags);
HWINEVENTHOOK WINAPI SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE hmodWinEventProc,
                                     WINEVENTPROC pfnWinEventProc, DWORD idProcess, DWORD idThread, DWORD dwFlags);
