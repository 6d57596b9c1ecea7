// Window lookup and messages, declared for hosts without the Windows SDK. The stand-in keeps the windows
// of our two programs and of the simulated shell in the machine's window table, so they are seen across
// processes.
#pragma once

#include "linux/machine/w32types.h"

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_TIMER 0x0113
#define WM_COMMAND 0x0111
#define WM_USER 0x0400
#define WM_APP 0x8000

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);
int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount);
DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);
BOOL IsWindow(HWND hWnd);
