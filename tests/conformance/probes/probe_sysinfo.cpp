// What the System Information tool reads of the system: the version (RtlGetVersion looked up in ntdll, as the
// product does) and edition, the user's locale and language names, the Windows and System folders with their
// buffer rules, the environment block and the expansion of environment strings.
#include "probe.h"

#include <string>
#include <vector>

using probe::line;

namespace {

typedef std::basic_string<WCHAR> Text;

// A path as compared across hosts: backslashes, upper case.
std::string folded(const Text &path)
{
    std::string out = probe::utf8(path.c_str());
    for (char &c : out) {
        if (c == '/')
            c = '\\';
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

typedef LONG(WINAPI *RtlGetVersionCall)(RTL_OSVERSIONINFOW *);

void version()
{
    HMODULE ntdll = GetModuleHandleW(WSTR("ntdll"));
    line("GetModuleHandleW.ntdll", "%s", ntdll ? "found" : "missing");
    auto rtlGetVersion =
        reinterpret_cast<RtlGetVersionCall>(reinterpret_cast<void *>(GetProcAddress(ntdll, "RtlGetVersion")));
    line("GetProcAddress.RtlGetVersion", "%s", rtlGetVersion ? "found" : "missing");
    if (!rtlGetVersion)
        return;
    RTL_OSVERSIONINFOEXW v = {};
    v.dwOSVersionInfoSize = sizeof(v);
    const LONG status = rtlGetVersion(reinterpret_cast<RTL_OSVERSIONINFOW *>(&v));
    line("RtlGetVersion.status", "%ld", static_cast<long>(status));
    // The version itself is the machine's (a Wine prefix may play an older Windows): only its form is compared.
    line("RtlGetVersion.version", "%s platform %lu",
         v.dwMajorVersion >= 6 && v.dwBuildNumber > 0 ? "NT 6 or later" : "other",
         static_cast<unsigned long>(v.dwPlatformId));
    line("RtlGetVersion.size", "%lu", static_cast<unsigned long>(v.dwOSVersionInfoSize));
    line("RtlGetVersion.producttype", "%u", v.wProductType);

    // The short record: nothing is written past it.
    struct
    {
        RTL_OSVERSIONINFOW info;
        DWORD guard;
    } shortRecord = {};
    shortRecord.info.dwOSVersionInfoSize = sizeof(RTL_OSVERSIONINFOW);
    shortRecord.guard = 0x5A5A5A5A;
    line("RtlGetVersion.short.status", "%ld", static_cast<long>(rtlGetVersion(&shortRecord.info)));
    line("RtlGetVersion.short.guard", "%s", shortRecord.guard == 0x5A5A5A5A ? "kept" : "overwritten");

    DWORD product = 0xFFFF;
    probe::ok("GetProductInfo", GetProductInfo(v.dwMajorVersion, v.dwMinorVersion, 0, 0, &product));
    line("GetProductInfo.type", "%s", product != 0 && product != 0xFFFF ? "named" : "undefined");
}

void locale()
{
    const LCID lcid = GetUserDefaultLCID();
    const LANGID lang = GetUserDefaultLangID();
    line("GetUserDefaultLCID.langid", "%s",
         static_cast<LANGID>(lcid & 0xFFFF) == lang ? "same as GetUserDefaultLangID" : "differs");
    WCHAR buffer[512];
    const int n = GetLocaleInfoW(lcid, LOCALE_SCOUNTRY, buffer, 512);
    line("GetLocaleInfoW.user", "%s", n > 1 ? "named" : "empty");
    const DWORD m = VerLanguageNameW(lang, buffer, 200);
    line("VerLanguageNameW.user", "%s", m > 0 ? "named" : "empty");

    // Fixed locales, the way the product asks (a 512-character buffer; 200 for the language name).
    const LCID fixed[] = {0x0409, 0x0407, 0x0411};
    for (LCID id : fixed) {
        char key[64];
        snprintf(key, sizeof key, "GetLocaleInfoW.%04lX.country", static_cast<unsigned long>(id));
        const int got = GetLocaleInfoW(id, LOCALE_SCOUNTRY, buffer, 512);
        line(key, "%d \"%s\"", got, got ? probe::utf8(buffer).c_str() : "");
    }
    for (LCID id : {0x0409, 0x0407}) {
        char key[64];
        snprintf(key, sizeof key, "VerLanguageNameW.%04lX", static_cast<unsigned long>(id));
        const DWORD length = VerLanguageNameW(id, buffer, 200);
        line(key, "%lu \"%s\"", static_cast<unsigned long>(length), probe::utf8(buffer).c_str());
    }
    line("GetLocaleInfoW.size", "%d", GetLocaleInfoW(0x0409, LOCALE_SCOUNTRY, nullptr, 0));
    SetLastError(0);
    const int small = GetLocaleInfoW(0x0409, LOCALE_SCOUNTRY, buffer, 4);
    probe::result("GetLocaleInfoW.small", small, small == 0);
    WCHAR cut[8];
    const DWORD cutLength = VerLanguageNameW(0x0409, cut, 8);
    line("VerLanguageNameW.small", "%lu \"%s\"", static_cast<unsigned long>(cutLength), probe::utf8(cut).c_str());
}

void folders()
{
    std::vector<WCHAR> buffer(32767);
    const UINT windowsLength = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    const Text windows(buffer.data());
    line("GetWindowsDirectoryW.length", "%s", windowsLength == windows.size() ? "matches" : "differs");
    const UINT systemLength = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    const Text system(buffer.data());
    line("GetSystemDirectoryW.length", "%s", systemLength == system.size() ? "matches" : "differs");
    probe::text("GetWindowsDirectoryW.path", windows.c_str());
    probe::text("GetSystemDirectoryW.path", system.c_str());
    line("GetSystemDirectoryW.inWindows", "%s",
         folded(system) == folded(windows) + "\\SYSTEM32" ? "windows\\system32" : folded(system).c_str());

    // A buffer too small: the size needed, terminator included, and nothing else.
    WCHAR tiny[2];
    line("GetWindowsDirectoryW.small", "%s",
         GetWindowsDirectoryW(tiny, 2) == windowsLength + 1 ? "needed with terminator" : "other");
    line("GetSystemDirectoryW.small", "%s",
         GetSystemDirectoryW(tiny, 2) == systemLength + 1 ? "needed with terminator" : "other");
    line("GetWindowsDirectoryW.exact", "%s",
         GetWindowsDirectoryW(buffer.data(), windowsLength) == windowsLength + 1 ? "needed with terminator" : "other");
    line("GetWindowsDirectoryW.fits", "%s",
         GetWindowsDirectoryW(buffer.data(), windowsLength + 1) == windowsLength ? "length" : "other");
}

Text expand(const WCHAR *text, DWORD *returned = nullptr)
{
    WCHAR buffer[512];
    const DWORD n = ExpandEnvironmentStringsW(text, buffer, 512);
    if (returned)
        *returned = n;
    return n && n <= 512 ? Text(buffer) : Text();
}

void environment()
{
    LPWCH block = GetEnvironmentStringsW();
    line("GetEnvironmentStringsW", "%s", block ? "block" : "null");
    if (!block)
        return;
    // Every entry "name=value" (names of hidden per-drive entries begin with '='), ended by an empty one.
    std::vector<std::pair<Text, Text>> entries;
    bool wellFormed = true;
    const WCHAR *p = block;
    while (*p) {
        const Text entry(p);
        const size_t eq = entry.find(WCHAR('='), 1);
        if (eq == Text::npos)
            wellFormed = false;
        else
            entries.emplace_back(entry.substr(0, eq), entry.substr(eq + 1));
        p += entry.size() + 1;
    }
    line("GetEnvironmentStringsW.entries", "%s", wellFormed && !entries.empty() ? "name=value" : "malformed");
    probe::ok("FreeEnvironmentStringsW", FreeEnvironmentStringsW(block));

    // The variables a Windows profile has, each in the block and expanded to the same text.
    const WCHAR *const names[] = {
        WSTR("SystemRoot"),   WSTR("windir"),  WSTR("SystemDrive"),  WSTR("TEMP"),        WSTR("TMP"),
        WSTR("USERPROFILE"),  WSTR("APPDATA"), WSTR("LOCALAPPDATA"), WSTR("ProgramData"), WSTR("ALLUSERSPROFILE"),
        WSTR("ProgramFiles"), WSTR("PUBLIC"),  WSTR("USERNAME"),     WSTR("COMPUTERNAME")};
    for (const WCHAR *name : names) {
        const Text wanted(name);
        const Text *value = nullptr;
        for (const auto &e : entries)
            if (folded(e.first) == folded(wanted))
                value = &e.second;
        const Text expanded = expand((WSTR("%") + wanted + WSTR("%")).c_str());
        char key[80];
        snprintf(key, sizeof key, "environment.%s", probe::utf8(name).c_str());
        line(key, "%s", !value ? "absent" : *value == expanded ? "expands to its value" : "expands otherwise");
    }
    line("environment.SystemRoot.isWindowsDirectory", "%s", [] {
        WCHAR windows[MAX_PATH];
        GetWindowsDirectoryW(windows, MAX_PATH);
        return folded(expand(WSTR("%SystemRoot%"))) == folded(Text(windows)) ? "same" : "differs";
    }());

    // Expansion rules: unknown names stay, a lone '%' stays, sizes count the terminator.
    DWORD n = 0;
    const Text drive = expand(WSTR("%SystemDrive%"), &n);
    line("ExpandEnvironmentStringsW.drive", "\"%s\" %lu", probe::utf8(drive.c_str()).c_str(),
         static_cast<unsigned long>(n));
    const WCHAR *const texts[] = {WSTR("%HUSHDECK_PROBE_UNSET%\\x"),  WSTR("100% sure"),        WSTR("%%"),
                                  WSTR("%SystemDrive%%SystemDrive%"), WSTR("a%SystemDrive%b%"), WSTR("")};
    int i = 0;
    for (const WCHAR *t : texts) {
        char key[64];
        snprintf(key, sizeof key, "ExpandEnvironmentStringsW.case%d", i++);
        const Text out = expand(t, &n);
        line(key, "\"%s\" %lu", probe::utf8(out.c_str()).c_str(), static_cast<unsigned long>(n));
    }
    const Text path = expand(WSTR("%PATH%"));
    line("ExpandEnvironmentStringsW.processvariable", "%s", path != WSTR("%PATH%") ? "expanded" : "kept");
    WCHAR small[3];
    line("ExpandEnvironmentStringsW.small", "%lu",
         static_cast<unsigned long>(ExpandEnvironmentStringsW(WSTR("%SystemDrive%\\abc"), small, 3)));
    line("ExpandEnvironmentStringsW.sizeonly", "%lu",
         static_cast<unsigned long>(ExpandEnvironmentStringsW(WSTR("%SystemDrive%\\abc"), nullptr, 0)));
}

} // namespace

int main()
{
    probe::start();
    version();
    locale();
    folders();
    environment();
    return probe::end();
}
