// GUID text both ways, the memory the product allocates and frees (local, virtual, COM task memory, BSTR and
// VARIANT), and the thread's last error.
#include "probe.h"

#include <cstring>

using probe::hresult;
using probe::line;

namespace {

// {0C1DE2F3-4567-89AB-CDEF-0123456789AB}
const GUID sample = {0x0C1DE2F3, 0x4567, 0x89AB, {0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB}};

void guids()
{
    WCHAR text[64];
    const int n = StringFromGUID2(sample, text, 64);
    line("StringFromGUID2", "%d \"%s\"", n, probe::utf8(text).c_str());
    line("StringFromGUID2.exact", "%d", StringFromGUID2(sample, text, 39));
    line("StringFromGUID2.small", "%d", StringFromGUID2(sample, text, 38));

    LPOLESTR allocated = nullptr;
    hresult("StringFromCLSID", StringFromCLSID(sample, &allocated));
    probe::text("StringFromCLSID.text", allocated);
    CoTaskMemFree(allocated);
    CoTaskMemFree(nullptr);

    const struct
    {
        const char *key;
        const WCHAR *text;
    } cases[] = {
        {"CLSIDFromString.upper", WSTR("{0C1DE2F3-4567-89AB-CDEF-0123456789AB}")},
        {"CLSIDFromString.lower", WSTR("{0c1de2f3-4567-89ab-cdef-0123456789ab}")},
        {"CLSIDFromString.nobraces", WSTR("0C1DE2F3-4567-89AB-CDEF-0123456789AB")},
        {"CLSIDFromString.short", WSTR("{0C1DE2F3-4567-89AB-CDEF-0123456789A}")},
        {"CLSIDFromString.badhex", WSTR("{0C1DE2F3-4567-89AB-CDEF-0123456789AG}")},
        {"CLSIDFromString.unregisteredprogid", WSTR("Hushdeck.NoSuchClass")},
        {"CLSIDFromString.empty", WSTR("")},
    };
    for (const auto &c : cases) {
        GUID guid = {};
        const HRESULT hr = CLSIDFromString(c.text, &guid);
        // What the GUID holds after a failure is not defined: only a success shows it.
        WCHAR back[64] = {};
        StringFromGUID2(guid, back, 64);
        line(c.key, "hr 0x%08lX %s", static_cast<unsigned long>(static_cast<DWORD>(hr)),
             SUCCEEDED(hr) ? probe::utf8(back).c_str() : "");
    }
}

bool allZero(const BYTE *p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

void localMemory()
{
    auto *block = static_cast<BYTE *>(LocalAlloc(LMEM_FIXED, 300));
    line("LocalAlloc.fixed", "%s", block ? "block" : "null");
    if (block)
        std::memset(block, 0x5A, 300); // the whole size is usable
    line("LocalFree", "%s", LocalFree(block) == nullptr ? "null" : "returned");
    auto *zeroed = static_cast<BYTE *>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, 4096));
    line("LocalAlloc.zeroinit", "%s", zeroed && allZero(zeroed, 4096) ? "zeroed" : "not zeroed");
    LocalFree(zeroed);
    line("LocalFree.null", "%s", LocalFree(nullptr) == nullptr ? "null" : "returned");
}

void virtualMemory()
{
    const SIZE_T size = 3 * 65536 + 100; // the shredder's pattern buffer is not a whole number of pages
    auto *p = static_cast<BYTE *>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    line("VirtualAlloc", "%s", p ? "block" : "null");
    if (!p)
        return;
    line("VirtualAlloc.aligned", "%s", reinterpret_cast<ULONG_PTR>(p) % 65536 == 0 ? "64k" : "other");
    line("VirtualAlloc.zeroed", "%s", allZero(p, size) ? "yes" : "no");
    std::memset(p, 0xFF, size);
    SetLastError(0);
    probe::ok("VirtualFree.releasewithsize", VirtualFree(p, size, MEM_RELEASE));
    SetLastError(0);
    probe::ok("VirtualFree.middle", VirtualFree(p + 4096, 0, MEM_RELEASE));
    probe::ok("VirtualFree.release", VirtualFree(p, 0, MEM_RELEASE));
    SetLastError(0);
    const void *none = VirtualAlloc(nullptr, 0, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    probe::result("VirtualAlloc.zerosize", none ? 1 : 0, none == nullptr);
}

void strings()
{
    BSTR text = SysAllocString(WSTR("\\"));
    line("SysAllocString", "%s", text ? probe::utf8(text).c_str() : "(null)");
    if (text) {
        DWORD prefix = 0;
        std::memcpy(&prefix, reinterpret_cast<const BYTE *>(text) - sizeof(DWORD), sizeof prefix);
        line("SysAllocString.lengthprefix", "%lu", static_cast<unsigned long>(prefix));
    }
    SysFreeString(text);
    BSTR empty = SysAllocString(WSTR(""));
    line("SysAllocString.empty", "%s", empty ? (empty[0] == 0 ? "empty text" : "text") : "null");
    SysFreeString(empty);
    line("SysAllocString.null", "%s", SysAllocString(nullptr) ? "text" : "null");
    SysFreeString(nullptr);

    VARIANT v;
    std::memset(&v, 0xCC, sizeof v);
    VariantInit(&v);
    line("VariantInit.vt", "%u", V_VT(&v));
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(WSTR("{00000000-0000-0000-0000-000000000000}"));
    hresult("VariantClear.bstr", VariantClear(&v));
    line("VariantClear.bstr.vt", "%u", V_VT(&v));
    hresult("VariantClear.empty", VariantClear(&v));
    V_VT(&v) = VT_I4;
    V_I4(&v) = 7;
    hresult("VariantClear.i4", VariantClear(&v));
    line("VariantClear.i4.vt", "%u", V_VT(&v));
}

void lastError()
{
    SetLastError(1234);
    line("GetLastError.SetLastError", "%lu", static_cast<unsigned long>(GetLastError()));
    SetLastError(0);
    line("GetLastError.cleared", "%lu", static_cast<unsigned long>(GetLastError()));
    // A failing call sets it; the value it set stays until the next call that sets it.
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\HushdeckProbe\\Missing"), 0, KEY_READ, &key);
    WCHAR buffer[4];
    SetLastError(0);
    GetLocaleInfoW(0x0409, 0xFFFF, buffer, 4);
    line("GetLastError.afterfailure", "%lu", static_cast<unsigned long>(GetLastError()));
}

} // namespace

int main()
{
    probe::start();
    guids();
    localMemory();
    virtualMemory();
    strings();
    lastError();
    return probe::end();
}
