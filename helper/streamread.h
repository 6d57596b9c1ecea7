// Reading the start of a URL-moniker stream: a network stream may hand out less than asked for at a time.
#pragma once

#include "win32.h"

// Reads up to `capacity` bytes into `buffer`, as many calls as it takes; returns the count read.
ULONG readStreamStart(IStream *stream, char *buffer, ULONG capacity);
