// The Service Control Manager as the telemetry page uses it: the manager and a service opened with every right,
// the run state, the configuration sized first, the start type changed alone (and put back), and the failures
// the page checks. The service is Windows Update's, which both machines have, stopped and started on demand.
#include "probe.h"

#include <string>
#include <vector>

using probe::line;
using probe::ok;

namespace {

const WCHAR *const service = WSTR("wuauserv");

void handleLine(const char *key, SC_HANDLE handle)
{
    if (handle)
        line(key, "%s", "handle"); // a value: what the call answered
    else
        line(key, "null error %lu", static_cast<unsigned long>(GetLastError()));
}

void probeStatus(SC_HANDLE handle, const char *key)
{
    std::string k(key);
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    ok(key, QueryServiceStatusEx(handle, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status),
                                 sizeof(SERVICE_STATUS_PROCESS), &needed));
    line((k + ".type").c_str(), "0x%lX", static_cast<unsigned long>(status.dwServiceType));
    line((k + ".state").c_str(), "%lu", static_cast<unsigned long>(status.dwCurrentState));
    line((k + ".pid").c_str(), "%s", status.dwProcessId ? "nonzero" : "0");
    line((k + ".controls").c_str(), "0x%lX", static_cast<unsigned long>(status.dwControlsAccepted));
}

// The start type, read the way the page reads it: the size first, then the whole configuration.
void probeConfig(SC_HANDLE handle, const char *key)
{
    std::string k(key);
    DWORD needed = 0;
    ok((k + ".size").c_str(), QueryServiceConfigW(handle, nullptr, 0, &needed));
    line((k + ".needed").c_str(), "%s", needed > sizeof(QUERY_SERVICE_CONFIGW) ? "more than the structure" : "less");
    std::vector<BYTE> buffer(needed + sizeof(QUERY_SERVICE_CONFIGW));
    auto *config = reinterpret_cast<LPQUERY_SERVICE_CONFIGW>(buffer.data());
    DWORD again = 0;
    ok((k + ".short").c_str(), QueryServiceConfigW(handle, config, needed - 1, &again));
    line((k + ".short.needed").c_str(), "%s", again == needed ? "same" : "other");
    ok(key, QueryServiceConfigW(handle, config, needed, &needed));
    line((k + ".type").c_str(), "0x%lX", static_cast<unsigned long>(config->dwServiceType));
    line((k + ".start").c_str(), "%lu", static_cast<unsigned long>(config->dwStartType));
    line((k + ".error").c_str(), "%lu", static_cast<unsigned long>(config->dwErrorControl));
    probe::text((k + ".account").c_str(), config->lpServiceStartName);
    line((k + ".dependencies").c_str(), "%s", config->lpDependencies && !*config->lpDependencies ? "none" : "some");
}

void changeStart(SC_HANDLE handle, DWORD start, const char *key)
{
    ok(key, ChangeServiceConfigW(handle, SERVICE_NO_CHANGE, start, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr));
}

} // namespace

int main()
{
    probe::start();
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    handleLine("OpenSCManagerW", manager);
    SC_HANDLE active = OpenSCManagerW(nullptr, WSTR("ServicesActive"), SC_MANAGER_CONNECT);
    handleLine("OpenSCManagerW.active", active);
    ok("CloseServiceHandle.active", CloseServiceHandle(active));

    handleLine("OpenServiceW.missing", OpenServiceW(manager, WSTR("HushdeckNoSuchService"), SERVICE_ALL_ACCESS));
    handleLine("OpenServiceW.no manager", OpenServiceW(nullptr, service, SERVICE_ALL_ACCESS));
    SC_HANDLE upper = OpenServiceW(manager, WSTR("WUAUSERV"), SERVICE_QUERY_CONFIG);
    handleLine("OpenServiceW.other case", upper);

    SC_HANDLE handle = OpenServiceW(manager, service, SERVICE_ALL_ACCESS);
    handleLine("OpenServiceW", handle);
    probeStatus(handle, "QueryServiceStatusEx");
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    ok("QueryServiceStatusEx.short",
       QueryServiceStatusEx(handle, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof status - 1,
                            &needed));
    line("QueryServiceStatusEx.short.needed", "%lu", static_cast<unsigned long>(needed));
    ok("QueryServiceStatusEx.without right",
       QueryServiceStatusEx(upper, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof status, &needed));
    probeConfig(handle, "QueryServiceConfigW");

    // The start type alone changes, and is put back.
    changeStart(handle, SERVICE_DISABLED, "ChangeServiceConfigW.disabled");
    probeConfig(handle, "QueryServiceConfigW.disabled");
    changeStart(handle, SERVICE_AUTO_START, "ChangeServiceConfigW.auto");
    probeConfig(handle, "QueryServiceConfigW.auto");
    changeStart(handle, SERVICE_DEMAND_START, "ChangeServiceConfigW.demand");
    changeStart(handle, 7, "ChangeServiceConfigW.invalid");
    changeStart(upper, SERVICE_DISABLED, "ChangeServiceConfigW.without right");
    changeStart(manager, SERVICE_DISABLED, "ChangeServiceConfigW.manager");
    probeConfig(handle, "QueryServiceConfigW.restored");

    ok("CloseServiceHandle.service", CloseServiceHandle(handle));
    ok("CloseServiceHandle.upper", CloseServiceHandle(upper));
    ok("CloseServiceHandle.manager", CloseServiceHandle(manager));
    ok("CloseServiceHandle.null", CloseServiceHandle(nullptr));
    return probe::end();
}
