// Virtual memory over anonymous mappings, and the runtime's 64-bit clock.
#include "win32.h"
#include "linux/machine/machine.h"

#include <QHash>
#include <QMutex>

#include <ctime>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Allocations
{
    QMutex mutex;
    QHash<quintptr, size_t> sizes; // base address -> mapped length, for MEM_RELEASE
};

Allocations &allocations()
{
    static Allocations a;
    return a;
}

// The fault that tests arm: false when this allocation is to fail.
bool allocationAllowed()
{
    const QString left = machine::setting(QStringLiteral("memory.allocations.left"));
    if (left.isEmpty())
        return true;
    bool ok = false;
    const int n = left.toInt(&ok);
    if (!ok)
        return true;
    if (n <= 0)
        return false;
    machine::setSetting(QStringLiteral("memory.allocations.left"), QString::number(n - 1));
    return true;
}

} // namespace

LPVOID WINAPI VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType, DWORD flProtect)
{
    // Only fresh regions are supported: no module reserves first and commits later.
    if (lpAddress || dwSize == 0 || !(flAllocationType & MEM_COMMIT) ||
        (flProtect != PAGE_READWRITE && flProtect != PAGE_READONLY && flProtect != PAGE_NOACCESS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!allocationAllowed()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t length = (size_t(dwSize) + page - 1) / page * page;
    const int prot = flProtect == PAGE_READWRITE  ? (PROT_READ | PROT_WRITE)
                     : flProtect == PAGE_READONLY ? PROT_READ
                                                  : PROT_NONE;
    // A region starts on the allocation granularity (64 KiB), as on Windows: map more, keep the aligned part.
    const size_t granularity = 65536;
    const size_t slack = granularity > page ? granularity - page : 0;
    void *mapped = mmap(nullptr, length + slack, prot, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const quintptr start = reinterpret_cast<quintptr>(mapped);
    const quintptr aligned = (start + granularity - 1) / granularity * granularity;
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (start + length + slack > aligned + length)
        munmap(reinterpret_cast<void *>(aligned + length), start + length + slack - aligned - length);
    void *p = reinterpret_cast<void *>(aligned);
    Allocations &a = allocations();
    QMutexLocker g(&a.mutex);
    a.sizes.insert(reinterpret_cast<quintptr>(p), length);
    return p;
}

BOOL WINAPI VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType)
{
    // MEM_RELEASE frees a whole region by its base address and needs a size of 0.
    if (dwFreeType != MEM_RELEASE || dwSize != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t length = 0;
    {
        Allocations &a = allocations();
        QMutexLocker g(&a.mutex);
        auto it = a.sizes.find(reinterpret_cast<quintptr>(lpAddress));
        if (it == a.sizes.end()) {
            SetLastError(ERROR_INVALID_ADDRESS);
            return FALSE;
        }
        length = *it;
        a.sizes.erase(it);
    }
    munmap(lpAddress, length);
    return TRUE;
}

__time64_t _time64(__time64_t *t)
{
    const __time64_t now = __time64_t(std::time(nullptr));
    if (t)
        *t = now;
    return now;
}
