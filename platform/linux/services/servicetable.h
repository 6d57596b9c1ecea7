// The run states of the machine's services. Their configuration is the registry's (each service's key under
// HKLM\SYSTEM\CurrentControlSet\Services); whether a service runs, and in which process, is kept in the
// machine's table "services". A service without a row there is stopped.
#pragma once

#include "linux/machine/w32types.h"

#include <QString>

namespace servicetable {

// Called once when a machine is created: the services that a fresh Windows 11 runs.
void seed();
// Run state (SERVICE_RUNNING, SERVICE_STOPPED, ...) and process id (0 when it has none).
DWORD state(const QString &name, DWORD *pid = nullptr);
// A running service gets a simulated host process; any other state has none. False when the store failed.
bool setState(const QString &name, DWORD state);

} // namespace servicetable
