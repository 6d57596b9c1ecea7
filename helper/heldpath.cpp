#include "heldpath.h"

bool HeldPath::hold(const WCHAR *base, const WCHAR *folder)
{
    release();
    int start = 0;
    while (base[start]) {
        if (folder[start] != base[start])
            return false;
        ++start;
    }
    WCHAR path[1024];
    int length = 0;
    while (folder[length] && length < 1023) {
        path[length] = folder[length];
        ++length;
    }
    path[length] = 0;
    const bool separated = start > 0 && base[start - 1] == WCHAR('\\');
    if (folder[length] || (folder[start] && folder[start] != WCHAR('\\') && !separated))
        return false;
    // base as it is named, then each folder below it as itself.
    for (int i = start; i <= length; ++i) {
        if (i > start && ((i < length && path[i] != WCHAR('\\')) || path[i - 1] == WCHAR('\\')))
            continue;
        const WCHAR separator = path[i];
        path[i] = 0;
        const DWORD own = count == 0 ? 0 : FILE_FLAG_OPEN_REPARSE_POINT;
        HANDLE h = count < 32 ? CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | own, nullptr)
                              : INVALID_HANDLE_VALUE;
        path[i] = separator;
        if (h == INVALID_HANDLE_VALUE) {
            release();
            return false;
        }
        handles[count++] = h;
        BY_HANDLE_FILE_INFORMATION info = {};
        if (!GetFileInformationByHandle(h, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (own && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
            release();
            return false;
        }
    }
    return true;
}

void HeldPath::release()
{
    while (count > 0)
        CloseHandle(handles[--count]);
}
