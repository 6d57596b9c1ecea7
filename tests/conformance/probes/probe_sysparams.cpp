// System parameters as the product reads and writes them: each integer action read, set with
// SPIF_UPDATEINIFILE | SPIF_SENDCHANGE, read back and found in the registry value Windows keeps it in, then set
// back to what it was; and the desktop wallpaper set from a file and restored.
#include "probe.h"

#include <cstring>

using probe::line;

namespace {

// The registry text of a parameter, or "(absent)".
std::string storedText(HKEY root, const WCHAR *key, const WCHAR *name)
{
    WCHAR text[260];
    DWORD size = sizeof text;
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "(absent)";
    return probe::utf8(text);
}

// One line per action: each step's outcome, the value read back, the registry text it was kept in, and whether
// the original came back.
void integerParameter(const char *name, UINT get, UINT set, int newValue, HKEY root, const WCHAR *key,
                      const WCHAR *value)
{
    auto outcome = [](BOOL ok) {
        return ok ? std::string("ok") : "failed " + std::to_string(static_cast<unsigned long>(GetLastError()));
    };
    int original = -1;
    const std::string got = outcome(SystemParametersInfoW(get, 0, &original, 0));
    const std::string set1 =
        outcome(SystemParametersInfoW(set, static_cast<UINT>(newValue), nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
    int now = -1;
    SystemParametersInfoW(get, 0, &now, 0);
    const std::string stored = storedText(root, key, value);
    const std::string set2 =
        outcome(SystemParametersInfoW(set, static_cast<UINT>(original), nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
    int after = -1;
    SystemParametersInfoW(get, 0, &after, 0);
    char k[96];
    snprintf(k, sizeof k, "SystemParametersInfoW.%s", name);
    line(k, "get %s set %s readback %d stored %s restore %s restored %s", got.c_str(), set1.c_str(), now,
         stored.c_str(), set2.c_str(), after == original ? "same" : "differs");
}

// A 2x2 24-bit bitmap.
bool writeBitmap(const std::basic_string<WCHAR> &path)
{
    BYTE file[70] = {'B', 'M'};
    const DWORD size = sizeof file, offset = 54, header = 40, width = 2, height = 2, imageSize = 16;
    const WORD planes = 1, bits = 24;
    std::memcpy(file + 2, &size, 4);
    std::memcpy(file + 10, &offset, 4);
    std::memcpy(file + 14, &header, 4);
    std::memcpy(file + 18, &width, 4);
    std::memcpy(file + 22, &height, 4);
    std::memcpy(file + 26, &planes, 2);
    std::memcpy(file + 28, &bits, 2);
    std::memcpy(file + 34, &imageSize, 4);
    for (int i = 54; i < 70; ++i)
        file[i] = static_cast<BYTE>(i * 7);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, file, sizeof file, &written, nullptr);
    CloseHandle(h);
    return ok && written == sizeof file;
}

void wallpaper()
{
    WCHAR original[MAX_PATH] = {};
    probe::ok("SystemParametersInfoW.wallpaper.get",
              SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, original, 0));
    const std::basic_string<WCHAR> dir = probe::scratch(WSTR("HushdeckProbeSysparams"));
    std::basic_string<WCHAR> picture = dir + WSTR("wall.bmp");
    line("setup.bitmap", "%s", writeBitmap(picture) ? "ok" : "failed");
    probe::ok("SystemParametersInfoW.wallpaper.set",
              SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, &picture[0], SPIF_SENDCHANGE));
    WCHAR now[MAX_PATH] = {};
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0);
    line("SystemParametersInfoW.wallpaper.readback", "%s",
         probe::utf8(now) == probe::utf8(picture.c_str()) ? "same" : probe::utf8(now).c_str());
    // A file that is not there is refused, and the wallpaper stays.
    std::basic_string<WCHAR> missing = dir + WSTR("missing.bmp");
    SetLastError(0);
    probe::ok("SystemParametersInfoW.wallpaper.missing",
              SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, &missing[0], SPIF_SENDCHANGE));
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0);
    // The refused file by name, not its path (which holds the user's name).
    const std::string kept = probe::utf8(now);
    line("SystemParametersInfoW.wallpaper.missing.kept", "%s",
         kept == probe::utf8(picture.c_str())   ? "same"
         : kept == probe::utf8(missing.c_str()) ? "the missing file"
                                                : "other");
    // Put back what the machine had (on the stand-in's fresh machine that may name a file it does not hold).
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, original, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    DeleteFileW(picture.c_str());
    RemoveDirectoryW(dir.c_str());
}

} // namespace

int main()
{
    probe::start();
    const WCHAR *desktop = WSTR("Control Panel\\Desktop");
    integerParameter("border", SPI_GETBORDER, SPI_SETBORDER, 3, HKEY_CURRENT_USER,
                     WSTR("Control Panel\\Desktop\\WindowMetrics"), WSTR("BorderWidth"));
    integerParameter("menushowdelay", SPI_GETMENUSHOWDELAY, SPI_SETMENUSHOWDELAY, 123, HKEY_CURRENT_USER, desktop,
                     WSTR("MenuShowDelay"));
    integerParameter("hungapptimeout", SPI_GETHUNGAPPTIMEOUT, SPI_SETHUNGAPPTIMEOUT, 4321, HKEY_CURRENT_USER, desktop,
                     WSTR("HungAppTimeout"));
    integerParameter("waittokilltimeout", SPI_GETWAITTOKILLTIMEOUT, SPI_SETWAITTOKILLTIMEOUT, 6543, HKEY_CURRENT_USER,
                     desktop, WSTR("WaitToKillAppTimeout"));
    integerParameter("waittokillservicetimeout", SPI_GETWAITTOKILLSERVICETIMEOUT, SPI_SETWAITTOKILLSERVICETIMEOUT, 7654,
                     HKEY_LOCAL_MACHINE, WSTR("SYSTEM\\CurrentControlSet\\Control"), WSTR("WaitToKillServiceTimeout"));
    wallpaper();
    return probe::end();
}
