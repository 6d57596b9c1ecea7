// Virtual memory and the C runtime's 64-bit clock, declared for hosts without the Windows SDK.
#pragma once

#include "linux/machine/w32types.h"

#define MEM_COMMIT 0x00001000
#define MEM_RESERVE 0x00002000
#define MEM_DECOMMIT 0x00004000
#define MEM_RELEASE 0x00008000

#ifndef ERROR_INVALID_ADDRESS
#define ERROR_INVALID_ADDRESS 487L
#endif

#define PAGE_NOACCESS 0x01
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04

// Committed memory is zero-filled and page-aligned, as Windows gives it. The machine setting
// "memory.allocations.left" (a count) makes allocations fail with ERROR_NOT_ENOUGH_MEMORY once that many more
// have succeeded, for tests of what a module does when memory runs out.
LPVOID WINAPI VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType, DWORD flProtect);
BOOL WINAPI VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType);

typedef int64_t __time64_t;
// Seconds since 1970-01-01 UTC; also stored through t when it is not null.
__time64_t _time64(__time64_t *t);
