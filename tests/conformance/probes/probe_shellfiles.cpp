// The shell as the product uses it for files: known folders, file icons and the system image list, the change
// notice, the folder browser (answered by its own callback), COM start-up, shell links written and read back,
// and the desktop wallpaper object. Paths are printed relative to the folder they are checked against.
#include "probe.h"

#include <string>

using probe::line;
using probe::ok;

namespace {

typedef std::basic_string<WCHAR> Text;

Text scratch;

// An HRESULT as its 32 bits (the type is wider on some hosts).
void hresult(const char *key, HRESULT hr)
{
    line(key, "hr 0x%08lX", static_cast<unsigned long>(hr) & 0xFFFFFFFFul);
}

// The upper-case form of an ASCII text: Windows paths name the same folder whatever their case.
std::string upper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

// The system image list's interface, {46EB5926-582E-4017-9FDF-E8998DAA0950}: the Windows import libraries do not
// define it (the product's Windows build defines it in its platform layer, which the probes do not link).
const IID imageListId = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};

// A path with the given folder cut off and separators shown as backslashes; "(elsewhere)" when not below it.
std::string below(const Text &base, const WCHAR *path)
{
    Text p(path);
    for (WCHAR &c : p)
        if (c == '/')
            c = '\\';
    Text b(base);
    for (WCHAR &c : b)
        if (c == '/')
            c = '\\';
    if (!b.empty() && b.back() != '\\')
        b += '\\';
    if (p.size() < b.size() || p.compare(0, b.size(), b) != 0)
        return "(elsewhere)";
    return probe::utf8(p.c_str() + b.size());
}

void knownFolders()
{
    WCHAR profile[MAX_PATH] = {};
    hresult("SHGetFolderPathW.profile", SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile));
    WCHAR common[MAX_PATH] = {};
    hresult("SHGetFolderPathW.commonAppData",
            SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common));
    probe::text("SHGetFolderPathW.profile.path", profile);
    probe::text("SHGetFolderPathW.commonAppData.path", common);
    struct Row
    {
        const char *key;
        int csidl;
        const WCHAR *base;
    } rows[] = {
        {"SHGetFolderPathW.appData", CSIDL_APPDATA, profile},
        {"SHGetFolderPathW.localAppData", CSIDL_LOCAL_APPDATA, profile},
        {"SHGetFolderPathW.startup", CSIDL_STARTUP, profile},
        {"SHGetFolderPathW.programs", CSIDL_PROGRAMS, profile},
        {"SHGetFolderPathW.appData.dontUnexpand", CSIDL_APPDATA | CSIDL_FLAG_DONT_UNEXPAND, profile},
        // The user's own folders the clean-up and privacy tools look into: below the profile, by their names.
        {"SHGetFolderPathW.desktopDirectory", CSIDL_DESKTOPDIRECTORY, profile},
        {"SHGetFolderPathW.personal", CSIDL_PERSONAL, profile},
        {"SHGetFolderPathW.myMusic", CSIDL_MYMUSIC, profile},
        {"SHGetFolderPathW.myPictures", CSIDL_MYPICTURES, profile},
        {"SHGetFolderPathW.myVideo", CSIDL_MYVIDEO, profile},
        {"SHGetFolderPathW.commonPrograms", CSIDL_COMMON_PROGRAMS, common},
        {"SHGetFolderPathW.commonStartup", CSIDL_COMMON_STARTUP, common},
    };
    for (const Row &r : rows) {
        WCHAR path[MAX_PATH] = {};
        const HRESULT hr = SHGetFolderPathW(nullptr, r.csidl, nullptr, SHGFP_TYPE_CURRENT, path);
        line(r.key, "hr 0x%08lX \"%s\"", static_cast<unsigned long>(hr) & 0xFFFFFFFFul,
             upper(below(r.base, path)).c_str());
    }
    WCHAR path[MAX_PATH] = {};
    hresult("SHGetFolderPathW.unknown", SHGetFolderPathW(nullptr, 0x00ff, nullptr, SHGFP_TYPE_CURRENT, path));
}

