// Files and folders as the product uses them: opening with its flags and sharing modes, reading, writing and
// seeking, file identity and link counts, listings (order, attributes, "." and "..", wildcards), deleting,
// renaming and the read-only rules, and the temporary and current folders with their buffer-size rules.
#include "probe.h"

#include <cstring>
#include <string>

using probe::line;
using probe::ok;
using probe::result;

namespace {

typedef std::basic_string<WCHAR> Text;

Text folder;

Text at(const WCHAR *name)
{
    return folder + name;
}

DWORD length(const WCHAR *s)
{
    DWORD n = 0;
    while (s[n])
        ++n;
    return n;
}

// Writes a small file; false when it could not be made.
bool makeFile(const WCHAR *name, const char *content)
{
    HANDLE h = CreateFileW(at(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL done = WriteFile(h, content, DWORD(std::strlen(content)), &written, nullptr);
    CloseHandle(h);
    return done != FALSE;
}

// A handle as the product's own calls open it; the key gets "ok" or the error.
HANDLE openPath(const char *key, const Text &path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    SetLastError(0);
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        line(key, "failed error %lu", static_cast<unsigned long>(GetLastError()));
    else
        line(key, "ok last error %lu", static_cast<unsigned long>(GetLastError()));
    return h;
}

HANDLE open(const char *key, const WCHAR *name, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return openPath(key, at(name), access, share, disposition, flags);
}

void closeIf(HANDLE h)
{
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
}

// Whether an open is let in, closed again at once.
void tryOpen(const char *key, const WCHAR *name, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    closeIf(open(key, name, access, share, disposition, flags));
}

void attributesOf(const char *key, const WCHAR *path)
{
    SetLastError(0);
    const DWORD a = GetFileAttributesW(path);
    if (a == INVALID_FILE_ATTRIBUTES)
        line(key, "invalid error %lu", static_cast<unsigned long>(GetLastError()));
    else
        line(key, "0x%lX", static_cast<unsigned long>(a));
}

void attributes(const char *key, const WCHAR *name)
{
    attributesOf(key, at(name).c_str());
}

void exists(const char *key, const WCHAR *name)
{
    line(key, "%s", PathFileExistsW(at(name).c_str()) ? "yes" : "no");
}

// One search, every entry it gives: name, attributes and size, then how the search ended.
void list(const char *key, const WCHAR *pattern)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(at(pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        line(key, "failed error %lu", static_cast<unsigned long>(GetLastError()));
        return;
    }
    std::string entries;
    do {
        char one[64];
        snprintf(one, sizeof one, " 0x%lX %lu;", static_cast<unsigned long>(data.dwFileAttributes),
                 static_cast<unsigned long>(data.nFileSizeLow));
        entries += probe::utf8(data.cFileName) + one;
    } while (FindNextFileW(find, &data));
    const unsigned long ended = GetLastError();
    line(key, "%s end error %lu", entries.c_str(), ended);
    ok((std::string(key) + ".FindClose").c_str(), FindClose(find));
}

void fileInformation(const char *key, HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(h, &info)) {
        line(key, "failed error %lu", static_cast<unsigned long>(GetLastError()));
        return;
    }
    line(key, "attributes 0x%lX size %lu links %lu serial %s index %s",
         static_cast<unsigned long>(info.dwFileAttributes), static_cast<unsigned long>(info.nFileSizeLow),
         static_cast<unsigned long>(info.nNumberOfLinks), info.dwVolumeSerialNumber ? "nonzero" : "zero",
         info.nFileIndexLow || info.nFileIndexHigh ? "nonzero" : "zero");
}

unsigned long long fileIndex(const WCHAR *name)
{
    HANDLE h = CreateFileW(at(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION info = {};
    const BOOL got = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return got ? (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
}

void seek(const char *key, HANDLE h, long long distance, DWORD method)
{
    LARGE_INTEGER to;
    to.QuadPart = distance;
    LARGE_INTEGER now;
    now.QuadPart = -1;
    if (SetFilePointerEx(h, to, &now, method))
        line(key, "ok at %lld", static_cast<long long>(now.QuadPart));
    else
        line(key, "failed error %lu", static_cast<unsigned long>(GetLastError()));
}

void read(const char *key, HANDLE h, DWORD asked)
{
    char buffer[64] = {};
    DWORD got = 12345;
    if (ReadFile(h, buffer, asked, &got, nullptr))
        line(key, "ok %lu \"%.*s\"", static_cast<unsigned long>(got), static_cast<int>(got), buffer);
    else
        line(key, "failed error %lu got %lu", static_cast<unsigned long>(GetLastError()),
             static_cast<unsigned long>(got));
}

void write(const char *key, HANDLE h, const char *text)
{
    DWORD written = 12345;
    if (WriteFile(h, text, DWORD(std::strlen(text)), &written, nullptr))
        line(key, "ok %lu", static_cast<unsigned long>(written));
    else
        line(key, "failed error %lu written %lu", static_cast<unsigned long>(GetLastError()),
             static_cast<unsigned long>(written));
}

void folders()
{
    // The temporary folder: the product asks with MAX_PATH, keeps the trailing backslash rule, and takes the
    // long form of it.
    WCHAR temp[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, temp);
    line("GetTempPathW", "%s, trailing backslash %s", n == length(temp) ? "length of the text" : "other length",
         n > 0 && temp[n - 1] == '\\' ? "yes" : "no");
    probe::text("GetTempPathW.path", temp);
    WCHAR small[4] = {'x', 'x', 'x', 0};
    line("GetTempPathW.size.none", "%s", GetTempPathW(0, nullptr) == n + 1 ? "length + 1" : "other");
    const DWORD shortAnswer = GetTempPathW(3, small);
    line("GetTempPathW.size.small", "%s", shortAnswer == n + 1 ? "length + 1" : "other");
    WCHAR exact[MAX_PATH];
    line("GetTempPathW.size.exact", "%s", GetTempPathW(n + 1, exact) == n ? "length" : "other");

    WCHAR longPath[MAX_PATH];
    const DWORD longLength = GetLongPathNameW(temp, longPath, MAX_PATH);
    line("GetLongPathNameW", "%s", longLength == length(longPath) && longLength > 0 ? "length of the text" : "other");
    line("GetLongPathNameW.size.none", "%s",
         GetLongPathNameW(temp, nullptr, 0) == longLength + 1 ? "length + 1" : "other");
    line("GetLongPathNameW.size.small", "%s",
         GetLongPathNameW(temp, small, 3) == longLength + 1 ? "length + 1" : "other");
    SetLastError(0);
    result("GetLongPathNameW.missing", GetLongPathNameW(at(WSTR("missing.txt")).c_str(), longPath, MAX_PATH), true);
    SetLastError(0);
    result("GetLongPathNameW.missingFolder",
           GetLongPathNameW(at(WSTR("missing\\file.txt")).c_str(), longPath, MAX_PATH), true);
    DWORD scratchLong = GetLongPathNameW(folder.c_str(), longPath, MAX_PATH);
    line("GetLongPathNameW.folder", "%s",
         scratchLong == folder.size() && Text(longPath) == folder ? "same text" : "other text");

    // The current folder: both runs start in a folder named "cwd".
    WCHAR current[MAX_PATH];
    const DWORD c = GetCurrentDirectoryW(MAX_PATH, current);
    const WCHAR *last = current;
    for (const WCHAR *p = current; *p; ++p)
        if (*p == '\\' || *p == '/')
            last = p + 1;
    line("GetCurrentDirectoryW", "%s, last name \"%s\"", c == length(current) ? "length of the text" : "other",
         probe::utf8(last).c_str());
    probe::text("GetCurrentDirectoryW.path", current);
    line("GetCurrentDirectoryW.size.none", "%s", GetCurrentDirectoryW(0, nullptr) == c + 1 ? "length + 1" : "other");
    line("GetCurrentDirectoryW.size.small", "%s", GetCurrentDirectoryW(3, small) == c + 1 ? "length + 1" : "other");
}

void readWriteSeek()
{
    HANDLE h =
        open("CreateFileW.new", WSTR("data.bin"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    write("WriteFile", h, "0123456789");
    seek("SetFilePointerEx.begin", h, 0, FILE_BEGIN);
    read("ReadFile.all", h, 64);
    read("ReadFile.atEnd", h, 64);
    seek("SetFilePointerEx.back", h, -4, FILE_CURRENT);
    read("ReadFile.tail", h, 64);
    seek("SetFilePointerEx.negative", h, -100, FILE_CURRENT);
    seek("SetFilePointerEx.end", h, -3, FILE_END);
    seek("SetFilePointerEx.beyond", h, 20, FILE_BEGIN);
    // The product's pass: write, move back over what was written, write again over the same bytes.
    seek("SetFilePointerEx.last", h, 9, FILE_BEGIN);
    write("WriteFile.last", h, "X");
    seek("SetFilePointerEx.passBack", h, -1, FILE_CURRENT);
    write("WriteFile.again", h, "Y");
    // Each pass of the shredder reaches the disk before the next.
    probe::ok("FlushFileBuffers", FlushFileBuffers(h));
    seek("SetFilePointerEx.start", h, 0, FILE_BEGIN);
    read("ReadFile.after", h, 64);
    fileInformation("GetFileInformationByHandle.file", h);
    closeIf(h);

    tryOpen("CreateFileW.new.exists", WSTR("data.bin"), GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    tryOpen("CreateFileW.openAlways.exists", WSTR("data.bin"), GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS, 0);
    tryOpen("CreateFileW.openAlways.new", WSTR("fresh.bin"), GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS, 0);
    tryOpen("CreateFileW.missing", WSTR("missing.bin"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    tryOpen("CreateFileW.missingFolder", WSTR("missing\\x.bin"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    // Reading through a handle opened for writing only.
    h = open("CreateFileW.writeOnly", WSTR("data.bin"), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, 0);
    read("ReadFile.writeOnly", h, 4);
    closeIf(h);
    h = open("CreateFileW.readOnly", WSTR("data.bin"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    write("WriteFile.readOnly", h, "z");
    probe::ok("FlushFileBuffers.readOnly", FlushFileBuffers(h));
    closeIf(h);
    DeleteFileW(at(WSTR("fresh.bin")).c_str());
}

// Whether text starts with folder, ASCII letters in either case (the temp folder's case may differ).
bool startsWithFolder(const Text &text, const Text &folderText)
{
    if (text.size() < folderText.size())
        return false;
    for (size_t i = 0; i < folderText.size(); ++i) {
        WCHAR a = text[i], b = folderText[i];
        if (a >= 'a' && a <= 'z')
            a = WCHAR(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z')
            b = WCHAR(b - 'a' + 'A');
        if (a != b)
            return false;
    }
    return true;
}

// Where a handle opened by name lies, as the folder walker asks: the "\\?\" form of the scratch folder and the
// name as the folder stores it; a buffer one short gets the length it needs, terminator included.
void finalPath(const char *key, const WCHAR *name, DWORD flags)
{
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE h = CreateFileW(at(name).c_str(), 0, all, nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        line(key, "open failed error %lu", static_cast<unsigned long>(GetLastError()));
        return;
    }
    WCHAR path[MAX_PATH + 8];
    const DWORD n = GetFinalPathNameByHandleW(h, path, MAX_PATH + 8, VOLUME_NAME_DOS);
    const Text expected = Text(WSTR("\\\\?\\")) + folder;
    const Text got(path, n < MAX_PATH + 8 ? n : 0);
    if (n == 0 || n >= MAX_PATH + 8)
        line(key, "failed %lu error %lu", static_cast<unsigned long>(n), static_cast<unsigned long>(GetLastError()));
    else if (!startsWithFolder(got, expected))
        line(key, "outside the scratch folder: %s", probe::utf8(path, long(n)).c_str());
    else
        line(key, "scratch folder + %s", probe::utf8(got.c_str() + expected.size()).c_str());
    SetLastError(0);
    const DWORD needed = GetFinalPathNameByHandleW(h, path, n, VOLUME_NAME_DOS);
    line((std::string(key) + ".short").c_str(), "the length + %ld", static_cast<long>(needed) - static_cast<long>(n));
    CloseHandle(h);
}

void identity()
{
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // Folders open only with backup semantics; the product's identity open asks for no access at all.
    tryOpen("CreateFileW.folder.plain", WSTR("Sub"), 0, all, OPEN_EXISTING, 0);
    HANDLE h = open("CreateFileW.folder.backup", WSTR("Sub"), 0, all, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    fileInformation("GetFileInformationByHandle.folder", h);
    LARGE_INTEGER size;
    size.QuadPart = -1;
    if (GetFileSizeEx(h, &size))
        line("GetFileSizeEx.folder", "ok %lld", static_cast<long long>(size.QuadPart));
    else
        line("GetFileSizeEx.folder", "failed error %lu", static_cast<unsigned long>(GetLastError()));
    closeIf(h);
    tryOpen("CreateFileW.folder.reparse", WSTR("Sub"), 0, all, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
    h = open("CreateFileW.file.reparse", WSTR("data.bin"), 0, all, OPEN_EXISTING,
             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
    fileInformation("GetFileInformationByHandle.file.reparse", h);
    closeIf(h);
    const unsigned long long a = fileIndex(WSTR("data.bin")), b = fileIndex(WSTR("DATA.BIN"));
    const unsigned long long other = fileIndex(WSTR("b.txt"));
    line("GetFileInformationByHandle.index", "%s, other file %s", a && a == b ? "same for both spellings" : "differs",
         other && other != a ? "differs" : "same");
    BY_HANDLE_FILE_INFORMATION info;
    ok("GetFileInformationByHandle.invalid", GetFileInformationByHandle(INVALID_HANDLE_VALUE, &info));
    finalPath("GetFinalPathNameByHandleW.file", WSTR("DATA.BIN"), 0);
    finalPath("GetFinalPathNameByHandleW.folder", WSTR("Sub"), FILE_FLAG_BACKUP_SEMANTICS);
    WCHAR name[MAX_PATH];
    SetLastError(0);
    const DWORD n = GetFinalPathNameByHandleW(INVALID_HANDLE_VALUE, name, MAX_PATH, VOLUME_NAME_DOS);
    line("GetFinalPathNameByHandleW.invalid", "%lu error %lu", static_cast<unsigned long>(n),
         static_cast<unsigned long>(GetLastError()));
}

void sharing()
{
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // The cluster overwrite holds the file open for reading, sharing nothing.
    HANDLE held = open("CreateFileW.exclusive", WSTR("data.bin"), GENERIC_READ, 0, OPEN_EXISTING, 0);
    tryOpen("CreateFileW.inUse.write", WSTR("data.bin"), GENERIC_WRITE, all, OPEN_EXISTING, FILE_FLAG_WRITE_THROUGH);
    tryOpen("CreateFileW.inUse.read", WSTR("data.bin"), GENERIC_READ, all, OPEN_EXISTING, 0);
    tryOpen("CreateFileW.inUse.identity", WSTR("data.bin"), 0, all, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
    ok("DeleteFileW.inUse", DeleteFileW(at(WSTR("data.bin")).c_str()));
    ok("MoveFileW.inUse", MoveFileW(at(WSTR("data.bin")).c_str(), at(WSTR("moved.bin")).c_str()));
    closeIf(held);

    // Shared for reading only: another reader is let in, a writer is not.
    held = open("CreateFileW.shareRead", WSTR("data.bin"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    tryOpen("CreateFileW.shareRead.read", WSTR("data.bin"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    tryOpen("CreateFileW.shareRead.readAll", WSTR("data.bin"), GENERIC_READ, all, OPEN_EXISTING, 0);
    tryOpen("CreateFileW.shareRead.write", WSTR("data.bin"), GENERIC_WRITE, all, OPEN_EXISTING, 0);
    closeIf(held);

    // A writer that shares nothing: a later reader that shares everything is refused too.
    held = open("CreateFileW.writer", WSTR("data.bin"), GENERIC_WRITE, all, OPEN_EXISTING, 0);
    tryOpen("CreateFileW.writer.readShareRead", WSTR("data.bin"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    tryOpen("CreateFileW.writer.readAll", WSTR("data.bin"), GENERIC_READ, all, OPEN_EXISTING, 0);
    closeIf(held);

    // Shared for deleting: the file goes (at the latest when the last handle closes).
    if (!makeFile(WSTR("gone.bin"), "x"))
        line("makeFile", "failed");
    held = open("CreateFileW.shareDelete", WSTR("gone.bin"), GENERIC_READ, all, OPEN_EXISTING, 0);
    ok("DeleteFileW.shared", DeleteFileW(at(WSTR("gone.bin")).c_str()));
    closeIf(held);
    exists("DeleteFileW.shared.afterClose", WSTR("gone.bin"));
}

void listing()
{
    list("FindFirstFileW.all", WSTR("*"));
    list("FindFirstFileW.allDotAll", WSTR("*.*"));
    list("FindFirstFileW.txt", WSTR("*.txt"));
    list("FindFirstFileW.question", WSTR("?.txt"));
    list("FindFirstFileW.prefix", WSTR("a*"));
    list("FindFirstFileW.none", WSTR("nothing*"));
    list("FindFirstFileW.missingFolder", WSTR("missing\\*"));
    list("FindFirstFileW.name", WSTR("B.TXT"));
    list("FindFirstFileW.missingName", WSTR("missing.txt"));
    list("FindFirstFileW.folder", WSTR("Sub"));
    list("FindFirstFileW.emptyFolder", WSTR("Sub\\*"));
    list("FindFirstFileW.trailing", WSTR("Sub\\"));
    attributes("GetFileAttributesW.file", WSTR("b.txt"));
    attributes("GetFileAttributesW.folder", WSTR("Sub"));
    attributes("GetFileAttributesW.folderSlash", WSTR("Sub\\"));
    attributes("GetFileAttributesW.missing", WSTR("missing.txt"));
    attributes("GetFileAttributesW.missingFolder", WSTR("missing\\x.txt"));
    ok("SetFileAttributesW.hidden", SetFileAttributesW(at(WSTR("c.dat")).c_str(), FILE_ATTRIBUTE_HIDDEN));
    attributes("GetFileAttributesW.hidden", WSTR("c.dat"));
    list("FindFirstFileW.hidden", WSTR("c.*"));
    SetFileAttributesW(at(WSTR("c.dat")).c_str(), FILE_ATTRIBUTE_NORMAL);
    // A drive root lists no "." or "..": the first entry of C:\ is a name of its own.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(WSTR("C:\\*"), &data);
    if (find == INVALID_HANDLE_VALUE) {
        line("FindFirstFileW.driveRoot", "failed error %lu", static_cast<unsigned long>(GetLastError()));
    } else {
        bool dots = false;
        do
            dots = dots || Text(data.cFileName) == WSTR(".") || Text(data.cFileName) == WSTR("..");
        while (FindNextFileW(find, &data));
        line("FindFirstFileW.driveRoot", "%s", dots ? "dots listed" : "no dots");
        FindClose(find);
    }
    exists("PathFileExistsW.file", WSTR("b.txt"));
    exists("PathFileExistsW.folder", WSTR("Sub"));
    exists("PathFileExistsW.missing", WSTR("missing.txt"));
    exists("PathFileExistsW.missingFolder", WSTR("missing\\x.txt"));
}

void readOnly()
{
    if (!makeFile(WSTR("locked.txt"), "keep"))
        line("makeFile", "failed");
    ok("SetFileAttributesW.readOnly", SetFileAttributesW(at(WSTR("locked.txt")).c_str(), FILE_ATTRIBUTE_READONLY));
    attributes("GetFileAttributesW.readOnly", WSTR("locked.txt"));
    list("FindFirstFileW.readOnly", WSTR("locked.txt"));
    ok("DeleteFileW.readOnly", DeleteFileW(at(WSTR("locked.txt")).c_str()));
    tryOpen("CreateFileW.readOnly.write", WSTR("locked.txt"), GENERIC_WRITE,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, FILE_FLAG_WRITE_THROUGH);
    HANDLE h = open("CreateFileW.readOnly.read", WSTR("locked.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    fileInformation("GetFileInformationByHandle.readOnly", h);
    closeIf(h);
    ok("MoveFileExW.ontoReadOnly",
       MoveFileExW(at(WSTR("b.txt")).c_str(), at(WSTR("locked.txt")).c_str(), MOVEFILE_REPLACE_EXISTING));
    ok("MoveFileW.readOnly", MoveFileW(at(WSTR("locked.txt")).c_str(), at(WSTR("locked2.txt")).c_str()));
    SetFileAttributesW(at(WSTR("locked2.txt")).c_str(), FILE_ATTRIBUTE_NORMAL);
    ok("DeleteFileW.writable", DeleteFileW(at(WSTR("locked2.txt")).c_str()));
    ok("DeleteFileW.missing", DeleteFileW(at(WSTR("locked2.txt")).c_str()));
    ok("DeleteFileW.missingFolder", DeleteFileW(at(WSTR("missing\\x.txt")).c_str()));
    ok("DeleteFileW.folder", DeleteFileW(at(WSTR("Sub")).c_str()));
}

void moving()
{
    if (!makeFile(WSTR("from.txt"), "from") || !makeFile(WSTR("to.txt"), "to"))
        line("makeFile", "failed");
    ok("MoveFileW.ontoExisting", MoveFileW(at(WSTR("from.txt")).c_str(), at(WSTR("to.txt")).c_str()));
    ok("MoveFileExW.noFlags", MoveFileExW(at(WSTR("from.txt")).c_str(), at(WSTR("to.txt")).c_str(), 0));
    ok("MoveFileExW.replace",
       MoveFileExW(at(WSTR("from.txt")).c_str(), at(WSTR("to.txt")).c_str(), MOVEFILE_REPLACE_EXISTING));
    exists("MoveFileExW.replace.source", WSTR("from.txt"));
    HANDLE h = open("MoveFileExW.replace.target", WSTR("to.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    read("MoveFileExW.replace.content", h, 64);
    closeIf(h);
    ok("MoveFileExW.replace.missing",
       MoveFileExW(at(WSTR("from.txt")).c_str(), at(WSTR("to.txt")).c_str(), MOVEFILE_REPLACE_EXISTING));
    ok("MoveFileExW.replace.ontoFolder",
       MoveFileExW(at(WSTR("to.txt")).c_str(), at(WSTR("Sub")).c_str(), MOVEFILE_REPLACE_EXISTING));
    ok("MoveFileW.case", MoveFileW(at(WSTR("to.txt")).c_str(), at(WSTR("TO.TXT")).c_str()));
    list("MoveFileW.case.listed", WSTR("to.*"));
    ok("MoveFileW.missingFolder", MoveFileW(at(WSTR("TO.TXT")).c_str(), at(WSTR("missing\\to.txt")).c_str()));
    ok("MoveFileW.intoFolder", MoveFileW(at(WSTR("TO.TXT")).c_str(), at(WSTR("Sub\\to.txt")).c_str()));
    // The shredder's scramble: renamed letter by letter, the dot kept.
    ok("MoveFileW.scramble.A", MoveFileW(at(WSTR("Sub\\to.txt")).c_str(), at(WSTR("Sub\\AA.AAA")).c_str()));
    ok("MoveFileW.scramble.B", MoveFileW(at(WSTR("Sub\\AA.AAA")).c_str(), at(WSTR("Sub\\BB.BBB")).c_str()));
    list("MoveFileW.scramble.listed", WSTR("Sub\\*"));
    ok("MoveFileW.folder", MoveFileW(at(WSTR("Sub")).c_str(), at(WSTR("Sub2")).c_str()));
    ok("MoveFileW.folder.back", MoveFileW(at(WSTR("Sub2")).c_str(), at(WSTR("Sub")).c_str()));

    ok("RemoveDirectoryW.notEmpty", RemoveDirectoryW(at(WSTR("Sub")).c_str()));
    ok("RemoveDirectoryW.file", RemoveDirectoryW(at(WSTR("c.dat")).c_str()));
    ok("RemoveDirectoryW.missing", RemoveDirectoryW(at(WSTR("missing")).c_str()));
    DeleteFileW(at(WSTR("Sub\\BB.BBB")).c_str());
    ok("RemoveDirectoryW.empty", RemoveDirectoryW(at(WSTR("Sub")).c_str()));
    exists("RemoveDirectoryW.gone", WSTR("Sub"));
}

// Renaming and deleting through the handle a tool checked, as the shredder and the cleaners do: a plain name
// is a full path (a relative one is taken from the current folder), an existing name is not replaced, and deleting asks
// for the handle's delete access.
bool renameThrough(HANDLE h, const WCHAR *name)
{
    const DWORD bytes = length(name) * sizeof(WCHAR);
    unsigned long long buffer[(sizeof(FILE_RENAME_INFO) + MAX_PATH * sizeof(WCHAR)) / 8 + 1] = {};
    auto *info = reinterpret_cast<FILE_RENAME_INFO *>(buffer);
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = bytes;
    for (DWORD i = 0; i <= length(name); ++i)
        info->FileName[i] = name[i];
    return SetFileInformationByHandle(h, FileRenameInfo, info, DWORD(sizeof(buffer)));
}

BOOL deleteThrough(HANDLE h)
{
    FILE_DISPOSITION_INFO info = {};
    info.DeleteFile = TRUE;
    return SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof(info));
}

void handleMoves()
{
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    if (!makeFile(WSTR("held.txt"), "held") || !makeFile(WSTR("taken.txt"), "taken"))
        line("makeFile", "failed");
    HANDLE h = open("SetFileInformationByHandle.open", WSTR("held.txt"), GENERIC_READ | DELETE, all, OPEN_EXISTING, 0);
    SetLastError(0);
    ok("SetFileInformationByHandle.rename.taken", renameThrough(h, at(WSTR("taken.txt")).c_str()));
    SetLastError(0);
    ok("SetFileInformationByHandle.rename.fullPath", renameThrough(h, at(WSTR("moved.txt")).c_str()));
    exists("SetFileInformationByHandle.rename.old", WSTR("held.txt"));
    SetLastError(0);
    ok("SetFileInformationByHandle.rename.relative", renameThrough(h, WSTR("relative.txt")));
    exists("SetFileInformationByHandle.rename.relative.here", WSTR("relative.txt"));
    SetLastError(0);
    ok("SetFileInformationByHandle.rename.back", renameThrough(h, at(WSTR("moved.txt")).c_str()));
    exists("SetFileInformationByHandle.rename.new", WSTR("moved.txt"));
    SetLastError(0);
    ok("SetFileInformationByHandle.delete", deleteThrough(h));
    closeIf(h);
    exists("SetFileInformationByHandle.delete.gone", WSTR("moved.txt"));
    h = open("SetFileInformationByHandle.open.readOnly", WSTR("taken.txt"), GENERIC_READ, all, OPEN_EXISTING, 0);
    SetLastError(0);
    ok("SetFileInformationByHandle.delete.noAccess", deleteThrough(h));
    closeIf(h);
    exists("SetFileInformationByHandle.delete.kept", WSTR("taken.txt"));
    DeleteFileW(at(WSTR("taken.txt")).c_str());
}

// Paths and names the product may meet: at and over MAX_PATH, and names Windows refuses or reads otherwise.
void namesAndPaths()
{
    // The scratch folder's path, a backslash, and a name that brings the whole to MAX_PATH - 1 characters (the
    // longest a path may be with its terminator), then to MAX_PATH.
    for (const size_t total : {size_t(MAX_PATH - 1), size_t(MAX_PATH), size_t(MAX_PATH + 20)}) {
        const size_t room = total > folder.size() ? total - folder.size() : 1;
        const Text name(room, 'n');
        char key[64];
        snprintf(key, sizeof key, "CreateFileW.length%s",
                 total == MAX_PATH - 1 ? "Below"
                 : total == MAX_PATH   ? "At"
                                       : "Over");
        HANDLE h = open(key, name.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
        closeIf(h);
        snprintf(key, sizeof key, "DeleteFileW.length%s",
                 total == MAX_PATH - 1 ? "Below"
                 : total == MAX_PATH   ? "At"
                                       : "Over");
        SetLastError(0);
        ok(key, DeleteFileW(at(name.c_str()).c_str()));
    }
    // The "\\?\" form is taken as written, at any length.
    const Text verbatim = Text(WSTR("\\\\?\\")) + folder;
    const Text longName(MAX_PATH + 20 - folder.size(), 'v');
    closeIf(openPath("CreateFileW.verbatimOver", verbatim + longName, GENERIC_WRITE, 0, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL));
    SetLastError(0);
    ok("DeleteFileW.verbatimOver", DeleteFileW((verbatim + longName).c_str()));
    // A new folder's path leaves room for an 8.3 name in it: MAX_PATH - 12 characters are too many.
    const Text folderName(MAX_PATH - 12 - folder.size(), 'd');
    SetLastError(0);
    ok("CreateDirectoryW.lengthAt", CreateDirectoryW(at(folderName.c_str()).c_str(), nullptr));
    RemoveDirectoryW(at(folderName.c_str()).c_str());
    SetLastError(0);
    ok("CreateDirectoryW.verbatimAt", CreateDirectoryW((verbatim + folderName).c_str(), nullptr));
    SetLastError(0);
    ok("RemoveDirectoryW.verbatimAt", RemoveDirectoryW((verbatim + folderName).c_str()));
    // At MAX_PATH the path conversion refuses the path before the folder rule is asked.
    for (const size_t total : {size_t(MAX_PATH - 1), size_t(MAX_PATH)}) {
        const Text name(total - folder.size(), 'e');
        SetLastError(0);
        ok(total == MAX_PATH ? "CreateDirectoryW.pathAt" : "CreateDirectoryW.pathBelow",
           CreateDirectoryW(at(name.c_str()).c_str(), nullptr));
        RemoveDirectoryW((verbatim + name).c_str());
    }

    // CREATE_ALWAYS over a hidden or a system file, without asking for that attribute, is refused.
    for (const DWORD attribute : {DWORD(FILE_ATTRIBUTE_HIDDEN), DWORD(FILE_ATTRIBUTE_SYSTEM)}) {
        const bool hidden = attribute == FILE_ATTRIBUTE_HIDDEN;
        const WCHAR *name = hidden ? WSTR("hidden.dat") : WSTR("system.dat");
        if (!makeFile(name, "old") || !SetFileAttributesW(at(name).c_str(), attribute))
            line("makeFile", "failed");
        tryOpen(hidden ? "CreateFileW.createAlways.hidden" : "CreateFileW.createAlways.system", name, GENERIC_WRITE, 0,
                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
        tryOpen(hidden ? "CreateFileW.createAlways.hidden.asked" : "CreateFileW.createAlways.system.asked", name,
                GENERIC_WRITE, 0, CREATE_ALWAYS, attribute);
        attributes(hidden ? "GetFileAttributesW.createAlways.hidden" : "GetFileAttributesW.createAlways.system", name);
        SetFileAttributesW(at(name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(at(name).c_str());
    }

    // Names Windows does not keep as given: a trailing dot or blank is dropped, and CON is the console.
    const struct
    {
        const char *key;
        const WCHAR *name;
        const WCHAR *listed;
    } odd[] = {
        {"trailingDot", WSTR("dot."), WSTR("dot*")},
        {"trailingBlank", WSTR("blank "), WSTR("blank*")},
    };
    for (const auto &o : odd) {
        const std::string key = std::string("CreateFileW.name.") + o.key;
        closeIf(open(key.c_str(), o.name, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
        list((std::string("FindFirstFileW.name.") + o.key).c_str(), o.listed);
    }
    DeleteFileW(at(WSTR("dot")).c_str());
    DeleteFileW(at(WSTR("blank")).c_str());
    // A file named CON is the console device wherever its folder: opening it for reading gets the console,
    // never a file in the folder.
    HANDLE h = CreateFileW(at(WSTR("CON")).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    line("CreateFileW.name.CON", "%s", h != INVALID_HANDLE_VALUE ? "opened" : "failed");
    closeIf(h);
    list("FindFirstFileW.name.CON", WSTR("CON*"));
}

// What the entry of a link says: whether it is a reparse point, a folder, and its reparse tag in a listing.
void linkEntry(const char *key, const WCHAR *name)
{
    const DWORD a = GetFileAttributesW(at(name).c_str());
    WIN32_FIND_DATAW data = {};
    HANDLE find = FindFirstFileW(at(name).c_str(), &data);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    if (a == INVALID_FILE_ATTRIBUTES || find == INVALID_HANDLE_VALUE) {
        line(key, "not found");
        return;
    }
    line(key, "reparse point %s, folder %s, listed tag 0x%lX", (a & FILE_ATTRIBUTE_REPARSE_POINT) ? "yes" : "no",
         (a & FILE_ATTRIBUTE_DIRECTORY) ? "yes" : "no",
         (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? static_cast<unsigned long>(data.dwReserved0) : 0ul);
}

// What a listing says of an entry against what its handle says (the entry itself opened): attributes and size.
void listedAndOpened(const char *key, const WCHAR *name)
{
    WIN32_FIND_DATAW data = {};
    HANDLE find = FindFirstFileW(at(name).c_str(), &data);
    HANDLE h = CreateFileW(at(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (find == INVALID_HANDLE_VALUE || h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) {
        line(key, "not found");
    } else {
        line(key, "listed 0x%lX size %lu, opened 0x%lX size %lu", static_cast<unsigned long>(data.dwFileAttributes),
             static_cast<unsigned long>(data.nFileSizeLow), static_cast<unsigned long>(info.dwFileAttributes),
             static_cast<unsigned long>(info.nFileSizeLow));
    }
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    closeIf(h);
}

// Symbolic links to a file and to a folder, as the file tools meet them: what the entry reports, opening the
// link itself, and removing the link, never what it points at.
void links()
{
    if (!makeFile(WSTR("target.txt"), "target") || !CreateDirectoryW(at(WSTR("TargetDir")).c_str(), nullptr))
        line("makeFile", "failed");
    SetLastError(0);
    ok("CreateSymbolicLinkW.file",
       BOOL(CreateSymbolicLinkW(at(WSTR("file.link")).c_str(), at(WSTR("target.txt")).c_str(),
                                SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)));
    SetLastError(0);
    ok("CreateSymbolicLinkW.folder",
       BOOL(CreateSymbolicLinkW(at(WSTR("dirlink")).c_str(), WSTR("TargetDir"),
                                SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)));
    SetLastError(0);
    ok("CreateSymbolicLinkW.again",
       BOOL(CreateSymbolicLinkW(at(WSTR("dirlink")).c_str(), WSTR("TargetDir"),
                                SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)));
    linkEntry("link.file", WSTR("file.link"));
    linkEntry("link.folder", WSTR("dirlink"));
    listedAndOpened("entry.file", WSTR("target.txt"));
    listedAndOpened("entry.link.file", WSTR("file.link"));
    listedAndOpened("entry.link.folder", WSTR("dirlink"));
    SetLastError(0);
    ok("DeleteFileW.link.folder", DeleteFileW(at(WSTR("dirlink")).c_str()));
    ok("DeleteFileW.link.file", DeleteFileW(at(WSTR("file.link")).c_str()));
    ok("RemoveDirectoryW.link.folder", RemoveDirectoryW(at(WSTR("dirlink")).c_str()));
    exists("link.target.kept", WSTR("target.txt"));
    exists("link.targetDir.kept", WSTR("TargetDir"));
    DeleteFileW(at(WSTR("target.txt")).c_str());
    RemoveDirectoryW(at(WSTR("TargetDir")).c_str());
}

// Full paths as Windows makes them of what a program types: "." and ".." removed (".." at a drive's root stays
// there), a folder name's last dot and a final name's dots and blanks dropped, paths from the root and
// relative ones completed from the current folder (shown as <cwd>), "\\?\" paths as they are.
void fullPath(const char *key, const WCHAR *path)
{
    WCHAR current[MAX_PATH];
    const Text cwd(current, GetCurrentDirectoryW(MAX_PATH, current));
    WCHAR full[MAX_PATH];
    WCHAR *filePart = nullptr;
    SetLastError(0);
    const DWORD n = GetFullPathNameW(path, MAX_PATH, full, &filePart);
    if (n == 0 || n >= MAX_PATH) {
        line(key, "%lu error %lu", static_cast<unsigned long>(n), static_cast<unsigned long>(GetLastError()));
        return;
    }
    Text shown(full, n);
    if (shown.compare(0, cwd.size(), cwd) == 0)
        shown.replace(0, cwd.size(), WSTR("<cwd>"));
    line(key, "%s, length %s, file part %s", probe::utf8(shown.c_str()).c_str(),
         n == length(full) ? "of the text" : "other", filePart ? probe::utf8(filePart).c_str() : "(none)");
}

void fullPaths()
{
    fullPath("GetFullPathNameW.aboveRoot", WSTR("C:\\..\\a\\.\\b\\..\\c"));
    fullPath("GetFullPathNameW.farAboveRoot", WSTR("C:\\x\\..\\..\\..\\y"));
    fullPath("GetFullPathNameW.folderDot", WSTR("C:\\a.\\b"));
    fullPath("GetFullPathNameW.folderBlank", WSTR("C:\\a \\b"));
    fullPath("GetFullPathNameW.finalDotsBlanks", WSTR("C:\\a\\b. ."));
    fullPath("GetFullPathNameW.trailingSeparator", WSTR("C:\\a\\b\\"));
    fullPath("GetFullPathNameW.separators", WSTR("C:/a//b"));
    fullPath("GetFullPathNameW.root", WSTR("C:\\"));
    fullPath("GetFullPathNameW.rootParent", WSTR("C:\\.."));
    fullPath("GetFullPathNameW.fromRoot", WSTR("\\..\\..\\etc\\hostname"));
    fullPath("GetFullPathNameW.relative", WSTR("sub\\.\\y\\..\\z."));
    fullPath("GetFullPathNameW.driveRelative", WSTR("C:x"));
    fullPath("GetFullPathNameW.lowerCaseDrive", WSTR("c:\\a\\..\\b"));
    fullPath("GetFullPathNameW.verbatim", WSTR("\\\\?\\C:\\a\\..\\b."));
    WCHAR small[4];
    line("GetFullPathNameW.size.none", "%lu",
         static_cast<unsigned long>(GetFullPathNameW(WSTR("C:\\a\\b"), 0, nullptr, nullptr)));
    line("GetFullPathNameW.size.small", "%lu",
         static_cast<unsigned long>(GetFullPathNameW(WSTR("C:\\a\\b"), 4, small, nullptr)));
}

// A file at C:'s root reached through paths that climb above the root, from the root and as "\\?\" paths:
// ".." at a root stays there, and a "\\?\" path is taken as written.
void rootPaths()
{
    const WCHAR *rootFile = WSTR("C:\\HushdeckProbeRoot.txt");
    HANDLE h = CreateFileW(rootFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (h == INVALID_HANDLE_VALUE || !WriteFile(h, "root", 4, &written, nullptr))
        line("rootFile", "failed error %lu", static_cast<unsigned long>(GetLastError()));
    closeIf(h);
    const struct
    {
        const char *key;
        const WCHAR *path;
    } opens[] = {
        {"CreateFileW.aboveRoot", WSTR("C:\\..\\HushdeckProbeRoot.txt")},
        {"CreateFileW.farAboveRoot", WSTR("C:\\Windows\\..\\..\\..\\HushdeckProbeRoot.txt")},
        {"CreateFileW.verbatim", WSTR("\\\\?\\C:\\HushdeckProbeRoot.txt")},
        {"CreateFileW.verbatimParent", WSTR("\\\\?\\C:\\Windows\\..\\HushdeckProbeRoot.txt")},
        {"CreateFileW.device", WSTR("\\\\.\\C:\\HushdeckProbeRoot.txt")},
        {"CreateFileW.device.parent", WSTR("\\\\.\\C:\\Windows\\..\\HushdeckProbeRoot.txt")},
        {"CreateFileW.device.none", WSTR("\\\\.\\HushdeckProbeNoDevice\\HushdeckProbeRoot.txt")},
        {"CreateFileW.unc", WSTR("\\\\HushdeckProbeNoServer\\share\\HushdeckProbeRoot.txt")},
    };
    for (const auto &o : opens) {
        SetLastError(0);
        h = CreateFileW(o.path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            line(o.key, "failed error %lu", static_cast<unsigned long>(GetLastError()));
            continue;
        }
        char buffer[16] = {};
        DWORD got = 0;
        ReadFile(h, buffer, sizeof(buffer) - 1, &got, nullptr);
        line(o.key, "ok \"%s\"", buffer);
        CloseHandle(h);
    }
    WIN32_FIND_DATAW data;
    SetLastError(0);
    HANDLE find = FindFirstFileW(WSTR("C:\\..\\HushdeckProbe*"), &data);
    if (find == INVALID_HANDLE_VALUE) {
        line("FindFirstFileW.aboveRoot", "failed error %lu", static_cast<unsigned long>(GetLastError()));
    } else {
        line("FindFirstFileW.aboveRoot", "%s", probe::utf8(data.cFileName).c_str());
        FindClose(find);
    }
    ok("MoveFileW.aboveRoot",
       MoveFileW(WSTR("C:\\..\\HushdeckProbeRoot.txt"), WSTR("C:\\..\\..\\HushdeckProbeMoved.txt")));
    const DWORD moved = GetFileAttributesW(WSTR("C:\\..\\HushdeckProbeMoved.txt"));
    line("GetFileAttributesW.aboveRoot", "%s", moved == INVALID_FILE_ATTRIBUTES ? "missing" : "there");
    SetLastError(0);
    ok("DeleteFileW.verbatimParent", DeleteFileW(WSTR("\\\\?\\C:\\Windows\\..\\HushdeckProbeMoved.txt")));
    ok("DeleteFileW.aboveRoot", DeleteFileW(WSTR("C:\\Windows\\..\\..\\HushdeckProbeMoved.txt")));
    ok("DeleteFileW.aboveRoot.again", DeleteFileW(WSTR("C:\\HushdeckProbeMoved.txt")));
    // Windows' device namespace holds the drives ("\\.\C:"), whose folders are the drive's own; a name there
    // that is no device, and another machine's share, hold nothing.
    attributesOf("GetFileAttributesW.device.drive", WSTR("\\\\.\\C:\\Windows"));
    attributesOf("GetFileAttributesW.device.none", WSTR("\\\\.\\HushdeckProbeNoDevice"));
    attributesOf("GetFileAttributesW.device.none.below", WSTR("\\\\.\\HushdeckProbeNoDevice\\Windows"));
    attributesOf("GetFileAttributesW.unc", WSTR("\\\\HushdeckProbeNoServer\\share\\Windows"));
}

// NTFS's archive mark: a file made or written has it, SetFileAttributesW takes it away unless asked for it, and
// a file with no attribute left reads FILE_ATTRIBUTE_NORMAL.
void archiveMark()
{
    const WCHAR *name = WSTR("archive.txt");
    if (!makeFile(name, "abc"))
        line("makeFile", "failed");
    attributes("GetFileAttributesW.archive.made", name);
    ok("SetFileAttributesW.archive.normal", SetFileAttributesW(at(name).c_str(), FILE_ATTRIBUTE_NORMAL));
    attributes("GetFileAttributesW.archive.normal", name);
    list("FindFirstFileW.archive.normal", name);
    HANDLE h = open("CreateFileW.archive.normal", name, GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    fileInformation("GetFileInformationByHandle.archive.normal", h);
    write("WriteFile.archive.normal", h, "more");
    closeIf(h);
    attributes("GetFileAttributesW.archive.written", name);
    SetFileAttributesW(at(name).c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    attributes("GetFileAttributesW.archive.notIndexed", name);
    SetFileAttributesW(at(name).c_str(), FILE_ATTRIBUTE_HIDDEN);
    attributes("GetFileAttributesW.archive.hidden", name);
    SetFileAttributesW(at(name).c_str(), FILE_ATTRIBUTE_ARCHIVE);
    attributes("GetFileAttributesW.archive.set", name);
    ok("DeleteFileW.archive", DeleteFileW(at(name).c_str()));
}

} // namespace

int main()
{
    probe::start();
    folder = probe::scratch(WSTR("HushdeckProbeFiles"));
    // Names chosen so that upper-case order differs from byte order ("_" sorts after upper-case letters and
    // before lower-case ones) and from creation order.
    const WCHAR *names[] = {WSTR("b.txt"),   WSTR("A.txt"), WSTR("c.dat"),    WSTR("_under.txt"),
                            WSTR("a~b.txt"), WSTR("Zeta"),  WSTR("a.txt.bak")};
    for (const WCHAR *name : names)
        if (!makeFile(name, "abc"))
            line("makeFile", "failed");
    ok("CreateDirectoryW", CreateDirectoryW(at(WSTR("Sub")).c_str(), nullptr));

    folders();
    listing();
    readWriteSeek();
    identity();
    sharing();
    readOnly();
    moving();
    handleMoves();
    namesAndPaths();
    links();
    fullPaths();
    rootPaths();
    archiveMark();

    for (const WCHAR *name : names)
        DeleteFileW(at(name).c_str());
    for (const WCHAR *name : {WSTR("data.bin"), WSTR("moved.bin"), WSTR("TO.TXT"), WSTR("from.txt")})
        DeleteFileW(at(name).c_str());
    folder.pop_back();
    ok("RemoveDirectoryW.scratch", RemoveDirectoryW(folder.c_str()));
    return probe::end();
}
