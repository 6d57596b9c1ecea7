// Sunrise and sunset from the NOAA general solar position equations. Plain arithmetic, shared by the
// helper's colour-mode schedule and the main program's Auto Dark Mode page.
#pragma once

struct SunTimes
{
    // Hour angle of sunrise in degrees (0 when the sun neither rises nor sets that day).
    double hourAngle = 0;
    // Solar noon as a fraction of the local day.
    double solarNoon = 0;
    // 0: the sun rises and sets; 1: it stays up all day (polar day); -1: it stays down (polar night).
    int polar = 0;
};

// Julian day number of a calendar date (1 January 2000 gives 2451545).
long julianDayNumber(int year, int month, int day);

// Sun times of a local date at a position (degrees, north and east positive) for a UTC offset in hours
// (east positive) in force on that date.
SunTimes computeSunTimes(int year, int month, int day, double zone, double latitude, double longitude);

// Seconds after local midnight of sunrise and sunset, kept within the day [0, 86399].
double sunriseSeconds(const SunTimes &sun);
double sunsetSeconds(const SunTimes &sun);
