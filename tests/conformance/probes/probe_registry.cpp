// The registry as the product uses it: keys under HKEY_CURRENT_USER, typed values, sizes, enumeration.
#include "probe.h"

using probe::line;
using probe::status;

int main()
{
    probe::start();
    const WCHAR *base = WSTR("Software\\HushdeckProbe\\Registry");
    HKEY key = nullptr;
    DWORD disposition = 0;
    status("RegCreateKeyExW",
           RegCreateKeyExW(HKEY_CURRENT_USER, base, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition));
    line("RegCreateKeyExW.disposition", "%lu", static_cast<unsigned long>(disposition));

    DWORD number = 42;
    status("RegSetValueExW.dword",
           RegSetValueExW(key, WSTR("Number"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number));
    DWORD got = 0, size = sizeof got, type = 0;
    status("RegQueryValueExW.dword",
           RegQueryValueExW(key, WSTR("Number"), nullptr, &type, reinterpret_cast<BYTE *>(&got), &size));
    line("RegQueryValueExW.dword.value", "type %lu size %lu value %lu", static_cast<unsigned long>(type),
         static_cast<unsigned long>(size), static_cast<unsigned long>(got));

    RegCloseKey(key);
    status("RegDeleteKeyW", RegDeleteKeyW(HKEY_CURRENT_USER, base));
    return 0;
}
