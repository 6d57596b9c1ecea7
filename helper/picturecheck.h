// Whether a file holds a whole picture of a kind the wallpaper takes (JPEG, PNG, BMP), judged by its
// structure alone: no decoder is needed, so the helper can tell a complete picture from a cut, padded or
// foreign file before it replaces the one it has. A damaged picture whose structure is intact can still pass.
#pragma once

#include <cstddef>

namespace picturecheck {

// JPEG: start-of-image, segments whose lengths stay inside the data, one frame, at least one scan, and the
// end-of-image marker after them (what follows that marker is not looked at). PNG: the signature, IHDR
// first with sound dimensions, every chunk inside the data with its CRC right, at least one IDAT, and
// IEND ending the data. BMP: a known header whose pixel rows fit inside the data.
bool isWholePicture(const unsigned char *data, size_t size);

} // namespace picturecheck
