#include "suntimes.h"

#include <cmath>

namespace {

// The constant the equations are stated with; the results are compared against published times to it.
const double Pi = 3.1415926;

double radians(double degrees)
{
    return degrees * Pi / 180.0;
}

double degrees(double radians)
{
    return radians * 180.0 / Pi;
}

double clampToDay(double seconds)
{
    if (!(seconds >= 0))
        return 0;
    if (seconds > 86399)
        return 86399;
    return seconds;
}

} // namespace

long julianDayNumber(int year, int month, int day)
{
    long y = year;
    long m = month;
    if (m < 3) {
        y -= 1;
        m += 12;
    }
    return day + (153 * m - 457) / 5 + 365 * y + y / 4 - y / 100 + y / 400 + 1721119;
}

SunTimes computeSunTimes(int year, int month, int day, double zone, double latitude, double longitude)
{
    const double jd = julianDayNumber(year, month, day);
    const double t = (jd - 2451545.0) / 36525.0;
    const double l0 = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0);
    const double m = 357.52911 + t * (35999.05029 - 0.0001537 * t);
    const double e = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
    const double mr = radians(m);
    const double centre = std::sin(mr) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                          std::sin(2 * mr) * (0.019993 - 0.000101 * t) + std::sin(3 * mr) * 0.000289;
    const double omega = 125.04 - 1934.136 * t;
    const double lambda = l0 + centre - 0.00569 - 0.00478 * std::sin(radians(omega));
    const double epsilon = 23 + (26 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60) / 60 +
                           0.00256 * std::cos(radians(omega));
    const double declination = std::asin(std::sin(radians(epsilon)) * std::sin(radians(lambda)));
    const double y = std::pow(std::tan(radians(epsilon) / 2), 2);
    const double l0r = radians(l0);
    const double equationOfTime =
        4 * degrees(y * std::sin(2 * l0r) - 2 * e * std::sin(mr) + 4 * e * y * std::sin(mr) * std::cos(2 * l0r) -
                    0.5 * y * y * std::sin(4 * l0r) - 1.25 * e * e * std::sin(2 * mr));

    SunTimes sun;
    sun.solarNoon = (720 - 4 * longitude - equationOfTime + 60 * zone) / 1440;
    const double lat = radians(latitude);
    const double cosHourAngle =
        std::cos(radians(90.833)) / (std::cos(lat) * std::cos(declination)) - std::tan(lat) * std::tan(declination);
    // Outside -1..1 the sun does not cross the horizon that day: above 1 it stays below, below -1 above.
    if (std::isnan(cosHourAngle) || cosHourAngle >= 1) {
        sun.polar = -1;
    } else if (cosHourAngle <= -1) {
        sun.polar = 1;
    } else {
        sun.hourAngle = degrees(std::acos(cosHourAngle));
    }
    return sun;
}

double sunriseSeconds(const SunTimes &sun)
{
    return clampToDay((sun.solarNoon * 1440 - 4 * sun.hourAngle) / 1440 * 24 * 60 * 60);
}

double sunsetSeconds(const SunTimes &sun)
{
    return clampToDay((sun.solarNoon * 1440 + 4 * sun.hourAngle) / 1440 * 24 * 60 * 60);
}
