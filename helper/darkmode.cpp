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

// UTC seconds since 1601 of a time of day on the local date that many days after today, with the offset in
// force at that moment. Where the conversion is refused, counted on the local clock from now instead.
LONGLONG momentOn(const Moment &now, int days, double secondsAfterMidnight)
{
    const SYSTEMTIME date = addDays(now.local, days);
    const int s = int(secondsAfterMidnight);
    SYSTEMTIME local = date;
    local.wHour = WORD(s / 3600);
    local.wMinute = WORD(s / 60 % 60);
    local.wSecond = WORD(s % 60);
    local.wMilliseconds = 0;
    SYSTEMTIME utc;
    FILETIME ft;
    if (TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) && SystemTimeToFileTime(&utc, &ft))
        return LONGLONG(fileTimeValue(ft) / TicksPerSecond);
    return LONGLONG(now.utcSeconds) + days * 86400LL + s - LONGLONG(secondsOfDay(now.local));
}

// The switch times of a local date: the fixed schedule, or that day's sunrise and sunset at the position.
// Returns what the sun does that day; the times are set only when it rises and sets.
int switchTimesOn(const SYSTEMTIME &date, double *light, double *dark)
{
    if (!darkMode.useLocation) {
        *light = darkMode.lightTime;
        *dark = darkMode.darkTime;
        return SunRisesAndSets;
    }
    const SunTimes sun =
        computeSunTimes(date.wYear, date.wMonth, date.wDay, zoneHoursOn(date.wYear, date.wMonth, date.wDay),
                        darkMode.latitude, darkMode.longitude);
    if (sun.polar == SunRisesAndSets) {
        *light = sunriseSeconds(sun);
        *dark = sunsetSeconds(sun);
    }
    return sun.polar;
}

// The next switch to light (or to dark) mode after now, in UTC seconds: today's, or the next day's once
// today's has passed. Each day's times are that day's own, in that day's offset, so a sunrise after a
// daylight-saving change is not taken from the day before it. False when the day it falls on has none.
bool nextSwitch(const Moment &now, bool toLight, LONGLONG *due)
{
    for (int days = 0; days < 2; ++days) {
        double light = 0, dark = 0;
        if (switchTimesOn(addDays(now.local, days), &light, &dark) != SunRisesAndSets)
            return false;
        const LONGLONG at = momentOn(now, days, toLight ? light : dark);
        if (at > LONGLONG(now.utcSeconds)) {
            *due = at;
            return true;
        }
    }
    return false;
}

void armAt(const Moment &now, LONGLONG due)
{
    SetTimer(helper.window, TIMER_DARK_MODE, UINT((due - LONGLONG(now.utcSeconds)) * 1000), darkModeTimerProc);
}

// A day without a switch: one mode all day, looked at again just after the next midnight.
void armLookAfterMidnight(const Moment &now)
{
    darkMode.lookAgain = true;
    armAt(now, momentOn(now, 1, 1));
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
    const Moment now = currentMoment();
    if (darkMode.useLocation)
        darkMode.sun = switchTimesOn(now.local, &darkMode.lightTime, &darkMode.darkTime);
    if (darkMode.sun != SunRisesAndSets) {
        // No sunrise or no sunset today.
        const bool day = darkMode.sun == SunPolarDay;
        applyColorMode(!day);
        darkMode.lightPhase = day ? 1 : 0;
        armLookAfterMidnight(now);
        return;
    }
    if (LONGLONG(darkMode.lightTime) == LONGLONG(darkMode.darkTime)) {
        // Equal times would switch back and forth at the same moment: leave the mode as it is.
        KillTimer(helper.window, TIMER_DARK_MODE);
        return;
    }
    // Light is due when the next switch is the one to dark. A switch missing because the next day has no
    // sunrise or sunset lies beyond that day's midnight, after any switch that is known.
    LONGLONG nextLight = 0, nextDark = 0;
    const bool lightKnown = nextSwitch(now, true, &nextLight);
    const bool light = nextSwitch(now, false, &nextDark) && (!lightKnown || nextDark < nextLight);
    applyColorMode(!light);
    darkMode.lightPhase = light ? 1 : 0;
    armDarkModeTimer();
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

void applyColorMode(bool dark)
{
    const DWORD value = dark ? 0 : 1;
    if (darkMode.action == 0 || darkMode.action == 2)
        writeDword(PERSONALIZE_KEY, WSTR("SystemUsesLightTheme"), value);
    if (darkMode.action == 1 || darkMode.action == 2)
        writeDword(PERSONALIZE_KEY, WSTR("AppsUseLightTheme"), value);
}

void armDarkModeTimer()
{
    const Moment now = currentMoment();
    LONGLONG due = 0;
    if (!nextSwitch(now, darkMode.lightPhase == 0, &due)) {
        armLookAfterMidnight(now);
        return;
    }
    darkMode.lookAgain = false;
    armAt(now, due);
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
            darkMode.sun = switchTimesOn(currentMoment().local, &darkMode.lightTime, &darkMode.darkTime);
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
    if (darkMode.lookAgain) {
        // The look after midnight following a day without a switch: the new day may have one again.
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
    armDarkModeTimer();
}
