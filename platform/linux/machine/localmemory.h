// What the stand-in's LocalAlloc has handed out and not yet had back, for tests that a module frees what
// it allocates.
#pragma once

#include <QtGlobal>

namespace localmemory {

// Blocks from LocalAlloc of this process not yet passed to LocalFree.
qint64 liveBlocks();

} // namespace localmemory
