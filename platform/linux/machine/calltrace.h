// The conformance probes record the Windows functions they call (tests/conformance). A call by name is noted
// where the probe makes it; a function the stand-in hands out through GetProcAddress notes itself here.
#pragma once

namespace calltrace {

// Set by a probe that records its calls; null otherwise.
inline void (*recorder)(const char *name) = nullptr;

inline void note(const char *name)
{
    if (recorder)
        recorder(name);
}

} // namespace calltrace
