// Colour-mode schedule: light mode at the light time, dark mode at the dark time, both in seconds after
// local midnight, from a fixed 12-hour schedule or from the day's sunrise and sunset at the user's position.
// One window timer (TIMER_DARK_MODE) waits for the next switch.
#include "glasspan.h"
#include "suntimes.h"
#include "wtext.h"

DarkModeState darkMode;

namespace {

const ULONGLONG TicksPerSecond = 10000000ULL;

ULONGLONG fileTimeValue(const FILETIME &ft)
{
    return (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME fileTimeOf(ULONGLONG value)
{
    FILETIME ft;
    ft.dwLowDateTime = DWORD(value & 0xFFFFFFFFULL);
    ft.dwHighDateTime = DWORD(value >> 32);
    return ft;
}

// One reading of the clock: UTC in whole seconds since 1601, and the same moment as local date and time.
struct Moment
{
    ULONGLONG utcSeconds = 0;
    SYSTEMTIME local = {};
};

Moment currentMoment()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    Moment m;
    m.utcSeconds = fileTimeValue(now) / TicksPerSecond;
    const FILETIME whole = fileTimeOf(m.utcSeconds * TicksPerSecond);
    SYSTEMTIME utc;
    FileTimeToSystemTime(&whole, &utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &m.local))
        m.local = utc;
    return m;
}

double secondsOfDay(const SYSTEMTIME &t)
{
    return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond;
}

// A local calendar date moved by whole days (plain calendar arithmetic, no time zone involved).
SYSTEMTIME addDays(const SYSTEMTIME &date, int days)
{
    SYSTEMTIME midnight = date;
    midnight.wHour = midnight.wMinute = midnight.wSecond = midnight.wMilliseconds = 0;
    FILETIME ft;
    SystemTimeToFileTime(&midnight, &ft);
    const LONGLONG moved = LONGLONG(fileTimeValue(ft)) + LONGLONG(days) * 86400LL * LONGLONG(TicksPerSecond);
    const FILETIME result = fileTimeOf(ULONGLONG(moved));
    SYSTEMTIME out;
    FileTimeToSystemTime(&result, &out);
    return out;
}

// UTC seconds since 1601 of a local date at a time of day, with the offset in force at that moment.
bool utcSecondsAt(const SYSTEMTIME &date, double secondsAfterMidnight, ULONGLONG *utcSeconds)
{
    const int s = int(secondsAfterMidnight);
    SYSTEMTIME local = date;
    local.wHour = WORD(s / 3600);
    local.wMinute = WORD(s / 60 % 60);
    local.wSecond = WORD(s % 60);
    local.wMilliseconds = 0;
    SYSTEMTIME utc;
    FILETIME ft;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &ft))
        return false;
    *utcSeconds = fileTimeValue(ft) / TicksPerSecond;
    return true;
}

// Milliseconds from now until the next time the clock shows the given time of day. Counted between the two
// UTC moments, so a daylight-saving change in between does not shift the switch by an hour.
UINT delayUntil(double target)
{
    const Moment now = currentMoment();
    const double nowSeconds = secondsOfDay(now.local);
    const int days = (LONGLONG(target) <= LONGLONG(nowSeconds)) ? 1 : 0;
    ULONGLONG due = 0;
    if (utcSecondsAt(addDays(now.local, days), target, &due) && due > now.utcSeconds)
        return UINT((due - now.utcSeconds) * 1000);
    // The local time does not exist or repeats (a clock change): count on the local clock instead.
    if (days)
        return UINT((LONGLONG(86400 - nowSeconds) + LONGLONG(target)) * 1000);
    return UINT((LONGLONG(target) - LONGLONG(nowSeconds)) * 1000);
}

bool lightAt(double now, double light, double dark)
{
    if (light < dark)
        return light <= now && now < dark;
    // The schedule crosses midnight: light from the light time until the dark time of the next day.
    return now >= light || now < dark;
}

void computeLocationTimes(const SYSTEMTIME &date)
{
    const SunTimes sun =
        computeSunTimes(date.wYear, date.wMonth, date.wDay, zoneHoursOn(date.wYear, date.wMonth, date.wDay),
                        darkMode.latitude, darkMode.longitude);
    darkMode.sun = sun.polar;
    if (sun.polar == SunRisesAndSets) {
        darkMode.lightTime = sunriseSeconds(sun);
        darkMode.darkTime = sunsetSeconds(sun);
    }
}

// After a switch in location mode: the times of the day on which the next switch falls.
void recomputeForNextSwitch()
{
    const Moment now = currentMoment();
    computeLocationTimes(now.local);
    if (darkMode.sun != SunRisesAndSets)
        return;
    const double target = darkMode.lightPhase ? darkMode.darkTime : darkMode.lightTime;
    if (LONGLONG(target) <= LONGLONG(secondsOfDay(now.local)))
        computeLocationTimes(addDays(now.local, 1));
}

bool readScheduleTime(const WCHAR *hourName, const WCHAR *minuteName, const WCHAR *periodName, double *seconds)
{
    DWORD hour = 0, minute = 0, period = 0;
    if (!readDword(AUTODARKMODE_KEY, hourName, &hour) || !readDword(AUTODARKMODE_KEY, minuteName, &minute) ||
        !readDword(AUTODARKMODE_KEY, periodName, &period))
        return false;
    if (hour < 1 || hour > 12 || minute > 59 || period > 1)
        return false;
    *seconds = (hour % 12) * 3600.0 + minute * 60.0 + (period == 1 ? 43200.0 : 0.0);
    return true;
}