// The icon calls of the product: a small icon by path, then the same index in the extra-large image list.
void icons()
{
    const Text file = scratch + WSTR("note.txt"), other = scratch + WSTR("other.txt");
    const Text folder = scratch + WSTR("Folder");
    SHFILEINFOW info = {}, second = {}, forFolder = {};
    DWORD_PTR got = SHGetFileInfoW(file.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON);
    line("SHGetFileInfoW.file", "%s, icon %s", got ? "nonzero" : "zero", info.hIcon ? "nonzero" : "null");
    if (info.hIcon)
        ok("DestroyIcon.file", DestroyIcon(info.hIcon));
    got = SHGetFileInfoW(other.c_str(), 0, &second, sizeof(second), SHGFI_ICON | SHGFI_SMALLICON);
    line("SHGetFileInfoW.sameKind", "%s, index %s", got ? "nonzero" : "zero",
         second.iIcon == info.iIcon ? "same" : "differs");
    if (second.hIcon)
        DestroyIcon(second.hIcon);
    // The system information page passes folder attributes without asking for them to be used.
    got = SHGetFileInfoW(folder.c_str(), 0x90, &forFolder, sizeof(forFolder), SHGFI_ICON | SHGFI_SMALLICON);
    line("SHGetFileInfoW.folder", "%s, icon %s, index %s", got ? "nonzero" : "zero",
         forFolder.hIcon ? "nonzero" : "null", forFolder.iIcon != info.iIcon ? "differs from a file" : "same");
    if (forFolder.hIcon)
        DestroyIcon(forFolder.hIcon);
    SHFILEINFOW drive = {};
    got = SHGetFileInfoW(WSTR("C:\\"), 0, &drive, sizeof(drive), SHGFI_ICON | SHGFI_SMALLICON);
    line("SHGetFileInfoW.drive", "%s, icon %s", got ? "nonzero" : "zero", drive.hIcon ? "nonzero" : "null");
    if (drive.hIcon)
        DestroyIcon(drive.hIcon);
    SHFILEINFOW missing = {};
    got = SHGetFileInfoW((scratch + WSTR("missing.txt")).c_str(), 0, &missing, sizeof(missing),
                         SHGFI_ICON | SHGFI_SMALLICON);
    line("SHGetFileInfoW.missing", "%s, icon %s", got ? "nonzero" : "zero", missing.hIcon ? "nonzero" : "null");
    if (missing.hIcon)
        DestroyIcon(missing.hIcon);

    // The process list asks for the index alone, and caches icons by it.
    SHFILEINFOW indexOnly = {};
    got = SHGetFileInfoW(file.c_str(), 0, &indexOnly, sizeof(indexOnly), SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    line("SHGetFileInfoW.index", "%s, icon %s, index %s", got ? "nonzero" : "zero",
         indexOnly.hIcon ? "nonzero" : "null", indexOnly.iIcon == info.iIcon ? "same as with the icon" : "differs");
    SHFILEINFOW indexMissing = {};
    got = SHGetFileInfoW((scratch + WSTR("missing.exe")).c_str(), 0, &indexMissing, sizeof(indexMissing),
                         SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    line("SHGetFileInfoW.index.missing", "%s", got ? "nonzero" : "zero");

    IImageList *list = nullptr;
    hresult("SHGetImageList.extraLarge",
            SHGetImageList(SHIL_EXTRALARGE, imageListId, reinterpret_cast<void **>(&list)));
    if (list) {
        HICON icon = ImageList_GetIcon(reinterpret_cast<HIMAGELIST>(list), info.iIcon, ILD_NORMAL);
        line("ImageList_GetIcon", "%s", icon ? "nonzero" : "null");
        if (icon)
            ok("DestroyIcon.listed", DestroyIcon(icon));
        list->Release();
    }
}

int CALLBACK browseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data)
{
    // As the product does: select the start folder when the dialog is ready; then accept it at once.
    if (msg == BFFM_INITIALIZED) {
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
        SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
    }
    return 0;
}

void browse()
{
    Text start = scratch + WSTR("Folder");
    WCHAR display[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.pszDisplayName = display;
    info.lpszTitle = WSTR("Probe");
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseCallback;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    // Wine's dialog, on a loaded machine, now and then takes the OK before the selection has reached the
    // folder and answers Desktop; such an answer is asked again, a few times at most.
    PIDLIST_ABSOLUTE item = nullptr;
    for (int attempt = 0; attempt < 5; ++attempt) {
        item = SHBrowseForFolderW(&info);
        WCHAR chosen[MAX_PATH] = {};
        if (!item || (SHGetPathFromIDListW(item, chosen) && below(scratch, chosen) != "(elsewhere)"))
            break;
        CoTaskMemFree(item);
        item = nullptr;
    }
    line("SHBrowseForFolderW", "%s", item ? "chosen" : "none");
    if (!item)
        return;
    // The name of the chosen folder (Wine gives its whole path here; the folder's own name ends it either way).
    const WCHAR *name = display;
    for (const WCHAR *p = display; *p; ++p)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    probe::text("SHBrowseForFolderW.displayName", name);
    WCHAR path[MAX_PATH] = {};
    ok("SHGetPathFromIDListW", SHGetPathFromIDListW(item, path));
    line("SHGetPathFromIDListW.path", "\"%s\"", below(scratch, path).c_str());
    CoTaskMemFree(item);
}

// A link as the product writes it, then read back as the system information page reads it.
void links()
{
    const Text target = scratch + WSTR("note.txt"), icon = scratch + WSTR("icon.ico");
    const Text linkFile = scratch + WSTR("Probe.lnk");
    IShellLinkW *link = nullptr;
    hresult("CoCreateInstance.ShellLink", CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                           IID_IShellLinkW, reinterpret_cast<LPVOID *>(&link)));
    if (!link)
        return;
    hresult("IShellLinkW.SetPath", PROBE_METHOD(link, SetPath)(target.c_str()));
    hresult("IShellLinkW.SetIconLocation", PROBE_METHOD(link, SetIconLocation)(icon.c_str(), 0));
    hresult("IShellLinkW.SetWorkingDirectory", PROBE_METHOD(link, SetWorkingDirectory)(scratch.c_str()));
    hresult("IShellLinkW.SetArguments", PROBE_METHOD(link, SetArguments)(WSTR("-tray \"two words\" /x")));
    IPersistFile *file = nullptr;
    hresult("IShellLinkW.QueryInterface", link->QueryInterface(IID_IPersistFile, reinterpret_cast<LPVOID *>(&file)));
    if (file) {
        hresult("IPersistFile.Save", PROBE_METHOD(file, Save)(linkFile.c_str(), TRUE));
        hresult("IPersistFile.Save.missingFolder",
                PROBE_METHOD(file, Save)((scratch + WSTR("missing\\x.lnk")).c_str(), TRUE));
        file->Release();
    }
    link->Release();
    line("IPersistFile.Save.file", "%s", PathFileExistsW(linkFile.c_str()) ? "exists" : "missing");

    link = nullptr;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void **>(&link));
    if (!link)
        return;
    file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file));
    if (file) {
        // Before anything is loaded: no arguments, no icon.
        WCHAR text[512] = {'x', 0};
        int index = -1;
        hresult("IShellLinkW.GetArguments.empty", PROBE_METHOD(link, GetArguments)(text, 512));
        probe::text("IShellLinkW.GetArguments.empty.text", text);
        text[0] = 'x';
        text[1] = 0;
        hresult("IShellLinkW.GetIconLocation.empty", PROBE_METHOD(link, GetIconLocation)(text, 512, &index));
        line("IShellLinkW.GetIconLocation.empty.text", "\"%s\" %d", probe::utf8(text).c_str(), index);

        hresult("IPersistFile.Load.missing",
                PROBE_METHOD(file, Load)((scratch + WSTR("missing.lnk")).c_str(), STGM_READ));
        hresult("IPersistFile.Load", PROBE_METHOD(file, Load)(linkFile.c_str(), STGM_READ));
        hresult("IShellLinkW.GetArguments", PROBE_METHOD(link, GetArguments)(text, 512));
        probe::text("IShellLinkW.GetArguments.text", text);
        index = -1;
        hresult("IShellLinkW.GetIconLocation", PROBE_METHOD(link, GetIconLocation)(text, 512, &index));
        line("IShellLinkW.GetIconLocation.text", "\"%s\" %d", below(scratch, text).c_str(), index);
        file->Release();
    }
    link->Release();
    DeleteFileW(linkFile.c_str());
}

