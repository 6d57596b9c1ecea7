// The sunrise and sunset computation against fixed points and published times.
#include "suntimes.h"

#include <QTest>
#include <cmath>

namespace {

// Minutes after local midnight of the sun times.
double sunriseMinutes(const SunTimes &s)
{
    return sunriseSeconds(s) / 60.0;
}

double sunsetMinutes(const SunTimes &s)
{
    return sunsetSeconds(s) / 60.0;
}

double minutesOf(const char *hhmm)
{
    const QTime t = QTime::fromString(QLatin1String(hhmm), QStringLiteral("hh:mm"));
    return t.hour() * 60.0 + t.minute();
}

} // namespace

class TestSunTimes : public QObject
{
    Q_OBJECT

private slots:
    void julianDay_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<long>("expected");
        QTest::newRow("2000-01-01") << 2000 << 1 << 1 << 2451545L;
        QTest::newRow("2000-03-01 after a leap February") << 2000 << 3 << 1 << 2451605L;
        QTest::newRow("1999-12-31") << 1999 << 12 << 31 << 2451544L;
        QTest::newRow("2024-06-21") << 2024 << 6 << 21 << 2460483L;
        QTest::newRow("1900-03-01, no leap day in 1900") << 1900 << 3 << 1 << 2415080L;
    }
    void julianDay()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(long, expected);
        QCOMPARE(julianDayNumber(year, month, day), expected);
    }

    void solarNoonAtZeroZero_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::newRow("February, the equation of time at its most negative") << 2 << 11;
        QTest::newRow("March equinox") << 3 << 20;
        QTest::newRow("November, the equation of time at its most positive") << 11 << 3;
    }
    void solarNoonAtZeroZero()
    {
        QFETCH(int, month);
        QFETCH(int, day);
        const SunTimes s = computeSunTimes(2024, month, day, 0, 0, 0);
        QCOMPARE(s.polar, 0);
        const double noonMinutes = s.solarNoon * 1440;
        QVERIFY2(std::fabs(noonMinutes - 720) <= 17, qPrintable(QString::number(noonMinutes)));
        // On the equator day and night are about equal all year: sunrise about 6 h before noon.
        QVERIFY2(s.hourAngle > 89 && s.hourAngle < 92, qPrintable(QString::number(s.hourAngle)));
        QVERIFY(std::fabs((noonMinutes - sunriseMinutes(s)) - 360) < 10);
        QVERIFY(std::fabs((sunsetMinutes(s) - noonMinutes) - 360) < 10);
    }

    // Published times (to the minute) of cities; the computation must come within two minutes.
    void publishedTimes_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<double>("zone");
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<QString>("sunrise");
        QTest::addColumn<QString>("sunset");
        QTest::newRow("London, summer solstice (BST)")
            << 2024 << 6 << 21 << 1.0 << 51.5074 << -0.1278 << QStringLiteral("04:43") << QStringLiteral("21:21");
        QTest::newRow("London, winter solstice (GMT)")
            << 2024 << 12 << 21 << 0.0 << 51.5074 << -0.1278 << QStringLiteral("08:03") << QStringLiteral("15:53");
    }
    void publishedTimes()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(double, zone);
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(QString, sunrise);
        QFETCH(QString, sunset);
        const SunTimes s = computeSunTimes(year, month, day, zone, latitude, longitude);
        QCOMPARE(s.polar, 0);
        const double rise = sunriseMinutes(s);
        const double set = sunsetMinutes(s);
        QVERIFY2(std::fabs(rise - minutesOf(qPrintable(sunrise))) <= 2, qPrintable(QString::number(rise)));
        QVERIFY2(std::fabs(set - minutesOf(qPrintable(sunset))) <= 2, qPrintable(QString::number(set)));
    }

    void polar_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("expected");
        QTest::newRow("Tromso in June: the sun stays up") << 69.6492 << 6 << 1;
        QTest::newRow("Tromso in December: the sun stays down") << 69.6492 << 12 << -1;
        QTest::newRow("South Pole in June: night") << -90.0 << 6 << -1;
        QTest::newRow("South Pole in December: day") << -90.0 << 12 << 1;
    }
    void polar()
    {
        QFETCH(double, latitude);
        QFETCH(int, month);
        QFETCH(int, expected);
        const SunTimes s = computeSunTimes(2024, month, 21, 1, latitude, 18.9553);
        QCOMPARE(s.polar, expected);
        QCOMPARE(s.hourAngle, 0.0);
    }

    // Far from the zone's meridian sunrise can fall before local midnight; the times stay within the day.
    void timesKeptWithinTheDay()
    {
        const SunTimes s = computeSunTimes(2024, 6, 21, -12, 60, 179);
        QVERIFY(sunriseSeconds(s) >= 0 && sunriseSeconds(s) <= 86399);
        QVERIFY(sunsetSeconds(s) >= 0 && sunsetSeconds(s) <= 86399);
        QCOMPARE(sunriseSeconds(s), 0.0);
    }

    // The UTC offset enters the solar noon hour for hour: a day with daylight saving has everything an
    // hour later on the clock.
    void zoneShiftsTheClockTimes()
    {
        const SunTimes standard = computeSunTimes(2024, 3, 31, 1, 52.52, 13.405);
        const SunTimes summer = computeSunTimes(2024, 3, 31, 2, 52.52, 13.405);
        QCOMPARE(qRound(sunriseMinutes(summer) - sunriseMinutes(standard)), 60);
        QCOMPARE(standard.hourAngle, summer.hourAngle);
    }
};

QTEST_APPLESS_MAIN(TestSunTimes)
#include "tst_suntimes.moc"
