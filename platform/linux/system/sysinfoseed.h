// What a new simulated machine's System Information starts with beyond machine-seed.reg: scheduled tasks as
// task files in Windows\System32\Tasks, shortcuts in the user's and the all-users Startup folders, and the
// programs, drivers and icon those, the Run values and the codec registrations name.
#pragma once

#include <QString>

namespace sysinfoseed {

// Writes those files below the machine's drive C: (root). Called once, when the machine is created; a file that
// cannot be written is reported as a warning.
void createFiles(const QString &root);

} // namespace sysinfoseed
