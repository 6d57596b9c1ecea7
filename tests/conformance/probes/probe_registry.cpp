// The registry as the product uses it: keys created and opened with the product's rights, typed values, the
// sizes RegGetValueW and RegQueryValueExW report (ERROR_MORE_DATA, strings without a terminator), the type
// filters and REG_EXPAND_SZ expansion, the default value, enumeration order, deleting keys with sub-keys, the
// 32-bit view of HKLM\SOFTWARE and HKLM writes.
#include "probe.h"

#include <algorithm>
#include <cstring>
#include <vector>

using probe::line;
using probe::status;

namespace {

const WCHAR *const base = WSTR("Software\\HushdeckProbe\\Registry");

void setValue(HKEY key, const WCHAR *name, DWORD type, const void *data, DWORD size)
{
    const LONG rc = RegSetValueExW(key, name, 0, type, static_cast<const BYTE *>(data), size);
    if (rc != ERROR_SUCCESS)
        line("setup", "RegSetValueExW %s failed %ld", probe::utf8(name).c_str(), static_cast<long>(rc));
}

// What a read delivered: the status, the type and size reported, and the data as text or number.
void showData(const char *key, LONG rc, DWORD type, const BYTE *data, DWORD size, bool delivered)
{
    char k[160];
    snprintf(k, sizeof k, "%s", key);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) {
        status(k, rc);
        return;
    }
    if (!delivered || rc != ERROR_SUCCESS) {
        line(k, "status %ld type %lu size %lu", static_cast<long>(rc), static_cast<unsigned long>(type),
             static_cast<unsigned long>(size));
        return;
    }
    std::string shown;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        // Every code unit, NULs shown as "|", so a missing or extra terminator is seen.
        const WCHAR *w = reinterpret_cast<const WCHAR *>(data);
        for (DWORD i = 0; i < size / 2; ++i)
            shown += w[i] ? probe::utf8(w + i, 1) : std::string("|");
    } else {
        for (DWORD i = 0; i < size; ++i) {
            char hex[4];
            snprintf(hex, sizeof hex, "%02X", data[i]);
            shown += hex;
        }
    }
    line(k, "status 0 type %lu size %lu data \"%s\"", static_cast<unsigned long>(type),
         static_cast<unsigned long>(size), shown.c_str());
}

// RegGetValueW with a filter, into a buffer of `capacity` bytes (0: size query with no buffer).
void getValue(const char *key, const WCHAR *sub, const WCHAR *name, DWORD flags, DWORD capacity)
{
    BYTE buffer[512];
    std::memset(buffer, 0xCC, sizeof buffer);
    DWORD type = 0xFFFF, size = capacity;
    const LONG rc = RegGetValueW(HKEY_CURRENT_USER, sub, name, flags, &type, capacity ? buffer : nullptr, &size);
    showData(key, rc, type, buffer, size, capacity != 0);
}

void queryValue(const char *key, HKEY hkey, const WCHAR *name, DWORD capacity, bool withBuffer = true)
{
    BYTE buffer[512];
    std::memset(buffer, 0xCC, sizeof buffer);
    DWORD type = 0xFFFF, size = capacity;
    const LONG rc = RegQueryValueExW(hkey, name, nullptr, &type, withBuffer ? buffer : nullptr, &size);
    showData(key, rc, type, buffer, size, withBuffer);
}

void enumerateKeys(const char *key, HKEY hkey)
{
    std::string names;
    LONG rc = ERROR_SUCCESS;
    for (DWORD index = 0; rc == ERROR_SUCCESS; ++index) {
        WCHAR name[MAX_PATH];
        DWORD length = MAX_PATH;
        rc = RegEnumKeyExW(hkey, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_SUCCESS)
            names += probe::utf8(name, static_cast<long>(length)) + ",";
    }
    line(key, "%s end %ld", names.c_str(), static_cast<long>(rc));
}

