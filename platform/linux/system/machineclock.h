// The stand-in's clock. Real runs read the host clock (or, with the machine setting "clock" = an ISO date
// and time, a clock that starts there when the process first asks and then runs at the host's pace).
// Tests stop it at a moment of their choosing and move it by hand (winloop::advance fires the timers
// that fall due on the way).
#pragma once

#include <QDateTime>
#include <QTimeZone>

namespace machineclock {

// Milliseconds since 1970 UTC.
qint64 utcMs();
// A monotonic count of milliseconds for timers and tick counts.
qint64 monotonicMs();
// The machine's time zone: the machine setting "timezone" (an IANA id), else the host's.
QTimeZone zone();

// Test clock: stands still at `utc` until moved.
void setTestClock(const QDateTime &utc);
void moveTestClock(qint64 ms);
bool isTestClock();
void stopTestClock();

} // namespace machineclock
