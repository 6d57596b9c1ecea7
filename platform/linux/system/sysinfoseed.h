// What a new simulated machine's System Information starts with beyond machine-seed.reg: scheduled tasks as
// task files in Windows\System32\Tasks, and shortcuts in the user's and the all-users Startup folders.
#pragma once

#include <QString>

namespace sysinfoseed {

// Writes the task and shortcut files below the machine's drive C: (root). Called once, when the machine is created.
void createFiles(const QString &root);

} // namespace sysinfoseed