// Values are listed in no documented order: each must come exactly once, so the probe sorts what it got.
void enumerateValues(const char *key, HKEY hkey)
{
    std::vector<std::string> entries;
    LONG rc = ERROR_SUCCESS;
    for (DWORD index = 0; rc == ERROR_SUCCESS; ++index) {
        WCHAR name[1024];
        DWORD length = 1024;
        DWORD type = 0;
        rc = RegEnumValueW(hkey, index, name, &length, nullptr, &type, nullptr, nullptr);
        if (rc == ERROR_SUCCESS)
            entries.push_back("[" + probe::utf8(name, static_cast<long>(length)) + "]" + std::to_string(type));
    }
    std::sort(entries.begin(), entries.end());
    std::string names;
    for (const std::string &e : entries)
        names += e + ",";
    line(key, "%s end %ld", names.c_str(), static_cast<long>(rc));
}

void typedValues(HKEY key)
{
    const WCHAR terminated[] = WSTR("text");
    setValue(key, WSTR("Text"), REG_SZ, terminated, sizeof terminated);
    setValue(key, WSTR("Unterminated"), REG_SZ, terminated, 8);
    setValue(key, WSTR("OddSize"), REG_SZ, terminated, 7);
    // Counted without a terminator, and none follows in memory either: stored unterminated.
    const WCHAR bare[] = WSTR("textX");
    setValue(key, WSTR("Bare"), REG_SZ, bare, 8);
    setValue(key, WSTR("EmptyText"), REG_SZ, WSTR(""), 2);
    setValue(key, WSTR("NoData"), REG_SZ, nullptr, 0);
    const WCHAR expandable[] = WSTR("%HUSHDECK_PROBE_UNSET%\\x;%SystemDrive%");
    setValue(key, WSTR("Expand"), REG_EXPAND_SZ, expandable, sizeof expandable);
    const WCHAR multi[] = WSTR("one\0two\0");
    setValue(key, WSTR("Multi"), REG_MULTI_SZ, multi, sizeof multi);
    const DWORD number = 0x01020304;
    setValue(key, WSTR("Number"), REG_DWORD, &number, sizeof number);
    const ULONGLONG big = 0x0102030405060708ULL;
    setValue(key, WSTR("Big"), REG_QWORD, &big, sizeof big);
    const BYTE four[] = {1, 2, 3, 4};
    setValue(key, WSTR("Four"), REG_BINARY, four, sizeof four);
    const BYTE three[] = {9, 8, 7};
    setValue(key, WSTR("Three"), REG_BINARY, three, sizeof three);
    setValue(key, WSTR("ShortNumber"), REG_DWORD, three, sizeof three);
    const WCHAR fallback[] = WSTR("default");
    setValue(key, nullptr, REG_SZ, fallback, sizeof fallback);
}

