#include "streamread.h"

ULONG readStreamStart(IStream *stream, char *buffer, ULONG capacity)
{
    ULONG total = 0;
    while (total < capacity) {
        ULONG got = 0;
        const HRESULT hr = stream->Read(buffer + total, capacity - total, &got);
        if (FAILED(hr) || got == 0)
            break;
        total += got;
        if (hr == S_FALSE)
            break;
    }
    return total;
}
