// Daily wallpaper from the image archive: the image of day index 0 (today) to 7 (a week ago) for the chosen
// market is fetched into one file and then set as the desktop wallpaper.
#include "boundedtransfer.h"
#include "glasspan.h"
#include "imageaddress.h"
#include "wtext.h"

#include <string>

WallpaperState wallpaper;

namespace {

const WCHAR *const Markets[] = {WSTR("en-US"), WSTR("en-GB"), WSTR("en-ES"), WSTR("ja-JP"),
                                WSTR("it-IT"), WSTR("hi-IN"), WSTR("fr-FR"), WSTR("de-DE"),
                                WSTR("zh-CN"), WSTR("en-CA"), WSTR("en-AU")};
const DWORD MarketCount = sizeof(Markets) / sizeof(Markets[0]);

// The archive answers at this host; image addresses in its answer are relative to the bare domain.
#define ARCHIVE_REQUEST WSTR("https://www.bing.com/HPImageArchive.aspx?format=xml&idx=")
const char ImageHost[] = "https://bing.com";

// Time limits of the two transfers, which run on the window's thread.
const DWORD AnswerLimitMs = 30000;
const DWORD ImageLimitMs = 120000;

// The archive's answer is read only this far: the image address comes early in it.
const ULONG AnswerBytes = 512;
// Far more than any wallpaper the archive serves; a larger answer is not a picture of it.
const ULONG LargestImage = 32 * 1024 * 1024;

// Where the image is kept: the user's application-data folder, or the current folder without one.
// The wallpaper's file, and the folder it is reached from without a link (base).
bool computeTargetFile(WCHAR *target, WCHAR *base)
{
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base))) {
        return copyText(target, MAX_PATH, base) &&
               appendText(target, MAX_PATH, WSTR("\\") HUSHDECK_PRODUCT_NAME "\\Wallpaper\\image.jpg");
    }
    const DWORD len = GetCurrentDirectoryW(MAX_PATH, base);
    if (len == 0 || len >= MAX_PATH)
        return false;
    return copyText(target, MAX_PATH, base) && appendText(target, MAX_PATH, WSTR("\\image.jpg"));
}

// Fetches the archive's answer for one request and finds the image address in it.
bool fetchImageAddress(const WCHAR *request, WCHAR *address, int capacity)
{
    char answer[AnswerBytes + 1];
    ULONG total = 0;
    if (FAILED(readUrlStartWithin(request, answer, AnswerBytes, &total, AnswerLimitMs)))
        return false;
    answer[total] = 0;

    std::string path;
    if (!imageaddress::elementText(answer, total, "<url>", "</url>", &path))
        return false;
    const std::string built = imageaddress::build(ImageHost, path);
    if (built.empty() || int(built.size()) >= capacity)
        return false;
    for (size_t i = 0; i < built.size(); ++i)
        address[i] = WCHAR(static_cast<unsigned char>(built[i]));
    address[built.size()] = 0;
    return true;
}

// A stored index from elsewhere may be anything; stepping from it must stay within the eight days.
int dayIndexOf(DWORD stored)
{
    return stored <= 7 ? int(stored) : 0;
}

} // namespace

void fillBaseRequests()
{
    for (int i = 0; i < 8; ++i) {
        const WCHAR digit[2] = {WCHAR('0' + i), 0};
        copyText(wallpaper.baseRequests[i], 256, ARCHIVE_REQUEST);
        appendText(wallpaper.baseRequests[i], 256, digit);
        appendText(wallpaper.baseRequests[i], 256, WSTR("&n=1&mkt="));
    }
}

