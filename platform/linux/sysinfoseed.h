// The scheduled tasks a new simulated machine starts with, as task files in its Windows\System32\Tasks
// folder (the startup items and codecs are in machine-seed.reg).
#pragma once

#include <QString>

namespace sysinfoseed {

// Writes the task files below the machine folder root. Called once, when the machine is created.
void createFiles(const QString &root);

} // namespace sysinfoseed
