// The folders from a base folder down to one below it, held open while a program writes or deletes in them, for
// plain Win32 code. Windows lets no one rename, remove or replace a folder held with read access and without
// sharing deletion, so a path through held folders leads where it was checked to until they are let go.
#pragma once

#include "win32.h"

class HeldPath
{
public:
    HeldPath() = default;
    ~HeldPath() { release(); }
    HeldPath(const HeldPath &) = delete;
    HeldPath &operator=(const HeldPath &) = delete;

    // Holds base as it is named and each folder below it down to folder, each opened as itself (a link is not
    // followed) and checked to be a plain folder; false, holding nothing, when folder does not begin with base
    // or one on the way is a link, no folder, or gone.
    bool hold(const WCHAR *base, const WCHAR *folder);
    void release();

private:
    HANDLE handles[32] = {};
    int count = 0;
};
