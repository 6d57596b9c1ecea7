// Clock and calendar functions over the stand-in's clock and the machine's time zone.
#include "win32.h"
#include "linux/machine/machine.h"
#include "linux/system/machineclock.h"

#include <QMutex>
#include <chrono>
#include <climits>

namespace machineclock {

namespace {

struct State
{
    QMutex mutex;
    bool test = false;
    qint64 testUtc = 0;
    qint64 testMono = 0;
    bool started = false;
    qint64 offsetMs = 0; // machine clock minus host clock, fixed at first use
};

State &state()
{
    static State s;
    return s;
}

qint64 hostMono()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

qint64 utcMs()
{
    State &s = state();
    QMutexLocker g(&s.mutex);
    if (s.test)
        return s.testUtc;
    if (!s.started) {
        s.started = true;
        const QString start = machine::setting(QStringLiteral("clock"));
        const QDateTime at = QDateTime::fromString(start, Qt::ISODate);
        if (at.isValid())
            s.offsetMs = at.toMSecsSinceEpoch() - QDateTime::currentMSecsSinceEpoch();
    }
    return QDateTime::currentMSecsSinceEpoch() + s.offsetMs;
}

qint64 monotonicMs()
{
    State &s = state();
    QMutexLocker g(&s.mutex);
    return s.test ? s.testMono : hostMono();
}

QTimeZone zone()
{
    const QByteArray id = machine::setting(QStringLiteral("timezone")).toUtf8();
    if (!id.isEmpty()) {
        QTimeZone z(id);
        if (z.isValid())
            return z;
    }
    return QTimeZone::systemTimeZone();
}

void setTestClock(const QDateTime &utc)
{
    State &s = state();
    QMutexLocker g(&s.mutex);
    if (!s.test)
        s.testMono = hostMono();
    s.test = true;
    s.testUtc = utc.toMSecsSinceEpoch();
}

void moveTestClock(qint64 ms)
{
    State &s = state();
    QMutexLocker g(&s.mutex);
    s.testUtc += ms;
    s.testMono += ms;
}

bool isTestClock()
{
    State &s = state();
    QMutexLocker g(&s.mutex);
    return s.test;
}

void stopTestClock()
{
    State &s = state();
    QMutexLocker g(&s.mutex);
    s.test = false;
    s.started = false;
    s.offsetMs = 0;
}

} // namespace machineclock

namespace {

// FILETIME counts 100 ns steps since 1601-01-01 UTC; Qt counts milliseconds since 1970.
const qint64 EpochDifferenceMs = 11644473600000LL;

quint64 fileTimeValue(const FILETIME *ft)
{
    return (quint64(ft->dwHighDateTime) << 32) | ft->dwLowDateTime;
}

void setFileTime(FILETIME *ft, quint64 v)
{
    ft->dwLowDateTime = DWORD(v & 0xFFFFFFFFu);
    ft->dwHighDateTime = DWORD(v >> 32);
}

void fillSystemTime(const QDateTime &t, LPSYSTEMTIME st)
{
    const QDate d = t.date();
    const QTime tm = t.time();
    st->wYear = WORD(d.year());
    st->wMonth = WORD(d.month());
    st->wDayOfWeek = WORD(d.dayOfWeek() % 7); // Sunday is 0
    st->wDay = WORD(d.day());
    st->wHour = WORD(tm.hour());
    st->wMinute = WORD(tm.minute());
    st->wSecond = WORD(tm.second());
    st->wMilliseconds = WORD(tm.msec());
}

bool systemTimeParts(const SYSTEMTIME *st, QDate *date, QTime *time)
{
    *date = QDate(st->wYear, st->wMonth, st->wDay);
    *time = QTime(st->wHour, st->wMinute, st->wSecond, st->wMilliseconds);
    if (st->wYear < 1601 || !date->isValid() || !time->isValid()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

} // namespace

void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime)
{
    setFileTime(lpSystemTimeAsFileTime, quint64(machineclock::utcMs() + EpochDifferenceMs) * 10000);
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    fillSystemTime(QDateTime::fromMSecsSinceEpoch(machineclock::utcMs(), machineclock::zone()), lpSystemTime);
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME *lpFileTime, LPSYSTEMTIME lpSystemTime)
{
    const quint64 v = fileTimeValue(lpFileTime);
    if (v >= 0x8000000000000000ULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const qint64 ms = qint64(v / 10000) - EpochDifferenceMs;
    fillSystemTime(QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()), lpSystemTime);
    return TRUE;
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME *lpSystemTime, LPFILETIME lpFileTime)
{
    QDate date;
    QTime time;
    if (!systemTimeParts(lpSystemTime, &date, &time))
        return FALSE;
    const qint64 ms = QDateTime(date, time, QTimeZone::utc()).toMSecsSinceEpoch();
    setFileTime(lpFileTime, quint64(ms + EpochDifferenceMs) * 10000);
    return TRUE;
}

namespace {

// A SYSTEMTIME read in one zone and written as the same moment in another.
BOOL convertTime(const SYSTEMTIME *in, const QTimeZone &from, const QTimeZone &to, LPSYSTEMTIME out)
{
    QDate date;
    QTime time;
    if (!out || !systemTimeParts(in, &date, &time)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    fillSystemTime(QDateTime(date, time, from).toTimeZone(to), out);
    return TRUE;
}

// A zone given by its record: the bias in minutes (UTC = local + bias) and, when StandardDate names a month,
// the yearly switches. A switch date with wYear 0 is a rule: the wDay-th (5: the last) wDayOfWeek of wMonth; with
// a year it is that one date. DaylightDate is read on the standard clock, StandardDate on the daylight clock.
qint64 switchOn(const SYSTEMTIME &rule, int year)
{
    QDate date;
    if (rule.wYear) {
        date = QDate(rule.wYear, rule.wMonth, rule.wDay);
    } else {
        const QDate first(year, rule.wMonth, 1);
        const int weekday = first.dayOfWeek() % 7; // Sunday is 0
        int day = 1 + (rule.wDayOfWeek + 7 - weekday) % 7 + 7 * (qBound(1, int(rule.wDay), 5) - 1);
        while (day > first.daysInMonth())
            day -= 7;
        date = QDate(year, rule.wMonth, day);
    }
    const QTime time(rule.wHour, rule.wMinute, rule.wSecond, rule.wMilliseconds);
    if (!date.isValid() || !time.isValid())
        return LLONG_MIN;
    return QDateTime(date, time, QTimeZone::utc()).toMSecsSinceEpoch();
}

bool zoneHasDaylight(const TIME_ZONE_INFORMATION &z)
{
    return z.StandardDate.wMonth != 0 && z.DaylightDate.wMonth != 0;
}

// Whether a moment counts as daylight time in the year it falls in. isUtc: the moment is UTC, else local clock
// time; a local time in the hour repeated at the end of daylight time, or in the hour skipped at its start,
// counts as daylight time.
bool inDaylight(const TIME_ZONE_INFORMATION &z, qint64 ms, bool isUtc)
{
    const qint64 minute = 60000;
    const int year = QDateTime::fromMSecsSinceEpoch(isUtc ? ms - z.Bias * minute : ms, QTimeZone::utc()).date().year();
    qint64 start = switchOn(z.DaylightDate, year);
    qint64 end = switchOn(z.StandardDate, year);
    if (start == LLONG_MIN || end == LLONG_MIN)
        return false;
    if (isUtc) {
        start += (z.Bias + z.StandardBias) * minute;
        end += (z.Bias + z.DaylightBias) * minute;
    }
    return start < end ? ms >= start && ms < end : ms >= start || ms < end;
}

BOOL convertWithRecord(const TIME_ZONE_INFORMATION &z, const SYSTEMTIME *in, LPSYSTEMTIME out, bool toLocal)
{
    QDate date;
    QTime time;
    if (!out || !systemTimeParts(in, &date, &time)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const qint64 ms = QDateTime(date, time, QTimeZone::utc()).toMSecsSinceEpoch();
    const bool daylight = zoneHasDaylight(z) && inDaylight(z, ms, toLocal);
    const qint64 bias = qint64(z.Bias + (daylight ? z.DaylightBias : z.StandardBias)) * 60000;
    fillSystemTime(QDateTime::fromMSecsSinceEpoch(toLocal ? ms - bias : ms + bias, QTimeZone::utc()), out);
    return TRUE;
}

} // namespace

BOOL WINAPI SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION *lpTimeZoneInformation,
                                            const SYSTEMTIME *lpUniversalTime, LPSYSTEMTIME lpLocalTime)
{
    if (lpTimeZoneInformation)
        return convertWithRecord(*lpTimeZoneInformation, lpUniversalTime, lpLocalTime, true);
    return convertTime(lpUniversalTime, QTimeZone::utc(), machineclock::zone(), lpLocalTime);
}

BOOL WINAPI TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION *lpTimeZoneInformation,
                                            const SYSTEMTIME *lpLocalTime, LPSYSTEMTIME lpUniversalTime)
{
    if (lpTimeZoneInformation)
        return convertWithRecord(*lpTimeZoneInformation, lpLocalTime, lpUniversalTime, false);
    return convertTime(lpLocalTime, machineclock::zone(), QTimeZone::utc(), lpUniversalTime);
}

DWORD WINAPI GetTickCount()
{
    return DWORD(quint64(machineclock::monotonicMs()) & 0xFFFFFFFFu);
}

ULONGLONG WINAPI GetTickCount64()
{
    return ULONGLONG(machineclock::monotonicMs());
}
