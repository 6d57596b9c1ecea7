// The usage traces a new simulated machine starts with: recent items, log files, error reports, network
// usage data and temporary files in the machine's Windows folders, so that the Track Cleaner finds something
// real on a fresh machine. The registry's traces are in machine-seed.reg.
#pragma once

#include <QString>

namespace traceseed {

// Creates the trace files below the machine's drive C: (root). Called once, when the machine is created.
void createFiles(const QString &root);

} // namespace traceseed
