// Clock and calendar as the product uses them: FILETIME and SYSTEMTIME both ways (with the invalid dates it can
// meet), the clocks it reads, and local time in time zones given by explicit records (daylight saving switches
// included), so that nothing depends on the host's own zone; the host zone is checked only for consistency.
#include "probe.h"

#include <ctime>

using probe::line;

namespace {

ULONGLONG value(const FILETIME &ft)
{
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME fileTime(ULONGLONG v)
{
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(v & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
    return ft;
}

SYSTEMTIME at(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second = 0, WORD ms = 0)
{
    SYSTEMTIME t = {};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = ms;
    return t;
}

void showTime(const char *key, BOOL ok, const SYSTEMTIME &t)
{
    if (!ok) {
        probe::ok(key, ok);
        return;
    }
    line(key, "%04u-%02u-%02u %02u:%02u:%02u.%03u dow %u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
         t.wMilliseconds, t.wDayOfWeek);
}

void conversions()
{
    const struct
    {
        const char *key;
        ULONGLONG value;
    } fileTimes[] = {
        {"FileTimeToSystemTime.zero", 0},
        {"FileTimeToSystemTime.leapday", 133537352967890000ULL},
        {"FileTimeToSystemTime.unixepoch", 116444736000000000ULL},
        {"FileTimeToSystemTime.sub-ms", 116444736000009999ULL},
        {"FileTimeToSystemTime.largest", 0x7FFFFFFFFFFFFFFFULL},
        {"FileTimeToSystemTime.negative", 0x8000000000000000ULL},
    };
    for (const auto &c : fileTimes) {
        const FILETIME ft = fileTime(c.value);
        SYSTEMTIME st = {};
        SetLastError(0);
        showTime(c.key, FileTimeToSystemTime(&ft, &st), st);
    }

    const struct
    {
        const char *key;
        SYSTEMTIME time;
    } systemTimes[] = {
        {"SystemTimeToFileTime.leapday", at(2024, 2, 29, 12, 34, 56, 789)},
        {"SystemTimeToFileTime.first", at(1601, 1, 1, 0, 0)},
        {"SystemTimeToFileTime.last", at(30827, 12, 31, 23, 59, 59, 999)},
        {"SystemTimeToFileTime.year1600", at(1600, 12, 31, 0, 0)},
        {"SystemTimeToFileTime.month13", at(2024, 13, 1, 0, 0)},
        {"SystemTimeToFileTime.month0", at(2024, 0, 1, 0, 0)},
        {"SystemTimeToFileTime.feb29nonleap", at(2023, 2, 29, 0, 0)},
        {"SystemTimeToFileTime.day0", at(2024, 1, 0, 0, 0)},
        {"SystemTimeToFileTime.hour24", at(2024, 1, 1, 24, 0)},
        {"SystemTimeToFileTime.minute60", at(2024, 1, 1, 0, 60)},
        {"SystemTimeToFileTime.ms1000", at(2024, 1, 1, 0, 0, 0, 1000)},
    };
    for (const auto &c : systemTimes) {
        SYSTEMTIME st = c.time;
        st.wDayOfWeek = 6; // ignored on input
        FILETIME ft = {};
        SetLastError(0);
        const BOOL ok = SystemTimeToFileTime(&st, &ft);
        if (ok)
            line(c.key, "%llu", static_cast<unsigned long long>(value(ft)));
        else
            probe::ok(c.key, ok);
    }

    // The product's day arithmetic: midnight of a date, moved by whole days through FILETIME.
    SYSTEMTIME midnight = at(2024, 2, 28, 0, 0);
    FILETIME ft;
    SystemTimeToFileTime(&midnight, &ft);
    const FILETIME later = fileTime(value(ft) + 2ULL * 86400ULL * 10000000ULL);
    SYSTEMTIME moved;
    showTime("FileTimeToSystemTime.plus2days", FileTimeToSystemTime(&later, &moved), moved);
}

void clocks()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const __time64_t seconds = _time64(nullptr);
    __time64_t stored = 0;
    const __time64_t returned = _time64(&stored);
    const long long fromFileTime = static_cast<long long>(value(now) / 10000000ULL) - 11644473600LL;
    line("GetSystemTimeAsFileTime.after2020", "%s", fromFileTime > 1577836800LL ? "yes" : "no");
    line("_time64.matches.GetSystemTimeAsFileTime", "%s",
         seconds - fromFileTime >= -2 && seconds - fromFileTime <= 2 ? "yes" : "no");
    line("_time64.stored", "%s", stored == returned ? "same" : "differs");

    const ULONGLONG first = GetTickCount64();
    const ULONGLONG second = GetTickCount64();
    line("GetTickCount64.nonzero", "%s", first > 0 ? "yes" : "no");
    line("GetTickCount64.nondecreasing", "%s", second >= first ? "yes" : "no");
}

TIME_ZONE_INFORMATION zone(LONG bias, const SYSTEMTIME &standard, const SYSTEMTIME &daylight, LONG daylightBias)
{
    TIME_ZONE_INFORMATION z = {};
    z.Bias = bias;
    z.StandardDate = standard;
    z.StandardBias = 0;
    z.DaylightDate = daylight;
    z.DaylightBias = daylightBias;
    return z;
}

// A yearly rule: the n-th (5: last) weekday of a month at a time.
SYSTEMTIME rule(WORD month, WORD dayOfWeek, WORD n, WORD hour)
{
    SYSTEMTIME t = {};
    t.wMonth = month;
    t.wDayOfWeek = dayOfWeek;
    t.wDay = n;
    t.wHour = hour;
    return t;
}

void zones()
{
    const SYSTEMTIME none = {};
    const struct
    {
        const char *name;
        TIME_ZONE_INFORMATION record;
    } records[] = {
        // Central Europe: last Sunday of March 02:00 to last Sunday of October 03:00.
        {"europe", zone(-60, rule(10, 0, 5, 3), rule(3, 0, 5, 2), -60)},
        // Eastern North America: second Sunday of March to first Sunday of November, 02:00.
        {"america", zone(300, rule(11, 0, 1, 2), rule(3, 0, 2, 2), -60)},
        // A southern zone (daylight time across the new year): first Sunday of October to first Sunday of April.
        {"south", zone(-600, rule(4, 0, 1, 3), rule(10, 0, 1, 2), -60)},
        // No daylight saving, a half-hour offset.
        {"fixed", zone(-330, none, none, 0)},
    };
    const struct
    {
        const char *name;
        SYSTEMTIME time;
    } moments[] = {
        {"winter", at(2024, 1, 15, 12, 0)},      {"summer", at(2024, 7, 15, 12, 0)},
        {"mar31-0059", at(2024, 3, 31, 0, 59)},  {"mar31-0100", at(2024, 3, 31, 1, 0)},
        {"mar31-0230", at(2024, 3, 31, 2, 30)},  {"mar10-0659", at(2024, 3, 10, 6, 59)},
        {"mar10-0700", at(2024, 3, 10, 7, 0)},   {"mar10-0230", at(2024, 3, 10, 2, 30)},
        {"oct27-0059", at(2024, 10, 27, 0, 59)}, {"oct27-0100", at(2024, 10, 27, 1, 0)},
        {"oct27-0230", at(2024, 10, 27, 2, 30)}, {"nov03-0130", at(2024, 11, 3, 1, 30)},
        {"nov03-0559", at(2024, 11, 3, 5, 59)},  {"nov03-0600", at(2024, 11, 3, 6, 0)},
        {"oct06-0230", at(2024, 10, 6, 2, 30)},  {"apr07-0230", at(2024, 4, 7, 2, 30)},
        {"newyear", at(2023, 12, 31, 23, 30)},   {"leap2100", at(2100, 2, 28, 23, 0)},
    };
    for (const auto &z : records) {
        for (const auto &m : moments) {
            char key[96];
            SYSTEMTIME out = {};
            snprintf(key, sizeof key, "SystemTimeToTzSpecificLocalTime.%s.%s", z.name, m.name);
            showTime(key, SystemTimeToTzSpecificLocalTime(&z.record, &m.time, &out), out);
            snprintf(key, sizeof key, "TzSpecificLocalTimeToSystemTime.%s.%s", z.name, m.name);
            showTime(key, TzSpecificLocalTimeToSystemTime(&z.record, &m.time, &out), out);
        }
    }
    SYSTEMTIME bad = at(2024, 13, 1, 0, 0), out;
    SetLastError(0);
    probe::ok("SystemTimeToTzSpecificLocalTime.invalid",
              SystemTimeToTzSpecificLocalTime(&records[0].record, &bad, &out));
    SetLastError(0);
    probe::ok("TzSpecificLocalTimeToSystemTime.invalid",
              TzSpecificLocalTimeToSystemTime(&records[0].record, &bad, &out));
}

// The host's zone, as the product reads it (no record): only whether the answers agree with each other.
void hostZone()
{
    TIME_ZONE_INFORMATION info;
    const DWORD id = GetTimeZoneInformation(&info);
    line("GetTimeZoneInformation.id", "%s",
         id == TIME_ZONE_ID_UNKNOWN || id == TIME_ZONE_ID_STANDARD || id == TIME_ZONE_ID_DAYLIGHT ? "valid"
                                                                                                  : "invalid");
    line("GetTimeZoneInformation.name", "%s", info.StandardName[0] ? "nonempty" : "empty");

    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const FILETIME whole = fileTime(value(now) / 10000000ULL * 10000000ULL);
    SYSTEMTIME utc, local, back;
    FileTimeToSystemTime(&whole, &utc);
    const BOOL toLocal = SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    probe::ok("SystemTimeToTzSpecificLocalTime.host", toLocal);
    probe::ok("TzSpecificLocalTimeToSystemTime.host", TzSpecificLocalTimeToSystemTime(nullptr, &local, &back));
    FILETIME a, b, c;
    SystemTimeToFileTime(&utc, &a);
    SystemTimeToFileTime(&local, &b);
    SystemTimeToFileTime(&back, &c);
    line("TzSpecificLocalTimeToSystemTime.host.roundtrip", "%s", value(a) == value(c) ? "same" : "differs");
    const long long offsetMinutes = (static_cast<long long>(value(b)) - static_cast<long long>(value(a))) / 600000000LL;
    const LONG bias = info.Bias + (id == TIME_ZONE_ID_DAYLIGHT ? info.DaylightBias : info.StandardBias);
    line("GetTimeZoneInformation.bias.matches", "%s", offsetMinutes == -bias ? "yes" : "no");
}

} // namespace

int main()
{
    probe::start();
    conversions();
    clocks();
    zones();
    hostZone();
    return probe::end();
}
