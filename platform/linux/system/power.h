// Suspend and resume, delivered by tests to the callbacks this process registered.
#pragma once

#include "win32.h"

namespace power {

// Calls every registered suspend/resume callback with the event type (PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC,
// ...) on a thread of its own, as the system does, and waits until they have returned.
void deliverSuspendResume(ULONG type);

} // namespace power
