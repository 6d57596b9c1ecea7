// Edition, locale, time zone, System folder and the environment block, declared for hosts without the Windows
// SDK. The edition comes from the machine's registry, locale and time zone from the host.
#pragma once

#include "linux/machine/w32types.h"
#include "linux/system/w32time.h"

// GetProductInfo's answers that the system names; anything else is passed through as a number.
#define PRODUCT_UNDEFINED 0x00000000
#define PRODUCT_ENTERPRISE 0x00000004
#define PRODUCT_ENTERPRISE_N 0x0000001B
#define PRODUCT_PROFESSIONAL 0x00000030
#define PRODUCT_PROFESSIONAL_N 0x00000031
#define PRODUCT_ENTERPRISE_EVALUATION 0x00000048
#define PRODUCT_CORE_N 0x00000062
#define PRODUCT_CORE_COUNTRYSPECIFIC 0x00000063
#define PRODUCT_CORE_SINGLELANGUAGE 0x00000064
#define PRODUCT_CORE 0x00000065
#define PRODUCT_EDUCATION 0x00000079
#define PRODUCT_EDUCATION_N 0x0000007A
#define PRODUCT_PRO_WORKSTATION 0x000000A1
#define PRODUCT_PRO_WORKSTATION_N 0x000000A2

BOOL WINAPI GetProductInfo(DWORD dwOSMajorVersion, DWORD dwOSMinorVersion, DWORD dwSpMajorVersion,
                           DWORD dwSpMinorVersion, PDWORD pdwReturnedProductType);

// Locale
typedef DWORD LCID;
typedef WORD LANGID;
typedef DWORD LCTYPE;
#define LOCALE_SCOUNTRY 0x00000006
#define LOCALE_SENGLISHCOUNTRYNAME 0x00001002

LCID WINAPI GetUserDefaultLCID();
LANGID WINAPI GetUserDefaultLangID();
int WINAPI GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData);
DWORD WINAPI VerLanguageNameW(DWORD wLang, LPWSTR szLang, DWORD cchLang);

// Time zone
struct _TIME_ZONE_INFORMATION
{
    LONG Bias;
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
};
typedef struct _TIME_ZONE_INFORMATION *PTIME_ZONE_INFORMATION, *LPTIME_ZONE_INFORMATION;
#define TIME_ZONE_ID_INVALID ((DWORD)0xFFFFFFFF)
#define TIME_ZONE_ID_UNKNOWN 0
#define TIME_ZONE_ID_STANDARD 1
#define TIME_ZONE_ID_DAYLIGHT 2

DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation);

UINT WINAPI GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);

// The environment block: NUL-terminated "name=value" entries, ended by an empty one.
typedef WCHAR *LPWCH;
LPWCH WINAPI GetEnvironmentStringsW();
BOOL WINAPI FreeEnvironmentStringsW(LPWCH penv);