void typeFilters()
{
    struct Case
    {
        const char *key;
        const WCHAR *name;
        DWORD flags;
        DWORD capacity;
    };
    const Case cases[] = {
        {"RegGetValueW.sz.text", WSTR("Text"), RRF_RT_REG_SZ, 512},
        {"RegGetValueW.sz.unterminated", WSTR("Unterminated"), RRF_RT_REG_SZ, 512},
        {"RegGetValueW.sz.unterminated.size", WSTR("Unterminated"), RRF_RT_REG_SZ, 0},
        {"RegGetValueW.sz.unterminated.exact", WSTR("Unterminated"), RRF_RT_REG_SZ, 8},
        {"RegGetValueW.sz.oddsize", WSTR("OddSize"), RRF_RT_REG_SZ, 512},
        {"RegGetValueW.sz.bare", WSTR("Bare"), RRF_RT_REG_SZ, 512},
        {"RegGetValueW.sz.empty", WSTR("EmptyText"), RRF_RT_REG_SZ, 512},
        {"RegGetValueW.sz.nodata", WSTR("NoData"), RRF_RT_REG_SZ, 512},
        {"RegGetValueW.sz.size", WSTR("Text"), RRF_RT_REG_SZ, 0},
        {"RegGetValueW.sz.small", WSTR("Text"), RRF_RT_REG_SZ, 4},
        {"RegGetValueW.sz.exact", WSTR("Text"), RRF_RT_REG_SZ, 10},
        {"RegGetValueW.sz.ondword", WSTR("Number"), RRF_RT_REG_SZ, 512},
        {"RegGetValueW.sz.onmulti", WSTR("Multi"), RRF_RT_REG_SZ, 512},
        {"RegGetValueW.sz.onexpand", WSTR("Expand"), RRF_RT_REG_SZ, 512},
        {"RegGetValueW.expand.noexpand", WSTR("Expand"), RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, 512},
        {"RegGetValueW.expand.withoutnoexpand", WSTR("Expand"), RRF_RT_REG_EXPAND_SZ, 512},
        {"RegGetValueW.expand.sznoexpand", WSTR("Expand"), RRF_RT_REG_SZ | RRF_NOEXPAND, 512},
        {"RegGetValueW.any.expand", WSTR("Expand"), RRF_RT_ANY, 512},
        {"RegGetValueW.any.expand.noexpand", WSTR("Expand"), RRF_RT_ANY | RRF_NOEXPAND, 512},
        {"RegGetValueW.multi", WSTR("Multi"), RRF_RT_REG_MULTI_SZ, 512},
        {"RegGetValueW.dword", WSTR("Number"), RRF_RT_REG_DWORD, 4},
        {"RegGetValueW.dword.size", WSTR("Number"), RRF_RT_REG_DWORD, 0},
        {"RegGetValueW.dword.small", WSTR("Number"), RRF_RT_REG_DWORD, 2},
        {"RegGetValueW.dword.ontext", WSTR("Text"), RRF_RT_REG_DWORD, 4},
        {"RegGetValueW.dword.onbinary4", WSTR("Four"), RRF_RT_REG_DWORD, 4},
        {"RegGetValueW.dword.onqword", WSTR("Big"), RRF_RT_REG_DWORD, 4},
        {"RegGetValueW.dword.short", WSTR("ShortNumber"), RRF_RT_REG_DWORD, 4},
        {"RegGetValueW.rtdword.binary4", WSTR("Four"), RRF_RT_DWORD, 4},
        {"RegGetValueW.rtdword.binary3", WSTR("Three"), RRF_RT_DWORD, 4},
        {"RegGetValueW.rtdword.short", WSTR("ShortNumber"), RRF_RT_DWORD, 4},
        {"RegGetValueW.rtqword.binary4", WSTR("Four"), RRF_RT_QWORD, 8},
        {"RegGetValueW.rtqword.qword", WSTR("Big"), RRF_RT_QWORD, 8},
        {"RegGetValueW.qword", WSTR("Big"), RRF_RT_REG_QWORD, 8},
        {"RegGetValueW.binary", WSTR("Three"), RRF_RT_REG_BINARY, 512},
        {"RegGetValueW.missing", WSTR("Missing"), RRF_RT_ANY, 512},
        {"RegGetValueW.default.null", nullptr, RRF_RT_REG_SZ, 512},
        {"RegGetValueW.default.empty", WSTR(""), RRF_RT_REG_SZ, 512},
    };
    for (const Case &c : cases)
        getValue(c.key, base, c.name, c.flags, c.capacity);
    getValue("RegGetValueW.missingkey", WSTR("Software\\HushdeckProbe\\Registry\\Missing"), WSTR("Text"), RRF_RT_REG_SZ,
             512);
}