// The wallpaper object: a picture of one pixel set, then what was shown before put back.
void wallpaper()
{
    static const unsigned char bitmap[58] = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0,    54,   0, 0, 0,    40,   0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0,    24,
        0,   0,   0,  0, 0, 4, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0};
    const Text picture = scratch + WSTR("wall.bmp");
    HANDLE h = CreateFileW(picture.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (h == INVALID_HANDLE_VALUE || !WriteFile(h, bitmap, sizeof bitmap, &written, nullptr))
        line("CreateFileW.wall", "failed");
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    IDesktopWallpaper *desktop = nullptr;
    const HRESULT created = CoCreateInstance(CLSID_DesktopWallpaper, nullptr, CLSCTX_LOCAL_SERVER,
                                             IID_IDesktopWallpaper, reinterpret_cast<void **>(&desktop));
    hresult("CoCreateInstance.DesktopWallpaper", created);
    if (!desktop) {
        line("IDesktopWallpaper.SetWallpaper", "no object");
        DeleteFileW(picture.c_str());
        return;
    }
    LPWSTR current = nullptr;
    const HRESULT got = PROBE_METHOD(desktop, GetWallpaper)(nullptr, &current);
    const Text previous = SUCCEEDED(got) && current ? Text(current) : Text();
    if (current)
        CoTaskMemFree(current);
    hresult("IDesktopWallpaper.SetWallpaper", PROBE_METHOD(desktop, SetWallpaper)(nullptr, picture.c_str()));
    PROBE_METHOD(desktop, SetWallpaper)(nullptr, previous.c_str());
    desktop->Release();
    DeleteFileW(picture.c_str());
}

