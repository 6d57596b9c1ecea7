// A file's second name and a folder listed while its names change, as the file tools meet them: the link
// count that tells a file with another name apart, and a listing that neither fails nor repeats a name when
// other names come and go under it.
#include "probe.h"

#include <cstring>
#include <string>

using probe::line;
using probe::ok;

namespace {

typedef std::basic_string<WCHAR> Text;

Text folder;

Text at(const WCHAR *name)
{
    return folder + name;
}

Text numbered(const WCHAR *stem, int i)
{
    Text name(stem);
    name += WCHAR('0' + i / 10);
    name += WCHAR('0' + i % 10);
    return name;
}

bool makeFile(const Text &path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL done = WriteFile(h, "data", 4, &written, nullptr);
    CloseHandle(h);
    return done && written == 4;
}

// "links N", as GetFileInformationByHandle reports it for the file at path.
void linkCount(const char *key, const Text &path)
{
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        line(key, "not opened error %lu", static_cast<unsigned long>(GetLastError()));
        return;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (GetFileInformationByHandle(h, &info))
        line(key, "links %lu", static_cast<unsigned long>(info.nNumberOfLinks));
    else
        line(key, "failed error %lu", static_cast<unsigned long>(GetLastError()));
    CloseHandle(h);
}

void hardLinks()
{
    const Text first = at(WSTR("first.txt")), second = at(WSTR("second.txt"));
    if (!makeFile(first)) {
        line("hardlink.file", "not made error %lu", static_cast<unsigned long>(GetLastError()));
        return;
    }
    linkCount("GetFileInformationByHandle.one name", first);
    ok("CreateHardLinkW", CreateHardLinkW(second.c_str(), first.c_str(), nullptr));
    linkCount("GetFileInformationByHandle.two names", first);
    linkCount("GetFileInformationByHandle.two names.second", second);
    SetLastError(0);
    ok("CreateHardLinkW.exists", CreateHardLinkW(second.c_str(), first.c_str(), nullptr));
    SetLastError(0);
    ok("CreateHardLinkW.folder", CreateHardLinkW(at(WSTR("folder link")).c_str(), folder.c_str(), nullptr));
    ok("DeleteFileW.second name", DeleteFileW(second.c_str()));
    linkCount("GetFileInformationByHandle.second name deleted", first);
    DeleteFileW(first.c_str());
}

// Twenty names; while the listing runs, the odd ones go and new ones come. Every name that stays is listed
// exactly once, and the listing ends with ERROR_NO_MORE_FILES.
void listingWhileNamesChange()
{
    const int count = 20;
    for (int i = 0; i < count; ++i)
        if (!makeFile(at(numbered(WSTR("stay"), i).c_str()))) {
            line("listing.files", "not made error %lu", static_cast<unsigned long>(GetLastError()));
            return;
        }
    int seen[count] = {};
    int others = 0, changed = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(at(WSTR("*")).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        line("FindFirstFileW.changing", "failed error %lu", static_cast<unsigned long>(GetLastError()));
        return;
    }
    SetLastError(0);
    do {
        const std::string name = probe::utf8(data.cFileName);
        if (name.size() == 6 && name.compare(0, 4, "stay") == 0)
            ++seen[(name[4] - '0') * 10 + (name[5] - '0')];
        else if (name != "." && name != "..")
            ++others;
        // The names change after the first entries are read.
        if (changed < count / 2) {
            DeleteFileW(at(numbered(WSTR("stay"), 2 * changed + 1).c_str()).c_str());
            makeFile(at(numbered(WSTR("came"), changed).c_str()));
            ++changed;
        }
    } while (FindNextFileW(find, &data));
    const unsigned long ended = GetLastError();
    FindClose(find);
    int stayedOnce = 0, stayedOther = 0, goneTwice = 0;
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0)
            seen[i] == 1 ? ++stayedOnce : ++stayedOther;
        else if (seen[i] > 1)
            ++goneTwice;
    }
    line("FindNextFileW.changing", "stayed %d listed once, %d otherwise; gone listed twice %d; end error %lu",
         stayedOnce, stayedOther, goneTwice, ended);
    line("FindNextFileW.changing.new names", "%s", others <= count / 2 ? "at most the new ones" : "more");
    for (int i = 0; i < count; ++i) {
        DeleteFileW(at(numbered(WSTR("stay"), i).c_str()).c_str());
        DeleteFileW(at(numbered(WSTR("came"), i).c_str()).c_str());
    }
}

} // namespace

int main()
{
    probe::start();
    folder = probe::scratch(WSTR("HushdeckProbeListing"));
    hardLinks();
    listingWhileNamesChange();
    RemoveDirectoryW(folder.substr(0, folder.size() - 1).c_str());
    return probe::end();
}
