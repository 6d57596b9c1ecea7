// Declarations of the Windows SDK that the MinGW-w64 headers lack, written from Microsoft's documentation
// (suspend/resume notification with a callback, powrprof.dll since Windows 8).
#pragma once

#include <windows.h>

extern "C" {

#ifndef DEVICE_NOTIFY_CALLBACK
#define DEVICE_NOTIFY_CALLBACK 2

typedef ULONG CALLBACK DEVICE_NOTIFY_CALLBACK_ROUTINE(PVOID Context, ULONG Type, PVOID Setting);
typedef DEVICE_NOTIFY_CALLBACK_ROUTINE *PDEVICE_NOTIFY_CALLBACK_ROUTINE;

typedef struct _DEVICE_NOTIFY_SUBSCRIBE_PARAMETERS
{
    PDEVICE_NOTIFY_CALLBACK_ROUTINE Callback;
    PVOID Context;
} DEVICE_NOTIFY_SUBSCRIBE_PARAMETERS, *PDEVICE_NOTIFY_SUBSCRIBE_PARAMETERS;

DWORD WINAPI PowerRegisterSuspendResumeNotification(DWORD Flags, HANDLE Recipient, PHPOWERNOTIFY RegistrationHandle);
DWORD WINAPI PowerUnregisterSuspendResumeNotification(HPOWERNOTIFY RegistrationHandle);
#endif
}