bool readCoordinate(const WCHAR *name, double limit, double *value)
{
    WCHAR text[256];
    double v = 0;
    if (!readText(AUTODARKMODE_KEY, name, text, 256) || !parseDecimal(text, &v) || v < -limit || v > limit)
        return false;
    *value = v;
    return true;
}

// Writes the mode due now and arms the timer for the next switch; the stored times must be valid.
void applyModeDueNow()
{
    if (darkMode.sun != SunRisesAndSets) {
        // No sunrise or no sunset today: one mode all day, looked at again just after midnight.
        const bool day = darkMode.sun == SunPolarDay;
        applyColorMode(!day);
        darkMode.lightPhase = day ? 1 : 0;
        SetTimer(helper.window, TIMER_DARK_MODE, delayUntil(1), darkModeTimerProc);
        return;
    }
    if (LONGLONG(darkMode.lightTime) == LONGLONG(darkMode.darkTime)) {
        // Equal times would switch back and forth at the same moment: leave the mode as it is.
        KillTimer(helper.window, TIMER_DARK_MODE);
        return;
    }
    const bool light = lightAt(secondsSinceMidnight(), darkMode.lightTime, darkMode.darkTime);
    applyColorMode(!light);
    darkMode.lightPhase = light ? 1 : 0;
    armDarkModeTimer(darkMode.lightTime, darkMode.darkTime);
}

} // namespace

double zoneHoursOn(WORD year, WORD month, WORD day)
{
    SYSTEMTIME noon = {};
    noon.wYear = year;
    noon.wMonth = month;
    noon.wDay = day;
    noon.wHour = 12;
    SYSTEMTIME utc;
    FILETIME localFt, utcFt;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &noon, &utc) || !SystemTimeToFileTime(&noon, &localFt) ||
        !SystemTimeToFileTime(&utc, &utcFt))
        return 0;
    const LONGLONG diff = LONGLONG(fileTimeValue(localFt)) - LONGLONG(fileTimeValue(utcFt));
    return double(diff / LONGLONG(TicksPerSecond)) / 3600.0;
}

double secondsSinceMidnight()
{
    return secondsOfDay(currentMoment().local);
}

void applyColorMode(bool dark)
{
    const DWORD value = dark ? 0 : 1;
    if (darkMode.action == 0 || darkMode.action == 2)
        writeDword(PERSONALIZE_KEY, WSTR("SystemUsesLightTheme"), value);
    if (darkMode.action == 1 || darkMode.action == 2)
        writeDword(PERSONALIZE_KEY, WSTR("AppsUseLightTheme"), value);
}

void armDarkModeTimer(double light, double dark)
{
    const double target = darkMode.lightPhase ? dark : light;
    SetTimer(helper.window, TIMER_DARK_MODE, delayUntil(target), darkModeTimerProc);
}

void loadAutoDarkMode()
{
    DWORD enabled = 0, useLocation = 1, action = 2;
    readDword(AUTODARKMODE_KEY, WSTR("Enabled"), &enabled);
    readDword(AUTODARKMODE_KEY, WSTR("UseLocationData"), &useLocation);
    readDword(AUTODARKMODE_KEY, WSTR("Action"), &action);
    darkMode.enabled = enabled != 0;
    darkMode.useLocation = useLocation != 0;
    darkMode.action = action;
    darkMode.sun = SunRisesAndSets;

    if (darkMode.useLocation) {
        double latitude = 0, longitude = 0;
        darkMode.timesValid =
            readCoordinate(WSTR("Latitude"), 90, &latitude) && readCoordinate(WSTR("Longitude"), 180, &longitude);
        if (darkMode.timesValid) {
            darkMode.latitude = latitude;
            darkMode.longitude = longitude;
            computeLocationTimes(currentMoment().local);
        }
    } else {
        double light = 0, dark = 0;
        darkMode.timesValid = readScheduleTime(WSTR("LightHour"), WSTR("LightMinute"), WSTR("LightPeriod"), &light) &&
                              readScheduleTime(WSTR("DarkHour"), WSTR("DarkMinute"), WSTR("DarkPeriod"), &dark);
        if (darkMode.timesValid) {
            darkMode.lightTime = light;
            darkMode.darkTime = dark;
        }
    }

    if (!darkMode.enabled)
        return;
    if (!darkMode.timesValid) {
        // Without a position or a complete schedule there is nothing to switch to.
        KillTimer(helper.window, TIMER_DARK_MODE);
        return;
    }
    applyModeDueNow();
}

void CALLBACK darkModeTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (!darkMode.enabled || !darkMode.timesValid) {
        KillTimer(helper.window, TIMER_DARK_MODE);
        return;
    }
    KillTimer(helper.window, TIMER_DARK_MODE);
    if (darkMode.useLocation && darkMode.sun != SunRisesAndSets) {
        // The midnight look at a polar day or night: today may have a sunrise again.
        computeLocationTimes(currentMoment().local);
        applyModeDueNow();
        return;
    }
    // The expiry alone decides the switch; the clock is not asked whether it is due.
    if (darkMode.lightPhase == 0) {
        applyColorMode(false);
        darkMode.lightPhase = 1;
    } else {
        applyColorMode(true);
        darkMode.lightPhase = 0;
    }
    if (darkMode.useLocation) {
        // Sunrise and sunset move from day to day.
        recomputeForNextSwitch();
        if (darkMode.sun != SunRisesAndSets) {
            applyModeDueNow();
            return;
        }
    }
    armDarkModeTimer(darkMode.lightTime, darkMode.darkTime);
}