void com()
{
    IShellLinkW *early = nullptr;
    hresult("CoCreateInstance.uninitialised", CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                               IID_IShellLinkW, reinterpret_cast<void **>(&early)));
    if (early)
        early->Release();
    hresult("CoInitialize", CoInitialize(nullptr));
    hresult("CoInitialize.again", CoInitialize(nullptr));
    hresult("CoInitializeEx.apartment", CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    hresult("CoInitializeEx.multithreaded", CoInitializeEx(nullptr, COINIT_MULTITHREADED));
}

} // namespace

int main()
{
    probe::start();
    scratch = probe::scratch(WSTR("HushdeckProbeShellFiles"));
    for (const WCHAR *name : {WSTR("note.txt"), WSTR("other.txt"), WSTR("icon.ico")}) {
        HANDLE h = CreateFileW((scratch + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            line("CreateFileW", "failed");
        else
            CloseHandle(h);
    }
    CreateDirectoryW((scratch + WSTR("Folder")).c_str(), nullptr);

    com();
    knownFolders();
    icons();
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH | SHCNF_FLUSHNOWAIT, nullptr, nullptr);
    line("SHChangeNotify", "returned");
    links();
    wallpaper();
    browse();
    // Three successful initialisations, three matching ends.
    CoUninitialize();
    CoUninitialize();
    CoUninitialize();

    for (const WCHAR *name : {WSTR("note.txt"), WSTR("other.txt"), WSTR("icon.ico")})
        DeleteFileW((scratch + name).c_str());
    RemoveDirectoryW((scratch + WSTR("Folder")).c_str());
    Text bare = scratch;
    bare.pop_back();
    ok("RemoveDirectoryW", RemoveDirectoryW(bare.c_str()));
    return probe::end();
}
