// Clock and calendar, declared for hosts without the Windows SDK. Local time follows the machine's time
// zone (the machine setting "timezone", else the host's), daylight saving included.
#pragma once

#include "linux/machine/w32types.h"

typedef struct _SYSTEMTIME
{
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

// The zone record (w32sysinfo.h); without one, conversions use the machine's own zone.
struct _TIME_ZONE_INFORMATION;
typedef struct _TIME_ZONE_INFORMATION TIME_ZONE_INFORMATION;

void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);
void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
BOOL WINAPI FileTimeToSystemTime(const FILETIME *lpFileTime, LPSYSTEMTIME lpSystemTime);
BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME *lpSystemTime, LPFILETIME lpFileTime);
BOOL WINAPI SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION *lpTimeZoneInformation,
                                            const SYSTEMTIME *lpUniversalTime, LPSYSTEMTIME lpLocalTime);
BOOL WINAPI TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION *lpTimeZoneInformation,
                                            const SYSTEMTIME *lpLocalTime, LPSYSTEMTIME lpUniversalTime);
DWORD WINAPI GetTickCount();
ULONGLONG WINAPI GetTickCount64();
