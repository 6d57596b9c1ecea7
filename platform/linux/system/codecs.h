// What tests ask of the stand-in's codec enumerations beyond the Windows calls.
#pragma once

namespace codecs {

// Compressor and audio-driver handles opened and not yet closed in this process.
int openHandleCount();

} // namespace codecs
