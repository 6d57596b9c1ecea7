// Power schemes and the suspend/resume notification as the helper uses them: the active scheme read (and
// set back to itself, as choosing the ticked item of the tray menu does), the notification registered at the
// helper's start and unregistered at its end.
#include "probe.h"

#include <string>

using probe::line;
using probe::status;

namespace {

ULONG CALLBACK onSuspendResume(PVOID, ULONG, PVOID)
{
    return 0;
}

// The outcome of a read of the active scheme, with the scheme's GUID in the registry form the helper compares
// with its three known schemes.
std::string schemeText(DWORD code, GUID *scheme)
{
    std::string out = "status " + std::to_string(static_cast<unsigned long>(code));
    WCHAR text[64] = {};
    if (code == ERROR_SUCCESS && scheme && StringFromGUID2(*scheme, text, 64) > 0)
        out += ' ' + probe::utf8(text);
    return out;
}

} // namespace

int main()
{
    probe::start();

    GUID *active = nullptr;
    const DWORD code = PowerGetActiveScheme(nullptr, &active);
    line("PowerGetActiveScheme", "%s", schemeText(code, active).c_str());
    // Set back to itself, then read again: the same scheme.
    if (code == ERROR_SUCCESS && active) {
        const DWORD set = PowerSetActiveScheme(nullptr, active);
        GUID *after = nullptr;
        const DWORD again = PowerGetActiveScheme(nullptr, &after);
        line("PowerSetActiveScheme.same", "status %lu then %s", static_cast<unsigned long>(set),
             schemeText(again, after).c_str());
        LocalFree(after);
        LocalFree(active);
    } else {
        line("PowerSetActiveScheme.same", "not tried: no active scheme");
    }

    DEVICE_NOTIFY_SUBSCRIBE_PARAMETERS parameters = {onSuspendResume, nullptr};
    HPOWERNOTIFY registration = nullptr;
    status("PowerRegisterSuspendResumeNotification",
           long(PowerRegisterSuspendResumeNotification(DEVICE_NOTIFY_CALLBACK, &parameters, &registration)));
    line("PowerRegisterSuspendResumeNotification.handle", "%s", registration ? "nonzero" : "null");
    if (registration)
        status("PowerUnregisterSuspendResumeNotification",
               long(PowerUnregisterSuspendResumeNotification(registration)));
    return probe::end();
}