void loadWallpaperChanger(bool downloadNow)
{
    DWORD enabled = 0, timeIndex = 1, timePeriod = 0, source = 0, region = 0, current = 0;
    readDword(WALLPAPERCHANGER_KEY, WSTR("Enabled"), &enabled);
    readDword(WALLPAPERCHANGER_KEY, WSTR("TimeIndex"), &timeIndex);
    readDword(WALLPAPERCHANGER_KEY, WSTR("TimePeriod"), &timePeriod);
    readDword(WALLPAPERCHANGER_KEY, WSTR("Source"), &source);
    readDword(WALLPAPERCHANGER_KEY, WSTR("Region"), &region);
    readDword(WALLPAPERCHANGER_KEY, WSTR("CurrentIndex"), &current);
    wallpaper.enabled = enabled != 0;
    // Out-of-range values from elsewhere: the interval stays within 1..12, an unknown region is the first.
    wallpaper.timeIndex = timeIndex < 1 ? 1 : (timeIndex > 12 ? 12 : timeIndex);
    wallpaper.timePeriod = timePeriod;
    wallpaper.source = source;
    wallpaper.region = region < MarketCount ? region : 0;
    wallpaper.currentIndex = dayIndexOf(current);
    copyText(wallpaper.market, 64, Markets[wallpaper.region]);

    for (int i = 0; i < 8; ++i) {
        copyText(wallpaper.requests[i], 320, wallpaper.baseRequests[i]);
        appendText(wallpaper.requests[i], 320, wallpaper.market);
    }

    if (downloadNow) {
        wallpaper.lastImageKey[0] = 0;
        current = 0;
        readDword(WALLPAPERCHANGER_KEY, WSTR("CurrentIndex"), &current);
        wallpaper.currentIndex = dayIndexOf(current);
        if (!wallpaper.enabled)
            return;
        downloadBingWallpaper(wallpaper.currentIndex);
    }
    const UINT interval = wallpaper.timePeriod ? wallpaper.timeIndex * 86400000U : wallpaper.timeIndex * 3600000U;
    SetTimer(helper.window, TIMER_WALLPAPER, interval, wallpaperTimerProc);
}

void downloadBingWallpaper(int index)
{
    if (index < 0 || index > 7) {
        index = 0;
        wallpaper.currentIndex = 0;
    }
    if (!wallpaper.requests[index][0])
        return;

    WCHAR address[1024];
    if (!fetchImageAddress(wallpaper.requests[index], address, 1024))
        return;
    WCHAR base[MAX_PATH];
    if (!computeTargetFile(wallpaper.targetFile, base)) {
        wallpaper.targetFile[0] = 0;
        return;
    }
    // The same day's image again (same address up to its first "_"): nothing to do.
    if (wallpaper.lastImageKey[0] && startsWith(address, wallpaper.lastImageKey))
        return;

    // The download writes beside the target and renames at the end, so that the wallpaper never comes from a
    // partial file; an answer that is no picture (a portal's page) leaves yesterday's picture in place. Its
    // folders are held from base down while the picture is written and renamed: one that is a link, or is
    // swapped for one, never takes the picture (or the name it replaces) outside.
    if (FAILED(downloadToFileWithin(address, wallpaper.targetFile, ImageLimitMs, LargestImage, nullptr,
                                    looksLikePicture, base)))
        return;

    // Taken as done only once the wallpaper was set (setWallpaperTimerProc): until then the image is fetched
    // again on the next try.
    int keyLength = 0;
    while (address[keyLength] && address[keyLength] != '_' && keyLength < 259)
        ++keyLength;
    for (int i = 0; i < keyLength; ++i)
        wallpaper.pendingImageKey[i] = address[i];
    wallpaper.pendingImageKey[keyLength] = 0;
    wallpaper.pendingIndex = wallpaper.currentIndex;
    SetTimer(helper.window, TIMER_SET_WALLPAPER, 1000, setWallpaperTimerProc);
}

void stepWallpaper(int step)
{
    int index = wallpaper.currentIndex + step;
    if (index < 0)
        index = 7;
    else if (index > 7)
        index = 0;
    wallpaper.currentIndex = index;
    downloadBingWallpaper(index);
}

void CALLBACK wallpaperTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (!wallpaper.enabled) {
        KillTimer(helper.window, TIMER_WALLPAPER);
        return;
    }
    stepWallpaper(-1);
}

void CALLBACK setWallpaperTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    KillTimer(helper.window, TIMER_SET_WALLPAPER);
    if (!wallpaper.targetFile[0] || !wallpaper.pendingImageKey[0])
        return;
    const bool set = SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, wallpaper.targetFile, SPIF_SENDCHANGE) ||
                     SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, wallpaper.targetFile, SPIF_SENDCHANGE);
    if (set) {
        copyText(wallpaper.lastImageKey, 260, wallpaper.pendingImageKey);
        writeDword(WALLPAPERCHANGER_KEY, WSTR("CurrentIndex"), DWORD(wallpaper.pendingIndex));
    }
    wallpaper.pendingImageKey[0] = 0;
}