// The product's two-step string read: the size first, then a buffer of that many bytes plus one character.
void twoStepRead(const char *key, const WCHAR *name)
{
    DWORD bytes = 0;
    LONG rc = RegGetValueW(HKEY_CURRENT_USER, base, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
    if (rc != ERROR_SUCCESS) {
        status(key, rc);
        return;
    }
    WCHAR buffer[256];
    DWORD capacity = (bytes / 2 + 1) * 2;
    rc = RegGetValueW(HKEY_CURRENT_USER, base, name, RRF_RT_REG_SZ, nullptr, buffer, &capacity);
    line(key, "status %ld asked %lu got %lu text \"%s\"", static_cast<long>(rc), static_cast<unsigned long>(bytes),
         static_cast<unsigned long>(capacity), rc == ERROR_SUCCESS ? probe::utf8(buffer).c_str() : "");
}

void queries(HKEY key)
{
    queryValue("RegQueryValueExW.text", key, WSTR("Text"), 512);
    queryValue("RegQueryValueExW.unterminated", key, WSTR("Unterminated"), 512);
    queryValue("RegQueryValueExW.bare", key, WSTR("Bare"), 512);
    queryValue("RegQueryValueExW.expand", key, WSTR("Expand"), 512);
    queryValue("RegQueryValueExW.small", key, WSTR("Text"), 4);
    queryValue("RegQueryValueExW.size", key, WSTR("Text"), 0, false);
    queryValue("RegQueryValueExW.binary1024", key, WSTR("Three"), 512);
    queryValue("RegQueryValueExW.default", key, nullptr, 512);
    queryValue("RegQueryValueExW.missing", key, WSTR("Missing"), 512);
    status("RegQueryValueExW.exists.nulls", RegQueryValueExW(key, WSTR("Text"), nullptr, nullptr, nullptr, nullptr));
    status("RegQueryValueExW.missing.nulls",
           RegQueryValueExW(key, WSTR("Missing"), nullptr, nullptr, nullptr, nullptr));
    status("RegQueryValueExW.casefold", RegQueryValueExW(key, WSTR("tEXT"), nullptr, nullptr, nullptr, nullptr));
}

void enumeration(HKEY key)
{
    // Sub-keys and values made in an order that is neither sorted nor reversed.
    const WCHAR *const children[] = {WSTR("b"), WSTR("Delta"), WSTR("A"), WSTR("c"), WSTR("B2"), WSTR("a1")};
    for (const WCHAR *child : children) {
        HKEY sub = nullptr;
        if (RegCreateKeyExW(key, child, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &sub, nullptr) ==
            ERROR_SUCCESS)
            RegCloseKey(sub);
    }
    HKEY list = nullptr;
    status("RegOpenKeyExW.enumerate", RegOpenKeyExW(HKEY_CURRENT_USER, base, 0, KEY_READ, &list));
    enumerateKeys("RegEnumKeyExW.order", list);
    WCHAR name[8];
    DWORD length = 1;
    status("RegEnumKeyExW.small", RegEnumKeyExW(list, 1, name, &length, nullptr, nullptr, nullptr, nullptr));
    line("RegEnumKeyExW.small.length", "%lu", static_cast<unsigned long>(length));
    length = 5;
    status("RegEnumKeyExW.exact", RegEnumKeyExW(list, 3, name, &length, nullptr, nullptr, nullptr, nullptr));
    line("RegEnumKeyExW.exact.length", "%lu", static_cast<unsigned long>(length));
    enumerateValues("RegEnumValueW.all", list);
    RegCloseKey(list);

    // Buffers too small for a value's name or data, on a key with one value.
    HKEY single = nullptr;
    RegCreateKeyExW(key, WSTR("A"), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &single, nullptr);
    const WCHAR text[] = WSTR("abcdef");
    setValue(single, WSTR("Named"), REG_SZ, text, sizeof text);
    length = 5;
    status("RegEnumValueW.small", RegEnumValueW(single, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    length = 6;
    status("RegEnumValueW.exact", RegEnumValueW(single, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    line("RegEnumValueW.exact.length", "%lu", static_cast<unsigned long>(length));
    DWORD bytes = 2, type = 0;
    BYTE data[2];
    length = 8;
    const LONG rc = RegEnumValueW(single, 0, name, &length, nullptr, &type, data, &bytes);
    line("RegEnumValueW.smalldata", "status %ld type %lu bytes %lu", static_cast<long>(rc),
         static_cast<unsigned long>(type), static_cast<unsigned long>(bytes));
    status("RegEnumValueW.end", RegEnumValueW(single, 1, name, &length, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(single);

    // A value that is deleted and set again goes where a new value goes.
    const DWORD zero = 0;
    status("RegDeleteValueW", RegDeleteValueW(key, WSTR("Text")));
    status("RegDeleteValueW.missing", RegDeleteValueW(key, WSTR("Text")));
    setValue(key, WSTR("Text"), REG_DWORD, &zero, sizeof zero);
    status("RegDeleteValueW.default", RegDeleteValueW(key, nullptr));
    enumerateValues("RegEnumValueW.afterdelete", key);
}

void deletion(HKEY key)
{
    HKEY deep = nullptr;
    status("RegCreateKeyExW.deep", RegCreateKeyExW(key, WSTR("b\\inner\\most"), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                   KEY_WRITE, nullptr, &deep, nullptr));
    RegCloseKey(deep);
    status("RegDeleteKeyW.withsubkeys", RegDeleteKeyW(key, WSTR("b")));
    status("RegDeleteKeyW.missing", RegDeleteKeyW(key, WSTR("Missing")));
    status("RegDeleteKeyW.path", RegDeleteKeyW(key, WSTR("b\\inner\\most")));
    status("RegDeleteKeyW.casefold", RegDeleteKeyW(key, WSTR("B\\INNER")));

    // The product's loop: open for writing, take sub-key 0 and delete it until none is left.
    HKEY parent = nullptr;
    status("RegOpenKeyExW.write",
           RegOpenKeyExW(HKEY_CURRENT_USER, base, 0, KEY_ENUMERATE_SUB_KEYS | KEY_WRITE, &parent));
    std::string deleted;
    LONG rc = ERROR_SUCCESS;
    for (int guard = 0; guard < 20; ++guard) {
        WCHAR name[MAX_PATH + 1];
        DWORD length = MAX_PATH + 1;
        rc = RegEnumKeyExW(parent, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS)
            break;
        rc = RegDeleteKeyW(parent, name);
        if (rc != ERROR_SUCCESS)
            break;
        deleted += probe::utf8(name, static_cast<long>(length)) + ",";
    }
    line("RegDeleteKeyW.loop", "%s end %ld", deleted.c_str(), static_cast<long>(rc));
    RegCloseKey(parent);

    // A handle to a key deleted under it.
    HKEY child = nullptr;
    RegCreateKeyExW(key, WSTR("Gone"), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &child, nullptr);
    status("RegDeleteKeyW.open", RegDeleteKeyW(key, WSTR("Gone")));
    DWORD one = 1;
    status("RegSetValueExW.deletedkey",
           RegSetValueExW(child, WSTR("x"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&one), sizeof one));
    status("RegQueryValueExW.deletedkey", RegQueryValueExW(child, WSTR("x"), nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(child);
}

// HKLM as the product writes it (an elevated process), and its 32-bit view of SOFTWARE.
void machineHive()
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    status("HKLM.RegCreateKeyExW",
           RegCreateKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\HushdeckProbe\\Registry"), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, &disposition));
    line("HKLM.RegCreateKeyExW.disposition", "%lu", static_cast<unsigned long>(disposition));
    const WCHAR text[] = WSTR("machine");
    status("HKLM.RegSetValueExW",
           RegSetValueExW(key, WSTR("Text"), 0, REG_SZ, reinterpret_cast<const BYTE *>(text), sizeof text));
    RegCloseKey(key);
    BYTE buffer[64];
    DWORD size = sizeof buffer, type = 0;
    LONG rc = RegGetValueW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\HushdeckProbe\\Registry"), WSTR("Text"), RRF_RT_REG_SZ,
                           &type, buffer, &size);
    showData("HKLM.RegGetValueW", rc, type, buffer, size, true);

    status("HKLM.RegCreateKeyExW.view32",
           RegCreateKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\HushdeckProbe\\Registry32"), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr));
    RegCloseKey(key);
    rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\WOW6432Node\\HushdeckProbe\\Registry32"), 0, KEY_READ, &key);
    status("HKLM.view32.underWOW6432Node", rc);
    if (rc == ERROR_SUCCESS)
        RegCloseKey(key);
    status("HKLM.view32.notin64",
           RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\HushdeckProbe\\Registry32"), 0, KEY_READ, &key));
    rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\HushdeckProbe\\Registry32"), 0, KEY_READ | KEY_WOW64_32KEY,
                       &key);
    status("HKLM.view32.open", rc);
    if (rc == ERROR_SUCCESS)
        RegCloseKey(key);
    status("HKLM.view32.64key", RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\HushdeckProbe\\Registry"), 0,
                                              KEY_READ | KEY_WOW64_64KEY, &key));
    RegCloseKey(key);

    HKEY probeKey = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\WOW6432Node\\HushdeckProbe"), 0, KEY_ALL_ACCESS, &probeKey);
    status("HKLM.cleanup.view32", RegDeleteKeyW(probeKey, WSTR("Registry32")));
    RegCloseKey(probeKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\WOW6432Node\\HushdeckProbe"));
    status("HKLM.cleanup", RegDeleteKeyW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\HushdeckProbe\\Registry")));
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, WSTR("SOFTWARE\\HushdeckProbe"));
}

// HKEY_CURRENT_USER\Software is one key in both views: a value written through the 32-bit view is read through
// the 64-bit one and the plain one, and no Wow6432Node key holds it.
void userHiveViews()
{
    HKEY key = nullptr;
    status("HKCU.view32.RegCreateKeyExW",
           RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("Software\\HushdeckProbe\\Registry32"), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr));
    const DWORD seven = 7;
    status("HKCU.view32.RegSetValueExW",
           RegSetValueExW(key, WSTR("Seven"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&seven), sizeof seven));
    RegCloseKey(key);
    const struct
    {
        const char *key;
        const WCHAR *path;
        REGSAM view;
    } reads[] = {{"HKCU.view32.read64", WSTR("Software\\HushdeckProbe\\Registry32"), KEY_WOW64_64KEY},
                 {"HKCU.view32.readplain", WSTR("Software\\HushdeckProbe\\Registry32"), 0},
                 {"HKCU.view32.read32", WSTR("Software\\HushdeckProbe\\Registry32"), KEY_WOW64_32KEY},
                 {"HKCU.view32.underWow6432Node", WSTR("Software\\Wow6432Node\\HushdeckProbe\\Registry32"), 0}};
    for (const auto &r : reads) {
        DWORD value = 0, size = sizeof value, type = 0;
        HKEY read = nullptr;
        LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, r.path, 0, KEY_READ | r.view, &read);
        if (rc == ERROR_SUCCESS) {
            rc = RegQueryValueExW(read, WSTR("Seven"), nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
            RegCloseKey(read);
        }
        line(r.key, "status %ld type %lu value %lu", rc, static_cast<unsigned long>(type),
             static_cast<unsigned long>(value));
    }
    status("HKCU.view32.cleanup", RegDeleteKeyW(HKEY_CURRENT_USER, WSTR("Software\\HushdeckProbe\\Registry32")));
}

// The default value of HKEY_CLASSES_ROOT\CLSID\<class>\InprocServer32, as the system information page reads
// it: "status N" and the value's last path part, lower-cased.
void readServer(const char *key, const WCHAR *clsid)
{
    const std::basic_string<WCHAR> path = std::basic_string<WCHAR>(WSTR("CLSID\\")) + clsid + WSTR("\\InprocServer32");
    HKEY server = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &server);
    WCHAR value[512] = {};
    DWORD size = sizeof value - sizeof(WCHAR);
    if (rc == ERROR_SUCCESS) {
        rc = RegQueryValueExW(server, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size);
        RegCloseKey(server);
    }
    std::string file = rc == ERROR_SUCCESS ? probe::utf8(value) : std::string();
    file = file.substr(file.find_last_of("\\/") == std::string::npos ? 0 : file.find_last_of("\\/") + 1);
    for (char &c : file)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    line(key, "status %ld \"%s\"", static_cast<long>(rc), file.c_str());
}

// HKEY_CLASSES_ROOT is the merged view of the user's classes (HKCU\Software\Classes) over the machine's
// (HKLM\Software\Classes): a class of either is seen, and the user's wins where both have it.
void classesRoot()
{
    const WCHAR *userOnly = WSTR("{6B1F3A52-0D0E-4C8A-9C55-5E0A6D1A0001}");
    const WCHAR *both = WSTR("{6B1F3A52-0D0E-4C8A-9C55-5E0A6D1A0002}");
    const WCHAR *machineOnly = WSTR("{6B1F3A52-0D0E-4C8A-9C55-5E0A6D1A0003}");
    const struct
    {
        HKEY root;
        const WCHAR *clsid;
        const WCHAR *file;
    } classes[] = {{HKEY_CURRENT_USER, userOnly, WSTR("C:\\Probe\\User.dll")},
                   {HKEY_CURRENT_USER, both, WSTR("C:\\Probe\\UserWins.dll")},
                   {HKEY_LOCAL_MACHINE, both, WSTR("C:\\Probe\\MachineLoses.dll")},
                   {HKEY_LOCAL_MACHINE, machineOnly, WSTR("C:\\Probe\\Machine.dll")}};
    bool written = true;
    for (const auto &c : classes) {
        const std::basic_string<WCHAR> path =
            std::basic_string<WCHAR>(WSTR("Software\\Classes\\CLSID\\")) + c.clsid + WSTR("\\InprocServer32");
        HKEY k = nullptr;
        written = written && RegCreateKeyExW(c.root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                             nullptr, &k, nullptr) == ERROR_SUCCESS;
        if (k) {
            DWORD n = 0;
            while (c.file[n])
                ++n;
            written = written && RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(c.file),
                                                (n + 1) * sizeof(WCHAR)) == ERROR_SUCCESS;
            RegCloseKey(k);
        }
    }
    line("HKEY_CLASSES_ROOT.setup", "%s", written ? "ok" : "failed");
    readServer("HKEY_CLASSES_ROOT.userClass", userOnly);
    readServer("HKEY_CLASSES_ROOT.bothClass", both);
    readServer("HKEY_CLASSES_ROOT.machineClass", machineOnly);
    readServer("HKEY_CLASSES_ROOT.missingClass", WSTR("{6B1F3A52-0D0E-4C8A-9C55-5E0A6D1A00FF}"));
    for (const auto &c : classes) {
        const std::basic_string<WCHAR> clsidKey =
            std::basic_string<WCHAR>(WSTR("Software\\Classes\\CLSID\\")) + c.clsid;
        RegDeleteKeyW(c.root, (clsidKey + WSTR("\\InprocServer32")).c_str());
        RegDeleteKeyW(c.root, clsidKey.c_str());
    }
}

} // namespace

int main()
{
    probe::start();
    HKEY key = nullptr;
    status("RegOpenKeyExW.missing", RegOpenKeyExW(HKEY_CURRENT_USER, base, 0, KEY_READ, &key));
    line("RegOpenKeyExW.missing.handle", "%s", key ? "set" : "null");
    DWORD disposition = 0;
    status("RegCreateKeyExW", RegCreateKeyExW(HKEY_CURRENT_USER, base, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                              KEY_ALL_ACCESS, nullptr, &key, &disposition));
    line("RegCreateKeyExW.disposition", "%lu", static_cast<unsigned long>(disposition));
    HKEY again = nullptr;
    status("RegCreateKeyExW.again",
           RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("SOFTWARE\\HUSHDECKPROBE\\registry"), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &again, &disposition));
    line("RegCreateKeyExW.again.disposition", "%lu", static_cast<unsigned long>(disposition));
    RegCloseKey(again);
    status("RegCreateKeyExW.leadingbackslash",
           RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("\\Software\\HushdeckProbe\\Registry\\x"), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &again, nullptr));

    // Rights: a key opened for reading refuses writes.
    HKEY readOnly = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, base, 0, KEY_READ, &readOnly);
    const DWORD one = 1;
    status("RegSetValueExW.readonlyhandle",
           RegSetValueExW(readOnly, WSTR("x"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&one), sizeof one));
    status("RegDeleteValueW.readonlyhandle", RegDeleteValueW(readOnly, WSTR("x")));
    RegCloseKey(readOnly);
    HKEY queryOnly = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, base, 0, KEY_QUERY_VALUE, &queryOnly);
    WCHAR name[8];
    DWORD length = 8;
    status("RegEnumKeyExW.queryonlyhandle",
           RegEnumKeyExW(queryOnly, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(queryOnly);

    typedValues(key);
    typeFilters();
    twoStepRead("RegGetValueW.twostep.text", WSTR("Text"));
    twoStepRead("RegGetValueW.twostep.unterminated", WSTR("Unterminated"));
    twoStepRead("RegGetValueW.twostep.missing", WSTR("Missing"));
    queries(key);
    enumeration(key);
    deletion(key);
    machineHive();
    userHiveViews();
    classesRoot();

    RegCloseKey(key);
    status("RegCloseKey.twice", RegCloseKey(key));
    status("RegDeleteKeyW", RegDeleteKeyW(HKEY_CURRENT_USER, base));
    RegDeleteKeyW(HKEY_CURRENT_USER, WSTR("Software\\HushdeckProbe"));
    return probe::end();
}
