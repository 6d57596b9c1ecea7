// Process access, declared for hosts without the Windows SDK. A process id below
// windowtable::firstSimulatedPid is a real host process; above it, a simulated one (such as Explorer).
#pragma once

#include "w32types.h"

#define PROCESS_TERMINATE 0x0001
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000

HANDLE WINAPI OpenProcess(DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwProcessId);
BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode);
